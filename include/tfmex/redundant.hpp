// Redundant transforms of a signal into a level table and back: the
// translation-invariant transform and the wavelet packet table.
//
// A level table of a signal of n = 2^J values has n rows and D + 1 columns;
// column d holds 2^d blocks of n / 2^d values, block b in rows
// b n/2^d .. (b+1) n/2^d - 1. h is the orthonormal low-pass filter (m >= 0
// taps), g[j] = (-1)^j h[j]. Outputs must not overlap inputs.
#ifndef TFMEX_REDUNDANT_HPP
#define TFMEX_REDUNDANT_HPP

#include "tfmex/common.hpp"

namespace tfmex {

// Translation-invariant transform to level L (0 <= L <= J): D = J - L
// stages, each filtering every block as it is and circularly shifted right
// by one sample. Block b of a column is the shift path whose bits, first
// stage most significant, spell b. Column 0 holds the 2^D coarse blocks of
// the last stage, column d >= 1 the 2^d detail blocks of stage d.
TFMEX_API std::size_t shift_split_workspace(std::ptrdiff_t n, int L, Taps h,
                                            const VectorToTable& batch = {});
TFMEX_API void shift_split(const double* x, double* table, std::ptrdiff_t n, int L, Taps h,
                           const VectorToTable& batch = {}, Workspace* ws = nullptr);
// Its inverse from a table of D + 1 columns (0 <= D <= J): every parent is
// rebuilt from both children, the shifted one shifted back, and averaged.
TFMEX_API std::size_t shift_join_workspace(std::ptrdiff_t n, int D, Taps h,
                                           const TableToVector& batch = {});
TFMEX_API void shift_join(const double* table, double* y, std::ptrdiff_t n, int D, Taps h,
                          const TableToVector& batch = {}, Workspace* ws = nullptr);

// Wavelet packet table of depth D (0 <= D <= J): column 0 is x, column d the
// 2^d packets of stage d. Packet j of column d - 1 has its low-pass child at
// packet 2j + (j mod 2) of column d and its high-pass child at
// 2j + 1 - (j mod 2).
TFMEX_API std::size_t packet_split_workspace(std::ptrdiff_t n, int D, Taps h,
                                             const VectorToTable& batch = {});
TFMEX_API void packet_split(const double* x, double* table, std::ptrdiff_t n, int D, Taps h,
                            const VectorToTable& batch = {}, Workspace* ws = nullptr);
// The adjoint: the sum of the syntheses of every column, so that
// packet_join(packet_split(x)) = (D + 1) x for an orthonormal filter.
TFMEX_API std::size_t packet_join_workspace(std::ptrdiff_t n, int D, Taps h,
                                            const TableToVector& batch = {});
TFMEX_API void packet_join(const double* table, double* y, std::ptrdiff_t n, int D, Taps h,
                           const TableToVector& batch = {}, Workspace* ws = nullptr);

}  // namespace tfmex

#endif
