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
#include "kernels/periodized/periodized.h"
#include "MEXSource/block_transpose.h"

#define PLUGIN "CircJoin2"

namespace {

using namespace tfmex::periodized;

// Inverse transform of an nr x nc array (square: nr = nc = n = 2^J, and
// 0 <= L): J - L synthesis stages, rows before columns in every stage. g is
// the high-pass filter, h the low-pass one. With t (room for n (n + 8)
// doubles) the rows of a stage are synthesised, all at once column by
// column, into t, column q at t + q (c + 8) (the padding keeps the columns
// from falling on the same cache sets), and the columns from there back into
// the block. Without t, each row is synthesised as a contiguous column of the
// transposed block, part p taking its four vectors of n values at
// s + p * stride (the second takes each synthesised line before it goes back
// in place). The rows, the columns and the transposes of a stage are each
// split over up to `parts` threads (a stage too small to gain runs on one).
void idpwt2(const double* wc, int nr, int nc, int L, int J, const double* g, const double* h,
            int m, double* x, double* t, double* s, std::size_t stride, int parts) {
  namespace par = tfmex::par;
  namespace image = tfmex::image;
  const int n = nr;
  par::run(parts, [&](int p) {
    const std::ptrdiff_t c0 = par::part_begin(nc, parts, p), c1 = par::part_begin(nc, parts, p + 1);
    copydouble(wc + c0 * nr, x + c0 * nr, static_cast<int>((c1 - c0) * nr));
  });
  if (L >= J) return;
  int k = L <= 0 ? 1 : 1 << L;
  for (int j = L; j < J; ++j) {
    const int c = 2 * k;
    const int sp = 2.0 * c * c * (m + 1) < par::kMinWork ? 1 : parts;
    if (t != nullptr) {
      const std::ptrdiff_t ld = c + 8;
      par::run(sp, [&](int p) {
        upboth_rows(x, x + std::ptrdiff_t{k} * n, n, k, c, h, g, m, t, ld,
                    static_cast<int>(par::part_begin(k, sp, p)),
                    static_cast<int>(par::part_begin(k, sp, p + 1)));
      });
      par::run(sp, [&](int p) {
        const std::ptrdiff_t q1 = par::part_begin(c, sp, p + 1);
        for (std::ptrdiff_t q = par::part_begin(c, sp, p); q < q1; ++q)
          upboth(t + q * ld, t + q * ld + k, k, h, g, m, x + q * n);
      });
      k = c;
      continue;
    }
    par::run(sp, [&](int p) { image::transpose_block(x, c, n, p, sp); });
    par::run(sp, [&](int p) {
      double* s1 = s + stride * p + n;
      const std::ptrdiff_t r1 = par::part_begin(c, sp, p + 1);
      for (std::ptrdiff_t r = par::part_begin(c, sp, p); r < r1; ++r) {
        double* row = x + r * n;
        upboth(row, row + k, k, h, g, m, s1);
        copydouble(s1, row, c);
      }
    });
    par::run(sp, [&](int p) { image::transpose_block(x, c, n, p, sp); });
    par::run(sp, [&](int p) {
      double* s1 = s + stride * p + n;
      const std::ptrdiff_t q1 = par::part_begin(c, sp, p + 1);
      for (std::ptrdiff_t q = par::part_begin(c, sp, p); q < q1; ++q) {
        double* col = x + q * n;
        upboth(col, col + k, k, h, g, m, s1);
        copydouble(s1, col, c);
      }
    });
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
  gw::check_size(rows, 4, 1, TFMEX_SIZE_MSG(PLUGIN));  // the workspace
  gw::check_size(mxGetM(h), mxGetN(h), 1, TFMEX_SIZE_MSG(PLUGIN));
  if (cols != rows) gw::fail(PLUGIN " requires a square array");
  const int J = gw::dyadic_length(rows, "CircJoin2D requires dyadic length sides");
  const double level = gw::scalar(prhs[1], TFMEX_SCALAR_MSG(PLUGIN));

  const int n = static_cast<int>(rows);
  int L = gw::round_nearest(level);
  L = L < 0 ? 0 : (L > J ? J : L);
  const int m = gw::length(h);
  const int parts = tfmex::par::parts_for(n, 2.0 * n * n * (m + 1), tfmex::par::kMinWork);
  const std::size_t stride = tfmex::par::part_stride(4 * rows);
  const std::size_t gsize = tfmex::par::part_stride(static_cast<std::size_t>(m));
  // The stages go through a copy of the block up to the size of workspace a
  // plug-in keeps between calls (4096 x 4096); larger arrays take the
  // transposes, which need four columns per thread.
  const std::size_t tsize = rows * (rows + 8);
  const bool copy = tsize <= gw::kKeepLimit;
  gw::Workspace ws(gsize + (copy ? tsize : stride * parts), TFMEX_MEMORY_MSG(PLUGIN));
  plhs[0] = gw::create(rows, rows);
  double* g = ws.data();
  gw::highpass(h, g);
  double* room = ws.data() + gsize;
  idpwt2(gw::data(w), n, n, L, J, g, gw::data(h), m, mxGetPr(plhs[0]), copy ? room : nullptr,
         room, stride, parts);
}
