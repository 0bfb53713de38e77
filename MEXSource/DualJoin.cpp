// DualJoin: inverse of DualSplit, for a signal or every column of a matrix.
//
//   y = DualJoin(W, L, qmf, dqmf)
//
// y has the shape of W. The synthesis low-pass filter is dqmf, the high-pass
// filter the centred mirror of qmf. Both filters must have odd length: the
// up kernels centre them on their middle tap. L outside 0 .. J is read as the
// nearest end of that range, as DualSplit reads it, so
// DualJoin(DualSplit(x, L, qmf, dqmf), L, qmf, dqmf) returns x for every L.
#include <cstddef>
#include "host/gateway.h"
#include "host/parallel.h"
#include "kernels/centred/centred.h"
#include "kernels/periodized/periodized.h"

#define PLUGIN "DualJoin"

namespace {

using tfmex::centred::uphipbs;
using tfmex::centred::uplopbs;
using tfmex::periodized::adddouble;
using tfmex::periodized::copydouble;

// Inverse transform of ncols signals of n values (0 <= L <= J): J - L
// synthesis stages each, rebuilding the coarse block in y while the details
// are read from W. gt (m1 taps) is the high-pass filter, dqmf (m2 taps) the
// low-pass one; work0 and work1 hold n values each.
void idpwt(const double* W, int n, int ncols, int L, int J, const double* gt, const double* dqmf,
           int m1, int m2, double* y, double* work0, double* work1) {
  for (int s = 0; s < ncols; ++s) {
    const double* w = W + static_cast<std::ptrdiff_t>(s) * n;
    double* v = y + static_cast<std::ptrdiff_t>(s) * n;
    copydouble(w, v, 1 << L);
    for (int k = L; k < J; ++k) {
      const int e = 1 << k;
      uplopbs(v, e, dqmf, m2, work0);
      uphipbs(w + e, e, gt, m1, work1);
      adddouble(work0, work1, 2 * e, v);
    }
  }
}

bool odd(int m) { return m % 2 == 1; }

}  // namespace

TFMEX_PLUGIN_VERSION

TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  namespace gw = tfmex::gw;
  gw::check_counts(nlhs, nrhs, 4, PLUGIN " requires four input arguments.",
                   PLUGIN " requires one output argument.");
  gw::check_real_double(4, prhs, TFMEX_TYPE_MSG(PLUGIN));
  const mxArray* W = prhs[0];
  const mxArray* qmf = prhs[2];
  const mxArray* dqmf = prhs[3];
  gw::check_size(mxGetM(W), mxGetN(W), 1, TFMEX_SIZE_MSG(PLUGIN));
  gw::check_size(mxGetM(qmf), mxGetN(qmf), 1, TFMEX_SIZE_MSG(PLUGIN));
  gw::check_size(mxGetM(dqmf), mxGetN(dqmf), 1, TFMEX_SIZE_MSG(PLUGIN));
  const gw::Signals s = gw::orient(W);
  const int J = gw::dyadic_length(static_cast<std::size_t>(s.n), PLUGIN " requires dyadic length");
  const double level = gw::scalar(prhs[1], TFMEX_SCALAR_MSG(PLUGIN));
  // The up kernels centre each filter on its middle tap; an even length (an
  // empty filter included) has none and would make them read past the filter.
  const int m1 = gw::length(qmf), m2 = gw::length(dqmf);
  if (!odd(m1) || !odd(m2)) gw::fail(PLUGIN " requires odd-length filters");

  int L = gw::round_nearest(level);
  L = L < 0 ? 0 : (L > J ? J : L);
  // The columns are split over the threads, each part with 2n values of its
  // own behind the high-pass filter.
  const int parts = tfmex::par::parts_for(s.count, 1.0 * s.n * s.count * (m1 + m2 + 2),
                                          tfmex::par::kMinWork);
  const std::size_t stride = tfmex::par::part_stride(2 * static_cast<std::size_t>(s.n));
  const std::size_t gsize = tfmex::par::part_stride(static_cast<std::size_t>(m1));
  gw::Workspace ws(gsize + stride * parts, TFMEX_MEMORY_MSG(PLUGIN));
  plhs[0] = gw::create(mxGetM(W), mxGetN(W));
  double* gt = ws.data();
  tfmex::centred::mirrorsymmfilt(gw::data(qmf), gt, m1);
  const double* in = gw::data(W);
  double* out = mxGetPr(plhs[0]);
  tfmex::par::run(parts, [&](int p) {
    const std::ptrdiff_t c0 = tfmex::par::part_begin(s.count, parts, p);
    const std::ptrdiff_t c1 = tfmex::par::part_begin(s.count, parts, p + 1);
    double* w0 = ws.data() + gsize + stride * p;
    idpwt(in + c0 * s.n, s.n, static_cast<int>(c1 - c0), L, J, gt, gw::data(dqmf), m1, m2,
          out + c0 * s.n, w0, w0 + s.n);
  });
}
