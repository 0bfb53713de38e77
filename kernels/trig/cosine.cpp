// Cosine and sine transforms of types II and III around one Hartley
// transform: an even-odd reordering on one side and a rotation of the pairs
// (j, n - j) on the other. The sine transforms are the cosine ones on the
// sign-alternated signal, with the coefficients reversed.
#include <cmath>

#include "trig.h"

namespace tfmex::trig {

namespace {

constexpr double kHalfRoot2 = 0.707106781186547;
constexpr double kPi = 3.141592653589793;

// alpha_j at work[n/2 + j] and beta_j at work[n + j], j = 0 .. n/2 - 1, unless
// work[0] marks n already; the angle is accumulated by repeated addition.
// hartley marks the workspace only from n = 8 on, so below that a mark can
// only be something the caller left there, and the table is always built.
void rotation_table(double* work, long n) {
  if (n >= 8 && table_ready(work, static_cast<int>(n))) return;
  const long half = n / 2;
  const double step = kPi / (2.0 * static_cast<double>(n));
  double phi = 0.0;
  for (long j = 0; j < half; ++j) {
    const double c = std::cos(phi), s = std::sin(phi);
    work[half + j] = (c - s) * kHalfRoot2;
    work[n + j] = (c + s) * kHalfRoot2;
    phi = phi + step;
  }
}

// out[j] = alpha_j in[j] + beta_j in[n-j], out[n-j] = beta_j in[j] - alpha_j in[n-j].
void rotate(const double* in, double* out, long n, const double* work) {
  const long half = n / 2;
  const double* alpha = work + half;
  const double* beta = work + n;
  out[0] = in[0];
  out[half] = in[half];
  for (long j = 1; j < half; ++j) {
    out[j] = alpha[j] * in[j] + beta[j] * in[n - j];
    out[n - j] = beta[j] * in[j] - alpha[j] * in[n - j];
  }
}

void negate_odd(double* x, long n) {
  for (long i = 1; i < n; i += 2) x[i] = -x[i];
}

void reverse(double* x, long n) {
  for (long i = 0; i < n / 2; ++i) {
    const double t = x[i];
    x[i] = x[n - 1 - i];
    x[n - 1 - i] = t;
  }
}

}  // namespace

void dct(double* x, double* y, int J, double* work) {
  const long n = 1L << J;
  if (n == 1) return;
  rotation_table(work, n);
  const long half = n / 2;
  // Even-indexed values rising, then odd-indexed values falling.
  for (long i = 0; i < half; ++i) {
    y[i] = x[2 * i];
    y[half + i] = x[n - 1 - 2 * i];
  }
  hartley(y, J, work);
  rotate(y, x, n, work);
}

void idct(double* x, double* y, int J, double* work) {
  const long n = 1L << J;
  if (n == 1) return;
  rotation_table(work, n);
  rotate(x, y, n, work);
  hartley(y, J, work);
  const long half = n / 2;
  for (long i = 0; i < half; ++i) {
    x[2 * i] = y[i];
    x[n - 1 - 2 * i] = y[half + i];
  }
}

void dst(double* x, double* y, int J, double* work) {
  const long n = 1L << J;
  if (n == 1) {
    dct(x, y, J, work);
    return;
  }
  negate_odd(x, n);
  dct(x, y, J, work);
  reverse(x, n);
}

void idst(double* x, double* y, int J, double* work) {
  const long n = 1L << J;
  if (n == 1) {
    idct(x, y, J, work);
    return;
  }
  reverse(x, n);
  idct(x, y, J, work);
  negate_odd(x, n);
}

}  // namespace tfmex::trig
