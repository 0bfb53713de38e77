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

namespace {

using namespace tfmex::refinement;

// As the average-interpolating inverse, with the median refinement; pred
// (n values, zero-filled) is scratch; L <= J.
void iwtmed(const double* wc, int L, int D, double* x, int n, int J, double* pred) {
  (void)n;
  const double sL = level_scale(J, L);
  const int k = pow3(L);
  for (int i = 0; i < k; ++i) x[i] = wc[i] / sL;
  for (int b = L + 1; b <= J; ++b) {
    CenterPredict(x, pred, pow3(b - 1), D);
    const double s = level_scale(J, b);
    const int kb = pow3(b);
    for (int j = 0; j < kb; ++j) x[j] = wc[kb + j] / s + pred[j];
  }
}

}  // namespace

TFMEX_PLUGIN_VERSION

TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  static const tfmex::triadic::JoinMessages messages{
      TFMEX_TYPE_MSG(PLUGIN), TFMEX_SCALAR_MSG(PLUGIN), TFMEX_SIZE_MSG(PLUGIN),
      PLUGIN " could not allocate its scratch arrays"};
  tfmex::triadic::join_gateway(nlhs, plhs, nrhs, prhs, messages, iwtmed);
}
