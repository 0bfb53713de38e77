// PacketSplit: wavelet packet table of a signal.
//
//   T = PacketSplit(x, D, h)
//
// x is a signal of n = 2^J values (a row, a column, or the first column of a
// matrix); T has n rows and D + 1 columns (0 <= D <= J). Column 0 is x; column
// d holds the 2^d packets of stage d, each n / 2^d values. Packet j of column
// d - 1 has its low-pass child at packet 2j + (j mod 2) of column d and its
// high-pass child at 2j + 1 - (j mod 2): the children of an odd parent come
// in the order (high, low).
#include <cstddef>
#include "host/gateway.h"
#include "host/parallel.h"
#include "kernels/periodized/periodized.h"

#define PLUGIN "PacketSplit"

namespace {

using namespace tfmex::periodized;

// Packet table over D stages (0 <= D <= J): T receives n * (D + 1) values,
// column 0 first; every column is made from the one before it. g is the
// high-pass filter, h the low-pass one. The blocks of a stage are split over
// up to `parts` threads; part p has n values at work + p * stride, which take
// a copy of each parent block, whose halves are filtered straight into their
// places in the child column.
void wpd(const double* x, int n, int D, const double* g, const double* h, int m, double* T,
         double* work, std::size_t stride, int parts) {
  copydouble(x, T, n);
  if (D <= 0) return;
  int e = n, c = 1;
  for (int d = 1; d <= D; ++d) {
    const double* parent = T + static_cast<std::ptrdiff_t>(d - 1) * n;
    double* child = T + static_cast<std::ptrdiff_t>(d) * n;
    const int half = e / 2;
    const int level_parts = c < parts ? c : parts;
    tfmex::par::run(level_parts, [&](int p) {
      double* w0 = work + stride * p;
      const std::ptrdiff_t j1 = tfmex::par::part_begin(c, level_parts, p + 1);
      for (std::ptrdiff_t j = tfmex::par::part_begin(c, level_parts, p); j < j1; ++j) {
        copydouble(parent + j * e, w0, e);
        const std::ptrdiff_t lo = 2 * j + (j % 2);
        const std::ptrdiff_t hi = 2 * j + 1 - (j % 2);
        downboth(w0, e, h, g, m, child + lo * half, child + hi * half);
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
                   PLUGIN " requires one output argument.");
  gw::check_real_double(3, prhs, TFMEX_TYPE_MSG(PLUGIN));
  const mxArray* x = prhs[0];
  const mxArray* h = prhs[2];
  gw::check_size(mxGetM(x), mxGetN(x), 1, TFMEX_SIZE_MSG(PLUGIN));
  gw::check_size(mxGetM(h), mxGetN(h), 1, TFMEX_SIZE_MSG(PLUGIN));
  const gw::Signals sig = gw::orient(x);  // the row, or the first column
  const std::size_t n = static_cast<std::size_t>(sig.n);
  gw::check_size(n, 4, 1, TFMEX_SIZE_MSG(PLUGIN));  // the workspace
  const int J = gw::dyadic_length(n, PLUGIN " requires dyadic length");
  // The depth is saturated to +-2^30, so D + 1 cannot overflow.
  const int D = gw::round_nearest(gw::scalar(prhs[1], TFMEX_SCALAR_MSG(PLUGIN)));
  if (D > J) gw::fail(PLUGIN " requires D < log_2(n)");
  if (D < 0) gw::fail(PLUGIN " requires D >= 0");
  gw::check_size(n, static_cast<std::size_t>(D) + 1, 1, TFMEX_SIZE_MSG(PLUGIN));  // the table

  const int m = gw::length(h);
  // Every stage filters n values; the threads share its blocks.
  const int parts = tfmex::par::parts_for(std::ptrdiff_t{1} << (D > 0 ? D - 1 : 0),
                                          1.0 * sig.n * (m + 1), tfmex::par::kMinWork);
  const std::size_t stride = tfmex::par::part_stride(n);
  const std::size_t gsize = tfmex::par::part_stride(static_cast<std::size_t>(m));
  gw::Workspace ws(gsize + stride * parts, TFMEX_MEMORY_MSG(PLUGIN));
  plhs[0] = gw::create(n, static_cast<std::size_t>(D) + 1);
  double* g = ws.data();
  gw::highpass(h, g);
  wpd(gw::data(x), sig.n, D, g, gw::data(h), m, mxGetPr(plhs[0]), ws.data() + gsize, stride,
      parts);
}
