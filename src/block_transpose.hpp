// In-place transpose of the top-left k x k block of a column-major array
// whose columns are n values apart. CircSplit2 and CircJoin2 use it to turn
// the rows of their active block into contiguous columns, filter them with the
// one-dimensional routines, and turn them back: the values only move, so every
// filtered row gives the same doubles as when it was gathered value by value.
// No memory beyond the block itself is used.
#ifndef TFMEX_SRC_BLOCK_TRANSPOSE_HPP
#define TFMEX_SRC_BLOCK_TRANSPOSE_HPP

#include <cstddef>
#include <cstdint>

#include "kernels/vector/lanes.h"

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

// The vector transpose (block_transpose.inc), built once for each vector
// path. A tile's values only move, on every path.
#define TFMEX_KERNEL "src/block_transpose.inc"
#include "kernels/vector/each_path.inc"

// Part `part` of the transpose split into `parts` (the whole of it for
// parts = 1); the parts may run at the same time.
inline void transpose_block(double* a, int k, std::ptrdiff_t n, int part = 0, int parts = 1) {
  const tfmex::vector::Path p = tfmex::vector::path();
  if (!TFMEX_PATH_CALL(p, false, transpose_wide(a, k, n, part, parts)))
    transpose_portable(a, k, n, part, parts);
}

}  // namespace tfmex::image

#endif
