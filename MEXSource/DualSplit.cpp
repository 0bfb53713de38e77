// DualSplit: multilevel biorthogonal wavelet transform with a pair of
// symmetric filters, of a signal or of every column of a matrix.
//
//   W = DualSplit(x, L, qmf, dqmf)
//
// W has the shape of x. Per signal of n = 2^J values: the 2^L coarse
// coefficients first, then the details of levels L, L+1, ... J-1, level j in
// positions 2^j .. 2^(j+1)-1. The analysis low-pass filter is qmf, the
// high-pass filter the centred mirror of dqmf. The down kernels are defined
// for every filter length, so any length (an empty filter included) is taken.
#include <cstddef>
#include "host/gateway.h"
#include "host/parallel.h"
#include "kernels/centred/centred.h"
#include "kernels/periodized/periodized.h"

#define PLUGIN "DualSplit"

namespace {

using tfmex::centred::downhipbs;
using tfmex::centred::downlopbs;
using tfmex::periodized::copydouble;

// Forward transform of ncols signals of n values (0 <= L <= J): J - L
// analysis stages each, every stage splitting the current low-pass block in
// place. g (m2 taps) is the high-pass filter, qmf (m1 taps) the low-pass one;
// work holds n values.
void dpwt(const double* x, int n, int ncols, int L, int J, const double* g, const double* qmf,
          int m1, int m2, double* W, double* work) {
  copydouble(x, W, n * ncols);
  for (int s = 0; s < ncols; ++s) {
    double* w = W + static_cast<std::ptrdiff_t>(s) * n;
    int len = n;
    for (int j = J - 1; j >= L; --j) {
      copydouble(w, work, len);
      downlopbs(work, len, qmf, m1, w);
      downhipbs(work, len, g, m2, w + len / 2);
      len /= 2;
    }
  }
}

}  // namespace

TFMEX_PLUGIN_VERSION

TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  namespace gw = tfmex::gw;
  gw::check_counts(nlhs, nrhs, 4, PLUGIN " requires four input arguments.",
                   PLUGIN " requires one output argument.");
  gw::check_real_double(4, prhs, TFMEX_TYPE_MSG(PLUGIN));
  const mxArray* x = prhs[0];
  const mxArray* qmf = prhs[2];
  const mxArray* dqmf = prhs[3];
  gw::check_size(mxGetM(x), mxGetN(x), 1, TFMEX_SIZE_MSG(PLUGIN));
  gw::check_size(mxGetM(qmf), mxGetN(qmf), 1, TFMEX_SIZE_MSG(PLUGIN));
  gw::check_size(mxGetM(dqmf), mxGetN(dqmf), 1, TFMEX_SIZE_MSG(PLUGIN));
  const gw::Signals s = gw::orient(x);
  const int J = gw::dyadic_length(static_cast<std::size_t>(s.n), PLUGIN " requires dyadic length");
  const double level = gw::scalar(prhs[1], TFMEX_SCALAR_MSG(PLUGIN));

  // L >= J runs no stage; below 0 the extra stages would split blocks of one
  // value, which yields nothing, so L is bounded to 0 .. J.
  int L = gw::round_nearest(level);
  L = L < 0 ? 0 : (L > J ? J : L);
  // The columns are split over the threads, each part with n values of its
  // own behind the high-pass filter.
  const int m1 = gw::length(qmf), m2 = gw::length(dqmf);
  const int parts = tfmex::par::parts_for(s.count, 1.0 * s.n * s.count * (m1 + m2 + 2),
                                          tfmex::par::kMinWork);
  const std::size_t stride = tfmex::par::part_stride(static_cast<std::size_t>(s.n));
  const std::size_t gsize = tfmex::par::part_stride(static_cast<std::size_t>(m2));
  gw::Workspace ws(gsize + stride * parts, TFMEX_MEMORY_MSG(PLUGIN));
  plhs[0] = gw::create(mxGetM(x), mxGetN(x));
  double* g = ws.data();
  tfmex::centred::mirrorsymmfilt(gw::data(dqmf), g, m2);
  const double* in = gw::data(x);
  double* out = mxGetPr(plhs[0]);
  tfmex::par::run(parts, [&](int p) {
    const std::ptrdiff_t c0 = tfmex::par::part_begin(s.count, parts, p);
    const std::ptrdiff_t c1 = tfmex::par::part_begin(s.count, parts, p + 1);
    dpwt(in + c0 * s.n, s.n, static_cast<int>(c1 - c0), L, J, g, gw::data(qmf), m1, m2,
         out + c0 * s.n, ws.data() + gsize + stride * p);
  });
}
