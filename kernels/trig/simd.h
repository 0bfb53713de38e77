// Run-time choice between the AVX-512 loops, the AVX2 loops and the portable
// ones. All compute the same operations on the same values in the same order,
// so the choice changes speed only; the tests switch it to check that.
#ifndef TFMEX_KERNELS_TRIG_SIMD_H
#define TFMEX_KERNELS_TRIG_SIMD_H

namespace tfmex::trig {

// Instruction paths, each one a superset of the one before.
enum class SimdLevel { portable = 0, avx2 = 1, avx512 = 2 };

// The path in use: the best the processor has, unless lowered by a setter.
SimdLevel simd_level();

// Selects a path for the whole process, capped at what the processor has;
// returns the previous one.
SimdLevel set_simd_level(SimdLevel level);

// True when the AVX2 loops (or wider ones) are in use.
bool simd_active();

// Enables (the default) the widest path the processor has, or disables every
// vector path; returns whether a vector path was in use before.
bool set_simd(bool enabled);

}  // namespace tfmex::trig

#endif
