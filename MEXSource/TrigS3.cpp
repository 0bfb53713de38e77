// TrigS3: orthonormal DST-III (the inverse of TrigS2) of one signal of dyadic length.
//
//   x = TrigS3(S)
//
// x has the shape of S; a matrix is taken as its first column.
#include "trig_gateway.h"

TFMEX_TRIG_PLUGIN("TrigS3", tfmex::dst3)
