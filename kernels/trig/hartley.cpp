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
#include <cstddef>

#include "exact_sincos.h"
#include "internal.h"
#include "kernels/vector/vector.h"
#include "trig.h"

namespace tfmex::trig {

namespace {

constexpr double kHalfRoot2 = 0.707106781186547;  // weight of the length-2 transform
constexpr double kRoot2 = 1.414213562373095;      // split-radix factor and stage divisor

inline double once(double v) { return v / kRoot2; }
inline double twice(double v) { return (v / kRoot2) / kRoot2; }

// The stage divisions of a value written by a block: once for its first
// half, twice for its quarters; none where the divisions are made apart.
template <bool divide>
inline double first_half(double v) {
  return divide ? once(v) : v;
}
template <bool divide>
inline double quarter(double v) {
  return divide ? twice(v) : v;
}

}  // namespace

// cos and sin of k theta and of 3k theta, k = 1 .. w, theta = 2 pi / n,
// correctly rounded; entry 0 of the first column is not a twiddle (the
// vector loops load it into a lane whose results they never store) and is 0.
void detail::build_hartley_table(double* table, std::ptrdiff_t n) {
  const std::ptrdiff_t w = n / 8 - 1;
  table[0] = 0.0;
  detail::hartley_angles(n, [&](std::ptrdiff_t k, double a) {
    table[k] = cos_rn(a);
    table[w + k] = sin_rn(a);
    table[2 * w + k] = cos_rn(3.0 * a);
    table[3 * w + k] = sin_rn(3.0 * a);
  });
}

namespace {

// The four table columns; entry k of each at index k.
struct Columns {
  const double* c1;
  const double* s1;
  const double* c3;
  const double* s3;
};

// The rotating butterfly of position i (1 <= i < K/8) of the block at x with
// quarter length K4, twiddles taken at table index t.
template <bool divide = true>
inline void butterfly(double* x, std::ptrdiff_t K, std::ptrdiff_t K4, std::ptrdiff_t i,
                      std::ptrdiff_t t, const Columns& tab) {
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
  x1[i] = first_half<divide>(u1 + u3);
  x2[i] = first_half<divide>(u2 + u4);
  x2[-i] = first_half<divide>(t2 + t4);
  x3[-i] = first_half<divide>(t3 + t1);
  x3[i] = quarter<divide>(e * c1 + f * s1);
  x4[-i] = quarter<divide>(e * s1 - f * c1);
  x4[i] = quarter<divide>(g * c3 - h * s3);
  x1[K - i] = quarter<divide>(g * s3 + h * c3);
}

// The first two steps of a block of K >= 4 values at x: its positions 0 and
// K/8 of each quarter.
template <bool divide>
inline void block_heads(double* x, std::ptrdiff_t K) {
  const std::ptrdiff_t K4 = K / 4, K8 = K / 8;
  double* const x1 = x;
  double* const x2 = x + K4;
  double* const x3 = x + 2 * K4;
  double* const x4 = x + 3 * K4;
  {
    const double a1 = x1[0], a2 = x2[0], a3 = x3[0], a4 = x4[0];
    x1[0] = first_half<divide>(a1 + a3);
    x2[0] = first_half<divide>(a2 + a4);
    x3[0] = quarter<divide>((a1 - a3) + (a2 - a4));
    x4[0] = quarter<divide>((a1 - a3) - (a2 - a4));
  }
  if (K4 >= 2) {
    const double b1 = x1[K8], b2 = x2[K8], b3 = x3[K8], b4 = x4[K8];
    x1[K8] = first_half<divide>(b1 + b3);
    x2[K8] = first_half<divide>(b2 + b4);
    x3[K8] = quarter<divide>((b1 - b3) * kRoot2);
    x4[K8] = quarter<divide>((b2 - b4) * kRoot2);
  }
}

#ifdef TFMEX_X86
TFMEX_AVX2 inline __m256d reversed(__m256d v) { return _mm256_permute4x64_pd(v, 0x1B); }

// Positions i = from, from + 4, ... < to, four at a time; lane l handles i + l.
TFMEX_AVX2 void butterflies_avx2(double* x, std::ptrdiff_t K, std::ptrdiff_t K4, std::ptrdiff_t S,
                                 std::ptrdiff_t from, std::ptrdiff_t to, const Columns& tab) {
  double* const x1 = x;
  double* const x2 = x + K4;
  double* const x3 = x + 2 * K4;
  double* const x4 = x + 3 * K4;
  const __m256d r2 = _mm256_set1_pd(kRoot2);
  const __m256i lane = _mm256_set_epi64x(3 * S, 2 * S, S, 0);
  for (std::ptrdiff_t i = from; i < to; i += 4) {
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

TFMEX_AVX512 inline __m512d reversed8(__m512d v) {
  // The zero-masking form with a full mask: the plain one leaves GCC warning
  // about its undefined pass-through operand.
  return _mm512_maskz_permutexvar_pd(0xFF, _mm512_set_epi64(0, 1, 2, 3, 4, 5, 6, 7), v);
}

template <bool divide>
TFMEX_AVX512 inline __m512d once8(__m512d r2, __m512d v) {
  return divide ? _mm512_div_pd(v, r2) : v;
}

template <bool divide>
TFMEX_AVX512 inline __m512d twice8(__m512d r2, __m512d v) {
  return divide ? _mm512_div_pd(_mm512_div_pd(v, r2), r2) : v;
}

// Positions i = 0, 8, ... < K8 (K8 a multiple of 8), eight at a time; lane l
// handles i + l. Position 0 belongs to the block's first step, so its lane is
// masked off: neither read where it would leave the block nor written. With
// `divide` the outputs are divided once (first half) or twice (quarters), else
// left undivided.
template <bool divide>
TFMEX_AVX512 void butterflies_avx512(double* x, std::ptrdiff_t K, std::ptrdiff_t K4,
                                     std::ptrdiff_t K8, std::ptrdiff_t S, const Columns& tab) {
  double* const x1 = x;
  double* const x2 = x + K4;
  double* const x3 = x + 2 * K4;
  double* const x4 = x + 3 * K4;
  const __m512d r2 = _mm512_set1_pd(kRoot2);
  const __m512i lane = _mm512_set_epi64(7 * S, 6 * S, 5 * S, 4 * S, 3 * S, 2 * S, S, 0);
  for (std::ptrdiff_t i = 0; i < K8; i += 8) {
    // Rising stores skip lane 0 of the first group, falling ones its mirror.
    const __mmask8 up = i == 0 ? 0xFE : 0xFF, down = i == 0 ? 0x7F : 0xFF;
    __m512d c1, s1, c3, s3;
    if (S == 1) {
      c1 = _mm512_loadu_pd(tab.c1 + i);
      s1 = _mm512_loadu_pd(tab.s1 + i);
      c3 = _mm512_loadu_pd(tab.c3 + i);
      s3 = _mm512_loadu_pd(tab.s3 + i);
    } else {
      const __m512i idx = _mm512_add_epi64(_mm512_set1_epi64(i * S), lane);
      const __m512d zero = _mm512_setzero_pd();
      c1 = _mm512_mask_i64gather_pd(zero, 0xFF, idx, tab.c1, 8);
      s1 = _mm512_mask_i64gather_pd(zero, 0xFF, idx, tab.s1, 8);
      c3 = _mm512_mask_i64gather_pd(zero, 0xFF, idx, tab.c3, 8);
      s3 = _mm512_mask_i64gather_pd(zero, 0xFF, idx, tab.s3, 8);
    }
    const __m512d u1 = _mm512_loadu_pd(x1 + i), u2 = _mm512_loadu_pd(x2 + i);
    const __m512d u3 = _mm512_loadu_pd(x3 + i), u4 = _mm512_loadu_pd(x4 + i);
    const __m512d t1 = reversed8(_mm512_maskz_loadu_pd(down, x1 + K - i - 7));
    const __m512d t2 = reversed8(_mm512_loadu_pd(x2 - i - 7));
    const __m512d t3 = reversed8(_mm512_loadu_pd(x3 - i - 7));
    const __m512d t4 = reversed8(_mm512_loadu_pd(x4 - i - 7));
    const __m512d d13 = _mm512_sub_pd(u1, u3), d24 = _mm512_sub_pd(t2, t4);
    const __m512d d42 = _mm512_sub_pd(u4, u2), d31 = _mm512_sub_pd(t3, t1);
    const __m512d e = _mm512_add_pd(d13, d24), f = _mm512_add_pd(d42, d31);
    const __m512d g = _mm512_sub_pd(d13, d24), h = _mm512_sub_pd(d42, d31);
    _mm512_mask_storeu_pd(x1 + i, up, once8<divide>(r2, _mm512_add_pd(u1, u3)));
    _mm512_mask_storeu_pd(x2 + i, up, once8<divide>(r2, _mm512_add_pd(u2, u4)));
    _mm512_mask_storeu_pd(x2 - i - 7, down, reversed8(once8<divide>(r2, _mm512_add_pd(t2, t4))));
    _mm512_mask_storeu_pd(x3 - i - 7, down, reversed8(once8<divide>(r2, _mm512_add_pd(t3, t1))));
    const __m512d p3 = _mm512_add_pd(_mm512_mul_pd(e, c1), _mm512_mul_pd(f, s1));
    const __m512d m4 = _mm512_sub_pd(_mm512_mul_pd(e, s1), _mm512_mul_pd(f, c1));
    const __m512d p4 = _mm512_sub_pd(_mm512_mul_pd(g, c3), _mm512_mul_pd(h, s3));
    const __m512d m1 = _mm512_add_pd(_mm512_mul_pd(g, s3), _mm512_mul_pd(h, c3));
    _mm512_mask_storeu_pd(x3 + i, up, twice8<divide>(r2, p3));
    _mm512_mask_storeu_pd(x4 - i - 7, down, reversed8(twice8<divide>(r2, m4)));
    _mm512_mask_storeu_pd(x4 + i, up, twice8<divide>(r2, p4));
    _mm512_mask_storeu_pd(x1 + K - i - 7, down, reversed8(twice8<divide>(r2, m1)));
  }
}

// Divides the m values at x (m a multiple of 8) by the stage divisor.
TFMEX_AVX512 void divide_avx512(double* x, std::ptrdiff_t m) {
  const __m512d r2 = _mm512_set1_pd(kRoot2);
  for (std::ptrdiff_t i = 0; i < m; i += 8)
    _mm512_storeu_pd(x + i, _mm512_div_pd(_mm512_loadu_pd(x + i), r2));
}

// The operations of one block of K >= 4 values at x without the divisions:
// the first two steps, and the rotating butterflies unless `heads_only`.
void block_undivided(double* x, std::ptrdiff_t K, std::ptrdiff_t S, const Columns& tab,
                     bool heads_only) {
  block_heads<false>(x, K);
  if (heads_only) return;
  for (std::ptrdiff_t i = 1; i < K / 8; ++i) butterfly<false>(x, K, K / 4, i, i * S, tab);
}

// Blocks of K values read the twiddles of table index i S, i < K/8, S = n/K:
// one value per cache line once S >= 8, and the lines read exceed the block's
// own values. Every block of one length reads the same twiddles, so for the
// lengths up to kPackedMax8 (counted in K/8) they are copied once per call,
// contiguously, into a buffer on the stack: the columns of the level with
// K/8 = m at 4 (m - 8), each m long.
constexpr std::ptrdiff_t kPackedMax8 = 512;

struct Packed {
  double values[4 * 2 * kPackedMax8];

  Columns level(std::ptrdiff_t K8) const {
    const double* p = values + 4 * (K8 - 8);
    return {p, p + K8, p + 2 * K8, p + 3 * K8};
  }
};

// Copies the twiddles of every level with 8 <= K/8 <= kPackedMax8 below the
// top one (n = 8 K8 S, S >= 2).
void pack(Packed& packed, std::ptrdiff_t n, const Columns& tab) {
  for (std::ptrdiff_t K8 = 8; K8 <= kPackedMax8 && 16 * K8 <= n; K8 *= 2) {
    const std::ptrdiff_t S = n / (8 * K8);
    double* p = packed.values + 4 * (K8 - 8);
    for (std::ptrdiff_t i = 0; i < K8; ++i) {
      p[i] = tab.c1[i * S];
      p[K8 + i] = tab.s1[i * S];
      p[2 * K8 + i] = tab.c3[i * S];
      p[3 * K8 + i] = tab.s3[i * S];
    }
  }
}

// Blocks up to this length are finished stage by stage: each stage's block
// operations undivided, then one vector division of all their values.
constexpr std::ptrdiff_t kLeaf = 128;

// The C values at x (8 <= C <= kLeaf) form one block at the stage of table
// stride S; runs it and every later stage of its values. Within the block the
// sub-blocks of each stage lie as in a whole transform of length C, so they
// are visited in the same pattern with C for n. Each value meets the same
// operations as in the depth-first order, and is divided once per stage.
// Blocks of 64 values and more take their butterflies eight at a time.
TFMEX_AVX512 void leaf_avx512(double* x, std::ptrdiff_t C, std::ptrdiff_t S, const Columns& tab,
                              const Packed& packed) {
  for (std::ptrdiff_t K = C; K >= 4; K /= 2, S *= 2) {
    const std::ptrdiff_t K8 = K / 8;
    const bool wide = K8 >= 8;
    const Columns twiddles = S >= 2 && wide ? packed.level(K8) : tab;
    for (std::ptrdiff_t is = 0, id = 2 * K; is < C; is = 2 * id - K, id *= 4) {
      for (std::ptrdiff_t b = is; b < C; b += id) {
        block_undivided(x + b, K, S, tab, wide);
        if (wide) butterflies_avx512<false>(x + b, K, K / 4, K8, S >= 2 ? 1 : S, twiddles);
      }
    }
    divide_avx512(x, C);
  }
  for (std::ptrdiff_t is = 0, id = 4; is < C; is = 2 * id - 2, id *= 4) {
    for (std::ptrdiff_t b = is; b < C; b += id) {
      const double a = x[b], c = x[b + 1];
      x[b] = a + c;
      x[b + 1] = a - c;
    }
  }
  divide_avx512(x, C);
}
#endif

// The block of K >= 4 values at x, table stride S; its outputs divided once
// (first half) or twice (quarters).
void block(double* x, std::ptrdiff_t K, std::ptrdiff_t S, const Columns& tab, bool simd) {
  const std::ptrdiff_t K4 = K / 4, K8 = K / 8;
  block_heads<true>(x, K);
  std::ptrdiff_t i = 1;
#ifdef TFMEX_X86
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

#ifdef TFMEX_X86
// The depth-first stages of the block of K >= 8 values at x on the AVX-512
// path: large blocks with their divisions fused into the writes, small ones
// stage by stage (leaf_avx512).
TFMEX_AVX512 void stages_avx512(double* x, std::ptrdiff_t K, std::ptrdiff_t S, const Columns& tab,
                                const Packed& packed) {
  if (K <= kLeaf) {
    leaf_avx512(x, K, S, tab, packed);
    return;
  }
  const std::ptrdiff_t K4 = K / 4, K8 = K / 8;
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
  {
    const double b1 = x1[K8], b2 = x2[K8], b3 = x3[K8], b4 = x4[K8];
    x1[K8] = once(b1 + b3);
    x2[K8] = once(b2 + b4);
    x3[K8] = twice((b1 - b3) * kRoot2);
    x4[K8] = twice((b2 - b4) * kRoot2);
  }
  if (S >= 2 && K8 <= kPackedMax8) butterflies_avx512<true>(x, K, K4, K8, 1, packed.level(K8));
  else butterflies_avx512<true>(x, K, K4, K8, S, tab);
  stages_avx512(x, K / 2, 2 * S, tab, packed);
  stages_avx512(x + K / 2, K / 4, 4 * S, tab, packed);
  stages_avx512(x + 3 * K / 4, K / 4, 4 * S, tab, packed);
}
#endif

// Stage s on the K = n / 2^s values at x, and every later stage of them.
void stages(double* x, std::ptrdiff_t K, std::ptrdiff_t S, const Columns& tab, bool simd) {
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

#ifdef TFMEX_X86
// Kept out of line so that the other paths do not reserve the packed twiddles'
// stack space.
__attribute__((noinline)) void transform_avx512(double* x, std::ptrdiff_t n, const Columns& tab) {
  Packed packed;
  pack(packed, n, tab);
  stages_avx512(x, n, 1, tab, packed);
}
#endif

}  // namespace

namespace detail {

void hartley_unordered(double* x, int J, const double* table) {
  const std::ptrdiff_t n = std::ptrdiff_t{1} << J;
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
  const std::ptrdiff_t w = n / 8 - 1;
  const Columns tab{table, table + w, table + 2 * w, table + 3 * w};
  const vector::Path level = vector::path();
#ifdef TFMEX_X86
  if (level == vector::Path::avx512) {
    transform_avx512(x, n, tab);
    return;
  }
#endif
  stages(x, n, 1, tab, level != vector::Path::portable);
}

// Small lengths step a reversed counter; from 64 values on the indices are
// split as (high 3 bits, middle, low 3 bits) and 8 x 8 tiles are exchanged
// with their mirror tiles, so each tile touches 8 cache lines.
void bit_reverse(double* x, int J) {
  const std::ptrdiff_t n = std::ptrdiff_t{1} << J;
  if (J < 6) {
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
    return;
  }
  const int mid = J - 6, high = J - 3;
  const std::ptrdiff_t tiles = std::ptrdiff_t{1} << mid;
  for (std::ptrdiff_t m = 0; m < tiles; ++m) {
    const std::ptrdiff_t rm =
        static_cast<std::ptrdiff_t>(reverse_bits(static_cast<unsigned>(m), mid));
    if (rm < m) continue;
    for (std::ptrdiff_t a = 0; a < 8; ++a) {
      for (std::ptrdiff_t c = 0; c < 8; ++c) {
        const std::ptrdiff_t i = (a << high) | (m << 3) | c;
        const std::ptrdiff_t r = (kReverse3[c] << high) | (rm << 3) | kReverse3[a];
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

void hartley(double* x, int J, const double* table) {
  detail::hartley_unordered(x, J, table);
  detail::bit_reverse(x, J);
}

void hartley_table(double* table, int n) {
  if (n >= 8) detail::build_hartley_table(table, n);
}

}  // namespace tfmex::trig
