// The lane vocabulary of the vector kernels: one small set of lane-wise
// operations per instruction set, so that a kernel written once on them
// (a `.inc` file) compiles for every path.
//
// A kernel source includes this header, then names its kernel file and
// includes each_path.inc, which builds the kernel in one namespace per path
// (avx2, avx512, neon; portable too on request), each inside its target
// region (TFMEX_BEGIN_AVX2 ... TFMEX_END_TARGET) and after its lanes file:
//
//   #define TFMEX_KERNEL "kernels/trig/my_kernel.inc"
//   #include "kernels/vector/each_path.inc"
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
//                     e and o interleaved lane by lane, first and second W;
//   veven_any, vodd_any, vin_order
//                     veven and vodd in a lane order of the path's choosing
//                     (the one cheapest to form), the same for both and for
//                     every call, and the move that puts a vector in that
//                     order back in order: vin_order(veven_any(u, v)) ==
//                     veven(u, v). Sums formed lane by lane can stay in the
//                     loose order until they are stored. The order is the
//                     same read from either end: vreverse(veven_any(u, v))
//                     holds, in that order, the even places reversed.
//   vtranspose        the W x W block of the W vectors r[0 .. W-1] transposed
//                     in place (lane j of r[i] becomes lane i of r[j]).
//   vgather           p[0], p[s], ..., p[(W-1) s];
//   vload_but_last    p[0 .. W-2] and 0.0 in the last lane (p[W-1] unread);
//   vstore_but_first, vstore_but_last
//                     all lanes but the first (the last) stored at p, p[0]
//                     (p[W-1]) left untouched: the masked loads and stores
//                     of a block's first group of places.
//   vblend_odd        the even lanes of e and the odd lanes of o;
//   vre_dup, vim_dup, vswap_pairs, vaddsub
//                     on complex values, (real, imaginary) in lanes 2k, 2k+1
//                     (vector paths only: one lane holds no pair): each real
//                     part in both lanes of its pair, each imaginary part,
//                     the two parts exchanged, and a - b in the real lanes
//                     with a + b in the imaginary ones.
// lanes_portable.inc has W = 1 (V is double), so a kernel written on the
// vocabulary is also its own portable path.
//
// A kernel built for every path is called through
// TFMEX_PATH_CALL(p, otherwise, call...): on path p (a variable: it is read
// more than once), the build of `call` in the namespace of that name (avx512,
// avx2 or neon), and `otherwise` on the portable path. Each entry point reads
// vector::path() once into p and passes p on, so one call runs on one path
// from start to end.
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

// Keeps GCC from carrying loads over from one iteration to a later one
// (predictive commoning), for loops whose loads overlap from one tap to the
// next but whose registers are all in use; other compilers take it as is.
#if defined(__GNUC__) && !defined(__clang__)
#define TFMEX_NO_PCOM __attribute__((optimize("no-predictive-commoning")))
#else
#define TFMEX_NO_PCOM
#endif

#if defined(TFMEX_X86)
#define TFMEX_PATH_CALL(p, otherwise, ...)                    \
  ((p) == ::tfmex::vector::Path::avx512 ? avx512::__VA_ARGS__ \
   : (p) == ::tfmex::vector::Path::avx2 ? avx2::__VA_ARGS__   \
                                        : (otherwise))
#elif defined(TFMEX_ARM64)
#define TFMEX_PATH_CALL(p, otherwise, ...) \
  ((p) == ::tfmex::vector::Path::neon ? neon::__VA_ARGS__ : (otherwise))
#else
#define TFMEX_PATH_CALL(p, otherwise, ...) ((void)(p), (otherwise))
#endif

#endif
