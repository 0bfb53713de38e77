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
#include "tfmex/redundant.hpp"

#define PLUGIN "PacketSplit"

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
  const tfmex::Taps taps(gw::data(h), m);
  gw::Workspace ws(tfmex::packet_split_workspace(sig.n, D, taps), TFMEX_MEMORY_MSG(PLUGIN));
  plhs[0] = gw::create(n, static_cast<std::size_t>(D) + 1);
  double* out = mxGetPr(plhs[0]);
  gw::library_call(TFMEX_MEMORY_MSG(PLUGIN),
                   [&] { tfmex::packet_split(gw::data(x), out, sig.n, D, taps, {}, ws.get()); });
}
