// GrowCoarse: one synthesis stage from low-pass coefficients (2n values): the
// input spread onto the even places of a 2n block and filtered circularly by h.
//
//   y = GrowCoarse(a, h)
#include "single_stage.h"

namespace {
void grow_coarse(const double* a, double* y, std::ptrdiff_t n, tfmex::Taps h, tfmex::Workspace*) {
  tfmex::grow_coarse(a, y, n, h);
}
}  // namespace

TFMEX_SINGLE_STAGE_PLUGIN("GrowCoarse", grow_coarse, nullptr, true)
