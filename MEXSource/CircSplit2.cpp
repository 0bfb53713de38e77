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
#include "kernels/periodized/periodized.h"
#include "MEXSource/block_transpose.h"

#define PLUGIN "CircSplit2"

namespace {

using namespace tfmex::periodized;

// Forward transform of an nr x nc image (square: nr = nc = n = 2^J) from level
// J down to level L (0 <= L; no stage when L >= J). Columns before rows in
// every stage. g is the high-pass filter, h the low-pass one. The columns,
// the rows and the transposes of a stage are each split over up to `parts`
// threads (a stage too small to gain runs on one); part p has n values at
// s + p * stride.
void dpwt2(const double* x, int nr, int nc, int L, int J, const double* g, const double* h, int m,
           double* wc, double* s, std::size_t stride, int parts) {
  namespace par = tfmex::par;
  const int n = nr;
  // The first stage reads every column whole, so it takes them from x
  // itself; wc needs a copy of x only when no stage runs.
  if (L >= J) copydouble(x, wc, nr * nc);
  for (int j = J - 1; j >= L; --j) {
    const int k = 1 << (j + 1);
    const int half = k / 2;
    const double* from = j == J - 1 ? x : wc;
    const int sp = 2.0 * k * k * (m + 1) < par::kMinWork ? 1 : parts;
    par::run(sp, [&](int p) {
      double* s0 = s + stride * p;
      const std::ptrdiff_t c1 = par::part_begin(k, sp, p + 1);
      for (std::ptrdiff_t c = par::part_begin(k, sp, p); c < c1; ++c) {
        double* col = wc + c * n;
        copydouble(from + c * n, s0, k);
        downboth(s0, k, h, g, m, col, col + half);
      }
    });
    // The rows, each as a contiguous column of the transposed block.
    par::run(sp, [&](int p) { tfmex::image::transpose_block(wc, k, n, p, sp); });
    par::run(sp, [&](int p) {
      double* s0 = s + stride * p;
      const std::ptrdiff_t r1 = par::part_begin(k, sp, p + 1);
      for (std::ptrdiff_t r = par::part_begin(k, sp, p); r < r1; ++r) {
        double* row = wc + r * n;
        copydouble(row, s0, k);
        downboth(s0, k, h, g, m, row, row + half);
      }
    });
    par::run(sp, [&](int p) { tfmex::image::transpose_block(wc, k, n, p, sp); });
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
  gw::Workspace ws(gsize + stride * parts, TFMEX_MEMORY_MSG(PLUGIN));
  plhs[0] = gw::create(rows, rows);
  double* g = ws.data();
  gw::highpass(h, g);
  dpwt2(gw::data(x), n, n, L, J, g, gw::data(h), m, mxGetPr(plhs[0]), ws.data() + gsize, stride,
        parts);
}
