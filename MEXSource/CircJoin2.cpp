// CircJoin2: inverse of CircSplit2 for a square array of dyadic side.
//
//   X = CircJoin2(W, L, h)
//
// Each stage undoes the rows and then the columns of the active block, which
// doubles from 2^L x 2^L up to n x n. L >= J returns W unchanged; L < 0 is
// read as 0, as CircSplit2 reads it, so that CircJoin2(CircSplit2(X, L, h),
// L, h) returns X for every L and no stage ever doubles past the image.
#include <cstddef>
#include "host/gateway.h"
#include "host/parallel.h"
#include "tfmex/periodized.hpp"

#define PLUGIN "CircJoin2"

TFMEX_PLUGIN_VERSION

TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  namespace gw = tfmex::gw;
  gw::check_counts(nlhs, nrhs, 3, PLUGIN " requires 3 input arguments.",
                   PLUGIN " requires one output argument.");
  gw::check_real_double(3, prhs, TFMEX_TYPE_MSG(PLUGIN));
  const mxArray* w = prhs[0];
  const mxArray* h = prhs[2];
  const std::size_t rows = mxGetM(w), cols = mxGetN(w);
  gw::check_size(rows, cols, 1, TFMEX_SIZE_MSG(PLUGIN));
  gw::check_size(rows, 4, 1, TFMEX_SIZE_MSG(PLUGIN));  // the workspace
  gw::check_size(mxGetM(h), mxGetN(h), 1, TFMEX_SIZE_MSG(PLUGIN));
  if (cols != rows) gw::fail(PLUGIN " requires a square array");
  const int J = gw::dyadic_length(rows, "CircJoin2D requires dyadic length sides");
  const double level = gw::scalar(prhs[1], TFMEX_SCALAR_MSG(PLUGIN));

  const int n = static_cast<int>(rows);
  int L = gw::round_nearest(level);
  L = L < 0 ? 0 : (L > J ? J : L);
  const tfmex::Taps taps(gw::data(h), gw::length(h));
  gw::Workspace ws(tfmex::circ_join2_workspace(n, taps), TFMEX_MEMORY_MSG(PLUGIN));
  plhs[0] = gw::create(rows, rows);
  double* out = mxGetPr(plhs[0]);
  gw::library_call(TFMEX_MEMORY_MSG(PLUGIN),
                   [&] { tfmex::circ_join2(gw::data(w), out, n, L, taps, {}, ws.get()); });
}
