// The lane vocabulary of the vector kernels: one small set of lane-wise
// operations per instruction set, so that a kernel written once on them
// (a `.inc` file) compiles for every path.
//
// A kernel source includes this header, then, for each path, opens a
// namespace inside that path's target region and includes the path's lanes
// file and the kernel:
//
//   TFMEX_BEGIN_AVX2
//   namespace avx2 {
//   #include "kernels/vector/lanes_avx2.inc"
//   #include "my_kernel.inc"
//   }
//   TFMEX_END_TARGET
//
// Every lanes file defines, in the namespace that includes it:
//   V, W              the vector type and its lane count;
//   vzero, vset1      all lanes 0, all lanes one value;
//   vload, vstore     W consecutive doubles, any alignment;
//   vadd, vsub, vmul, vdiv
//                     one IEEE operation per lane (never fused, so every
//                     path gives the portable path's doubles);
//   vneg              each lane with its sign bit flipped (exact, -0 for 0);
//   vreverse          the lanes in reverse order;
//   veven, vodd       the even and the odd places of the 2W values u, v;
//   vzip_first, vzip_second
//                     e and o interleaved lane by lane, first and second W.
// lanes_portable.inc has W = 1 (V is double), so a kernel written on the
// vocabulary is also its own portable path.
#ifndef TFMEX_KERNELS_VECTOR_LANES_H
#define TFMEX_KERNELS_VECTOR_LANES_H

#include "vector.h"

#ifdef TFMEX_X86
#if defined(__clang__)
#define TFMEX_BEGIN_AVX2 \
  _Pragma("clang attribute push(__attribute__((target(\"avx2\"))), apply_to = function)")
#define TFMEX_BEGIN_AVX512 \
  _Pragma("clang attribute push(__attribute__((target(\"avx512f\"))), apply_to = function)")
#define TFMEX_END_TARGET _Pragma("clang attribute pop")
#else
#define TFMEX_BEGIN_AVX2 _Pragma("GCC push_options") _Pragma("GCC target(\"avx2\")")
#define TFMEX_BEGIN_AVX512 _Pragma("GCC push_options") _Pragma("GCC target(\"avx512f\")")
#define TFMEX_END_TARGET _Pragma("GCC pop_options")
#endif
#endif

#endif
