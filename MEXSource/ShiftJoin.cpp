// ShiftJoin: inverse of the translation-invariant transform of ShiftSplit.
//
//   y = ShiftJoin(T, h)
//
// T has n = 2^J rows and D + 1 columns (0 <= D <= J), laid out as ShiftSplit
// makes it; y is a row of n values. Every parent block is rebuilt from both
// of its children, the shifted child shifted back, and the two
// reconstructions are averaged.
#include <cstddef>
#include "host/gateway.h"
#include "host/parallel.h"
#include "tfmex/redundant.hpp"

#define PLUGIN "ShiftJoin"

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
  gw::check_size(n, 6, 1, TFMEX_SIZE_MSG(PLUGIN));  // the workspace
  const int D = gw::table_depth(t, PLUGIN " requires dyadic length",
                                PLUGIN " requires D <= log_2(n)", PLUGIN " requires D >= 0")
                    .D;

  const int m = gw::length(h);
  const tfmex::Taps taps(gw::data(h), m);
  const auto rows = static_cast<std::ptrdiff_t>(n);
  gw::Workspace ws(tfmex::shift_join_workspace(rows, D, taps), TFMEX_MEMORY_MSG(PLUGIN));
  plhs[0] = gw::create(1, n);
  double* out = mxGetPr(plhs[0]);
  gw::library_call(TFMEX_MEMORY_MSG(PLUGIN),
                   [&] { tfmex::shift_join(gw::data(t), out, rows, D, taps, {}, ws.get()); });
}
