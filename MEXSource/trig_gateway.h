// The gateway shared by the four type-II/III cosine and sine plug-ins: one
// signal of dyadic length (the row, or the first column of anything else)
// transformed by one kernel; the result has the argument's shape and every
// value beyond the first n is 0.
#ifndef TFMEX_MEXSOURCE_TRIG_GATEWAY_H
#define TFMEX_MEXSOURCE_TRIG_GATEWAY_H

#include "host/gateway.h"
#include "host/parallel.h"
#include "kernels/periodized/periodized.h"
#include "kernels/trig/trig.h"

namespace {

struct TrigMessages {
  const char* inputs;
  const char* outputs;
  const char* type;
  const char* size;
  const char* length;
  const char* memory;
};

using TrigKernel = void (*)(double* x, double* y, int J, double* work);

// One workspace of 4n doubles: the signal at 0, the Hartley scratch at n and
// the kernels' 2n-value workspace at 2n, into which the tables are copied
// from the plug-in's table cache (built there on the first call). The
// workspace is kept between calls of any length, so the first value of the
// kernels' part, which they read as the length their tables were made for,
// is zeroed first: a value another call left there cannot pass for the mark.
void trig_gateway(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[], TrigKernel kernel,
                  const TrigMessages& msg) {
  namespace gw = tfmex::gw;
  gw::check_counts(nlhs, nrhs, 1, msg.inputs, msg.outputs);
  gw::check_real_double(1, prhs, msg.type);
  const mxArray* x = prhs[0];
  const std::size_t rows = mxGetM(x), cols = mxGetN(x);
  gw::check_size(rows, cols, 1, msg.size);
  const std::size_t n = static_cast<std::size_t>(gw::orient(x).n);  // 0 for an empty array
  gw::check_size(n, 1, 4, msg.size);
  const int J = gw::dyadic_length(n, msg.length);

  gw::Workspace scratch(4 * n, msg.memory);
  plhs[0] = gw::create(rows, cols);
  double* ws = scratch.data();
  ws[2 * n] = 0.0;
  const int len = static_cast<int>(n);
  tfmex::periodized::copydouble(gw::data(x), ws, len);
  tfmex::trig::cosine_tables(ws + 2 * n, J);
  kernel(ws, ws + n, J, ws + 2 * n);
  tfmex::periodized::copydouble(ws, mxGetPr(plhs[0]), len);
}

}  // namespace

// Declares the gateway of plug-in `name` on `kernel`, with its messages.
#define TFMEX_TRIG_PLUGIN(name, kernel)                                                    \
  TFMEX_PLUGIN_VERSION                                                                     \
  TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) { \
    static const TrigMessages msg{name " requires one input argument.",                   \
                                  name " requires one output argument.",                  \
                                  TFMEX_TYPE_MSG(name), TFMEX_SIZE_MSG(name),              \
                                  name " requires dyadic length", TFMEX_MEMORY_MSG(name)};  \
    trig_gateway(nlhs, plhs, nrhs, prhs, kernel, msg);                                     \
  }

#endif
