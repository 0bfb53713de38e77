// Gateway rules shared by the triadic pyramid and refinement plug-ins: their
// vector length, the triadic-length test, the coarse-level argument, scratch
// memory for the pyramid kernels, and the two gateways that several plug-ins
// share (pyramid inverse, sequence refinement).
#ifndef TFMEX_MEXSOURCE_TRIADIC_GATEWAY_H
#define TFMEX_MEXSOURCE_TRIADIC_GATEWAY_H

#include <cstddef>
#include <cstdlib>
#include <initializer_list>

#include "host/gateway.h"
#include "kernels/refinement/refinement.h"

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

// Scratch arrays of the pyramid kernels, zero-filled, taken from the general
// allocator before the gateway creates any host array, so that a failure can
// be reported like any other refusal and leaves nothing behind.
struct Scratch {
  static constexpr int kMax = 4;
  double* p[kMax] = {nullptr, nullptr, nullptr, nullptr};

  // Allocates one array per count (at least one element each); on failure
  // frees what it took and raises msg.
  void allocate(std::initializer_list<std::size_t> counts, const char* msg) {
    int i = 0;
    for (std::size_t c : counts) {
      p[i] = static_cast<double*>(std::calloc(c > 0 ? c : 1, sizeof(double)));
      if (p[i] == nullptr) {
        release();
        gw::fail(msg);
      }
      ++i;
    }
  }
  void release() {
    for (double*& q : p) {
      std::free(q);
      q = nullptr;
    }
  }
};

// Creates a host matrix while scratch is held: should the host refuse the
// allocation and end the call by unwinding, the scratch is freed first.
inline mxArray* create_holding(std::size_t rows, std::size_t cols, Scratch& scratch) {
  try {
    return gw::create(rows, cols);
  } catch (...) {
    scratch.release();
    throw;
  }
}

// Sequence refinement: c (m values) into f (3m values) with degree D.
using Refinement = void (*)(const double* c, double* f, int m, int D);

// The level loop of the inverse pyramids: x (3^J values) rebuilt from the
// coarse values divided by their scale, then at every finer level the
// prediction `refine` makes from the level below plus the stored difference
// divided by its scale (division first, then addition). pred (zero-filled,
// 3^J values) is scratch; L <= J.
inline void inverse_pyramid(const double* wc, int L, int D, double* x, int J, double* pred,
                            Refinement refine) {
  using tfmex::refinement::level_scale;
  using tfmex::refinement::pow3;
  const double sL = level_scale(J, L);
  const int k = pow3(L);
  for (int i = 0; i < k; ++i) x[i] = wc[i] / sL;
  for (int b = L + 1; b <= J; ++b) {
    refine(x, pred, pow3(b - 1), D);
    const double s = level_scale(J, b);
    const int kb = pow3(b);
    for (int j = 0; j < kb; ++j) x[j] = wc[kb + j] / s + pred[j];
  }
}

// Inverse pyramid kernel: wc (2n), L, D, x (n), n, J, prediction scratch (n).
using InverseKernel = void (*)(const double*, int, int, double*, int, int, double*);

struct JoinMessages {
  const char* type;
  const char* scalar;
  const char* size;
  const char* memory;
};

// x = Plugin(wc, L, D): wc holds 2n (or 2n + 1) values, n = 3^J; the result is
// a 1 x n row. L above J acts as L = J.
inline void join_gateway(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[],
                         const JoinMessages& msg, InverseKernel kernel) {
  gw::check_counts(nlhs, nrhs, 3, "CenterJoin requires three input arguments.",
                   "CenterJoin requires one output argument.");
  gw::check_real_double(3, prhs, msg.type);
  const mxArray* wc = prhs[0];
  int L = coarse_level(prhs[1], msg.scalar, "In CenterJoin: L must be >= 1");
  gw::check_size(mxGetM(wc), mxGetN(wc), 1, msg.size);
  const std::size_t n = vector_length(wc) / 2;
  const int J = triadic_length(n, "Input WC to CenterJoin is of incompatible size");
  const int D = gw::truncate(gw::scalar(prhs[2], msg.scalar));
  if (L > J) L = J;

  Scratch scratch;
  if (L < J) scratch.allocate({n}, msg.memory);
  plhs[0] = create_holding(1, n, scratch);
  kernel(gw::data(wc), L, D, mxGetPr(plhs[0]), static_cast<int>(n), J, scratch.p[0]);
  scratch.release();
}

// Sequence refinement kernel: c (m), f (3m), m, D.
using SequenceKernel = void (*)(const double*, double*, int, int);

struct PredictMessages {
  const char* inputs;
  const char* outputs;
  const char* type;
  const char* scalar;
  const char* size;
  const char* few;
};

// f = Plugin(c, D): the 1 x 3m refinement of the m values of c. D = 2 needs
// at least three values; any D other than 0 and 2 gives zeros.
inline void predict_gateway(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[],
                            const PredictMessages& msg, SequenceKernel kernel) {
  gw::check_counts(nlhs, nrhs, 2, msg.inputs, msg.outputs);
  gw::check_real_double(2, prhs, msg.type);
  const mxArray* c = prhs[0];
  gw::check_size(mxGetM(c), mxGetN(c), 1, msg.size);
  const std::size_t m = vector_length(c);
  gw::check_size(m, 1, 3, msg.size);
  const int D = gw::truncate(gw::scalar(prhs[1], msg.scalar));
  if (D == 2 && m < 3) gw::fail(msg.few);

  plhs[0] = gw::create(1, 3 * m);
  if (m > 0) kernel(gw::data(c), mxGetPr(plhs[0]), static_cast<int>(m), D);
}

}  // namespace tfmex::triadic

#endif
