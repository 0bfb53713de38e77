// Split-radix decimation-in-frequency Hartley transform with a final
// bit-reversal permutation. Indices are kept in long: the block-base walk
// steps past n by up to four times n before it stops.
#include <cmath>

#include "trig.h"

namespace tfmex::trig {

namespace {

constexpr double kHalfRoot2 = 0.707106781186547;  // weight of the length-2 transform
constexpr double kRoot2 = 1.414213562373095;      // split-radix factor and stage divisor
constexpr double kPi = 3.141592653589793;

// Every stage leaves its values divided by sqrt 2 once; J stages give n^(-1/2).
void divide_by_root2(double* x, long n) {
  for (long i = 0; i < n; ++i) x[i] = x[i] / kRoot2;
}

// cos and sin of k theta and of 3k theta, k = 1 .. w, theta = 2 pi / n, with
// the angle accumulated by repeated addition.
void build_table(double* work, long n) {
  const long w = n / 8 - 1;
  work[0] = static_cast<double>(n);
  const double theta = kPi * 2.0 / static_cast<double>(n);
  double a = theta;
  for (long k = 1; k <= w; ++k) {
    work[k] = std::cos(a);
    work[w + k] = std::sin(a);
    work[2 * w + k] = std::cos(3.0 * a);
    work[3 * w + k] = std::sin(3.0 * a);
    a = a + theta;
  }
}

// One split-radix butterfly on the block of K values starting at b; the
// twiddles of position i are the table entries at i * S.
void block(double* x, long b, long K, long S, const double* work, long w) {
  const long K4 = K / 4, K8 = K / 8;
  const long i1 = b, i2 = b + K4, i3 = b + 2 * K4, i4 = b + 3 * K4;
  {
    const double a1 = x[i1], a2 = x[i2], a3 = x[i3], a4 = x[i4];
    x[i1] = a1 + a3;
    x[i2] = a2 + a4;
    x[i3] = (a1 - a3) + (a2 - a4);
    x[i4] = (a1 - a3) - (a2 - a4);
  }
  if (K4 >= 2) {
    const double b1 = x[i1 + K8], b2 = x[i2 + K8], b3 = x[i3 + K8], b4 = x[i4 + K8];
    x[i1 + K8] = b1 + b3;
    x[i2 + K8] = b2 + b4;
    x[i3 + K8] = (b1 - b3) * kRoot2;
    x[i4 + K8] = (b2 - b4) * kRoot2;
  }
  if (K8 >= 2) {
    for (long i = 1; i < K8; ++i) {
      const long t = i * S;
      const double c1 = work[t], s1 = work[w + t], c3 = work[2 * w + t], s3 = work[3 * w + t];
      const long P1 = i1 + i, P2 = i2 + i, P3 = i3 + i, P4 = i4 + i;
      const long M1 = i1 + K - i, M2 = i2 - i, M3 = i3 - i, M4 = i4 - i;
      const double u1 = x[P1], u2 = x[P2], u3 = x[P3], u4 = x[P4];
      const double t1 = x[M1], t2 = x[M2], t3 = x[M3], t4 = x[M4];
      const double e = (u1 - u3) + (t2 - t4);
      const double f = (u4 - u2) + (t3 - t1);
      const double g = (u1 - u3) - (t2 - t4);
      const double h = (u4 - u2) - (t3 - t1);
      x[P1] = u1 + u3;
      x[P2] = u2 + u4;
      x[M2] = t2 + t4;
      x[M3] = t3 + t1;
      x[P3] = e * c1 + f * s1;
      x[M4] = e * s1 - f * c1;
      x[P4] = g * c3 - h * s3;
      x[M1] = g * s3 + h * c3;
    }
  }
}

// Exchanges x[i] and x[r(i)] for every i below its J-bit reversal r(i); r is
// stepped along as a reversed counter.
void bit_reverse(double* x, long n) {
  long r = 0;
  for (long i = 0; i < n - 1; ++i) {
    if (i < r) {
      const double t = x[i];
      x[i] = x[r];
      x[r] = t;
    }
    long m = n >> 1;
    while (r & m) {
      r ^= m;
      m >>= 1;
    }
    r |= m;
  }
}

}  // namespace

bool table_ready(const double* work, int n) {
  const double mark = work[0];
  if (!(mark > -2147483649.0 && mark < 2147483648.0)) return false;
  return static_cast<int>(mark) == n;
}

void hartley(double* x, int J, double* work) {
  const long n = 1L << J;
  if (n == 1) return;
  if (n == 2) {
    const double a = x[0], b = x[1];
    x[0] = (a + b) * kHalfRoot2;
    x[1] = (a - b) * kHalfRoot2;
    return;
  }
  if (n == 4) {
    const double B = (x[0] + x[2]) * 0.5, F = (x[0] - x[2]) * 0.5;
    const double W = (x[1] + x[3]) * 0.5, G = (x[1] - x[3]) * 0.5;
    x[0] = B + W;
    x[1] = F + G;
    x[2] = B - W;
    x[3] = F - G;
    return;
  }
  if (!table_ready(work, static_cast<int>(n))) build_table(work, n);
  const long w = n / 8 - 1;

  // Split-radix stages: block bases is, is + id, ... then is = 2 id - K,
  // id = 4 id, until is passes n.
  for (int s = 0; s <= J - 2; ++s) {
    const long K = n >> s, S = 1L << s;
    for (long is = 0, id = 2 * K; is < n; is = 2 * id - K, id = 4 * id)
      for (long b = is; b < n; b += id) block(x, b, K, S, work, w);
    divide_by_root2(x, n);
  }
  // Last stage: length-2 butterflies on the same pattern with K = 2.
  for (long is = 0, id = 4; is < n; is = 2 * id - 2, id = 4 * id) {
    for (long b = is; b < n; b += id) {
      const double a = x[b], c = x[b + 1];
      x[b] = a + c;
      x[b + 1] = a - c;
    }
  }
  divide_by_root2(x, n);
  bit_reverse(x, n);
}

}  // namespace tfmex::trig
