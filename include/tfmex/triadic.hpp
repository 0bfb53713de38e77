// Interpolating pyramids on signals of n = 3^J values, and the refinement
// rules on their own.
//
// A pyramid of a signal is 2n values: the 3^L coarse block means (times
// their scale) first, then for every level b = L+1 .. J the 3^b differences
// between the level's values and their prediction from the next coarser
// level, in positions 3^b .. 2 3^b - 1; every other value is zero. The
// prediction order D: 0 predicts piecewise constant, 2 by the quadratic rule
// (average- or median-interpolating); any other D predicts zero.
//
// Signals have n = 3^J values, 1 <= n <= 3^18. The coarse level L is at least
// 1; any L >= J reads as L = J: the coarse part is the signal itself (scale
// 1), the split copies x into the first n values of wc and zeros the rest,
// and the joins copy those n values back. Every pyramid, in and out, is
// exactly 2n values per signal (the distance of a packed batch is 2n). The
// split writes all 2n values, the zeros included. Outputs must not overlap
// inputs.
//
// Scratch comes from the workspace: a Workspace of the *_workspace(...)
// doubles, taken before the call, lets a caller learn of a lack of memory
// before it makes its output. A packed batch of refinements, or of pyramids
// with L >= J, needs none.
#ifndef TFMEX_TRIADIC_HPP
#define TFMEX_TRIADIC_HPP

#include "tfmex/common.hpp"

namespace tfmex {

// Average-interpolating pyramid and its inverse.
TFMEX_API std::size_t block_mean_split_workspace(std::ptrdiff_t n, int L, const Batch& batch = {});
TFMEX_API void block_mean_split(const double* x, double* wc, std::ptrdiff_t n, int L, int D,
                                const Batch& batch = {}, Workspace* ws = nullptr);
TFMEX_API std::size_t block_mean_join_workspace(std::ptrdiff_t n, int L, const Batch& batch = {});
TFMEX_API void block_mean_join(const double* wc, double* x, std::ptrdiff_t n, int L, int D,
                               const Batch& batch = {}, Workspace* ws = nullptr);
// Inverse of the median-interpolating pyramid.
TFMEX_API std::size_t center_join_workspace(std::ptrdiff_t n, int L, const Batch& batch = {});
TFMEX_API void center_join(const double* wc, double* x, std::ptrdiff_t n, int L, int D,
                           const Batch& batch = {}, Workspace* ws = nullptr);

// Refinement of m values into 3m (0 <= m <= 715827882): each value repeated
// three times (D = 0), the median-interpolating rule (center_predict) or the
// quadratic through a block and its two neighbours (triple_predict) for
// D = 2 (m >= 3), zeros for any other D. With m = 0 nothing is read or
// written and the pointers may be null.
TFMEX_API std::size_t center_predict_workspace(std::ptrdiff_t m, const Batch& batch = {});
TFMEX_API void center_predict(const double* c, double* f, std::ptrdiff_t m, int D,
                              const Batch& batch = {}, Workspace* ws = nullptr);
TFMEX_API std::size_t triple_predict_workspace(std::ptrdiff_t m, const Batch& batch = {});
TFMEX_API void triple_predict(const double* c, double* f, std::ptrdiff_t m, int D,
                              const Batch& batch = {}, Workspace* ws = nullptr);

}  // namespace tfmex

#endif
