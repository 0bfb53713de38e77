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
#include "host/parallel.h"
#include "kernels/bells/bells.h"
#include "kernels/trig/table_cache.h"
#include "kernels/trig/trig.h"

#define PLUGIN "BellSplit"

namespace {

using namespace tfmex::bells;

// Fills columns 0 .. D of the n x (D + 1) table from x (read only),
// 0 <= D <= J. bm and bp hold n values each (the bell uses n/2 at most);
// trig holds 10n: for a single block the cosine transform's 4n values of
// scratch and room for its twiddles behind them, for several the room for
// the level's twiddles (the twiddles come from the plug-in's table cache, and
// are made in the room only when the cache cannot have them). Every level is made from x itself, and the
// blocks of a level are split over up to `parts` threads. Part p has 3n
// values at work + p * stride: for a level of several blocks (f <= n/2) the
// transform's 4f values, then the folded block at 2n and the edge buffer at
// 2n + n/2; for a single block, the folded block at 0 and the edge buffer at
// n.
void bellsplit(const double* x, double* table, double* bm, double* bp, double* trig, double* work,
               std::size_t stride, int parts, int D, int n) {
  namespace par = tfmex::par;
  const int m = (n >> D) / 2;
  load_bell(m, bp, bm);
  for (int d = D; d >= 0; --d) {
    const int e = 1 << d;
    const int f = n >> d;
    double* column = table + static_cast<std::ptrdiff_t>(d) * n;
    if (e == 1) {
      // A single block takes trigc4 itself; both sides of the fold are
      // written into the one edge buffer, at its two ends, in this order.
      double* const block = work;
      double* const edge = work + n;
      edgefold(1, x, edge, f, m, bp, bm);
      edgefold(2, x, edge, f, m, bp, bm);
      fold(x, edge, edge, bp, bm, m, f, block);
      double* const scratch = tfmex::trig::trigc4_scratch(trig, f);
      tfmex::trig::SharedTable shared;
      const double* const tables =
          tfmex::trig::shared_trigc4_tables(f, scratch + std::ptrdiff_t{4} * f, &shared);
      tfmex::trig::trigc4_tabled(block, column, scratch, tables, f);
      continue;
    }
    // The blocks of a level share one length and so one set of twiddles.
    tfmex::trig::SharedTable shared;  // the level's cached twiddles, kept alive for it
    const double* const tables = tfmex::trig::shared_trigc4_tables(f, trig, &shared);
    const int level_parts = e < parts ? e : parts;
    par::run(level_parts, [&](int p) {
      double* const w = work + stride * p;
      double* const block = w + 2 * static_cast<std::ptrdiff_t>(n);
      double* const edge = block + n / 2;
      const std::ptrdiff_t i1 = par::part_begin(e, level_parts, p + 1);
      for (std::ptrdiff_t i = par::part_begin(e, level_parts, p); i < i1; ++i) {
        const std::ptrdiff_t s = i * f;
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
        tfmex::trig::trigc4_tabled(block, column + s, w, tables, f);
      }
    });
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

  namespace par = tfmex::par;
  // A level costs some 64 steps per value (folding, the transform's passes),
  // whatever its block length.
  const int parts = par::parts_for(std::ptrdiff_t{1} << D, 64.0 * n, par::kMinWork);
  const std::size_t vec = par::part_stride(n), stride = par::part_stride(3 * n);
  gw::Workspace ws(2 * vec + par::part_stride(10 * n) + stride * parts, TFMEX_MEMORY_MSG(PLUGIN));
  plhs[0] = gw::create(n, static_cast<std::size_t>(D) + 1);
  double* const w = ws.data();
  bellsplit(gw::data(x), mxGetPr(plhs[0]), w, w + vec, w + 2 * vec,
            w + 2 * vec + par::part_stride(10 * n), stride, parts, D, sig.n);
}
