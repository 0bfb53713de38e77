// Sine bells and the folding of blocks across their boundaries, the pieces
// of a local cosine transform.
//
// A block of f values (f a power of two) is folded with its neighbours over
// m places at each side (0 <= m <= f/2) under a bell of two tapers: the
// rising half bp and the falling half bm, bp[k]^2 + bm[k]^2 = 1. Folding is
// an orthogonal change of the signal, so after an orthonormal transform of
// every folded block and its inverse, unfolding with the spills added into
// the neighbouring blocks gives the signal back.
//
// At the two ends of a signal there is no neighbour: an edge buffer of f
// values stands in for it, the virtual left neighbour in its top m places
// (f - m .. f - 1), the virtual right neighbour in its bottom m places
// (0 .. m - 1), so one buffer serves both ends of a single block. Its values
// make the fold pass the outer ends of the signal through unchanged.
//
// With m = 0 fold and unfold copy the block and the edge routines do
// nothing. No routine allocates or fails; each trusts its lengths.
//
// On the vector paths (tfmex::vector::path()), fold, edgefold, unfold and
// edgeunfold do their ends a vector of places at a time (bell_kernels.inc),
// with the same operations in the same order per place, so the doubles are
// those of the scalar loops.
#ifndef TFMEX_KERNELS_BELLS_H
#define TFMEX_KERNELS_BELLS_H

#include "kernels/trig/table_cache.h"

namespace tfmex::bells {

// The angle of a bell's place k of m: ((k + 0.5)/m + 1.0) pi 0.25.
inline double bell_angle(int k, int m) { return ((k + 0.5) / m + 1.0) * 3.141592653589793 * 0.25; }

// bp[k] = sin(bell_angle(k, m)) correctly rounded, bm[k] = sqrt(1.0 - bp[k]^2),
// k = 0 .. m-1; nothing for m <= 0.
void makebell(int m, double* bp, double* bm);

// The bell of m > 0 as one table of 2m values, bp in [0, m) and bm in
// [m, 2m) as makebell makes them, from the table cache (trig/table_cache.h),
// where it is built on first use, kept alive by *holder; made in room (2m
// values) when the cache cannot have it. The result is the cached table or
// room (room itself, untouched, for m <= 0).
const double* shared_bell(int m, double* room, trig::SharedTable* holder);

// out = cur, then for k < m
//   out[k]       = bp[k] cur[k]       + bm[k] left[f-1-k]
//   out[f-1-k]   = bp[k] cur[f-1-k]   - bm[k] right[k]
// left and right are the f values of the neighbouring blocks (or the edge
// buffer). out must not be cur, left or right.
void fold(const double* cur, const double* left, const double* right, const double* bp,
          const double* bm, int m, int f, double* out);

// The virtual neighbour of an end block, written into buf:
//   side 1 (src the first block): buf[f-1-k] =  src[k]     (1.0 - bp[k]) / bm[k]
//   side 2 (src the last block):  buf[k]     = -src[f-1-k] (1.0 - bp[k]) / bm[k]
void edgefold(int side, const double* src, double* buf, int f, int m, const double* bp,
              const double* bm);

// main = y, then for k < m
//   lspill[f-1-k] = y[k] bm[k]             (for place s-1-k of a block at s)
//   rspill[k]     = y[f-1-k] (bm[k] -1.0)  (for place s+f+k)
//   main[k] = bp[k] y[k],  main[f-1-k] = bp[k] y[f-1-k]
// main must not be y.
void unfold(const double* y, double* main, double* lspill, double* rspill, int f, int m,
            const double* bp, const double* bm);

// Divides the outer m values of an end block (acc its first value) by bp, as
// v + v (1.0 - bp[k]) / bp[k]: side 1 acc[k], side 2 acc[f-1-k].
void edgeunfold(int side, double* acc, int f, int m, const double* bp);

// Adds a spill into a neighbour block (dst its first value):
//   side 1 (the previous block): dst[f-1-k] += spill[f-1-k]
//   side 2 (the next block):     dst[k]     += spill[k]
void edgeadd(int side, const double* spill, double* dst, int f, int m);

// a[k] = 0.0, k = 0 .. n-1.
void fillzeros(double* a, int n);

}  // namespace tfmex::bells

#endif
