// In-place transpose of the top-left k x k block of a column-major array
// whose columns are n values apart. CircSplit2 and CircJoin2 use it to turn
// the rows of their active block into contiguous columns, filter them with the
// one-dimensional routines, and turn them back: the values only move, so every
// filtered row gives the same doubles as when it was gathered value by value.
// No memory beyond the block itself is used.
#ifndef TFMEX_MEXSOURCE_BLOCK_TRANSPOSE_H
#define TFMEX_MEXSOURCE_BLOCK_TRANSPOSE_H

namespace tfmex::image {

// Tiles of kTile x kTile values: the two tiles swapped at once span kTile
// columns each, so their cache lines and pages stay in reach while they move.
constexpr int kTile = 16;

inline void transpose_block(double* a, int k, long n) {
  if (k < kTile) {
    for (int c = 0; c < k; ++c)
      for (int r = c + 1; r < k; ++r) {
        const double t = a[r + c * n];
        a[r + c * n] = a[c + r * n];
        a[c + r * n] = t;
      }
    return;
  }
  // k is a power of two, so the tiles cover the block exactly.
  for (int bj = 0; bj < k; bj += kTile) {
    double* d = a + bj + bj * n;
    for (int c = 0; c < kTile; ++c)
      for (int r = c + 1; r < kTile; ++r) {
        const double t = d[r + c * n];
        d[r + c * n] = d[c + r * n];
        d[c + r * n] = t;
      }
    for (int bi = bj + kTile; bi < k; bi += kTile) {
      double* p = a + bi + bj * n;  // rows bi .., columns bj ..
      double* q = a + bj + bi * n;  // rows bj .., columns bi ..
      for (int c = 0; c < kTile; ++c) {
        double* pc = p + c * n;
        for (int r = 0; r < kTile; ++r) {
          const double t = pc[r];
          pc[r] = q[c + r * n];
          q[c + r * n] = t;
        }
      }
    }
  }
}

}  // namespace tfmex::image

#endif
