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
#include "host/parallel.h"
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
// values, column 0 first. g is the high-pass filter, h the low-pass one. The
// blocks of a stage are split over up to `parts` threads; part p has two
// vectors of n values at work + p * stride (the block and its shifted copy):
// the filtered halves go straight into the table.
void tiwt(const double* x, int n, int D, const double* g, const double* h, int m, double* T,
          double* work, std::size_t stride, int parts) {
  copydouble(x, T, n);
  if (D <= 0) return;
  int e = n, c = 1;
  for (int s = 1; s <= D; ++s) {
    double* detail = T + static_cast<std::ptrdiff_t>(s) * n;
    const int half = e / 2;
    const int level_parts = c < parts ? c : parts;
    tfmex::par::run(level_parts, [&](int p) {
      double* w0 = work + stride * p;
      double* w1 = w0 + n;
      const std::ptrdiff_t j1 = tfmex::par::part_begin(c, level_parts, p + 1);
      for (std::ptrdiff_t j = tfmex::par::part_begin(c, level_parts, p); j < j1; ++j) {
        const std::ptrdiff_t at = j * e;
        copydouble(T + at, w0, e);
        rshift(w0, w1, e);
        // Both halves of both paths go straight to their places in the table.
        downboth(w0, e, h, g, m, T + at, detail + at);
        downboth(w1, e, h, g, m, T + at + half, detail + at + half);
      }
    });
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

  const int m = gw::length(h);
  // Every stage filters about 2n values; the threads share the blocks of a stage.
  const int parts = tfmex::par::parts_for(std::ptrdiff_t{1} << (D > 0 ? D - 1 : 0),
                                          2.0 * sig.n * (m + 1), tfmex::par::kMinWork);
  const std::size_t stride = tfmex::par::part_stride(2 * n);
  const std::size_t gsize = tfmex::par::part_stride(static_cast<std::size_t>(m));
  gw::Workspace ws(gsize + stride * parts, TFMEX_MEMORY_MSG(PLUGIN));
  plhs[0] = gw::create(n, static_cast<std::size_t>(D) + 1);
  double* g = ws.data();
  gw::highpass(h, g);
  tiwt(gw::data(x), sig.n, D, g, gw::data(h), m, mxGetPr(plhs[0]), ws.data() + gsize, stride,
       parts);
}
