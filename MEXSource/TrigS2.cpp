// TrigS2: orthonormal DST-II of one signal of dyadic length.
//
//   S = TrigS2(x)
//
// S has the shape of x; a matrix is taken as its first column.
#include "trig_gateway.h"

TFMEX_TRIG_PLUGIN("TrigS2", tfmex::dst2)
