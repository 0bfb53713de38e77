// The gateway shared by the four type-II/III cosine and sine plug-ins: one
// signal of dyadic length (the row, or the first column of anything else)
// transformed by one library call; the result has the argument's shape and
// every value beyond the first n is 0.
#ifndef TFMEX_MEXSOURCE_TRIG_GATEWAY_H
#define TFMEX_MEXSOURCE_TRIG_GATEWAY_H

#include <cstddef>
#include "host/gateway.h"
#include "host/parallel.h"
#include "tfmex/trig.hpp"

namespace {

struct TrigMessages {
  const char* inputs;
  const char* outputs;
  const char* type;
  const char* size;
  const char* length;
  const char* memory;
};

using TrigTransform = void (*)(const double* x, double* y, std::ptrdiff_t n,
                               const tfmex::Batch& batch, tfmex::Workspace* ws);

void trig_gateway(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[],
                  TrigTransform transform, const TrigMessages& msg) {
  namespace gw = tfmex::gw;
  gw::check_counts(nlhs, nrhs, 1, msg.inputs, msg.outputs);
  gw::check_real_double(1, prhs, msg.type);
  const mxArray* x = prhs[0];
  const std::size_t rows = mxGetM(x), cols = mxGetN(x);
  gw::check_size(rows, cols, 1, msg.size);
  const std::size_t n = static_cast<std::size_t>(gw::orient(x).n);  // 0 for an empty array
  gw::check_size(n, 1, 4, msg.size);
  gw::dyadic_length(n, msg.length);

  const auto len = static_cast<std::ptrdiff_t>(n);
  gw::Workspace ws(tfmex::trig_workspace(len), msg.memory);
  plhs[0] = gw::create(rows, cols);
  double* out = mxGetPr(plhs[0]);
  gw::library_call(msg.memory, [&] { transform(gw::data(x), out, len, {}, ws.get()); });
}

}  // namespace

// Declares the gateway of plug-in `name` on `transform`, with its messages.
#define TFMEX_TRIG_PLUGIN(name, transform)                                                    \
  TFMEX_PLUGIN_VERSION                                                                        \
  TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) { \
    static const TrigMessages msg{name " requires one input argument.",                       \
                                  name " requires one output argument.",                      \
                                  TFMEX_TYPE_MSG(name),                                       \
                                  TFMEX_SIZE_MSG(name),                                       \
                                  name " requires dyadic length",                             \
                                  TFMEX_MEMORY_MSG(name)};                                    \
    trig_gateway(nlhs, plhs, nrhs, prhs, transform, msg);                                     \
  }

#endif
