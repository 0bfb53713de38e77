// CircSplit: multilevel periodized orthogonal wavelet transform of a signal,
// or of every column of a matrix.
//
//   wc = CircSplit(x, L, h)
//
// wc has the shape of x. Per signal of n = 2^J values: the 2^L coarse
// coefficients first, then the details of levels L, L+1, ... J-1, level j in
// positions 2^j .. 2^(j+1)-1.
#include <cstddef>
#include "host/gateway.h"
#include "host/parallel.h"
#include "tfmex/periodized.hpp"

#define PLUGIN "CircSplit"

TFMEX_PLUGIN_VERSION

TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  namespace gw = tfmex::gw;
  gw::check_counts(nlhs, nrhs, 3, PLUGIN " requires three input arguments.",
                   PLUGIN " requires one output argument.");
  gw::check_real_double(3, prhs, TFMEX_TYPE_MSG(PLUGIN));
  const mxArray* x = prhs[0];
  const mxArray* h = prhs[2];
  gw::check_size(mxGetM(x), mxGetN(x), 1, TFMEX_SIZE_MSG(PLUGIN));
  gw::check_size(mxGetM(h), mxGetN(h), 1, TFMEX_SIZE_MSG(PLUGIN));
  const gw::Signals s = gw::orient(x);
  const int J = gw::dyadic_length(static_cast<std::size_t>(s.n), PLUGIN " requires dyadic length");
  const double level = gw::scalar(prhs[1], TFMEX_SCALAR_MSG(PLUGIN));

  // L >= J runs no stage; below 0 the extra stages would split blocks of one
  // value, which yields nothing, so L is bounded to 0 .. J.
  int L = gw::round_nearest(level);
  L = L < 0 ? 0 : (L > J ? J : L);
  const int m = gw::length(h);
  const tfmex::Taps taps(gw::data(h), m);
  const tfmex::Batch batch = tfmex::Batch::packed(s.count);
  gw::Workspace ws(tfmex::circ_split_workspace(s.n, taps, batch), TFMEX_MEMORY_MSG(PLUGIN));
  plhs[0] = gw::create(mxGetM(x), mxGetN(x));
  double* out = mxGetPr(plhs[0]);
  gw::library_call(TFMEX_MEMORY_MSG(PLUGIN),
                   [&] { tfmex::circ_split(gw::data(x), out, s.n, L, taps, batch, ws.get()); });
}
