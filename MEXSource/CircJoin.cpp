// CircJoin: inverse of CircSplit, for a signal or every column of a matrix.
//
//   x = CircJoin(wc, L, h)
//
// x has the shape of wc. L outside 0 .. J is read as the nearest end of that
// range, as CircSplit reads it, so CircJoin(CircSplit(x, L, h), L, h) returns
// x for every L.
#include <cstddef>
#include "host/gateway.h"
#include "host/parallel.h"
#include "kernels/periodized/periodized.h"

#define PLUGIN "CircJoin"

namespace {

using namespace tfmex::periodized;

// Inverse transform of ncols signals of n values (0 <= L <= J): J - L
// synthesis stages each. The first stage reads the coarse block straight
// from wc; the stages then write alternately to tmp and to x, chosen so that
// the last one writes x, and every stage reads the block the one before it
// wrote. The stage before the last writes n/2 values, the most tmp holds.
// g is the high-pass filter, h the low-pass one.
void idpwt(const double* wc, int n, int ncols, int L, int J, const double* g, const double* h,
           int m, double* x, double* tmp) {
  const int k0 = L <= 0 ? 1 : 1 << L;
  const int stages = J - L;
  for (int c = 0; c < ncols; ++c) {
    const double* w = wc + static_cast<std::ptrdiff_t>(c) * n;
    double* v = x + static_cast<std::ptrdiff_t>(c) * n;
    if (stages <= 0) {
      copydouble(w, v, n);
      continue;
    }
    const double* in = w;
    int k = k0;
    for (int t = 0; t < stages; ++t) {
      double* out = (stages - 1 - t) % 2 == 0 ? v : tmp;
      upboth(in, w + k, k, h, g, m, out);
      in = out;
      k *= 2;
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
  const mxArray* wc = prhs[0];
  const mxArray* h = prhs[2];
  gw::check_size(mxGetM(wc), mxGetN(wc), 1, TFMEX_SIZE_MSG(PLUGIN));
  gw::check_size(mxGetM(h), mxGetN(h), 1, TFMEX_SIZE_MSG(PLUGIN));
  const gw::Signals s = gw::orient(wc);
  const int J = gw::dyadic_length(static_cast<std::size_t>(s.n), PLUGIN " requires dyadic length");
  const double level = gw::scalar(prhs[1], TFMEX_SCALAR_MSG(PLUGIN));

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
  plhs[0] = gw::create(mxGetM(wc), mxGetN(wc));
  double* g = ws.data();
  gw::highpass(h, g);
  const double* in = gw::data(wc);
  double* out = mxGetPr(plhs[0]);
  tfmex::par::run(parts, [&](int p) {
    const std::ptrdiff_t c0 = tfmex::par::part_begin(s.count, parts, p);
    const std::ptrdiff_t c1 = tfmex::par::part_begin(s.count, parts, p + 1);
    idpwt(in + c0 * s.n, s.n, static_cast<int>(c1 - c0), L, J, g, gw::data(h), m, out + c0 * s.n,
          ws.data() + gsize + stride * p);
  });
}
