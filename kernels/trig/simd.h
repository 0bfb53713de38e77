// Run-time choice between the AVX2 loops and the portable ones. Both compute
// the same operations on the same values in the same order, so the choice
// changes speed only; the tests switch it to check that.
#ifndef TFMEX_KERNELS_TRIG_SIMD_H
#define TFMEX_KERNELS_TRIG_SIMD_H

namespace tfmex::trig {

// True when the processor has AVX2 and the AVX2 loops are enabled.
bool simd_active();

// Enables (the default where the processor has AVX2) or disables the AVX2
// loops for the whole process; returns the previous setting. Enabling has no
// effect on a processor without AVX2.
bool set_simd(bool enabled);

}  // namespace tfmex::trig

#endif
