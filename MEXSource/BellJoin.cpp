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
#include "host/parallel.h"
#include "kernels/bells/bells.h"
#include "kernels/periodized/periodized.h"
#include "kernels/trig/table_cache.h"
#include "kernels/trig/trig.h"

#define PLUGIN "BellJoin"

namespace {

using namespace tfmex::bells;
using tfmex::periodized::copyadd;

// out (n values) = sum over d = 0 .. D of the inverse of level d applied to
// column d of the n x (D + 1) table, 0 <= D <= J. bm, bp and acc hold n
// values each; main, lspill and rspill hold n values each, block i's share
// at i f; trig holds 10n values: for a single block the cosine transform's
// 4n values of scratch and room for its twiddles behind them, for several the
// room for the level's twiddles (the twiddles come from the plug-in's table
// cache, and are made in the room only when the cache cannot have them).
//
// A level runs in two steps, each split over up to `parts` threads by
// blocks: every block is transformed and unfolded into its shares of main
// and the spills; then every block's own f places of the sum are formed
// from zero by exactly the additions, in exactly the order, that unfolding
// the blocks one after another makes there (the previous block's right
// spill, the block itself, the outer ends or the next block's left spill),
// so the doubles do not depend on the split. Part p has 3n values at
// work + p * stride: the transformed block (f values) at 0, the transform's
// scratch (4f, for several blocks) at n.
void cpsynthesis(const double* table, int n, int D, double* out, double* bm, double* bp,
                 double* acc, double* main, double* lspill, double* rspill, double* trig,
                 double* work, std::size_t stride, int parts) {
  namespace par = tfmex::par;
  const int m = (n >> D) / 2;
  load_bell(m, bp, bm);
  for (int d = D; d >= 0; --d) {
    const int e = 1 << d;
    const int f = n >> d;
    const double* column = table + static_cast<std::ptrdiff_t>(d) * n;
    // The first level is summed in out itself. Adding it to a zeroed out
    // would give the same doubles: a level's sum starts from +0.0, so no
    // value of it is -0.0, and 0.0 + v is v for every other v (a NaN
    // included). That saves a pass to zero acc and one to add it to out.
    double* const sum = d == D ? out : acc;
    // One set of cosine transform twiddles per level, as in BellSplit.
    double* const single = tfmex::trig::trigc4_scratch(trig, f);
    tfmex::trig::SharedTable shared;  // the level's cached twiddles, kept alive for it
    const double* const tables = tfmex::trig::shared_trigc4_tables(
        f, e > 1 ? trig : single + std::ptrdiff_t{4} * f, &shared);
    const int level_parts = e < parts ? e : parts;
    par::run(level_parts, [&](int p) {
      double* const y = work + stride * p;
      const std::ptrdiff_t i1 = par::part_begin(e, level_parts, p + 1);
      for (std::ptrdiff_t i = par::part_begin(e, level_parts, p); i < i1; ++i) {
        const std::ptrdiff_t s = i * f;
        tfmex::trig::trigc4_tabled(column + s, y, e > 1 ? y + n : single, tables, f);
        unfold(y, main + s, lspill + s, rspill + s, f, m, bp, bm);
      }
    });
    par::run(level_parts, [&](int p) {
      const std::ptrdiff_t i1 = par::part_begin(e, level_parts, p + 1);
      for (std::ptrdiff_t i = par::part_begin(e, level_parts, p); i < i1; ++i) {
        const std::ptrdiff_t s = i * f;
        fillzeros(sum + s, f);
        if (i > 0) edgeadd(2, rspill + (s - f), sum + s, f, m);
        copyadd(main + s, sum + s, f);
        if (i == 0) edgeunfold(1, sum, f, m, bp);
        if (i == e - 1) {
          edgeunfold(2, sum + s, f, m, bp);
        } else {
          edgeadd(1, lspill + (s + f), sum + s, f, m);
        }
        if (d != D) copyadd(acc + s, out + s, f);
      }
    });
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

  namespace par = tfmex::par;
  // A level costs some 64 steps per value (folding, the transform's passes),
  // whatever its block length.
  const int parts = par::parts_for(std::ptrdiff_t{1} << D, 64.0 * n, par::kMinWork);
  const std::size_t vec = par::part_stride(n), stride = par::part_stride(3 * n);
  gw::Workspace ws(6 * vec + par::part_stride(10 * n) + stride * parts, TFMEX_MEMORY_MSG(PLUGIN));
  plhs[0] = gw::create(1, n);
  double* const w = ws.data();
  cpsynthesis(gw::data(t), static_cast<int>(n), D, mxGetPr(plhs[0]), w, w + vec, w + 2 * vec,
              w + 3 * vec, w + 4 * vec, w + 5 * vec, w + 6 * vec,
              w + 6 * vec + par::part_stride(10 * n), stride, parts);
}
