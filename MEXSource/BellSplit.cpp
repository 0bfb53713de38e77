// BellSplit: cosine packet table of a signal.
//
//   T = BellSplit(x, D, bell)
//
// x is a signal of n = 2^J values (a row, a column, or the first column of a
// matrix); T has n rows and D + 1 columns (0 <= D <= J). Column d holds 2^d
// consecutive blocks of f = n / 2^d values, each block folded with its
// neighbours under a sine bell of half-width m = n / 2^(D+1) (0 for D = J)
// and then transformed by the type-IV cosine transform; the two ends of the
// signal pass through the fold unchanged. Every column is an orthonormal
// transform of x. D is read by half-up truncation (x + 0.5 toward zero).
// The third argument names the bell; the sine bell is the only one, so it
// is never read.
#include <cstddef>
#include "host/gateway.h"
#include "kernels/bells/bells.h"
#include "kernels/trig/table_cache.h"
#include "kernels/trig/trig.h"

#define PLUGIN "BellSplit"

namespace {

using namespace tfmex::bells;

// Fills columns 0 .. D of the n x (D + 1) table from x (read only),
// 0 <= D <= J. work holds the 8n values of the cosine transform, bm and bp
// n values each (the bell uses n/2 at most), edge the edge buffer and block
// the folded block, n values each. Every level is made from x itself.
void bellsplit(const double* x, double* table, double* work, double* bm, double* bp,
               double* edge, double* block, int D, int n) {
  const int m = (n >> D) / 2;
  load_bell(m, bp, bm);
  work = tfmex::trig::trigc4_scratch(work, n);
  for (int d = D; d >= 0; --d) {
    const int e = 1 << d;
    const int f = n >> d;
    double* column = table + static_cast<std::ptrdiff_t>(d) * n;
    // The blocks of a level share one length, so the cosine transform's
    // twiddles are made once per level, behind the 4f values its passes use
    // (10f - 4 <= 8n values in all, since f <= n/2 when there are two blocks
    // or more). A single block takes trigc4 itself.
    tfmex::trig::SharedTable shared;  // the level's cached twiddles, kept alive for it
    const double* const tables =
        e > 1 ? tfmex::trig::shared_trigc4_tables(f, work + std::ptrdiff_t{4} * f, &shared) : nullptr;
    for (int i = 0; i < e; ++i) {
      const std::ptrdiff_t s = static_cast<std::ptrdiff_t>(i) * f;
      // With a single block both sides are written into the one buffer, at
      // its two ends, in this order.
      const double* left = edge;
      const double* right = edge;
      if (i == 0) {
        edgefold(1, x, edge, f, m, bp, bm);
      } else {
        left = x + (s - f);
      }
      if (i == e - 1) {
        edgefold(2, x + s, edge, f, m, bp, bm);
      } else {
        right = x + (s + f);
      }
      fold(x + s, left, right, bp, bm, m, f, block);
      if (e > 1) {
        tfmex::trig::trigc4_tabled(block, column + s, work, tables, f);
      } else {
        tfmex::trig::trigc4(block, column + s, work, f);
      }
    }
  }
}

}  // namespace

TFMEX_PLUGIN_VERSION

TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  namespace gw = tfmex::gw;
  gw::check_counts(nlhs, nrhs, 3, PLUGIN " requires three input arguments.",
                   PLUGIN " requires one output argument.");
  // The signal and the depth are read; the bell argument is not.
  gw::check_real_double(2, prhs, TFMEX_TYPE_MSG(PLUGIN));
  const mxArray* x = prhs[0];
  gw::check_size(mxGetM(x), mxGetN(x), 1, TFMEX_SIZE_MSG(PLUGIN));
  const gw::Signals sig = gw::orient(x);  // the row, or the first column
  const std::size_t n = static_cast<std::size_t>(sig.n);
  gw::check_size(n, 13, 1, TFMEX_SIZE_MSG(PLUGIN));  // the workspace
  const int J = gw::dyadic_length(n, PLUGIN " requires dyadic length");
  // Saturated to +-2^30 by scalar(), so D + 1 cannot overflow.
  const int D = gw::round_half_up(gw::scalar(prhs[1], TFMEX_SCALAR_MSG(PLUGIN)));
  // Beyond J the columns would stay zero, below 0 the table would have a
  // negative width: both are refused.
  if (D > J) gw::fail(PLUGIN " requires D <= log_2(n)");
  if (D < 0) gw::fail(PLUGIN " requires D >= 0");
  gw::check_size(n, static_cast<std::size_t>(D) + 1, 1, TFMEX_SIZE_MSG(PLUGIN));  // the table

  plhs[0] = gw::create(n, static_cast<std::size_t>(D) + 1);
  mxArray* scratch = gw::create(13 * n, 1);
  double* ws = mxGetPr(scratch);
  bellsplit(gw::data(x), mxGetPr(plhs[0]), ws, ws + 8 * n, ws + 9 * n, ws + 10 * n, ws + 11 * n,
            D, sig.n);
  gw::release(scratch);
}
