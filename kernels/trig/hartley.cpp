// Split-radix decimation-in-frequency Hartley transform with a final
// bit-reversal permutation.
//
// The stages are run depth first: a block of K values at stage s is followed
// at once by the blocks it feeds, its first half (K/2 values, stage s + 1) and
// its two quarters (K/4 values each, stage s + 2). Every value therefore meets
// the same operations on the same operands as in a stage-by-stage sweep, but a
// block that fits in the cache is finished there.
//
// Every stage leaves each value divided by 1.414213562373095 once. The
// division is done when the stage writes the value; a value that the next
// stage leaves alone (the quarters, which wait one stage for their turn) is
// divided a second time right away. Each division is still a separate IEEE
// division of the same value, so the results are those of dividing all n
// values after every stage.
#include <immintrin.h>

#include <cmath>

#include "internal.h"
#include "simd.h"
#include "trig.h"

namespace tfmex::trig {

namespace {

constexpr double kHalfRoot2 = 0.707106781186547;  // weight of the length-2 transform
constexpr double kRoot2 = 1.414213562373095;      // split-radix factor and stage divisor
constexpr double kPi = 3.141592653589793;

inline double once(double v) { return v / kRoot2; }
inline double twice(double v) { return (v / kRoot2) / kRoot2; }

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

// The four table columns; entry k of each at index k.
struct Columns {
  const double* c1;
  const double* s1;
  const double* c3;
  const double* s3;
};

// The rotating butterfly of position i (1 <= i < K/8) of the block at x with
// quarter length K4, twiddles taken at table index t.
inline void butterfly(double* x, long K, long K4, long i, long t, const Columns& tab) {
  double* const x1 = x;
  double* const x2 = x + K4;
  double* const x3 = x + 2 * K4;
  double* const x4 = x + 3 * K4;
  const double c1 = tab.c1[t], s1 = tab.s1[t], c3 = tab.c3[t], s3 = tab.s3[t];
  const double u1 = x1[i], u2 = x2[i], u3 = x3[i], u4 = x4[i];
  const double t1 = x1[K - i], t2 = x2[-i], t3 = x3[-i], t4 = x4[-i];
  const double e = (u1 - u3) + (t2 - t4);
  const double f = (u4 - u2) + (t3 - t1);
  const double g = (u1 - u3) - (t2 - t4);
  const double h = (u4 - u2) - (t3 - t1);
  x1[i] = once(u1 + u3);
  x2[i] = once(u2 + u4);
  x2[-i] = once(t2 + t4);
  x3[-i] = once(t3 + t1);
  x3[i] = twice(e * c1 + f * s1);
  x4[-i] = twice(e * s1 - f * c1);
  x4[i] = twice(g * c3 - h * s3);
  x1[K - i] = twice(g * s3 + h * c3);
}

#if defined(__x86_64__)
#define TFMEX_AVX2 __attribute__((target("avx2")))

TFMEX_AVX2 inline __m256d reversed(__m256d v) { return _mm256_permute4x64_pd(v, 0x1B); }

// Positions i = from, from + 4, ... < to, four at a time; lane l handles i + l.
TFMEX_AVX2 void butterflies_avx2(double* x, long K, long K4, long S, long from, long to,
                                 const Columns& tab) {
  double* const x1 = x;
  double* const x2 = x + K4;
  double* const x3 = x + 2 * K4;
  double* const x4 = x + 3 * K4;
  const __m256d r2 = _mm256_set1_pd(kRoot2);
  const __m256i lane = _mm256_set_epi64x(3 * S, 2 * S, S, 0);
  for (long i = from; i < to; i += 4) {
    __m256d c1, s1, c3, s3;
    if (S == 1) {
      c1 = _mm256_loadu_pd(tab.c1 + i);
      s1 = _mm256_loadu_pd(tab.s1 + i);
      c3 = _mm256_loadu_pd(tab.c3 + i);
      s3 = _mm256_loadu_pd(tab.s3 + i);
    } else {
      const __m256i idx = _mm256_add_epi64(_mm256_set1_epi64x(i * S), lane);
      c1 = _mm256_i64gather_pd(tab.c1, idx, 8);
      s1 = _mm256_i64gather_pd(tab.s1, idx, 8);
      c3 = _mm256_i64gather_pd(tab.c3, idx, 8);
      s3 = _mm256_i64gather_pd(tab.s3, idx, 8);
    }
    const __m256d u1 = _mm256_loadu_pd(x1 + i), u2 = _mm256_loadu_pd(x2 + i);
    const __m256d u3 = _mm256_loadu_pd(x3 + i), u4 = _mm256_loadu_pd(x4 + i);
    const __m256d t1 = reversed(_mm256_loadu_pd(x1 + K - i - 3));
    const __m256d t2 = reversed(_mm256_loadu_pd(x2 - i - 3));
    const __m256d t3 = reversed(_mm256_loadu_pd(x3 - i - 3));
    const __m256d t4 = reversed(_mm256_loadu_pd(x4 - i - 3));
    const __m256d d13 = _mm256_sub_pd(u1, u3), d24 = _mm256_sub_pd(t2, t4);
    const __m256d d42 = _mm256_sub_pd(u4, u2), d31 = _mm256_sub_pd(t3, t1);
    const __m256d e = _mm256_add_pd(d13, d24), f = _mm256_add_pd(d42, d31);
    const __m256d g = _mm256_sub_pd(d13, d24), h = _mm256_sub_pd(d42, d31);
    _mm256_storeu_pd(x1 + i, _mm256_div_pd(_mm256_add_pd(u1, u3), r2));
    _mm256_storeu_pd(x2 + i, _mm256_div_pd(_mm256_add_pd(u2, u4), r2));
    _mm256_storeu_pd(x2 - i - 3, reversed(_mm256_div_pd(_mm256_add_pd(t2, t4), r2)));
    _mm256_storeu_pd(x3 - i - 3, reversed(_mm256_div_pd(_mm256_add_pd(t3, t1), r2)));
    const __m256d p3 = _mm256_add_pd(_mm256_mul_pd(e, c1), _mm256_mul_pd(f, s1));
    const __m256d m4 = _mm256_sub_pd(_mm256_mul_pd(e, s1), _mm256_mul_pd(f, c1));
    const __m256d p4 = _mm256_sub_pd(_mm256_mul_pd(g, c3), _mm256_mul_pd(h, s3));
    const __m256d m1 = _mm256_add_pd(_mm256_mul_pd(g, s3), _mm256_mul_pd(h, c3));
    _mm256_storeu_pd(x3 + i, _mm256_div_pd(_mm256_div_pd(p3, r2), r2));
    _mm256_storeu_pd(x4 - i - 3, reversed(_mm256_div_pd(_mm256_div_pd(m4, r2), r2)));
    _mm256_storeu_pd(x4 + i, _mm256_div_pd(_mm256_div_pd(p4, r2), r2));
    _mm256_storeu_pd(x1 + K - i - 3, reversed(_mm256_div_pd(_mm256_div_pd(m1, r2), r2)));
  }
}
#endif

// The block of K >= 4 values at x, table stride S; its outputs divided once
// (first half) or twice (quarters).
void block(double* x, long K, long S, const Columns& tab, bool simd) {
  const long K4 = K / 4, K8 = K / 8;
  double* const x1 = x;
  double* const x2 = x + K4;
  double* const x3 = x + 2 * K4;
  double* const x4 = x + 3 * K4;
  {
    const double a1 = x1[0], a2 = x2[0], a3 = x3[0], a4 = x4[0];
    x1[0] = once(a1 + a3);
    x2[0] = once(a2 + a4);
    x3[0] = twice((a1 - a3) + (a2 - a4));
    x4[0] = twice((a1 - a3) - (a2 - a4));
  }
  if (K4 >= 2) {
    const double b1 = x1[K8], b2 = x2[K8], b3 = x3[K8], b4 = x4[K8];
    x1[K8] = once(b1 + b3);
    x2[K8] = once(b2 + b4);
    x3[K8] = twice((b1 - b3) * kRoot2);
    x4[K8] = twice((b2 - b4) * kRoot2);
  }
  long i = 1;
#if defined(__x86_64__)
  if (simd && K8 >= 8) {
    for (; i < 4; ++i) butterfly(x, K, K4, i, i * S, tab);
    butterflies_avx2(x, K, K4, S, 4, K8, tab);
    return;
  }
#else
  (void)simd;
#endif
  for (; i < K8; ++i) butterfly(x, K, K4, i, i * S, tab);
}

// Stage s on the K = n / 2^s values at x, and every later stage of them.
void stages(double* x, long K, long S, const Columns& tab, bool simd) {
  if (K == 1) return;
  if (K == 2) {
    const double a = x[0], c = x[1];
    x[0] = once(a + c);
    x[1] = once(a - c);
    return;
  }
  block(x, K, S, tab, simd);
  stages(x, K / 2, 2 * S, tab, simd);
  stages(x + K / 2, K / 4, 4 * S, tab, simd);
  stages(x + 3 * K / 4, K / 4, 4 * S, tab, simd);
}

unsigned reverse_bits(unsigned v, int bits) {
  unsigned r = 0;
  for (int b = 0; b < bits; ++b, v >>= 1) r = (r << 1) | (v & 1u);
  return r;
}

}  // namespace

bool table_ready(const double* work, int n) {
  const double mark = work[0];
  if (!(mark > -2147483649.0 && mark < 2147483648.0)) return false;
  return static_cast<int>(mark) == n;
}

namespace detail {

void hartley_unordered(double* x, int J, double* work) {
  const long n = 1L << J;
  if (n == 1) return;
  if (n == 2) {
    const double a = x[0], b = x[1];
    x[0] = (a + b) * kHalfRoot2;
    x[1] = (a - b) * kHalfRoot2;
    return;
  }
  if (n == 4) {
    // Closed form, already in natural order; undo the exchange of 1 and 2
    // that the permutation will make.
    const double B = (x[0] + x[2]) * 0.5, F = (x[0] - x[2]) * 0.5;
    const double W = (x[1] + x[3]) * 0.5, G = (x[1] - x[3]) * 0.5;
    x[0] = B + W;
    x[2] = F + G;
    x[1] = B - W;
    x[3] = F - G;
    return;
  }
  if (!table_ready(work, static_cast<int>(n))) build_table(work, n);
  const long w = n / 8 - 1;
  const Columns tab{work, work + w, work + 2 * w, work + 3 * w};
  stages(x, n, 1, tab, simd_active());
}

// Small lengths step a reversed counter; from 64 values on the indices are
// split as (high 3 bits, middle, low 3 bits) and 8 x 8 tiles are exchanged
// with their mirror tiles, so each tile touches 8 cache lines.
void bit_reverse(double* x, int J) {
  const long n = 1L << J;
  if (J < 6) {
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
    return;
  }
  static constexpr long rev3[8] = {0, 4, 2, 6, 1, 5, 3, 7};
  const int mid = J - 6, high = J - 3;
  const long tiles = 1L << mid;
  for (long m = 0; m < tiles; ++m) {
    const long rm = static_cast<long>(reverse_bits(static_cast<unsigned>(m), mid));
    if (rm < m) continue;
    for (long a = 0; a < 8; ++a) {
      for (long c = 0; c < 8; ++c) {
        const long i = (a << high) | (m << 3) | c;
        const long r = (rev3[c] << high) | (rm << 3) | rev3[a];
        if (rm > m || r > i) {
          const double t = x[i];
          x[i] = x[r];
          x[r] = t;
        }
      }
    }
  }
}

}  // namespace detail

void hartley(double* x, int J, double* work) {
  detail::hartley_unordered(x, J, work);
  detail::bit_reverse(x, J);
}

}  // namespace tfmex::trig
