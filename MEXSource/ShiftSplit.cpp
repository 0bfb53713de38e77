// ShiftSplit: translation-invariant periodized wavelet transform.
//
//   T = ShiftSplit(x, L, h)
//
// x is a signal of n = 2^J values (a row, a column, or the first column of a
// matrix); T has n rows and D + 1 columns, D = J - L. Every stage filters each
// block twice, once as it is and once circularly shifted right by one sample,
// so after d stages there are 2^d shift paths. Parent block j has children 2j
// (unshifted) and 2j + 1 (shifted): block b of a column is the path whose bits,
// first stage most significant, spell b. Column 0 holds the 2^D coarse blocks
// of the last stage, column d (1 <= d <= D) the 2^d detail blocks of stage d;
// column 1 is the finest stage.
#include <cstddef>
#include "host/gateway.h"
#include "host/parallel.h"
#include "tfmex/redundant.hpp"

#define PLUGIN "ShiftSplit"

TFMEX_PLUGIN_VERSION

TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  namespace gw = tfmex::gw;
  gw::check_counts(nlhs, nrhs, 3, PLUGIN " requires three input arguments.",
                   "ShiftSplitT requires one output argument.");
  gw::check_real_double(3, prhs, TFMEX_TYPE_MSG(PLUGIN));
  const mxArray* x = prhs[0];
  const mxArray* h = prhs[2];
  gw::check_size(mxGetM(x), mxGetN(x), 1, TFMEX_SIZE_MSG(PLUGIN));
  gw::check_size(mxGetM(h), mxGetN(h), 1, TFMEX_SIZE_MSG(PLUGIN));
  const gw::Signals sig = gw::orient(x);  // the row, or the first column
  const std::size_t n = static_cast<std::size_t>(sig.n);
  gw::check_size(n, 6, 1, TFMEX_SIZE_MSG(PLUGIN));  // the workspace
  const int J = gw::dyadic_length(n, "ShiftSplitT requires dyadic length");
  // The level is saturated to +-2^30, so J - L cannot overflow.
  const int L = gw::round_nearest(gw::scalar(prhs[1], TFMEX_SCALAR_MSG(PLUGIN)));
  const int D = J - L;
  if (D > J) gw::fail("ShiftTable requires D < log_2(n)");
  if (D < 0) gw::fail("ShiftTable requires D >= 0");
  gw::check_size(n, static_cast<std::size_t>(D) + 1, 1, TFMEX_SIZE_MSG(PLUGIN));  // the table

  const int m = gw::length(h);
  const tfmex::Taps taps(gw::data(h), m);
  gw::Workspace ws(tfmex::shift_split_workspace(sig.n, L, taps), TFMEX_MEMORY_MSG(PLUGIN));
  plhs[0] = gw::create(n, static_cast<std::size_t>(D) + 1);
  double* out = mxGetPr(plhs[0]);
  gw::library_call(TFMEX_MEMORY_MSG(PLUGIN),
                   [&] { tfmex::shift_split(gw::data(x), out, sig.n, L, taps, {}, ws.get()); });
}
