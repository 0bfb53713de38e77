// Cosine and sine transforms of types II and III around one Hartley
// transform: an even-odd reordering on one side and a rotation of the pairs
// (j, n - j) on the other. The sine transforms are the cosine ones on the
// sign-alternated signal, with the coefficients reversed.
#include <immintrin.h>

#include <cmath>

#include "simd.h"
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

// Even-indexed values of x rising into y[0 .. n/2 - 1], odd-indexed ones
// falling into y[n/2 .. n - 1].
void split_even_odd(const double* x, double* y, long n, long from) {
  const long half = n / 2;
  for (long i = from; i < half; ++i) {
    y[i] = x[2 * i];
    y[half + i] = x[n - 1 - 2 * i];
  }
}

// The inverse of split_even_odd.
void join_even_odd(const double* y, double* x, long n, long from) {
  const long half = n / 2;
  for (long i = from; i < half; ++i) {
    x[2 * i] = y[i];
    x[n - 1 - 2 * i] = y[half + i];
  }
}

#if defined(__x86_64__)
#define TFMEX_AVX512 __attribute__((target("avx512f")))

// The same passes eight values at a time (n >= 16); they only move values,
// except rotate_avx512, whose lanes do the operations of the scalar loop.
TFMEX_AVX512 void split_even_odd_avx512(const double* x, double* y, long n) {
  const long half = n / 2;
  const __m512i even = _mm512_set_epi64(14, 12, 10, 8, 6, 4, 2, 0);
  const __m512i odd = _mm512_set_epi64(1, 3, 5, 7, 9, 11, 13, 15);
  long i = 0;
  for (; i + 8 <= half; i += 8) {
    const __m512d lo = _mm512_loadu_pd(x + 2 * i), hi = _mm512_loadu_pd(x + 2 * i + 8);
    _mm512_storeu_pd(y + i, _mm512_permutex2var_pd(lo, even, hi));
    const __m512d a = _mm512_loadu_pd(x + n - 16 - 2 * i), b = _mm512_loadu_pd(x + n - 8 - 2 * i);
    _mm512_storeu_pd(y + half + i, _mm512_permutex2var_pd(a, odd, b));
  }
  split_even_odd(x, y, n, i);
}

TFMEX_AVX512 void join_even_odd_avx512(const double* y, double* x, long n) {
  const long half = n / 2;
  const __m512i lo_idx = _mm512_set_epi64(12, 3, 13, 2, 14, 1, 15, 0);
  const __m512i hi_idx = _mm512_set_epi64(8, 7, 9, 6, 10, 5, 11, 4);
  long i = 0;
  for (; i + 8 <= half; i += 8) {
    // e lane l = y[i + l]; o lane l = y[n - 8 - i + l], so y[n - 1 - i - l] is o[7 - l].
    const __m512d e = _mm512_loadu_pd(y + i), o = _mm512_loadu_pd(y + n - 8 - i);
    _mm512_storeu_pd(x + 2 * i, _mm512_permutex2var_pd(e, lo_idx, o));
    _mm512_storeu_pd(x + 2 * i + 8, _mm512_permutex2var_pd(e, hi_idx, o));
  }
  join_even_odd(y, x, n, i);
}

TFMEX_AVX512 inline __m512d reversed8(__m512d v) {
  return _mm512_maskz_permutexvar_pd(0xFF, _mm512_set_epi64(0, 1, 2, 3, 4, 5, 6, 7), v);
}

// rotate's pairs j = 1 .. n/2 - 1, eight at a time from j = 1, the rest one
// by one; returns the first j not done.
TFMEX_AVX512 long rotate_avx512(const double* in, double* out, long n, const double* work) {
  const long half = n / 2;
  const double* alpha = work + half;
  const double* beta = work + n;
  long j = 1;
  for (; j + 8 <= half; j += 8) {
    const __m512d a = _mm512_loadu_pd(alpha + j), b = _mm512_loadu_pd(beta + j);
    const __m512d u = _mm512_loadu_pd(in + j);
    const __m512d v = reversed8(_mm512_loadu_pd(in + n - j - 7));
    _mm512_storeu_pd(out + j, _mm512_add_pd(_mm512_mul_pd(a, u), _mm512_mul_pd(b, v)));
    _mm512_storeu_pd(out + n - j - 7,
                     reversed8(_mm512_sub_pd(_mm512_mul_pd(b, u), _mm512_mul_pd(a, v))));
  }
  return j;
}
#endif

bool wide(long n) {
#if defined(__x86_64__)
  return n >= 16 && simd_level() == SimdLevel::avx512;
#else
  (void)n;
  return false;
#endif
}

void split(const double* x, double* y, long n) {
#if defined(__x86_64__)
  if (wide(n)) return split_even_odd_avx512(x, y, n);
#endif
  split_even_odd(x, y, n, 0);
}

void join(const double* y, double* x, long n) {
#if defined(__x86_64__)
  if (wide(n)) return join_even_odd_avx512(y, x, n);
#endif
  join_even_odd(y, x, n, 0);
}

// out[j] = alpha_j in[j] + beta_j in[n-j], out[n-j] = beta_j in[j] - alpha_j in[n-j].
void rotate(const double* in, double* out, long n, const double* work) {
  const long half = n / 2;
  const double* alpha = work + half;
  const double* beta = work + n;
  out[0] = in[0];
  out[half] = in[half];
  long j = 1;
#if defined(__x86_64__)
  if (wide(n)) j = rotate_avx512(in, out, n, work);
#endif
  for (; j < half; ++j) {
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
  split(x, y, n);
  hartley(y, J, work);
  rotate(y, x, n, work);
}

void idct(double* x, double* y, int J, double* work) {
  const long n = 1L << J;
  if (n == 1) return;
  rotation_table(work, n);
  rotate(x, y, n, work);
  hartley(y, J, work);
  join(y, x, n);
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
