// TrigC2: orthonormal DCT-II of one signal of dyadic length.
//
//   X = TrigC2(x)
//
// X has the shape of x; a matrix is taken as its first column.
#include "trig_gateway.h"

TFMEX_TRIG_PLUGIN("TrigC2", tfmex::dct2)
