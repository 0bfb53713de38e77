// DualJoin: inverse of DualSplit, for a signal or every column of a matrix.
//
//   y = DualJoin(W, L, qmf, dqmf)
//
// y has the shape of W. The synthesis low-pass filter is dqmf, the high-pass
// filter the centred mirror of qmf. Both filters must have odd length: the
// up kernels centre them on their middle tap. L outside 0 .. J is read as the
// nearest end of that range, as DualSplit reads it, so
// DualJoin(DualSplit(x, L, qmf, dqmf), L, qmf, dqmf) returns x for every L.
#include <cstddef>
#include "host/gateway.h"
#include "host/parallel.h"
#include "tfmex/dual.hpp"

#define PLUGIN "DualJoin"

namespace {

bool odd(int m) { return m % 2 == 1; }

}  // namespace

TFMEX_PLUGIN_VERSION

TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  namespace gw = tfmex::gw;
  gw::check_counts(nlhs, nrhs, 4, PLUGIN " requires four input arguments.",
                   PLUGIN " requires one output argument.");
  gw::check_real_double(4, prhs, TFMEX_TYPE_MSG(PLUGIN));
  const mxArray* W = prhs[0];
  const mxArray* qmf = prhs[2];
  const mxArray* dqmf = prhs[3];
  gw::check_size(mxGetM(W), mxGetN(W), 1, TFMEX_SIZE_MSG(PLUGIN));
  gw::check_size(mxGetM(qmf), mxGetN(qmf), 1, TFMEX_SIZE_MSG(PLUGIN));
  gw::check_size(mxGetM(dqmf), mxGetN(dqmf), 1, TFMEX_SIZE_MSG(PLUGIN));
  const gw::Signals s = gw::orient(W);
  const int J = gw::dyadic_length(static_cast<std::size_t>(s.n), PLUGIN " requires dyadic length");
  const double level = gw::scalar(prhs[1], TFMEX_SCALAR_MSG(PLUGIN));
  // The up kernels centre each filter on its middle tap; an even length (an
  // empty filter included) has none and would make them read past the filter.
  const int m1 = gw::length(qmf), m2 = gw::length(dqmf);
  if (!odd(m1) || !odd(m2)) gw::fail(PLUGIN " requires odd-length filters");

  int L = gw::round_nearest(level);
  L = L < 0 ? 0 : (L > J ? J : L);
  const tfmex::Taps lo(gw::data(qmf), m1), hi(gw::data(dqmf), m2);
  const tfmex::Batch batch = tfmex::Batch::packed(s.count);
  gw::Workspace ws(tfmex::dual_join_workspace(s.n, lo, hi, batch), TFMEX_MEMORY_MSG(PLUGIN));
  plhs[0] = gw::create(mxGetM(W), mxGetN(W));
  double* out = mxGetPr(plhs[0]);
  gw::library_call(TFMEX_MEMORY_MSG(PLUGIN),
                   [&] { tfmex::dual_join(gw::data(W), out, s.n, L, lo, hi, batch, ws.get()); });
}
