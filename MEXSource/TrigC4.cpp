// TrigC4: orthonormal type-IV cosine transform of one signal of dyadic
// length, its own inverse.
//
//   y = TrigC4(x)
//
// y has the shape of x; a matrix is taken as its first column and every other
// value of y is 0.
#include <cstddef>
#include "host/gateway.h"
#include "host/parallel.h"
#include "tfmex/trig.hpp"

TFMEX_PLUGIN_VERSION

TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  namespace gw = tfmex::gw;
  gw::check_counts(nlhs, nrhs, 1, "TRIGC4 requires one input arguments.",
                   "TRIGC4 requires one output argument.");
  gw::check_real_double(1, prhs, TFMEX_TYPE_MSG("TrigC4"));
  const mxArray* x = prhs[0];
  const std::size_t rows = mxGetM(x), cols = mxGetN(x);
  gw::check_size(rows, cols, 1, TFMEX_SIZE_MSG("TrigC4"));
  const std::size_t n = static_cast<std::size_t>(gw::orient(x).n);  // 0 for an empty array
  gw::check_size(n, 1, 8, TFMEX_SIZE_MSG("TrigC4"));                // the 8n-value workspace
  gw::dyadic_length(n, "TRIGC4 requires dyadic length");

  const auto len = static_cast<std::ptrdiff_t>(n);
  gw::Workspace ws(tfmex::trig_workspace(len), TFMEX_MEMORY_MSG("TrigC4"));
  plhs[0] = gw::create(rows, cols);
  double* out = mxGetPr(plhs[0]);
  gw::library_call(TFMEX_MEMORY_MSG("TrigC4"),
                   [&] { tfmex::dct4(gw::data(x), out, len, {}, ws.get()); });
}
