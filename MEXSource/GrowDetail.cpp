// GrowDetail: one synthesis stage from high-pass coefficients (2n values),
// the transpose of HalveDetail.
//
//   y = GrowDetail(d, h)
#include "single_stage.h"

namespace {
void grow_detail(const double* d, double* y, std::ptrdiff_t n, tfmex::Taps h,
                 tfmex::Workspace* ws) {
  tfmex::grow_detail(d, y, n, h, {}, ws);
}
}  // namespace

TFMEX_SINGLE_STAGE_PLUGIN("GrowDetail", grow_detail, tfmex::grow_detail_workspace, true)
