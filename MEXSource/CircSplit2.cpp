// CircSplit2: multilevel periodized orthogonal wavelet transform of a square
// image of dyadic side.
//
//   W = CircSplit2(X, L, h)
//
// Each stage filters every column and then every row of the active top-left
// k x k block (k = n first, halved after each stage): the low-low quarter
// stays at the top left and becomes the next block, low-pass down the columns
// with high-pass along the rows goes to the top right, high-pass down the
// columns with low-pass along the rows to the bottom left, high-high to the
// bottom right. The stages stop when a 2^L x 2^L block remains.
#include <cstddef>
#include "host/gateway.h"
#include "host/parallel.h"
#include "tfmex/periodized.hpp"

#define PLUGIN "CircSplit2"

TFMEX_PLUGIN_VERSION

TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  namespace gw = tfmex::gw;
  gw::check_counts(nlhs, nrhs, 3, PLUGIN " requires 3 input arguments.",
                   PLUGIN " requires one output argument.");
  gw::check_real_double(3, prhs, TFMEX_TYPE_MSG(PLUGIN));
  const mxArray* x = prhs[0];
  const mxArray* h = prhs[2];
  const std::size_t rows = mxGetM(x), cols = mxGetN(x);
  gw::check_size(rows, cols, 1, TFMEX_SIZE_MSG(PLUGIN));
  gw::check_size(rows, 3, 1, TFMEX_SIZE_MSG(PLUGIN));  // the workspace
  gw::check_size(mxGetM(h), mxGetN(h), 1, TFMEX_SIZE_MSG(PLUGIN));
  if (cols != rows) gw::fail(PLUGIN " requires a square array");
  const int J = gw::dyadic_length(rows, PLUGIN " requires dyadic length sides");
  const double level = gw::scalar(prhs[1], TFMEX_SCALAR_MSG(PLUGIN));

  const int n = static_cast<int>(rows);
  // L >= J runs no stage; below 0 the extra stages would work on blocks of
  // one value and less, which changes nothing, so L is bounded to 0 .. J.
  int L = gw::round_nearest(level);
  L = L < 0 ? 0 : (L > J ? J : L);
  const tfmex::Taps taps(gw::data(h), gw::length(h));
  gw::Workspace ws(tfmex::circ_split2_workspace(n, taps), TFMEX_MEMORY_MSG(PLUGIN));
  plhs[0] = gw::create(rows, rows);
  double* out = mxGetPr(plhs[0]);
  gw::library_call(TFMEX_MEMORY_MSG(PLUGIN),
                   [&] { tfmex::circ_split2(gw::data(x), out, n, L, taps, {}, ws.get()); });
}
