// ShiftJoin: inverse of the translation-invariant transform of ShiftSplit.
//
//   y = ShiftJoin(T, h)
//
// T has n = 2^J rows and D + 1 columns (0 <= D <= J), laid out as ShiftSplit
// makes it; y is a row of n values. Every parent block is rebuilt from both
// of its children, the shifted child shifted back, and the two
// reconstructions are averaged.
#include <cstddef>
#include "host/gateway.h"
#include "host/parallel.h"
#include "kernels/periodized/periodized.h"

#define PLUGIN "ShiftJoin"

namespace {

using namespace tfmex::periodized;

// dst = src circularly shifted left by one: dst[k-1] = src[0], dst[t] = src[t+1].
void lshift(const double* src, double* dst, int k) {
  if (k <= 0) return;
  for (int t = 0; t < k - 1; ++t) dst[t] = src[t + 1];
  dst[k - 1] = src[0];
}

// v[t] = 0.5 * v[t], t = 0 .. k-1.
void half(double* v, int k) {
  for (int t = 0; t < k; ++t) v[t] = 0.5 * v[t];
}

// Inverse transform of a table of D + 1 columns (0 <= D <= J) into y (n
// values), coarsest stage first, y rebuilt in place. g is the high-pass
// filter, h the low-pass one. The blocks of a stage are split over up to
// `parts` threads; part p has 4n values at work + p * stride: two vectors of
// n values and four of n/2.
void tiwtsynthesis(double* y, int n, int D, const double* g, const double* h, int m,
                   const double* T, double* work, std::size_t stride, int parts) {
  copydouble(T, y, n);
  if (D <= 0) return;
  for (int s = D; s >= 1; --s) {
    const int e = n >> (s - 1);
    const int l = e / 2;
    const int c = 1 << (s - 1);
    const double* detail = T + static_cast<std::ptrdiff_t>(s) * n;
    const int level_parts = c < parts ? c : parts;
    tfmex::par::run(level_parts, [&](int p) {
      double* const base = work + stride * p;
      double* const w[6] = {base, base + n, base + 2 * n, base + 2 * n + n / 2, base + 3 * n,
                            base + 3 * n + n / 2};
      const std::ptrdiff_t k1 = tfmex::par::part_begin(c, level_parts, p + 1);
      for (std::ptrdiff_t k = tfmex::par::part_begin(c, level_parts, p); k < k1; ++k) {
        const std::ptrdiff_t at = k * e;
        double* Y = y + at;
        copydouble(detail + at, w[2], l);      // detail of child 2k (unshifted)
        copydouble(detail + at + l, w[3], l);  // detail of child 2k + 1 (shifted)
        copydouble(Y, w[4], l);                // coarse of child 2k
        copydouble(Y + l, w[5], l);            // coarse of child 2k + 1
        uplo(w[4], l, h, m, w[1]);
        copydouble(w[1], Y, e);
        uplo(w[5], l, h, m, w[1]);
        lshift(w[1], w[0], e);
        copyadd(w[0], Y, e);
        uphi(w[2], l, g, m, w[1]);
        copyadd(w[1], Y, e);
        uphi(w[3], l, g, m, w[1]);
        lshift(w[1], w[0], e);
        copyadd(w[0], Y, e);
        half(Y, e);
      }
    });
  }
}

}  // namespace

TFMEX_PLUGIN_VERSION

TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  namespace gw = tfmex::gw;
  gw::check_counts(nlhs, nrhs, 2, PLUGIN " requires two input arguments.",
                   PLUGIN " requires one output argument.");
  gw::check_real_double(2, prhs, TFMEX_TYPE_MSG(PLUGIN));
  const mxArray* t = prhs[0];
  const mxArray* h = prhs[1];
  const std::size_t n = mxGetM(t), cols = mxGetN(t);  // the table is never transposed
  gw::check_size(n, cols, 1, TFMEX_SIZE_MSG(PLUGIN));
  gw::check_size(mxGetM(h), mxGetN(h), 1, TFMEX_SIZE_MSG(PLUGIN));
  gw::check_size(n, 6, 1, TFMEX_SIZE_MSG(PLUGIN));  // the workspace
  const int D = gw::table_depth(t, PLUGIN " requires dyadic length", PLUGIN " requires D <= log_2(n)",
                                PLUGIN " requires D >= 0").D;

  const int m = gw::length(h);
  // Every stage synthesises about 4n values; the threads share its blocks.
  const int parts = tfmex::par::parts_for(std::ptrdiff_t{1} << (D > 0 ? D - 1 : 0),
                                          4.0 * n * (m + 1), tfmex::par::kMinWork);
  const std::size_t stride = tfmex::par::part_stride(4 * n);
  const std::size_t gsize = tfmex::par::part_stride(static_cast<std::size_t>(m));
  gw::Workspace ws(gsize + stride * parts, TFMEX_MEMORY_MSG(PLUGIN));
  plhs[0] = gw::create(1, n);
  double* g = ws.data();
  gw::highpass(h, g);
  tiwtsynthesis(mxGetPr(plhs[0]), static_cast<int>(n), D, g, gw::data(h), m, gw::data(t),
                ws.data() + gsize, stride, parts);
}
