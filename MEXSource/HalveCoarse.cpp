// HalveCoarse: one analysis stage, the low-pass half (n/2 values).
//
//   a = HalveCoarse(x, h)      a[i] = sum_j h[j] x[(2i + j) mod n]
#include "single_stage.h"

TFMEX_SINGLE_STAGE_PLUGIN("HalveCoarse", tfmex::periodized::downlo, false, false)
