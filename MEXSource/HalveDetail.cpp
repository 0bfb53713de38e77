// HalveDetail: one analysis stage, the high-pass half (n/2 values).
//
//   d = HalveDetail(x, h)      d[i] = sum_j g[j] x[(2i + 1 - j) mod n], g[j] = (-1)^j h[j]
#include "single_stage.h"

TFMEX_SINGLE_STAGE_PLUGIN("HalveDetail", tfmex::periodized::downhi, true, false)
