#include "gateway.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "../kernels/periodized/periodized.h"

namespace tfmex::gw {

void fail(const char* msg) {
  mexErrMsgTxt(msg);
  // The host does not return from mexErrMsgTxt; should one ever do so, stop
  // here rather than run a gateway past a failed check.
  std::abort();
}

const char* keep_message(const char* msg) {
  // One message at a time is shown by the host, which copies it.
  static char kept[512];
  std::snprintf(kept, sizeof kept, "%s", msg != nullptr ? msg : "");
  return kept;
}

void check_counts(int nlhs, int nrhs, int inputs, const char* in_msg, const char* out_msg) {
  if (nrhs != inputs) fail(in_msg);
  if (nlhs != 1) fail(out_msg);
}

void check_counts_at_least(int nlhs, int nrhs, int inputs, const char* in_msg,
                           const char* out_msg) {
  if (nrhs < inputs) fail(in_msg);
  if (nlhs != 1) fail(out_msg);
}

void check_real_double(int count, const mxArray* const* prhs, const char* msg) {
  for (int i = 0; i < count; ++i) {
    const mxArray* a = prhs[i];
    if (a == nullptr || !mxIsDouble(a) || mxIsComplex(a) || mxIsSparse(a)) fail(msg);
  }
}

void check_size(std::size_t rows, std::size_t cols, std::size_t factor, const char* msg) {
  if (rows == 0 || cols == 0 || factor == 0) return;
  if (rows > kMaxElements || cols > kMaxElements / rows) fail(msg);
  if (factor > kMaxElements / (rows * cols)) fail(msg);
}

Signals orient(const mxArray* a) {
  const std::size_t rows = mxGetM(a), cols = mxGetN(a);
  // An empty array (no rows or no columns) holds no signal: n = 0, which
  // fails every length test. (Otherwise an n x 0 array would pass with n
  // values that it does not hold.)
  if (rows == 0 || cols == 0) return Signals{0, 0, rows == 1};
  if (rows == 1) return Signals{static_cast<int>(cols), 1, true};
  return Signals{static_cast<int>(rows), static_cast<int>(cols), false};
}

int dyadic_length(std::size_t n, const char* msg) {
  std::size_t k = 1;
  int J = 0;
  while (k < n) {
    k *= 2;
    ++J;
  }
  if (k != n) fail(msg);
  return J;
}

Table table_depth(const mxArray* t, const char* length_msg, const char* above_msg,
                  const char* below_msg) {
  const std::size_t n = mxGetM(t), cols = mxGetN(t);
  const int J = dyadic_length(n, length_msg);
  // D = cols - 1, compared in unsigned arithmetic so that no width overflows.
  if (cols > static_cast<std::size_t>(J) + 1) fail(above_msg);
  if (cols == 0) fail(below_msg);
  return Table{static_cast<int>(n), J, static_cast<int>(cols) - 1};
}

double scalar(const mxArray* a, const char* msg) {
  if (mxGetM(a) == 0 || mxGetN(a) == 0) fail(msg);
  const double x = mxGetPr(a)[0];
  if (!std::isfinite(x)) fail(msg);
  if (x > kScalarLimit) return kScalarLimit;
  if (x < -kScalarLimit) return -kScalarLimit;
  return x;
}

int round_nearest(double x) { return static_cast<int>(std::floor(x + 0.5)); }
int round_half_up(double x) { return static_cast<int>(x + 0.5); }
int truncate(double x) { return static_cast<int>(x); }

int length(const mxArray* a) { return static_cast<int>(mxGetM(a) * mxGetN(a)); }

mxArray* create(std::size_t rows, std::size_t cols) {
  return mxCreateDoubleMatrix(rows, cols, mxREAL);
}

void highpass(const mxArray* filter, double* g) {
  const int m = length(filter);
  if (m > 0) periodized::mirrorfilt(data(filter), g, m);
}

}  // namespace tfmex::gw
