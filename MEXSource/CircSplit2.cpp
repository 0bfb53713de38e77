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
#include "MEXSource/image_stages.h"

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
  const int m = gw::length(h);
  const int parts = tfmex::par::parts_for(n, 2.0 * n * n * (m + 1), tfmex::par::kMinWork);
  const std::size_t stride = tfmex::par::part_stride(rows);
  const std::size_t gsize = tfmex::par::part_stride(static_cast<std::size_t>(m));
  // The stages go through a copy of the block up to the size of workspace a
  // plug-in keeps between calls (4096 x 4096); larger images take the
  // transposes, which need no more than a column per thread.
  const std::size_t tsize = rows * (rows + 8);
  const bool copy = tsize <= gw::kKeepLimit;
  gw::Workspace ws(gsize + (copy ? tsize : stride * parts), TFMEX_MEMORY_MSG(PLUGIN));
  plhs[0] = gw::create(rows, rows);
  double* g = ws.data();
  gw::highpass(h, g);
  double* room = ws.data() + gsize;
  tfmex::image::dpwt2(gw::data(x), n, n, L, J, g, gw::data(h), m, mxGetPr(plhs[0]),
                      copy ? room : nullptr, room, stride, parts);
}
