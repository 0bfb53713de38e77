// CircJoin: inverse of CircSplit, for a signal or every column of a matrix.
//
//   x = CircJoin(wc, L, h)
//
// x has the shape of wc. L outside 0 .. J is read as the nearest end of that
// range, as CircSplit reads it, so CircJoin(CircSplit(x, L, h), L, h) returns
// x for every L.
#include <cstddef>
#include "host/gateway.h"
#include "host/parallel.h"
#include "tfmex/periodized.hpp"

#define PLUGIN "CircJoin"

TFMEX_PLUGIN_VERSION

TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  namespace gw = tfmex::gw;
  gw::check_counts(nlhs, nrhs, 3, PLUGIN " requires three input arguments.",
                   PLUGIN " requires one output argument.");
  gw::check_real_double(3, prhs, TFMEX_TYPE_MSG(PLUGIN));
  const mxArray* wc = prhs[0];
  const mxArray* h = prhs[2];
  gw::check_size(mxGetM(wc), mxGetN(wc), 1, TFMEX_SIZE_MSG(PLUGIN));
  gw::check_size(mxGetM(h), mxGetN(h), 1, TFMEX_SIZE_MSG(PLUGIN));
  const gw::Signals s = gw::orient(wc);
  const int J = gw::dyadic_length(static_cast<std::size_t>(s.n), PLUGIN " requires dyadic length");
  const double level = gw::scalar(prhs[1], TFMEX_SCALAR_MSG(PLUGIN));

  int L = gw::round_nearest(level);
  L = L < 0 ? 0 : (L > J ? J : L);
  const int m = gw::length(h);
  const tfmex::Taps taps(gw::data(h), m);
  const tfmex::Batch batch = tfmex::Batch::packed(s.count);
  gw::Workspace ws(tfmex::circ_join_workspace(s.n, taps, batch), TFMEX_MEMORY_MSG(PLUGIN));
  plhs[0] = gw::create(mxGetM(wc), mxGetN(wc));
  double* out = mxGetPr(plhs[0]);
  gw::library_call(TFMEX_MEMORY_MSG(PLUGIN),
                   [&] { tfmex::circ_join(gw::data(wc), out, s.n, L, taps, batch, ws.get()); });
}
