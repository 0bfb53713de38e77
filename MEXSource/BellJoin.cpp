// BellJoin: synthesis of a cosine packet table, the sum of the inverses of
// its levels.
//
//   y = BellJoin(T, ...)
//
// T has n = 2^J rows and D + 1 columns (0 <= D <= J), blocks laid out as
// BellSplit lays them out; y is a row of n values. Every level is inverted
// on its own and the results are added, so BellJoin(BellSplit(x, D, b)) =
// (D + 1) x, and a table with a single non-zero column gives x back. A caller
// that wants the signal of one basis zeroes every other coefficient first.
// Arguments after the table are accepted and ignored.
#include <cstddef>
#include "host/gateway.h"
#include "kernels/bells/bells.h"
#include "kernels/periodized/periodized.h"
#include "kernels/trig/table_cache.h"
#include "kernels/trig/trig.h"

#define PLUGIN "BellJoin"

namespace {

using namespace tfmex::bells;
using tfmex::periodized::copyadd;

// out (n values) = sum over d = 0 .. D of the inverse of level d applied to
// column d of the n x (D + 1) table, 0 <= D <= J. bm, bp, y, lspill, rspill
// and acc hold n values each; work holds the 8n values of the cosine
// transform, and its first f values receive the unfolded block.
void cpsynthesis(const double* table, int n, int D, double* out, double* bm, double* bp,
                 double* y, double* lspill, double* rspill, double* acc, double* work) {
  const int m = (n >> D) / 2;
  load_bell(m, bp, bm);
  work = tfmex::trig::trigc4_scratch(work, n);
  double* main = work;
  for (int d = D; d >= 0; --d) {
    const int e = 1 << d;
    const int f = n >> d;
    const double* column = table + static_cast<std::ptrdiff_t>(d) * n;
    // The first level is summed in out itself. Adding it to a zeroed out
    // would give the same doubles: a level's sum starts from +0.0, so no
    // value of it is -0.0, and 0.0 + v is v for every other v (a NaN
    // included). That saves a pass to zero acc and one to add it to out.
    double* const sum = d == D ? out : acc;
    fillzeros(sum, n);
    // One set of cosine transform twiddles per level, as in BellSplit: behind
    // the 4f values of the transform's passes, whose first f receive main.
    tfmex::trig::SharedTable shared;  // the level's cached twiddles, kept alive for it
    const double* const tables =
        e > 1 ? tfmex::trig::shared_trigc4_tables(f, work + std::ptrdiff_t{4} * f, &shared) : nullptr;
    for (int i = 0; i < e; ++i) {
      const std::ptrdiff_t s = static_cast<std::ptrdiff_t>(i) * f;
      if (e > 1) {
        tfmex::trig::trigc4_tabled(column + s, y, work, tables, f);
      } else {
        tfmex::trig::trigc4(column + s, y, work, f);
      }
      unfold(y, main, lspill, rspill, f, m, bp, bm);
      copyadd(main, sum + s, f);
      if (i > 0) {
        edgeadd(1, lspill, sum + s - f, f, m);
      } else {
        edgeunfold(1, sum, f, m, bp);
      }
      if (i < e - 1) {
        edgeadd(2, rspill, sum + s + f, f, m);
      } else {
        edgeunfold(2, sum + s, f, m, bp);
      }
    }
    if (d != D) copyadd(acc, out, n);
  }
}

}  // namespace

TFMEX_PLUGIN_VERSION

TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  namespace gw = tfmex::gw;
  gw::check_counts_at_least(nlhs, nrhs, 1, PLUGIN " requires one input argument.",
                            PLUGIN " requires one output argument.");
  gw::check_real_double(1, prhs, TFMEX_TYPE_MSG(PLUGIN));  // only the table is read
  const mxArray* t = prhs[0];
  const std::size_t n = mxGetM(t), cols = mxGetN(t);  // the table is never transposed
  gw::check_size(n, cols, 1, TFMEX_SIZE_MSG(PLUGIN));
  gw::check_size(n, 14, 1, TFMEX_SIZE_MSG(PLUGIN));  // the workspace
  const int D = gw::table_depth(t, PLUGIN " requires dyadic length", PLUGIN " requires D <= log_2(n)",
                                PLUGIN " requires D >= 0").D;

  plhs[0] = gw::create(1, n);
  mxArray* scratch = gw::create(n, 14);
  double* ws = mxGetPr(scratch);
  cpsynthesis(gw::data(t), static_cast<int>(n), D, mxGetPr(plhs[0]), ws, ws + n, ws + 2 * n,
              ws + 3 * n, ws + 4 * n, ws + 5 * n, ws + 6 * n);
  gw::release(scratch);
}
