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
#include "tfmex/trig.hpp"

#define PLUGIN "BellSplit"

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

  const std::ptrdiff_t len = sig.n;
  gw::Workspace ws(tfmex::bell_split_workspace(len, D), TFMEX_MEMORY_MSG(PLUGIN));
  plhs[0] = gw::create(n, static_cast<std::size_t>(D) + 1);
  double* out = mxGetPr(plhs[0]);
  gw::library_call(TFMEX_MEMORY_MSG(PLUGIN),
                   [&] { tfmex::bell_split(gw::data(x), out, len, D, {}, ws.get()); });
}
