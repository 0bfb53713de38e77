// Orthonormal cosine and sine transforms of signals of n = 2^J values: DCT-II
// and DCT-III, DST-II and DST-III (each pair inverse to one another) and the
// DCT-IV (its own inverse). Tables come from a cache shared by every call and
// thread; they are correctly rounded, so every machine gives the same doubles.
// y may be x with the same strides (the transform is then made in place);
// otherwise outputs must not overlap inputs. trig_workspace covers all five.
#ifndef TFMEX_TRIG_HPP
#define TFMEX_TRIG_HPP

#include "tfmex/common.hpp"

namespace tfmex {

TFMEX_API std::size_t trig_workspace(std::ptrdiff_t n, const Batch& batch = {});
TFMEX_API void dct2(const double* x, double* y, std::ptrdiff_t n, const Batch& batch = {},
                    Workspace* ws = nullptr);
TFMEX_API void dct3(const double* x, double* y, std::ptrdiff_t n, const Batch& batch = {},
                    Workspace* ws = nullptr);
TFMEX_API void dst2(const double* x, double* y, std::ptrdiff_t n, const Batch& batch = {},
                    Workspace* ws = nullptr);
TFMEX_API void dst3(const double* x, double* y, std::ptrdiff_t n, const Batch& batch = {},
                    Workspace* ws = nullptr);
TFMEX_API void dct4(const double* x, double* y, std::ptrdiff_t n, const Batch& batch = {},
                    Workspace* ws = nullptr);

// Cosine packet table of depth D (0 <= D <= J): column d holds 2^d
// consecutive blocks of n / 2^d values, each folded with its neighbours
// under a sine bell of half-width n / 2^(D+1) (0 for D = J) and transformed
// by the DCT-IV; the two ends of the signal pass through the fold unchanged.
TFMEX_API std::size_t bell_split_workspace(std::ptrdiff_t n, int D,
                                           const VectorToTable& batch = {});
TFMEX_API void bell_split(const double* x, double* table, std::ptrdiff_t n, int D,
                          const VectorToTable& batch = {}, Workspace* ws = nullptr);
// The sum of the inverses of the levels: bell_join(bell_split(x)) = (D + 1) x.
TFMEX_API std::size_t bell_join_workspace(std::ptrdiff_t n, int D, const TableToVector& batch = {});
TFMEX_API void bell_join(const double* table, double* y, std::ptrdiff_t n, int D,
                         const TableToVector& batch = {}, Workspace* ws = nullptr);

}  // namespace tfmex

#endif
