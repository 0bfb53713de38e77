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
#include "kernels/periodized/periodized.h"
#include "MEXSource/block_transpose.h"
#include "MEXSource/row_strips.h"

#define PLUGIN "CircJoin2"

namespace {

using namespace tfmex::periodized;

// Inverse transform of an nr x nc array (square: nr = nc = n = 2^J, and
// 0 <= L): J - L synthesis stages, rows before columns in every stage. g is
// the high-pass filter, h the low-pass one; s holds four vectors of n values
// (the second takes each synthesised line before it goes back in place).
void idpwt2(const double* wc, int nr, int nc, int L, int J, const double* g, const double* h,
            int m, double* x, double* s) {
  const int n = nr;
  double* s1 = s + n;
  copydouble(wc, x, nr * nc);
  if (L >= J) return;
  int k = L <= 0 ? 1 : 1 << L;
  for (int j = L; j < J; ++j) {
    const int c = 2 * k;
    // The rows: eight at a time where they lie where the processor and the
    // filter allow; otherwise each as a contiguous column of the transposed
    // block.
    if (tfmex::image::join_rows_fit(c, m, std::ptrdiff_t{4} * n)) {
      tfmex::image::join_rows(x, c, n, h, g, m, s);
    } else {
      tfmex::image::transpose_block(x, c, n);
      for (int r = 0; r < c; ++r) {
        double* row = x + static_cast<std::ptrdiff_t>(r) * n;
        upboth(row, row + k, k, h, g, m, s1);
        copydouble(s1, row, c);
      }
      tfmex::image::transpose_block(x, c, n);
    }
    for (int q = 0; q < c; ++q) {
      double* col = x + static_cast<std::ptrdiff_t>(q) * n;
      upboth(col, col + k, k, h, g, m, s1);
      copydouble(s1, col, c);
    }
    k = c;
  }
}

}  // namespace

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
  gw::check_size(rows, 4, 1, TFMEX_SIZE_MSG(PLUGIN));  // the scratch matrix
  gw::check_size(mxGetM(h), mxGetN(h), 1, TFMEX_SIZE_MSG(PLUGIN));
  if (cols != rows) gw::fail(PLUGIN " requires a square array");
  const int J = gw::dyadic_length(rows, "CircJoin2D requires dyadic length sides");
  const double level = gw::scalar(prhs[1], TFMEX_SCALAR_MSG(PLUGIN));

  const int n = static_cast<int>(rows);
  plhs[0] = gw::create(rows, rows);
  mxArray* scratch = gw::create(rows, 4);
  int L = gw::round_nearest(level);
  L = L < 0 ? 0 : (L > J ? J : L);
  mxArray* g = gw::make_highpass(h);
  idpwt2(gw::data(w), n, n, L, J, mxGetPr(g), gw::data(h), gw::length(h), mxGetPr(plhs[0]),
         mxGetPr(scratch));
  gw::release(scratch, g);
}
