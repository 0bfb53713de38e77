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
#include "kernels/periodized/periodized.h"
#include "MEXSource/block_transpose.h"

#define PLUGIN "CircSplit2"

namespace {

using namespace tfmex::periodized;

// Forward transform of an nr x nc image (square: nr = nc = n = 2^J) from level
// J down to level L (0 <= L; no stage when L >= J). Columns before rows in
// every stage. g is the high-pass filter, h the low-pass one; s holds three
// vectors of n values (one of them is used).
void dpwt2(const double* x, int nr, int nc, int L, int J, const double* g, const double* h, int m,
           double* wc, double* s) {
  const int n = nr;
  double* s0 = s;
  // The first stage reads every column whole, so it takes them from x
  // itself; wc needs a copy of x only when no stage runs.
  if (L >= J) copydouble(x, wc, nr * nc);
  for (int j = J - 1; j >= L; --j) {
    const int k = 1 << (j + 1);
    const int half = k / 2;
    const double* from = j == J - 1 ? x : wc;
    for (int c = 0; c < k; ++c) {
      double* col = wc + static_cast<std::ptrdiff_t>(c) * n;
      copydouble(from + static_cast<std::ptrdiff_t>(c) * n, s0, k);
      downboth(s0, k, h, g, m, col, col + half);
    }
    // The rows, each as a contiguous column of the transposed block.
    tfmex::image::transpose_block(wc, k, n);
    for (int r = 0; r < k; ++r) {
      double* row = wc + static_cast<std::ptrdiff_t>(r) * n;
      copydouble(row, s0, k);
      downboth(s0, k, h, g, m, row, row + half);
    }
    tfmex::image::transpose_block(wc, k, n);
  }
}

}  // namespace

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
  gw::check_size(rows, 3, 1, TFMEX_SIZE_MSG(PLUGIN));  // the scratch matrix
  gw::check_size(mxGetM(h), mxGetN(h), 1, TFMEX_SIZE_MSG(PLUGIN));
  if (cols != rows) gw::fail(PLUGIN " requires a square array");
  const int J = gw::dyadic_length(rows, PLUGIN " requires dyadic length sides");
  const double level = gw::scalar(prhs[1], TFMEX_SCALAR_MSG(PLUGIN));

  const int n = static_cast<int>(rows);
  plhs[0] = gw::create(rows, rows);
  mxArray* scratch = gw::create(rows, 3);
  // L >= J runs no stage; below 0 the extra stages would work on blocks of
  // one value and less, which changes nothing, so L is bounded to 0 .. J.
  int L = gw::round_nearest(level);
  L = L < 0 ? 0 : (L > J ? J : L);
  mxArray* g = gw::make_highpass(h);
  dpwt2(gw::data(x), n, n, L, J, mxGetPr(g), gw::data(h), gw::length(h), mxGetPr(plhs[0]),
        mxGetPr(scratch));
  gw::release(scratch, g);
}
