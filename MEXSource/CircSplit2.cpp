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
// every stage. g is the high-pass filter, h the low-pass one. With t (room for
// n (n + 8) doubles) the columns of a stage are filtered into t, column c at
// t + c (k + 8) (the padding keeps the columns from falling on the same cache
// sets), and the rows are filtered from there back into the block, all rows
// at once column by column. Without t, the rows are filtered one by one as
// contiguous columns of the transposed block, each part having n doubles at
// s + p * stride. The columns and the rows of a stage are each split over up
// to `parts` threads (a stage too small to gain runs on one).
void dpwt2(const double* x, int nr, int nc, int L, int J, const double* g, const double* h, int m,
           double* wc, double* t, double* s, std::size_t stride, int parts) {
  namespace par = tfmex::par;
  namespace image = tfmex::image;
  const int n = nr;
  // The first stage reads every column whole, so it filters them straight
  // from x; wc needs a copy of x only when no stage runs.
  if (L >= J) copydouble(x, wc, nr * nc);
  for (int j = J - 1; j >= L; --j) {
    const int k = 1 << (j + 1);
    const int half = k / 2;
    const int sp = 2.0 * k * k * (m + 1) < par::kMinWork ? 1 : parts;
    if (t != nullptr) {
      const std::ptrdiff_t ld = k + 8;
      const double* from = j == J - 1 ? x : wc;
      par::run(sp, [&](int p) {
        const std::ptrdiff_t c1 = par::part_begin(k, sp, p + 1);
        for (std::ptrdiff_t c = par::part_begin(k, sp, p); c < c1; ++c)
          downboth(from + c * n, k, h, g, m, t + c * ld, t + c * ld + half);
      });
      par::run(sp, [&](int p) {
        downboth_rows(t, ld, k, k, h, g, m, wc, n, static_cast<int>(par::part_begin(half, sp, p)),
                      static_cast<int>(par::part_begin(half, sp, p + 1)));
      });
      continue;
    }
    const double* from = j == J - 1 ? x : wc;
    par::run(sp, [&](int p) {
      double* s0 = s + stride * p;
      const std::ptrdiff_t c1 = par::part_begin(k, sp, p + 1);
      for (std::ptrdiff_t c = par::part_begin(k, sp, p); c < c1; ++c) {
        double* col = wc + c * n;
        copydouble(from + c * n, s0, k);
        downboth(s0, k, h, g, m, col, col + half);
      }
    });
    par::run(sp, [&](int p) { image::transpose_block(wc, k, n, p, sp); });
    par::run(sp, [&](int p) {
      double* s0 = s + stride * p;
      const std::ptrdiff_t r1 = par::part_begin(k, sp, p + 1);
      for (std::ptrdiff_t r = par::part_begin(k, sp, p); r < r1; ++r) {
        double* row = wc + r * n;
        copydouble(row, s0, k);
        downboth(s0, k, h, g, m, row, row + half);
      }
    });
    par::run(sp, [&](int p) { image::transpose_block(wc, k, n, p, sp); });
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
  dpwt2(gw::data(x), n, n, L, J, g, gw::data(h), m, mxGetPr(plhs[0]), copy ? room : nullptr,
        room, stride, parts);
}
