// In-place transpose of the top-left k x k block of a column-major array
// whose columns are n values apart. CircSplit2 and CircJoin2 use it to turn
// the rows of their active block into contiguous columns, filter them with the
// one-dimensional routines, and turn them back: the values only move, so every
// filtered row gives the same doubles as when it was gathered value by value.
// No memory beyond the block itself is used.
#ifndef TFMEX_SRC_BLOCK_TRANSPOSE_HPP
#define TFMEX_SRC_BLOCK_TRANSPOSE_HPP

#include <cstddef>

#include "kernels/vector/vector.h"

namespace tfmex::image {

// The block is walked in pairs of 8 x 8 tiles, (rows i, columns j) swapped
// with (rows j, columns i): the lines both tiles touch stay in the first
// cache while they move, even when n is a large power of two.
constexpr int kTile = 8;

// Swaps the size x size tile at p (rows i.., columns j..) with the transpose of
// the tile at q (rows j.., columns i..); p == q for a tile on the diagonal.
inline void swap_tiles(double* p, double* q, std::ptrdiff_t n, int size, bool diagonal) {
  for (int c = 0; c < size; ++c)
    for (int r = diagonal ? c + 1 : 0; r < size; ++r) {
      const double t = p[r + c * n];
      p[r + c * n] = q[c + r * n];
      q[c + r * n] = t;
    }
}

// The tile columns j of a transpose are independent of one another (column j
// swaps the tiles (i, j) and (j, i), i >= j): part p of `parts` takes the
// tile columns p, p + parts, p + 2 parts, ..., so parts share the work evenly.
inline void transpose_portable(double* a, int k, std::ptrdiff_t n, int part = 0, int parts = 1) {
  if (k < kTile) {
    if (part == 0) swap_tiles(a, a, n, k, true);
    return;
  }
  for (int j = part * kTile; j < k; j += parts * kTile) {
    swap_tiles(a + j + j * n, a + j + j * n, n, kTile, true);
    for (int i = j + kTile; i < k; i += kTile)
      swap_tiles(a + i + j * n, a + j + i * n, n, kTile, false);
  }
}

#ifdef TFMEX_X86

// The 4 x 4 tile whose columns start at p, p + n, p + 2n, p + 3n, transposed
// into v0 .. v3.
#define TFMEX_LOAD_T4(p, n, v0, v1, v2, v3)                                         \
  {                                                                                 \
    const __m256d r0 = _mm256_loadu_pd(p), r1 = _mm256_loadu_pd((p) + (n));         \
    const __m256d r2 = _mm256_loadu_pd((p) + 2 * (n));                              \
    const __m256d r3 = _mm256_loadu_pd((p) + 3 * (n));                              \
    const __m256d t0 = _mm256_unpacklo_pd(r0, r1), t1 = _mm256_unpackhi_pd(r0, r1); \
    const __m256d t2 = _mm256_unpacklo_pd(r2, r3), t3 = _mm256_unpackhi_pd(r2, r3); \
    v0 = _mm256_permute2f128_pd(t0, t2, 0x20);                                      \
    v1 = _mm256_permute2f128_pd(t1, t3, 0x20);                                      \
    v2 = _mm256_permute2f128_pd(t0, t2, 0x31);                                      \
    v3 = _mm256_permute2f128_pd(t1, t3, 0x31);                                      \
  }
#define TFMEX_STORE4(p, n, v0, v1, v2, v3) \
  {                                        \
    _mm256_storeu_pd(p, v0);               \
    _mm256_storeu_pd((p) + (n), v1);       \
    _mm256_storeu_pd((p) + 2 * (n), v2);   \
    _mm256_storeu_pd((p) + 3 * (n), v3);   \
  }

// 4 x 4 tile at p swapped with the transpose of the one at q (p == q: the
// tile is transposed in place).
TFMEX_AVX2 inline void swap4_avx2(double* p, double* q, std::ptrdiff_t n) {
  __m256d a0, a1, a2, a3, b0, b1, b2, b3;
  TFMEX_LOAD_T4(p, n, a0, a1, a2, a3)
  TFMEX_LOAD_T4(q, n, b0, b1, b2, b3)
  TFMEX_STORE4(q, n, a0, a1, a2, a3)
  if (p != q) TFMEX_STORE4(p, n, b0, b1, b2, b3)
}

#undef TFMEX_LOAD_T4
#undef TFMEX_STORE4

// k >= 4 (a power of two).
TFMEX_AVX2 inline void transpose_avx2(double* a, int k, std::ptrdiff_t n, int part, int parts) {
  const int tile = k < kTile ? k : kTile;
  for (int j = part * tile; j < k; j += parts * tile)
    for (int i = j; i < k; i += tile)
      for (int jj = j; jj < j + tile; jj += 4)
        for (int ii = (i == j ? jj : i); ii < i + tile; ii += 4)
          swap4_avx2(a + ii + jj * n, a + jj + ii * n, n);
}

#endif

// Part `part` of the transpose split into `parts` (the whole of it for
// parts = 1); the parts may run at the same time.
inline void transpose_block(double* a, int k, std::ptrdiff_t n, int part = 0, int parts = 1) {
#ifdef TFMEX_X86
  if (k >= 4 && tfmex::vector::path() != tfmex::vector::Path::portable) {
    transpose_avx2(a, k, n, part, parts);
    return;
  }
#endif
  transpose_portable(a, k, n, part, parts);
}

}  // namespace tfmex::image

#endif
