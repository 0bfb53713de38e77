// GrowDetail: one synthesis stage from high-pass coefficients (2n values),
// the transpose of HalveDetail.
//
//   y = GrowDetail(d, h)
#include "single_stage.h"

TFMEX_SINGLE_STAGE_PLUGIN("GrowDetail", tfmex::periodized::uphi, true, true)
