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

TFMEX_PLUGIN_VERSION

TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  namespace gw = tfmex::gw;
  namespace tr = tfmex::triadic;
  gw::check_counts(nlhs, nrhs, 3, "CenterSplit requires three input arguments.",
                   "CenterSplit requires one output argument.");
  gw::check_real_double(3, prhs, TFMEX_TYPE_MSG(PLUGIN));
  const mxArray* x = prhs[0];
  const int L =
      tr::coarse_level(prhs[1], TFMEX_SCALAR_MSG(PLUGIN), "In CenterSplit: L must be >= 1");
  gw::check_size(mxGetM(x), mxGetN(x), 1, TFMEX_SIZE_MSG(PLUGIN));
  const std::size_t n = tr::vector_length(x);
  gw::check_size(n, 1, 2, TFMEX_SIZE_MSG(PLUGIN));
  tr::triadic_length(n, "CenterSplit requires triadic length input");
  const int D = gw::truncate(gw::scalar(prhs[2], TFMEX_SCALAR_MSG(PLUGIN)));

  const std::ptrdiff_t len = static_cast<std::ptrdiff_t>(n);
  gw::Workspace ws(tfmex::block_mean_split_workspace(len, L, {}),
                   PLUGIN " could not allocate its scratch arrays");
  plhs[0] = gw::create(1, 2 * n);
  double* out = mxGetPr(plhs[0]);
  gw::library_call(PLUGIN " could not allocate its scratch arrays",
                   [&] { tfmex::block_mean_split(gw::data(x), out, len, L, D, {}, ws.get()); });
}
