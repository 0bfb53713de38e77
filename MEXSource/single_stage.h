// The gateway shared by the four single-stage plug-ins: one periodized
// analysis or synthesis stage on the first column (or the row) of the first
// argument, with the filter of the second argument. A row gives a row, any
// other argument a column.
#ifndef TFMEX_MEXSOURCE_SINGLE_STAGE_H
#define TFMEX_MEXSOURCE_SINGLE_STAGE_H

#include "host/gateway.h"
#include "host/parallel.h"
#include "kernels/periodized/periodized.h"

namespace {

using StageKernel = void (*)(const double* x, int n, const double* f, int m, double* y);

struct Stage {
  StageKernel kernel;
  bool highpass;  // filter with the mirrored filter made from the argument
  bool grow;      // synthesis: 2n values out; analysis: n/2
};

void single_stage(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[], const Stage& stage,
                  const char* in_msg, const char* out_msg, const char* type_msg,
                  const char* size_msg, const char* length_msg, const char* memory_msg) {
  namespace gw = tfmex::gw;
  gw::check_counts(nlhs, nrhs, 2, in_msg, out_msg);
  gw::check_real_double(2, prhs, type_msg);
  const mxArray* x = prhs[0];
  const mxArray* h = prhs[1];
  gw::check_size(mxGetM(x), mxGetN(x), stage.grow ? 2 : 1, size_msg);
  gw::check_size(mxGetM(h), mxGetN(h), 1, size_msg);
  const gw::Signals s = gw::orient(x);
  gw::dyadic_length(static_cast<std::size_t>(s.n), length_msg);

  const std::size_t out_len = stage.grow ? 2 * static_cast<std::size_t>(s.n)
                                         : static_cast<std::size_t>(s.n / 2);
  // The mirrored filter, when there is one, is the only workspace.
  gw::Workspace g(stage.highpass ? static_cast<std::size_t>(gw::length(h)) : 0, memory_msg);
  plhs[0] = s.row ? gw::create(1, out_len) : gw::create(out_len, 1);
  if (stage.highpass) gw::highpass(h, g.data());
  stage.kernel(gw::data(x), s.n, stage.highpass ? g.data() : gw::data(h), gw::length(h),
               mxGetPr(plhs[0]));
}

}  // namespace

// Declares the gateway of single-stage plug-in `name`.
#define TFMEX_SINGLE_STAGE_PLUGIN(name, kernel, highpass, grow)                                 \
  TFMEX_PLUGIN_VERSION                                                                          \
  TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {  \
    single_stage(nlhs, plhs, nrhs, prhs, Stage{kernel, highpass, grow},                         \
                 name " requires two input arguments.", name " requires one output argument.", \
                 TFMEX_TYPE_MSG(name), TFMEX_SIZE_MSG(name), name " requires dyadic length",    \
                 TFMEX_MEMORY_MSG(name));                                                       \
  }

#endif
