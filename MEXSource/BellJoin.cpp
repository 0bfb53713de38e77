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
#include "tfmex/trig.hpp"

#define PLUGIN "BellJoin"

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
  const int D = gw::table_depth(t, PLUGIN " requires dyadic length",
                                PLUGIN " requires D <= log_2(n)", PLUGIN " requires D >= 0")
                    .D;

  const auto len = static_cast<std::ptrdiff_t>(n);
  gw::Workspace ws(tfmex::bell_join_workspace(len, D), TFMEX_MEMORY_MSG(PLUGIN));
  plhs[0] = gw::create(1, n);
  double* out = mxGetPr(plhs[0]);
  gw::library_call(TFMEX_MEMORY_MSG(PLUGIN),
                   [&] { tfmex::bell_join(gw::data(t), out, len, D, {}, ws.get()); });
}
