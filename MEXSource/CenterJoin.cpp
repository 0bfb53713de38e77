// CenterJoin: inverse of the median-interpolating triadic pyramid.
//
//   x = CenterJoin(wc, L, D)
//
// The layout, scales and level loop are those of BlockMeanJoin; the finer
// levels are predicted by the median-interpolating refinement (D = 2), or
// piecewise constant (D = 0). wc holds 2n (or 2n + 1) values, n = 3^J; x is a
// 1 x n row. L above J acts as L = J.
#include "MEXSource/triadic_gateway.h"

#define PLUGIN "CenterJoin"

TFMEX_PLUGIN_VERSION

TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  static const tfmex::triadic::JoinMessages messages{
      TFMEX_TYPE_MSG(PLUGIN), TFMEX_SCALAR_MSG(PLUGIN), TFMEX_SIZE_MSG(PLUGIN),
      PLUGIN " could not allocate its scratch arrays"};
  tfmex::triadic::join_gateway(nlhs, plhs, nrhs, prhs, messages, tfmex::center_join_workspace,
                               tfmex::center_join);
}
