// CenterPredict: refines a sequence by a factor of three.
//
//   f = CenterPredict(c, D)
//
// f is the 1 x 3m row refining the m values of c: each value repeated three
// times (D = 0), or the median-interpolating refinement (D = 2); any other D
// gives zeros. D = 2 needs at least three values.
#include "MEXSource/triadic_gateway.h"

#define PLUGIN "CenterPredict"

TFMEX_PLUGIN_VERSION

TFMEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  static const tfmex::triadic::PredictMessages messages{PLUGIN " requires two input arguments.",
                                                        PLUGIN " requires one output argument.",
                                                        TFMEX_TYPE_MSG(PLUGIN),
                                                        TFMEX_SCALAR_MSG(PLUGIN),
                                                        TFMEX_SIZE_MSG(PLUGIN),
                                                        PLUGIN
                                                        " requires at least three values for D = 2",
                                                        TFMEX_MEMORY_MSG(PLUGIN)};
  tfmex::triadic::predict_gateway(nlhs, plhs, nrhs, prhs, messages, tfmex::center_predict);
}
