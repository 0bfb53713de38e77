// PacketJoin: adjoint of PacketSplit, the sum of the syntheses of every column
// of a packet table.
//
//   y = PacketJoin(T, h)
//
// T has n = 2^J rows and D + 1 columns (0 <= D <= J), packets ordered as
// PacketSplit orders them; y is a row of n values. For an orthonormal filter,
// PacketJoin(PacketSplit(x, D, h), h) = (D + 1) x.
#include <cstddef>
#include "host/gateway.h"
#include "host/parallel.h"
#include "kernels/periodized/periodized.h"

#define PLUGIN "PacketJoin"

namespace {

using namespace tfmex::periodized;

// y = Y_0, where Y_D is column D of T and packet k of Y_i is packet k of
// column i plus UpLo of its low-pass child and UpHi of its high-pass child in
// Y_(i+1). y is rebuilt in place, coarsest stage first. g is the high-pass
// filter, h the low-pass one. The blocks of a stage are split over up to
// `parts` threads; part p has three vectors of n values at work + p * stride.
void wpsynthesis(double* y, int n, int D, const double* g, const double* h, int m,
                 const double* T, double* work, std::size_t stride, int parts) {
  copydouble(T + static_cast<std::ptrdiff_t>(D) * n, y, n);
  if (D <= 0) return;
  for (int i = D - 1; i >= 0; --i) {
    const int c = n >> i;
    const int e = c / 2;
    const int count = 1 << i;
    const double* column = T + static_cast<std::ptrdiff_t>(i) * n;
    // Block k reads and writes y only in its own c values.
    const int level_parts = count < parts ? count : parts;
    tfmex::par::run(level_parts, [&](int p) {
      double* w0 = work + stride * p;
      double* w1 = w0 + n;
      double* w2 = w1 + n;
      const std::ptrdiff_t k1 = tfmex::par::part_begin(count, level_parts, p + 1);
      for (std::ptrdiff_t k = tfmex::par::part_begin(count, level_parts, p); k < k1; ++k) {
        const std::ptrdiff_t at = k * c;
        const std::ptrdiff_t lo = 2 * k + (k % 2);
        const std::ptrdiff_t hi = 2 * k + 1 - (k % 2);
        copydouble(column + at, w0, c);
        uplo(y + lo * e, e, h, m, w1);
        uphi(y + hi * e, e, g, m, w2);
        copyadd(w1, w0, c);
        copyadd(w2, w0, c);
        copydouble(w0, y + at, c);
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
  gw::check_size(n, 3, 1, TFMEX_SIZE_MSG(PLUGIN));  // the workspace
  const int D = gw::table_depth(t, PLUGIN " requires dyadic length", PLUGIN " requires D <= log_2(n)",
                                PLUGIN " requires D >= 0").D;

  const int m = gw::length(h);
  // Every stage synthesises 2n values; the threads share its blocks.
  const int parts = tfmex::par::parts_for(std::ptrdiff_t{1} << (D > 0 ? D - 1 : 0),
                                          2.0 * n * (m + 1), tfmex::par::kMinWork);
  const std::size_t stride = tfmex::par::part_stride(3 * n);
  const std::size_t gsize = tfmex::par::part_stride(static_cast<std::size_t>(m));
  gw::Workspace ws(gsize + stride * parts, TFMEX_MEMORY_MSG(PLUGIN));
  plhs[0] = gw::create(1, n);
  double* g = ws.data();
  gw::highpass(h, g);
  wpsynthesis(mxGetPr(plhs[0]), static_cast<int>(n), D, g, gw::data(h), m, gw::data(t),
              ws.data() + gsize, stride, parts);
}
