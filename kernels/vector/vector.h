// The instruction path every vectorised kernel takes: portable C++, AVX2 or
// AVX-512 on x86, NEON on 64-bit ARM. All paths compute the same operations on the same values in
// the same order (one multiply and one add per lane, never fused), so the choice changes speed
// only, never a result.
//
// The path in use is the widest the processor has, capped by the environment
// variable TFMEX_SIMD (portable, avx2, avx512 or neon; read once, at the
// first question; any other value means portable, and is reported on
// stderr, as is a path the processor lacks, for which the widest path it has
// is taken) and by limit_path, which tests and benchmarks use to run each
// path in turn.
//
// Vector kernels are written once on the lane vocabulary of lanes.h and built
// for each path: the x86 builds inside `#ifdef TFMEX_X86` and lanes.h's
// target regions, the ARM one inside `#ifdef TFMEX_ARM64` (NEON is part of
// every 64-bit ARM processor, so it needs no marking); elsewhere only the
// portable loops are built.
#ifndef TFMEX_KERNELS_VECTOR_H
#define TFMEX_KERNELS_VECTOR_H

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TFMEX_X86 1
#elif defined(__aarch64__)
#include <arm_neon.h>
#define TFMEX_ARM64 1
#endif

namespace tfmex::vector {

// On x86 each path a superset of the one before; neon is ARM's only path.
enum class Path { portable = 0, avx2 = 1, avx512 = 2, neon = 3 };

// The widest path the processor has (neon on 64-bit ARM, portable on other
// processors).
Path widest_path();

// The path the kernels take now: the widest path, capped by TFMEX_SIMD and
// by limit_path.
Path path();

// Caps the path for the whole process (this copy of the kernels; each
// plug-in holds its own) and returns the previous cap. limit_path(avx512)
// lifts the cap; TFMEX_SIMD gives the cap before the first call.
Path limit_path(Path cap);

// The path named by s ("portable", "avx2", "avx512", "neon"); portable for
// any other s.
Path path_named(const char* s);

// "portable", "avx2", "avx512" or "neon".
const char* path_name(Path p);

}  // namespace tfmex::vector

#endif
