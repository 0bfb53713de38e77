// Pieces of the Hartley transform shared with the cosine and sine kernels.
#ifndef TFMEX_KERNELS_TRIG_INTERNAL_H
#define TFMEX_KERNELS_TRIG_INTERNAL_H

namespace tfmex::trig::detail {

// The Hartley transform of n = 2^J values, J >= 0, without its final
// bit-reversal permutation; builds the table when work[0] does not mark n.
void hartley_unordered(double* x, int J, double* work);

// Exchanges x[i] and x[r(i)] for every i below its J-bit reversal r(i).
void bit_reverse(double* x, int J);

}  // namespace tfmex::trig::detail

#endif
