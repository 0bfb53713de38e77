// Complex radix-2 FFT, the real FFT built on it, and the type-IV cosine
// transform as the odd spectral lines of an 8n-point real sequence.
//
// The twiddle factors are advanced by the recurrence
//   wr <- wr + (wr wpr - wi wpi),  wi <- wi + (wi wpr + wr wpi),
// with wpr = -2 sin^2(theta/2) and wpi = sin(theta), so that the sine is
// evaluated twice per pass and never per butterfly.
#include <cmath>

#include "trig.h"

namespace tfmex::trig {

namespace {

constexpr double kTwoPi = 6.28318530717959;
constexpr double kPi = 3.141592653589793;

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

}  // namespace

void four1(double* data, int nn, int isign) {
  const long n = 2L * nn;  // doubles
  // Bit reversal of the complex values, j the reversed counter of i (both in
  // doubles, so steps of 2).
  long j = 0;
  for (long i = 0; i < n; i += 2) {
    if (j > i) {
      swap(data[j], data[i]);
      swap(data[j + 1], data[i + 1]);
    }
    long m = nn;
    while (m >= 2 && j >= m) {
      j -= m;
      m >>= 1;
    }
    j += m;
  }
  // Butterfly passes; a block is mmax doubles, its two halves mmax/2 complex values.
  for (long mmax = 2; n > mmax; mmax *= 2) {
    const long istep = 2 * mmax;
    const double theta = isign * kTwoPi / static_cast<double>(mmax);
    const double half_sin = std::sin(0.5 * theta);
    const double wpr = -2.0 * half_sin * half_sin;
    const double wpi = std::sin(theta);
    double wr = 1.0, wi = 0.0;
    for (long m = 0; m < mmax; m += 2) {
      for (long i = m; i < n; i += istep) {
        const long k = i + mmax;
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

void realft(double* data, int N, int /*isign: forward only*/) {
  const double theta = kPi / static_cast<double>(N / 2);
  four1(data, N / 2, 1);
  const double half_sin = std::sin(0.5 * theta);
  const double wpr = -2.0 * half_sin * half_sin;
  const double wpi = std::sin(theta);
  double wr = 1.0 + wpr, wi = wpi;
  const double c1 = 0.5, c2 = -0.5;
  // Split the spectrum of the even/odd pairs into that of the real sequence,
  // position p = 2i against its mirror q = N - 2i.
  for (long i = 1; i < N / 4; ++i) {
    const long p = 2 * i, q = static_cast<long>(N) - 2 * i;
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

void trigc4(const double* x, double* out, double* work, int n) {
  const long N = 8L * n;
  for (long i = 0; i < N; ++i) work[i] = 0.0;
  for (long i = 0; i < n; ++i) work[2 * i + 1] = x[i];
  realft(work, static_cast<int>(N), 1);
  // F_{2j+1} = sum_i x[i] exp(2 pi i (2i+1)(2j+1) / 8n): its real part is the
  // cosine sum of the definition.
  const double scale = std::sqrt(2.0 / n);
  for (long j = 0; j < n; ++j) out[j] = scale * work[4 * j + 2];
}

}  // namespace tfmex::trig
