// Periodized orthogonal wavelet transforms: one filter-bank stage, the
// multilevel transform of signals, and of square images.
//
// h is the low-pass filter of m taps (any m >= 0; an empty filter gives
// zeros); the high-pass filter is g[j] = (-1)^j h[j]. Signals have n = 2^J
// values (n >= 1). The layout of a transform of level L: the 2^L coarse
// values first, then the details of levels L, L+1, ..., J-1, level j in
// positions 2^j .. 2^(j+1)-1. Outputs must not overlap inputs.
#ifndef TFMEX_PERIODIZED_HPP
#define TFMEX_PERIODIZED_HPP

#include "tfmex/common.hpp"

namespace tfmex {

// One analysis stage of signals of even length n (or n = 1, which has no
// output and leaves the output pointer unused): a[i] = sum_j h[j]
// x[(2i + j) mod n] (coarse) or d[i] = sum_j g[j] x[(2i + 1 - j) mod n]
// (detail), i < n/2; n <= 2^30. The batch's output vectors have n/2 values.
// The detail stages keep g in their workspace, of *_workspace(...) doubles;
// the coarse ones need workspace only for strided vectors and take it from
// the pool.
TFMEX_API void halve_coarse(const double* x, double* a, std::ptrdiff_t n, Taps h,
                            const Batch& batch = {});
TFMEX_API std::size_t halve_detail_workspace(std::ptrdiff_t n, Taps h, const Batch& batch = {});
TFMEX_API void halve_detail(const double* x, double* d, std::ptrdiff_t n, Taps h,
                            const Batch& batch = {}, Workspace* ws = nullptr);
// One synthesis stage of n values (1 <= n <= 2^30) into 2n: the transposes of
// the two above.
TFMEX_API void grow_coarse(const double* a, double* y, std::ptrdiff_t n, Taps h,
                           const Batch& batch = {});
TFMEX_API std::size_t grow_detail_workspace(std::ptrdiff_t n, Taps h, const Batch& batch = {});
TFMEX_API void grow_detail(const double* d, double* y, std::ptrdiff_t n, Taps h,
                           const Batch& batch = {}, Workspace* ws = nullptr);

// Multilevel transform of signals of n = 2^J values down to level L
// (0 <= L <= J; L = J copies) and its inverse. A Workspace of
// circ_split_workspace(...) doubles, taken before the call, lets a caller
// learn of a lack of memory before it makes its output.
TFMEX_API std::size_t circ_split_workspace(std::ptrdiff_t n, Taps h, const Batch& batch = {});
TFMEX_API void circ_split(const double* x, double* wc, std::ptrdiff_t n, int L, Taps h,
                          const Batch& batch = {}, Workspace* ws = nullptr);
TFMEX_API std::size_t circ_join_workspace(std::ptrdiff_t n, Taps h, const Batch& batch = {});
TFMEX_API void circ_join(const double* wc, double* x, std::ptrdiff_t n, int L, Taps h,
                         const Batch& batch = {}, Workspace* ws = nullptr);

// Multilevel transform of square images of side n = 2^J down to level L
// (0 <= L <= J) and its inverse. Each stage filters every column, then every
// row, of the active top-left k x k block: low-low stays at the top left, the
// three detail quarters go to the top right (low down the columns, high along
// the rows), bottom left and bottom right. n * n must fit an int (n <= 2^15).
// Packed column-major images (Strides2 rows 1, cols n, any distance) are
// transformed where they lie; any other layout goes through a packed copy in
// the workspace. A distance of 0 puts the images one after another: n times
// the larger (in magnitude) of rows and cols apart.
TFMEX_API std::size_t circ_split2_workspace(std::ptrdiff_t n, Taps h, const Batch2& batch = {});
TFMEX_API void circ_split2(const double* x, double* w, std::ptrdiff_t n, int L, Taps h,
                           const Batch2& batch = {}, Workspace* ws = nullptr);
TFMEX_API std::size_t circ_join2_workspace(std::ptrdiff_t n, Taps h, const Batch2& batch = {});
TFMEX_API void circ_join2(const double* w, double* x, std::ptrdiff_t n, int L, Taps h,
                          const Batch2& batch = {}, Workspace* ws = nullptr);

}  // namespace tfmex

#endif
