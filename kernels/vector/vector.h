// The instruction path every vectorised kernel takes: portable C++, AVX2 or
// AVX-512. All paths compute the same operations on the same values in the
// same order (one multiply and one add per lane, never fused), so the choice
// changes speed only, never a result.
//
// The path in use is the widest the processor has, capped by the environment
// variable TFMEX_SIMD (portable, avx2 or avx512; read once, at the first
// question; any other value means portable, and is reported on stderr, as is
// a path the processor lacks) and by limit_path, which tests and
// benchmarks use to run each path in turn.
//
// Sources with x86 vector sections include this header and write them inside
// `#ifdef TFMEX_X86`, marking each function with TFMEX_AVX2 or TFMEX_AVX512;
// elsewhere those sections vanish and only the portable loops are built.
#ifndef TFMEX_KERNELS_VECTOR_H
#define TFMEX_KERNELS_VECTOR_H

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TFMEX_X86 1
#define TFMEX_AVX2 __attribute__((target("avx2")))
#define TFMEX_AVX512 __attribute__((target("avx512f")))
#endif

namespace tfmex::vector {

// Each path a superset of the one before.
enum class Path { portable = 0, avx2 = 1, avx512 = 2 };

// The widest path the processor has (portable on non-x86 processors).
Path widest_path();

// The path the kernels take now: the widest path, capped by TFMEX_SIMD and
// by limit_path.
Path path();

// Caps the path for the whole process (this copy of the kernels; each
// plug-in holds its own) and returns the previous cap. limit_path(avx512)
// lifts the cap; TFMEX_SIMD gives the cap before the first call.
Path limit_path(Path cap);

// The path named by s ("portable", "avx2", "avx512"); portable for any other s.
Path path_named(const char* s);

// "portable", "avx2" or "avx512".
const char* path_name(Path p);

}  // namespace tfmex::vector

#endif
