// ShiftSplit: translation-invariant periodized wavelet transform.
//
//   T = ShiftSplit(x, L, h)
//
// x is a signal of n = 2^J values (a row, a column, or the first column of a
// matrix); T has n rows and D + 1 columns, D = J - L. Every stage filters each
// block twice, once as it is and once circularly shifted right by one sample,
// so after d stages there are 2^d shift paths. Parent block j has children 2j
// (unshifted) and 2j + 1 (shifted): block b of a column is the path whose bits,
// first stage most significant, spell b. Column 0 holds the 2^D coarse blocks
// of the last stage, column d (1 <= d <= D) the 2^d detail blocks of stage d;
// column 1 is the finest stage.
#include <cstddef>
#include "host/gateway.h"
#include "kernels/periodized/periodized.h"

#define PLUGIN "ShiftSplit"

namespace {

using namespace tfmex::periodized;

// dst = src circularly shifted right by one: dst[0] = src[k-1], dst[t] = src[t-1].
void rshift(const double* src, double* dst, int k) {
  if (k <= 0) return;
  dst[0] = src[k - 1];
  for (int t = 1; t < k; ++t) dst[t] = src[t - 1];
}

// Forward transform over D stages (0 <= D <= J): T receives n * (D + 1)
// values, column 0 first. g is the high-pass filter, h the low-pass one; work
// holds six vectors of n values, of which the first two (the block and its
// shifted copy) are used: the filtered halves go straight into the table.
void tiwt(const double* x, int n, int D, const double* g, const double* h, int m, double* T,
          double* work) {
  double* w[6];
  for (int i = 0; i < 6; ++i) w[i] = work + static_cast<std::ptrdiff_t>(i) * n;
  copydouble(x, T, n);
  if (D <= 0) return;
  int e = n, c = 1;
  for (int s = 1; s <= D; ++s) {
    double* detail = T + static_cast<std::ptrdiff_t>(s) * n;
    const int half = e / 2;
    for (int j = 0; j < c; ++j) {
      const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(j) * e;
      copydouble(T + at, w[0], e);
      rshift(w[0], w[1], e);
      // Both halves of both paths go straight to their places in the table.
      downboth(w[0], e, h, g, m, T + at, detail + at);
      downboth(w[1], e, h, g, m, T + at + half, detail + at + half);
    }
    e = half;
    c *= 2;
  }
}

}  // namespace

TFMEX_PLUGIN_VERSION

TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  namespace gw = tfmex::gw;
  gw::check_counts(nlhs, nrhs, 3, PLUGIN " requires three input arguments.",
                   "ShiftSplitT requires one output argument.");
  gw::check_real_double(3, prhs, TFMEX_TYPE_MSG(PLUGIN));
  const mxArray* x = prhs[0];
  const mxArray* h = prhs[2];
  gw::check_size(mxGetM(x), mxGetN(x), 1, TFMEX_SIZE_MSG(PLUGIN));
  gw::check_size(mxGetM(h), mxGetN(h), 1, TFMEX_SIZE_MSG(PLUGIN));
  const gw::Signals sig = gw::orient(x);  // the row, or the first column
  const std::size_t n = static_cast<std::size_t>(sig.n);
  gw::check_size(n, 6, 1, TFMEX_SIZE_MSG(PLUGIN));  // the workspace
  const int J = gw::dyadic_length(n, "ShiftSplitT requires dyadic length");
  // The level is saturated to +-2^30, so J - L cannot overflow.
  const int L = gw::round_nearest(gw::scalar(prhs[1], TFMEX_SCALAR_MSG(PLUGIN)));
  const int D = J - L;
  if (D > J) gw::fail("ShiftTable requires D < log_2(n)");
  if (D < 0) gw::fail("ShiftTable requires D >= 0");
  gw::check_size(n, static_cast<std::size_t>(D) + 1, 1, TFMEX_SIZE_MSG(PLUGIN));  // the table

  plhs[0] = gw::create(n, static_cast<std::size_t>(D) + 1);
  mxArray* work = gw::create(n, 6);
  mxArray* g = gw::make_highpass(h);
  tiwt(gw::data(x), sig.n, D, mxGetPr(g), gw::data(h), gw::length(h), mxGetPr(plhs[0]),
       mxGetPr(work));
  gw::release(work, g);
}
