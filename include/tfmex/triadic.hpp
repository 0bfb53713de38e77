// Interpolating pyramids on signals of n = 3^J values, and the refinement
// rules on their own.
//
// A pyramid of a signal is 2n values: the 3^L coarse block means (times
// their scale) first, then for every level b = L+1 .. J the 3^b differences
// between the level's values and their prediction from the next coarser
// level, in positions 3^b .. 2 3^b - 1; every other value is zero. The
// prediction order D: 0 predicts piecewise constant, 2 by the quadratic rule
// (average- or median-interpolating); any other D predicts zero.
#ifndef TFMEX_TRIADIC_HPP
#define TFMEX_TRIADIC_HPP

#include "tfmex/common.hpp"

namespace tfmex {

// Average-interpolating pyramid (1 <= L; L >= J leaves x as the coarse part)
// and its inverse. wc holds 2n values per signal.
TFMEX_API void block_mean_split(const double* x, double* wc, std::ptrdiff_t n, int L, int D,
                                const Batch& batch = {});
TFMEX_API void block_mean_join(const double* wc, double* x, std::ptrdiff_t n, int L, int D,
                               const Batch& batch = {});
// Inverse of the median-interpolating pyramid.
TFMEX_API void center_join(const double* wc, double* x, std::ptrdiff_t n, int L, int D,
                           const Batch& batch = {});

// Refinement of m values into 3m: each value repeated three times (D = 0),
// the median-interpolating rule (center_predict) or the quadratic through a
// block and its two neighbours (triple_predict) for D = 2 (m >= 3), zeros
// for any other D.
TFMEX_API void center_predict(const double* c, double* f, std::ptrdiff_t m, int D,
                              const Batch& batch = {});
TFMEX_API void triple_predict(const double* c, double* f, std::ptrdiff_t m, int D,
                              const Batch& batch = {});

}  // namespace tfmex

#endif
