// GrowCoarse: one synthesis stage from low-pass coefficients (2n values).
//
//   y = GrowCoarse(a, h)
#include "host/gateway.h"
#include "kernels/periodized/periodized.h"

#define PLUGIN "GrowCoarse"

TFMEX_PLUGIN_VERSION

TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  namespace gw = tfmex::gw;
  gw::check_counts(nlhs, nrhs, 2, PLUGIN " requires two input arguments.",
                   PLUGIN " requires one output argument.");
  gw::check_real_double(2, prhs, TFMEX_TYPE_MSG(PLUGIN));
  const mxArray* x = prhs[0];
  const mxArray* h = prhs[1];
  gw::check_size(mxGetM(x), mxGetN(x), 2, TFMEX_SIZE_MSG(PLUGIN));
  gw::check_size(mxGetM(h), mxGetN(h), 1, TFMEX_SIZE_MSG(PLUGIN));
  const gw::Signals s = gw::orient(x);  // the first column of a matrix, or the row
  gw::dyadic_length(static_cast<std::size_t>(s.n), PLUGIN " requires dyadic length");

  const int n = s.n;
  const std::size_t out_len = 2 * static_cast<std::size_t>(n);
  plhs[0] = s.row ? gw::create(1, out_len) : gw::create(out_len, 1);
  const int m = gw::length(h);
  tfmex::periodized::uplo(gw::data(x), n, gw::data(h), m, mxGetPr(plhs[0]));
}
