// BlockMeanJoin: inverse of the average-interpolating triadic pyramid.
//
//   x = BlockMeanJoin(wc, L, D)
//
// wc holds 2n (or 2n + 1) values in the layout BlockMeanSplit writes, n = 3^J;
// x is a 1 x n row. L above J acts as L = J.
#include "MEXSource/triadic_gateway.h"

#define PLUGIN "BlockMeanJoin"

TFMEX_PLUGIN_VERSION

TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  static const tfmex::triadic::JoinMessages messages{
      TFMEX_TYPE_MSG(PLUGIN), TFMEX_SCALAR_MSG(PLUGIN), TFMEX_SIZE_MSG(PLUGIN),
      PLUGIN " could not allocate its scratch arrays"};
  tfmex::triadic::join_gateway(nlhs, plhs, nrhs, prhs, messages, tfmex::block_mean_join_workspace,
                               tfmex::block_mean_join);
}
