// HalveCoarse: one analysis stage, the low-pass half (n/2 values).
//
//   a = HalveCoarse(x, h)      a[i] = sum_j h[j] x[(2i + j) mod n]
#include "single_stage.h"

namespace {
void halve_coarse(const double* x, double* a, std::ptrdiff_t n, tfmex::Taps h, tfmex::Workspace*) {
  tfmex::halve_coarse(x, a, n, h);
}
}  // namespace

TFMEX_SINGLE_STAGE_PLUGIN("HalveCoarse", halve_coarse, nullptr, false)
