// The gateway shared by the four single-stage plug-ins: one periodized
// analysis or synthesis stage on the first column (or the row) of the first
// argument, with the filter of the second argument. A row gives a row, any
// other argument a column.
#ifndef TFMEX_MEXSOURCE_SINGLE_STAGE_H
#define TFMEX_MEXSOURCE_SINGLE_STAGE_H

#include <cstddef>

#include "host/gateway.h"
#include "host/parallel.h"
#include "tfmex/periodized.hpp"

namespace {

// The stage on one packed signal of n values, and the workspace it needs
// (none when `workspace` is null).
using StageCall = void (*)(const double* x, double* y, std::ptrdiff_t n, tfmex::Taps h,
                           tfmex::Workspace* ws);
using StageWorkspace = std::size_t (*)(std::ptrdiff_t n, tfmex::Taps h, const tfmex::Batch&);

struct Stage {
  StageCall call;
  StageWorkspace workspace;
  bool grow;  // synthesis: 2n values out; analysis: n/2
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

  const std::size_t out_len =
      stage.grow ? 2 * static_cast<std::size_t>(s.n) : static_cast<std::size_t>(s.n / 2);
  const tfmex::Taps taps(gw::data(h), gw::length(h));
  // The mirrored filter, when there is one, is the only workspace.
  gw::Workspace ws(stage.workspace != nullptr ? stage.workspace(s.n, taps, {}) : 0, memory_msg);
  plhs[0] = s.row ? gw::create(1, out_len) : gw::create(out_len, 1);
  double* out = mxGetPr(plhs[0]);
  gw::library_call(memory_msg, [&] { stage.call(gw::data(x), out, s.n, taps, ws.get()); });
}

}  // namespace

// Declares the gateway of single-stage plug-in `name`: `call` is a function
// with the signature of StageCall, `workspace` the size of its workspace or
// nullptr.
#define TFMEX_SINGLE_STAGE_PLUGIN(name, call, workspace, grow)                                 \
  TFMEX_PLUGIN_VERSION                                                                         \
  TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {  \
    single_stage(nlhs, plhs, nrhs, prhs, Stage{call, workspace, grow},                         \
                 name " requires two input arguments.", name " requires one output argument.", \
                 TFMEX_TYPE_MSG(name), TFMEX_SIZE_MSG(name), name " requires dyadic length",   \
                 TFMEX_MEMORY_MSG(name));                                                      \
  }

#endif
