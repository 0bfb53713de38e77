// The cosine and sine transforms of types II and III (trig.h's dct, idct,
// dst, idst) and the type-IV cosine transform (trigc4) on a group of signals
// at once, one signal per vector lane: the way batches go through them, each
// lane giving the single-signal doubles.
#ifndef TFMEX_KERNELS_TRIG_BATCHED_H
#define TFMEX_KERNELS_TRIG_BATCHED_H

#include <cstddef>

#include "kernels/vector/vector.h"

namespace tfmex::trig {

enum class CosineKind { dct, idct, dst, idst };

// The signals a group holds on the path p: 1 on the portable path.
int group_width(vector::Path p);

// The transform kind of group_width(p) = W signals of n = 2^J values: signal
// l read from x + l * in_dist at stride in_stride, written to y + l * out_dist
// at stride out_stride (y may be x, with the same layout: every signal is
// read before any is written). tables is cosine_tables' for n; work holds
// n W values. p must be a path this processor has.
void cosine_group(vector::Path p, CosineKind kind, const double* x, std::ptrdiff_t in_dist,
                  std::ptrdiff_t in_stride, double* y, std::ptrdiff_t out_dist,
                  std::ptrdiff_t out_stride, int J, const double* tables, double* work);

// trigc4 on group_width(p) = W signals of n = 2^J >= 2 values, laid out as for
// cosine_group (y may be x likewise). tables is trigc4_tables' for n; work
// holds 5n W values. p must be a path this processor has.
void cosine4_group(vector::Path p, const double* x, std::ptrdiff_t in_dist,
                   std::ptrdiff_t in_stride, double* y, std::ptrdiff_t out_dist,
                   std::ptrdiff_t out_stride, int J, const double* tables, double* work);

}  // namespace tfmex::trig

#endif
