// CircSplit: multilevel periodized orthogonal wavelet transform of a signal,
// or of every column of a matrix.
//
//   wc = CircSplit(x, L, h)
//
// wc has the shape of x. Per signal of n = 2^J values: the 2^L coarse
// coefficients first, then the details of levels L, L+1, ... J-1, level j in
// positions 2^j .. 2^(j+1)-1.
#include <cstddef>
#include "host/gateway.h"
#include "host/parallel.h"
#include "kernels/periodized/periodized.h"

#define PLUGIN "CircSplit"

namespace {

using namespace tfmex::periodized;

// Forward transform of ncols signals of n values: J - L analysis stages each.
// The first stage reads the signal itself; every stage writes its details
// straight to their place in wc and its low-pass half to tmp, just after the
// block it reads (n/2 + n/4 + ... < n values in all), except the last stage,
// whose low-pass half is the coarse part of wc. g is the high-pass filter, h
// the low-pass one; tmp holds n values.
void dpwt(const double* x, int n, int ncols, int L, int J, const double* g, const double* h,
          int m, double* wc, double* tmp) {
  for (int c = 0; c < ncols; ++c) {
    const double* src = x + static_cast<std::ptrdiff_t>(c) * n;
    double* w = wc + static_cast<std::ptrdiff_t>(c) * n;
    if (L >= J) {
      copydouble(src, w, n);
      continue;
    }
    const double* in = src;
    double* lo = tmp;
    for (int j = J - 1; j >= L; --j) {
      const int k = 1 << (j + 1);
      double* dst = j == L ? w : lo;
      downboth(in, k, h, g, m, dst, w + k / 2);
      in = dst;
      lo += k / 2;
    }
  }
}

}  // namespace

TFMEX_PLUGIN_VERSION

TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  namespace gw = tfmex::gw;
  gw::check_counts(nlhs, nrhs, 3, PLUGIN " requires three input arguments.",
                   PLUGIN " requires one output argument.");
  gw::check_real_double(3, prhs, TFMEX_TYPE_MSG(PLUGIN));
  const mxArray* x = prhs[0];
  const mxArray* h = prhs[2];
  gw::check_size(mxGetM(x), mxGetN(x), 1, TFMEX_SIZE_MSG(PLUGIN));
  gw::check_size(mxGetM(h), mxGetN(h), 1, TFMEX_SIZE_MSG(PLUGIN));
  const gw::Signals s = gw::orient(x);
  const int J = gw::dyadic_length(static_cast<std::size_t>(s.n), PLUGIN " requires dyadic length");
  const double level = gw::scalar(prhs[1], TFMEX_SCALAR_MSG(PLUGIN));

  // L >= J runs no stage; below 0 the extra stages would split blocks of one
  // value, which yields nothing, so L is bounded to 0 .. J.
  int L = gw::round_nearest(level);
  L = L < 0 ? 0 : (L > J ? J : L);
  // The columns are split over the threads, each part with n values of its
  // own behind the high-pass filter.
  const int m = gw::length(h);
  const int parts = tfmex::par::parts_for(s.count, 2.0 * s.n * s.count * (m + 1),
                                          tfmex::par::kMinWork);
  const std::size_t stride = tfmex::par::part_stride(static_cast<std::size_t>(s.n));
  const std::size_t gsize = tfmex::par::part_stride(static_cast<std::size_t>(m));
  gw::Workspace ws(gsize + stride * parts, TFMEX_MEMORY_MSG(PLUGIN));
  plhs[0] = gw::create(mxGetM(x), mxGetN(x));
  double* g = ws.data();
  gw::highpass(h, g);
  const double* in = gw::data(x);
  double* out = mxGetPr(plhs[0]);
  tfmex::par::run(parts, [&](int p) {
    const std::ptrdiff_t c0 = tfmex::par::part_begin(s.count, parts, p);
    const std::ptrdiff_t c1 = tfmex::par::part_begin(s.count, parts, p + 1);
    dpwt(in + c0 * s.n, s.n, static_cast<int>(c1 - c0), L, J, g, gw::data(h), m, out + c0 * s.n,
         ws.data() + gsize + stride * p);
  });
}
