// BlockMeanJoin: inverse of the average-interpolating triadic pyramid.
//
//   x = BlockMeanJoin(wc, L, D)
//
// wc holds 2n (or 2n + 1) values in the layout BlockMeanSplit writes, n = 3^J;
// x is a 1 x n row. L above J acts as L = J.
#include "MEXSource/triadic_gateway.h"

#define PLUGIN "BlockMeanJoin"

namespace {

using namespace tfmex::refinement;

// Rebuilds x (n = 3^J values) level by level: the coarse values divided by
// their scale, then at every finer level the prediction from the level below
// plus the stored difference divided by its scale. pred (n values, zero-filled)
// is scratch; L <= J.
void iwtave(const double* wc, int L, int D, double* x, int n, int J, double* pred) {
  (void)n;
  tfmex::triadic::inverse_pyramid(wc, L, D, x, J, pred, AveRefineSeq);
}

}  // namespace

TFMEX_PLUGIN_VERSION

TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  static const tfmex::triadic::JoinMessages messages{
      TFMEX_TYPE_MSG(PLUGIN), TFMEX_SCALAR_MSG(PLUGIN), TFMEX_SIZE_MSG(PLUGIN),
      PLUGIN " could not allocate its scratch arrays"};
  tfmex::triadic::join_gateway(nlhs, plhs, nrhs, prhs, messages, iwtave);
}
