// Gateway rules shared by the triadic pyramid and refinement plug-ins: their
// vector length, the triadic-length test, the coarse-level argument, and the
// two gateways that several plug-ins share (pyramid inverse, sequence
// refinement). The transforms themselves are the library's (tfmex/triadic.hpp).
#ifndef TFMEX_MEXSOURCE_TRIADIC_GATEWAY_H
#define TFMEX_MEXSOURCE_TRIADIC_GATEWAY_H

#include <cstddef>

#include "host/gateway.h"
#include "host/parallel.h"
#include "tfmex/triadic.hpp"

namespace tfmex::triadic {

namespace gw = tfmex::gw;

// Length of a vector argument: its column count, or its row count when it has
// one column. An array without elements has length 0, so that no value is
// read from an empty array that claims columns.
inline std::size_t vector_length(const mxArray* a) {
  const std::size_t rows = mxGetM(a), cols = mxGetN(a);
  if (rows == 0 || cols == 0) return 0;
  return cols == 1 ? rows : cols;
}

// Triadic-length test: J is the smallest integer >= 0 with 3^J >= n (0 for
// n <= 1); n must equal 3^J, else msg. n = 0 fails.
inline int triadic_length(std::size_t n, const char* msg) {
  std::size_t k = 1;
  int J = 0;
  while (k < n) {
    k *= 3;
    ++J;
  }
  if (k != n) gw::fail(msg);
  return J;
}

// The coarse level: a finite scalar (else scalar_msg), at least 1 as a double
// (else range_msg), then truncated toward zero.
inline int coarse_level(const mxArray* a, const char* scalar_msg, const char* range_msg) {
  const double level = gw::scalar(a, scalar_msg);
  if (!(level >= 1)) gw::fail(range_msg);
  return gw::truncate(level);
}

// A library inverse pyramid and the size of its workspace.
using JoinCall = void (*)(const double* wc, double* x, std::ptrdiff_t n, int L, int D,
                          const tfmex::Batch& batch, tfmex::Workspace* ws);
using JoinWorkspace = std::size_t (*)(std::ptrdiff_t n, int L, const tfmex::Batch& batch);

struct JoinMessages {
  const char* type;
  const char* scalar;
  const char* size;
  const char* memory;
};

// x = Plugin(wc, L, D): wc holds 2n (or 2n + 1) values, n = 3^J; the result is
// a 1 x n row. L above J acts as L = J.
inline void join_gateway(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[],
                         const JoinMessages& msg, JoinWorkspace workspace, JoinCall join) {
  gw::check_counts(nlhs, nrhs, 3, "CenterJoin requires three input arguments.",
                   "CenterJoin requires one output argument.");
  gw::check_real_double(3, prhs, msg.type);
  const mxArray* wc = prhs[0];
  const int L = coarse_level(prhs[1], msg.scalar, "In CenterJoin: L must be >= 1");
  gw::check_size(mxGetM(wc), mxGetN(wc), 1, msg.size);
  const std::size_t n = vector_length(wc) / 2;
  triadic_length(n, "Input WC to CenterJoin is of incompatible size");
  const int D = gw::truncate(gw::scalar(prhs[2], msg.scalar));

  // The first 2n values are the pyramid; a last odd value is not read. The
  // library reads L above J as L = J.
  const std::ptrdiff_t len = static_cast<std::ptrdiff_t>(n);
  gw::Workspace ws(workspace(len, L, {}), msg.memory);
  plhs[0] = gw::create(1, n);
  double* out = mxGetPr(plhs[0]);
  gw::library_call(msg.memory, [&] { join(gw::data(wc), out, len, L, D, {}, ws.get()); });
}

// A library sequence refinement: c (m values) into f (3m values).
using PredictCall = void (*)(const double* c, double* f, std::ptrdiff_t m, int D,
                             const tfmex::Batch& batch, tfmex::Workspace* ws);

struct PredictMessages {
  const char* inputs;
  const char* outputs;
  const char* type;
  const char* scalar;
  const char* size;
  const char* few;
  const char* memory;  // for a library call that lacks memory (one packed vector never does)
};

// f = Plugin(c, D): the 1 x 3m refinement of the m values of c. D = 2 needs
// at least three values; any D other than 0 and 2 gives zeros.
inline void predict_gateway(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[],
                            const PredictMessages& msg, PredictCall predict) {
  gw::check_counts(nlhs, nrhs, 2, msg.inputs, msg.outputs);
  gw::check_real_double(2, prhs, msg.type);
  const mxArray* c = prhs[0];
  gw::check_size(mxGetM(c), mxGetN(c), 1, msg.size);
  const std::size_t m = vector_length(c);
  gw::check_size(m, 1, 3, msg.size);
  const int D = gw::truncate(gw::scalar(prhs[1], msg.scalar));
  if (D == 2 && m < 3) gw::fail(msg.few);

  // One packed vector takes no workspace.
  plhs[0] = gw::create(1, 3 * m);
  double* out = mxGetPr(plhs[0]);
  gw::library_call(msg.memory, [&] {
    predict(gw::data(c), out, static_cast<std::ptrdiff_t>(m), D, {}, nullptr);
  });
}

}  // namespace tfmex::triadic

#endif
