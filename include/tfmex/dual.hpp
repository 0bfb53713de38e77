// Multilevel biorthogonal wavelet transforms with a pair of symmetric filters.
//
// Signals have n = 2^J values; the layout is that of circ_split: the 2^L
// coarse values, then the details of levels L .. J-1. The analysis uses qmf
// as its low-pass filter and the centred mirror of dqmf as its high-pass
// filter; the synthesis uses dqmf and the centred mirror of qmf.
//
// n = 2^J (1 <= n <= 2^30) and 0 <= L <= J (L = J copies). The analysis takes
// filters of any length, an empty one included; the synthesis centres each
// filter on its middle tap and refuses an even length. Outputs must not
// overlap inputs. A Workspace of the *_workspace(...) doubles, taken before
// the call, lets a caller learn of a lack of memory before it makes its
// output.
#ifndef TFMEX_DUAL_HPP
#define TFMEX_DUAL_HPP

#include "tfmex/common.hpp"

namespace tfmex {

TFMEX_API std::size_t dual_split_workspace(std::ptrdiff_t n, Taps qmf, Taps dqmf,
                                           const Batch& batch = {});
TFMEX_API void dual_split(const double* x, double* w, std::ptrdiff_t n, int L, Taps qmf, Taps dqmf,
                          const Batch& batch = {}, Workspace* ws = nullptr);
TFMEX_API std::size_t dual_join_workspace(std::ptrdiff_t n, Taps qmf, Taps dqmf,
                                          const Batch& batch = {});
TFMEX_API void dual_join(const double* w, double* y, std::ptrdiff_t n, int L, Taps qmf, Taps dqmf,
                         const Batch& batch = {}, Workspace* ws = nullptr);

}  // namespace tfmex

#endif
