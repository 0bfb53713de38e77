// CircJoin: inverse of CircSplit, for a signal or every column of a matrix.
//
//   x = CircJoin(wc, L, h)
//
// x has the shape of wc. L outside 0 .. J is read as the nearest end of that
// range, as CircSplit reads it, so CircJoin(CircSplit(x, L, h), L, h) returns
// x for every L.
#include <cstddef>
#include "host/gateway.h"
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

  plhs[0] = gw::create(mxGetM(wc), mxGetN(wc));
  mxArray* scratch = gw::create(static_cast<std::size_t>(s.n), 2);
  int L = gw::round_nearest(level);
  L = L < 0 ? 0 : (L > J ? J : L);
  mxArray* g = gw::make_highpass(h);
  idpwt(gw::data(wc), s.n, s.count, L, J, mxGetPr(g), gw::data(h), gw::length(h),
        mxGetPr(plhs[0]), mxGetPr(scratch));
  gw::release(scratch, g);
}
