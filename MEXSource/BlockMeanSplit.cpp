// BlockMeanSplit: average-interpolating triadic pyramid of a signal of
// n = 3^J values.
//
//   wc = BlockMeanSplit(x, L, D)
//
// wc is a 1 x 2n row: the 3^L coarse block means (times their scale) first,
// then for every level b = L+1 .. J the 3^b differences between the level's
// values and their prediction from the next coarser level, in positions
// 3^b .. 2*3^b - 1. Everything else stays zero. D = 0 predicts piecewise
// constant, D = 2 by the quadratic average-interpolating rule, any other D
// predicts zero. L >= J leaves x itself as the coarse part.
#include "MEXSource/triadic_gateway.h"

#define PLUGIN "BlockMeanSplit"

namespace {

using namespace tfmex::refinement;

// Forward pyramid of x (n = 3^J values) into the zero-filled wc (2n values).
// cur (n), next (n/3) and pred (n) are scratch; pred must start zero-filled,
// since a degree other than 0 and 2 never writes it.
void fwtave(const double* x, int L, int D, double* wc, int n, int J, double* cur, double* next,
            double* pred) {
  if (L >= J) {
    // The coarse part is the signal itself (scale 1).
    copydouble(x, 0, wc, n);
    return;
  }
  copydouble(x, 0, cur, n);
  for (int b = J; b >= L + 1; --b) {
    const int m = pow3(b - 1);
    for (int i = 0; i < m; ++i) next[i] = ((cur[3 * i] + cur[3 * i + 1]) + cur[3 * i + 2]) / 3;
    AveRefineSeq(next, pred, m, D);
    const double s = level_scale(J, b);
    const int k = pow3(b);
    for (int j = 0; j < k; ++j) wc[k + j] = (cur[j] - pred[j]) * s;
    copydouble(next, 0, cur, m);
  }
  const double s = level_scale(J, L);
  const int k = pow3(L);
  for (int i = 0; i < k; ++i) wc[i] = cur[i] * s;
}

}  // namespace

TFMEX_PLUGIN_VERSION

TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  namespace gw = tfmex::gw;
  namespace tr = tfmex::triadic;
  gw::check_counts(nlhs, nrhs, 3, "CenterSplit requires three input arguments.",
                   "CenterSplit requires one output argument.");
  gw::check_real_double(3, prhs, TFMEX_TYPE_MSG(PLUGIN));
  const mxArray* x = prhs[0];
  const int L = tr::coarse_level(prhs[1], TFMEX_SCALAR_MSG(PLUGIN), "In CenterSplit: L must be >= 1");
  gw::check_size(mxGetM(x), mxGetN(x), 1, TFMEX_SIZE_MSG(PLUGIN));
  const std::size_t n = tr::vector_length(x);
  gw::check_size(n, 1, 2, TFMEX_SIZE_MSG(PLUGIN));
  const int J = tr::triadic_length(n, "CenterSplit requires triadic length input");
  const int D = gw::truncate(gw::scalar(prhs[2], TFMEX_SCALAR_MSG(PLUGIN)));

  // The kernel works on a copy of the first n values of x (the first scratch
  // array); x is never written.
  tr::Scratch scratch;
  if (L < J) {
    scratch.allocate({n, n, n / 3, n}, PLUGIN " could not allocate its scratch arrays");
  } else {
    scratch.allocate({n}, PLUGIN " could not allocate its scratch arrays");
  }
  plhs[0] = tr::create_holding(1, 2 * n, scratch);
  const int len = static_cast<int>(n);
  copydouble(gw::data(x), 0, scratch.p[0], len);
  fwtave(scratch.p[0], L, D, mxGetPr(plhs[0]), len, J, scratch.p[1], scratch.p[2], scratch.p[3]);
  scratch.release();
}
