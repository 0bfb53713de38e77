// The trigonometric kernels as plain, stage-by-stage transcriptions of their
// algorithms: every stage over the whole array, its divisions in a separate
// sweep, twiddles advanced inside the butterfly loops, the 8n embedding of
// the type-IV transform built and transformed in full. The optimised kernels
// must give exactly these doubles.
#ifndef TFMEX_TESTS_TRIG_REFERENCE_H
#define TFMEX_TESTS_TRIG_REFERENCE_H

#include <cmath>
#include <cstddef>

#include "kernels/trig/exact_sincos.h"

namespace tfmex::test::ref {

inline bool table_ready(const double* work, int n) {
  const double mark = work[0];
  if (!(mark > -2147483649.0 && mark < 2147483648.0)) return false;
  return static_cast<int>(mark) == n;
}

namespace hartley_parts {

constexpr double kHalfRoot2 = 0.707106781186547;  // weight of the length-2 transform
constexpr double kRoot2 = 1.414213562373095;      // split-radix factor and stage divisor
constexpr double kPi = 3.141592653589793;

// Every stage leaves its values divided by sqrt 2 once; J stages give n^(-1/2).
inline void divide_by_root2(double* x, std::ptrdiff_t n) {
  for (std::ptrdiff_t i = 0; i < n; ++i) x[i] = x[i] / kRoot2;
}

// cos and sin of k theta and of 3k theta, k = 1 .. w, theta = 2 pi / n, with
// the angle accumulated by repeated addition.
inline void build_table(double* work, std::ptrdiff_t n) {
  const std::ptrdiff_t w = n / 8 - 1;
  work[0] = static_cast<double>(n);
  const double theta = kPi * 2.0 / static_cast<double>(n);
  double a = theta;
  for (std::ptrdiff_t k = 1; k <= w; ++k) {
    work[k] = tfmex::trig::cos_rn(a);
    work[w + k] = tfmex::trig::sin_rn(a);
    work[2 * w + k] = tfmex::trig::cos_rn(3.0 * a);
    work[3 * w + k] = tfmex::trig::sin_rn(3.0 * a);
    a = a + theta;
  }
}

// One split-radix butterfly on the block of K values starting at b; the
// twiddles of position i are the table entries at i * S.
inline void block(double* x, std::ptrdiff_t b, std::ptrdiff_t K, std::ptrdiff_t S,
                  const double* work, std::ptrdiff_t w) {
  const std::ptrdiff_t K4 = K / 4, K8 = K / 8;
  const std::ptrdiff_t i1 = b, i2 = b + K4, i3 = b + 2 * K4, i4 = b + 3 * K4;
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
    for (std::ptrdiff_t i = 1; i < K8; ++i) {
      const std::ptrdiff_t t = i * S;
      const double c1 = work[t], s1 = work[w + t], c3 = work[2 * w + t], s3 = work[3 * w + t];
      const std::ptrdiff_t P1 = i1 + i, P2 = i2 + i, P3 = i3 + i, P4 = i4 + i;
      const std::ptrdiff_t M1 = i1 + K - i, M2 = i2 - i, M3 = i3 - i, M4 = i4 - i;
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
inline void bit_reverse(double* x, std::ptrdiff_t n) {
  std::ptrdiff_t r = 0;
  for (std::ptrdiff_t i = 0; i < n - 1; ++i) {
    if (i < r) {
      const double t = x[i];
      x[i] = x[r];
      x[r] = t;
    }
    std::ptrdiff_t m = n >> 1;
    while (r & m) {
      r ^= m;
      m >>= 1;
    }
    r |= m;
  }
}

}  // namespace hartley_parts
using namespace hartley_parts;

inline void hartley(double* x, int J, double* work) {
  const std::ptrdiff_t n = std::ptrdiff_t{1} << J;
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
  const std::ptrdiff_t w = n / 8 - 1;

  // Split-radix stages: block bases is, is + id, ... then is = 2 id - K,
  // id = 4 id, until is passes n.
  for (int s = 0; s <= J - 2; ++s) {
    const std::ptrdiff_t K = n >> s, S = std::ptrdiff_t{1} << s;
    for (std::ptrdiff_t is = 0, id = 2 * K; is < n; is = 2 * id - K, id = 4 * id)
      for (std::ptrdiff_t b = is; b < n; b += id) block(x, b, K, S, work, w);
    divide_by_root2(x, n);
  }
  // Last stage: length-2 butterflies on the same pattern with K = 2.
  for (std::ptrdiff_t is = 0, id = 4; is < n; is = 2 * id - 2, id = 4 * id) {
    for (std::ptrdiff_t b = is; b < n; b += id) {
      const double a = x[b], c = x[b + 1];
      x[b] = a + c;
      x[b + 1] = a - c;
    }
  }
  divide_by_root2(x, n);
  bit_reverse(x, n);
}

namespace cosine_parts {

// alpha_j at work[n/2 + j] and beta_j at work[n + j], j = 0 .. n/2 - 1, unless
// work[0] marks n already; the angle is accumulated by repeated addition.
// hartley marks the workspace only from n = 8 on, so below that a mark can
// only be something the caller left there, and the table is always built.
inline void rotation_table(double* work, std::ptrdiff_t n) {
  if (n >= 8 && table_ready(work, static_cast<int>(n))) return;
  const std::ptrdiff_t half = n / 2;
  const double step = kPi / (2.0 * static_cast<double>(n));
  double phi = 0.0;
  for (std::ptrdiff_t j = 0; j < half; ++j) {
    const double c = tfmex::trig::cos_rn(phi), s = tfmex::trig::sin_rn(phi);
    work[half + j] = (c - s) * kHalfRoot2;
    work[n + j] = (c + s) * kHalfRoot2;
    phi = phi + step;
  }
}

// out[j] = alpha_j in[j] + beta_j in[n-j], out[n-j] = beta_j in[j] - alpha_j in[n-j].
inline void rotate(const double* in, double* out, std::ptrdiff_t n, const double* work) {
  const std::ptrdiff_t half = n / 2;
  const double* alpha = work + half;
  const double* beta = work + n;
  out[0] = in[0];
  out[half] = in[half];
  for (std::ptrdiff_t j = 1; j < half; ++j) {
    out[j] = alpha[j] * in[j] + beta[j] * in[n - j];
    out[n - j] = beta[j] * in[j] - alpha[j] * in[n - j];
  }
}

inline void negate_odd(double* x, std::ptrdiff_t n) {
  for (std::ptrdiff_t i = 1; i < n; i += 2) x[i] = -x[i];
}

inline void reverse(double* x, std::ptrdiff_t n) {
  for (std::ptrdiff_t i = 0; i < n / 2; ++i) {
    const double t = x[i];
    x[i] = x[n - 1 - i];
    x[n - 1 - i] = t;
  }
}

}  // namespace cosine_parts
using namespace cosine_parts;

inline void dct(double* x, double* y, int J, double* work) {
  const std::ptrdiff_t n = std::ptrdiff_t{1} << J;
  if (n == 1) return;
  rotation_table(work, n);
  const std::ptrdiff_t half = n / 2;
  // Even-indexed values rising, then odd-indexed values falling.
  for (std::ptrdiff_t i = 0; i < half; ++i) {
    y[i] = x[2 * i];
    y[half + i] = x[n - 1 - 2 * i];
  }
  hartley(y, J, work);
  rotate(y, x, n, work);
}

inline void idct(double* x, double* y, int J, double* work) {
  const std::ptrdiff_t n = std::ptrdiff_t{1} << J;
  if (n == 1) return;
  rotation_table(work, n);
  rotate(x, y, n, work);
  hartley(y, J, work);
  const std::ptrdiff_t half = n / 2;
  for (std::ptrdiff_t i = 0; i < half; ++i) {
    x[2 * i] = y[i];
    x[n - 1 - 2 * i] = y[half + i];
  }
}

inline void dst(double* x, double* y, int J, double* work) {
  const std::ptrdiff_t n = std::ptrdiff_t{1} << J;
  if (n == 1) {
    dct(x, y, J, work);
    return;
  }
  negate_odd(x, n);
  dct(x, y, J, work);
  reverse(x, n);
}

inline void idst(double* x, double* y, int J, double* work) {
  const std::ptrdiff_t n = std::ptrdiff_t{1} << J;
  if (n == 1) {
    idct(x, y, J, work);
    return;
  }
  reverse(x, n);
  idct(x, y, J, work);
  negate_odd(x, n);
}

namespace fft_parts {

constexpr double kTwoPi = 6.28318530717959;

inline void advance(double& wr, double& wi, double wpr, double wpi) {
  const double old = wr;
  wr = wr + (wr * wpr - wi * wpi);
  wi = wi + (wi * wpr + old * wpi);
}

inline void swap(double& a, double& b) {
  const double t = a;
  a = b;
  b = t;
}

}  // namespace fft_parts
using namespace fft_parts;

inline void four1(double* data, int nn, int isign) {
  const std::ptrdiff_t n = std::ptrdiff_t{2} * nn;  // doubles
  // Bit reversal of the complex values, j the reversed counter of i (both in
  // doubles, so steps of 2).
  std::ptrdiff_t j = 0;
  for (std::ptrdiff_t i = 0; i < n; i += 2) {
    if (j > i) {
      swap(data[j], data[i]);
      swap(data[j + 1], data[i + 1]);
    }
    std::ptrdiff_t m = nn;
    while (m >= 2 && j >= m) {
      j -= m;
      m >>= 1;
    }
    j += m;
  }
  // Butterfly passes; a block is mmax doubles, its two halves mmax/2 complex values.
  for (std::ptrdiff_t mmax = 2; n > mmax; mmax *= 2) {
    const std::ptrdiff_t istep = 2 * mmax;
    const double theta = isign * kTwoPi / static_cast<double>(mmax);
    const double half_sin = tfmex::trig::sin_rn(0.5 * theta);
    const double wpr = -2.0 * half_sin * half_sin;
    const double wpi = tfmex::trig::sin_rn(theta);
    double wr = 1.0, wi = 0.0;
    for (std::ptrdiff_t m = 0; m < mmax; m += 2) {
      for (std::ptrdiff_t i = m; i < n; i += istep) {
        const std::ptrdiff_t k = i + mmax;
        const double tr = wr * data[k] - wi * data[k + 1];
        const double ti = wr * data[k + 1] + wi * data[k];
        data[k] = data[i] - tr;
        data[k + 1] = data[i + 1] - ti;
        data[i] += tr;
        data[i + 1] += ti;
      }
      advance(wr, wi, wpr, wpi);
    }
  }
}

inline void realft(double* data, int N, int /*isign: forward only*/) {
  const double theta = kPi / static_cast<double>(N / 2);
  four1(data, N / 2, 1);
  const double half_sin = tfmex::trig::sin_rn(0.5 * theta);
  const double wpr = -2.0 * half_sin * half_sin;
  const double wpi = tfmex::trig::sin_rn(theta);
  double wr = 1.0 + wpr, wi = wpi;
  const double c1 = 0.5, c2 = -0.5;
  // Split the spectrum of the even/odd pairs into that of the real sequence,
  // position p = 2i against its mirror q = N - 2i.
  for (std::ptrdiff_t i = 1; i < N / 4; ++i) {
    const std::ptrdiff_t p = 2 * i, q = static_cast<std::ptrdiff_t>(N) - 2 * i;
    const double h1r = c1 * (data[p] + data[q]);
    const double h1i = c1 * (data[p + 1] - data[q + 1]);
    const double h2r = -c2 * (data[p + 1] + data[q + 1]);
    const double h2i = c2 * (data[p] - data[q]);
    data[p] = h1r + wr * h2r - wi * h2i;
    data[p + 1] = h1i + wr * h2i + wi * h2r;
    data[q] = h1r - wr * h2r + wi * h2i;
    data[q + 1] = -h1i + wr * h2i + wi * h2r;
    advance(wr, wi, wpr, wpi);
  }
  const double d0 = data[0];
  data[0] = d0 + data[1];
  data[1] = d0 - data[1];
}

inline void trigc4(const double* x, double* out, double* work, int n) {
  const std::ptrdiff_t N = std::ptrdiff_t{8} * n;
  for (std::ptrdiff_t i = 0; i < N; ++i) work[i] = 0.0;
  for (std::ptrdiff_t i = 0; i < n; ++i) work[2 * i + 1] = x[i];
  realft(work, static_cast<int>(N), 1);
  // F_{2j+1} = sum_i x[i] exp(2 pi i (2i+1)(2j+1) / 8n): its real part is the
  // cosine sum of the definition.
  const double scale = std::sqrt(2.0 / n);
  for (std::ptrdiff_t j = 0; j < n; ++j) out[j] = scale * work[4 * j + 2];
}

}  // namespace tfmex::test::ref

#endif
