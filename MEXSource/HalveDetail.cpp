// HalveDetail: one analysis stage, the high-pass half (n/2 values).
//
//   d = HalveDetail(x, h)      d[i] = sum_j g[j] x[(2i + 1 - j) mod n], g[j] = (-1)^j h[j]
#include "single_stage.h"

namespace {
void halve_detail(const double* x, double* d, std::ptrdiff_t n, tfmex::Taps h,
                  tfmex::Workspace* ws) {
  tfmex::halve_detail(x, d, n, h, {}, ws);
}
}  // namespace

TFMEX_SINGLE_STAGE_PLUGIN("HalveDetail", halve_detail, tfmex::halve_detail_workspace, false)
