// GrowCoarse: one synthesis stage from low-pass coefficients (2n values): the
// input spread onto the even places of a 2n block and filtered circularly by h.
//
//   y = GrowCoarse(a, h)
#include "single_stage.h"

TFMEX_SINGLE_STAGE_PLUGIN("GrowCoarse", tfmex::periodized::uplo, false, true)
