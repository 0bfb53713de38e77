// TrigC3: orthonormal DCT-III (the inverse of TrigC2) of one signal of dyadic length.
//
//   x = TrigC3(X)
//
// x has the shape of X; a matrix is taken as its first column.
#include "trig_gateway.h"

TFMEX_TRIG_PLUGIN("TrigC3", tfmex::dct3)
