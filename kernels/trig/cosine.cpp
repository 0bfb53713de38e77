// Cosine and sine transforms of types II and III around one Hartley
// transform: an even-odd reordering on one side and a rotation of the pairs
// (j, n - j) on the other. The sine transforms are the cosine ones on the
// sign-alternated signal, with the coefficients reversed; the sign flips and
// the reversal ride along in the reordering and the rotation, which move the
// same values to the places the separate passes would have left them.
#include <cstddef>
#include <cstdint>

#include "exact_sincos.h"
#include "internal.h"
#include "kernels/vector/vector.h"
#include "table_cache.h"
#include "trig.h"

namespace tfmex::trig {

namespace {

constexpr double kHalfRoot2 = 0.707106781186547;

// alpha_j at tables[n/2 + j] and beta_j at tables[n + j], j = 0 .. n/2 - 1.
void build_rotation(double* tables, std::ptrdiff_t n) {
  const std::ptrdiff_t half = n / 2;
  detail::rotation_angles(n, [&](std::ptrdiff_t j, double phi) {
    const double c = cos_rn(phi), s = sin_rn(phi);
    tables[half + j] = (c - s) * kHalfRoot2;
    tables[n + j] = (c + s) * kHalfRoot2;
  });
}

// Even-indexed values of x rising into y[0 .. n/2 - 1], odd-indexed ones
// falling into y[n/2 .. n - 1], the odd ones with their signs flipped when
// `negate` (the sine transform's sign alternation). From pair `from` on.
void split_even_odd(const double* x, double* y, std::ptrdiff_t n, bool negate,
                    std::ptrdiff_t from) {
  const std::ptrdiff_t half = n / 2;
  for (std::ptrdiff_t i = from; i < half; ++i) {
    const double odd = x[n - 1 - 2 * i];
    y[i] = x[2 * i];
    y[half + i] = negate ? -odd : odd;
  }
}

// The inverse of split_even_odd.
void join_even_odd(const double* y, double* x, std::ptrdiff_t n, bool negate, std::ptrdiff_t from) {
  const std::ptrdiff_t half = n / 2;
  for (std::ptrdiff_t i = from; i < half; ++i) {
    const double odd = y[half + i];
    x[2 * i] = y[i];
    x[n - 1 - 2 * i] = negate ? -odd : odd;
  }
}

// out[j] = alpha_j in[j] + beta_j in[n-j], out[n-j] = beta_j in[j] - alpha_j in[n-j],
// out[0] = in[0], out[n/2] = in[n/2], where in[k] is src[n - 1 - k] when
// `rev_in` and src[k] otherwise, and out[k] goes to dst[n - 1 - k] when
// `rev_out` and to dst[k] otherwise. Pairs from j = `from` on.
template <bool rev_in, bool rev_out>
void rotate_pairs(const double* src, double* dst, std::ptrdiff_t n, const double* tables,
                  std::ptrdiff_t from) {
  const std::ptrdiff_t half = n / 2;
  const double* alpha = tables + half;
  const double* beta = tables + n;
  auto in = [&](std::ptrdiff_t k) { return rev_in ? src[n - 1 - k] : src[k]; };
  auto out = [&](std::ptrdiff_t k) -> double& { return rev_out ? dst[n - 1 - k] : dst[k]; };
  for (std::ptrdiff_t j = from; j < half; ++j) {
    const double u = in(j), v = in(n - j);
    out(j) = alpha[j] * u + beta[j] * v;
    out(n - j) = beta[j] * u - alpha[j] * v;
  }
}

#ifdef TFMEX_X86
// The same passes eight values at a time (n >= 16); they only move values
// and flip signs, except rotate_avx512, whose lanes do the operations of the
// scalar loop.

TFMEX_AVX512 inline __m512d reversed8(__m512d v) {
  // The zero-masking form with a full mask: the plain one leaves GCC warning
  // about its undefined pass-through operand.
  return _mm512_maskz_permutexvar_pd(0xFF, _mm512_set_epi64(0, 1, 2, 3, 4, 5, 6, 7), v);
}

// v with its sign bits flipped where `sign` has them set.
TFMEX_AVX512 inline __m512d flip(__m512d v, __m512i sign) {
  return _mm512_castsi512_pd(_mm512_xor_si512(_mm512_castpd_si512(v), sign));
}

TFMEX_AVX512 __m512i sign_mask(bool negate) {
  return _mm512_set1_epi64(negate ? static_cast<std::int64_t>(0x8000000000000000ULL) : 0);
}

TFMEX_AVX512 void split_avx512(const double* x, double* y, std::ptrdiff_t n, bool negate) {
  const std::ptrdiff_t half = n / 2;
  const __m512i even = _mm512_set_epi64(14, 12, 10, 8, 6, 4, 2, 0);
  const __m512i odd = _mm512_set_epi64(1, 3, 5, 7, 9, 11, 13, 15);
  const __m512i sign = sign_mask(negate);
  std::ptrdiff_t i = 0;
  for (; i + 8 <= half; i += 8) {
    const __m512d lo = _mm512_loadu_pd(x + 2 * i), hi = _mm512_loadu_pd(x + 2 * i + 8);
    _mm512_storeu_pd(y + i, _mm512_permutex2var_pd(lo, even, hi));
    const __m512d a = _mm512_loadu_pd(x + n - 16 - 2 * i), b = _mm512_loadu_pd(x + n - 8 - 2 * i);
    _mm512_storeu_pd(y + half + i, flip(_mm512_permutex2var_pd(a, odd, b), sign));
  }
  split_even_odd(x, y, n, negate, i);
}

TFMEX_AVX512 void join_avx512(const double* y, double* x, std::ptrdiff_t n, bool negate) {
  const std::ptrdiff_t half = n / 2;
  const __m512i lo_idx = _mm512_set_epi64(12, 3, 13, 2, 14, 1, 15, 0);
  const __m512i hi_idx = _mm512_set_epi64(8, 7, 9, 6, 10, 5, 11, 4);
  const __m512i sign = sign_mask(negate);
  std::ptrdiff_t i = 0;
  for (; i + 8 <= half; i += 8) {
    // e lane l = y[i + l]; o lane l = y[n - 8 - i + l], so y[n - 1 - i - l] is o[7 - l].
    const __m512d e = _mm512_loadu_pd(y + i), o = flip(_mm512_loadu_pd(y + n - 8 - i), sign);
    _mm512_storeu_pd(x + 2 * i, _mm512_permutex2var_pd(e, lo_idx, o));
    _mm512_storeu_pd(x + 2 * i + 8, _mm512_permutex2var_pd(e, hi_idx, o));
  }
  join_even_odd(y, x, n, negate, i);
}

// rotate_pairs from j = 1, eight pairs at a time; returns the first j not done.
template <bool rev_in, bool rev_out>
TFMEX_AVX512 std::ptrdiff_t rotate_avx512(const double* src, double* dst, std::ptrdiff_t n,
                                          const double* tables) {
  const std::ptrdiff_t half = n / 2;
  const double* alpha = tables + half;
  const double* beta = tables + n;
  std::ptrdiff_t j = 1;
  for (; j + 8 <= half; j += 8) {
    const __m512d a = _mm512_loadu_pd(alpha + j), b = _mm512_loadu_pd(beta + j);
    // u lane l = in[j + l], v lane l = in[n - j - l].
    const __m512d u =
        rev_in ? reversed8(_mm512_loadu_pd(src + n - 8 - j)) : _mm512_loadu_pd(src + j);
    const __m512d v =
        rev_in ? _mm512_loadu_pd(src + j - 1) : reversed8(_mm512_loadu_pd(src + n - j - 7));
    const __m512d p = _mm512_add_pd(_mm512_mul_pd(a, u), _mm512_mul_pd(b, v));
    const __m512d m = _mm512_sub_pd(_mm512_mul_pd(b, u), _mm512_mul_pd(a, v));
    if (rev_out) {
      _mm512_storeu_pd(dst + n - 8 - j, reversed8(p));
      _mm512_storeu_pd(dst + j - 1, m);
    } else {
      _mm512_storeu_pd(dst + j, p);
      _mm512_storeu_pd(dst + n - j - 7, reversed8(m));
    }
  }
  return j;
}

// Whether the passes on n values take their AVX-512 loops.
bool wide(std::ptrdiff_t n) { return n >= 16 && vector::path() == vector::Path::avx512; }
#endif

void split(const double* x, double* y, std::ptrdiff_t n, bool negate) {
#ifdef TFMEX_X86
  if (wide(n)) return split_avx512(x, y, n, negate);
#endif
  split_even_odd(x, y, n, negate, 0);
}

void join(const double* y, double* x, std::ptrdiff_t n, bool negate) {
#ifdef TFMEX_X86
  if (wide(n)) return join_avx512(y, x, n, negate);
#endif
  join_even_odd(y, x, n, negate, 0);
}

template <bool rev_in, bool rev_out>
void rotate(const double* src, double* dst, std::ptrdiff_t n, const double* tables) {
  const std::ptrdiff_t half = n / 2;
  auto in = [&](std::ptrdiff_t k) { return rev_in ? src[n - 1 - k] : src[k]; };
  auto out = [&](std::ptrdiff_t k) -> double& { return rev_out ? dst[n - 1 - k] : dst[k]; };
  out(0) = in(0);
  out(half) = in(half);
  std::ptrdiff_t j = 1;
#ifdef TFMEX_X86
  if (wide(n)) j = rotate_avx512<rev_in, rev_out>(src, dst, n, tables);
#endif
  rotate_pairs<rev_in, rev_out>(src, dst, n, tables, j);
}

}  // namespace

// dst negates the odd-indexed values, runs dct and reverses the result: the
// negation happens as split moves those values into y, and the reversal as
// the rotation writes x.
void dct(double* x, double* y, int J, const double* tables) {
  const std::ptrdiff_t n = std::ptrdiff_t{1} << J;
  if (n == 1) return;
  split(x, y, n, false);
  hartley(y, J, tables);
  rotate<false, false>(y, x, n, tables);
}

void dst(double* x, double* y, int J, const double* tables) {
  const std::ptrdiff_t n = std::ptrdiff_t{1} << J;
  if (n == 1) return;
  split(x, y, n, true);
  hartley(y, J, tables);
  rotate<false, true>(y, x, n, tables);
}

// idst reverses x, runs idct and negates the odd-indexed values: the rotation
// reads x from the far end, and join flips the signs as it writes them.
void idct(double* x, double* y, int J, const double* tables) {
  const std::ptrdiff_t n = std::ptrdiff_t{1} << J;
  if (n == 1) return;
  rotate<false, false>(x, y, n, tables);
  hartley(y, J, tables);
  join(y, x, n, false);
}

void idst(double* x, double* y, int J, const double* tables) {
  const std::ptrdiff_t n = std::ptrdiff_t{1} << J;
  if (n == 1) return;
  rotate<true, false>(x, y, n, tables);
  hartley(y, J, tables);
  join(y, x, n, true);
}

// The part before n/2 holds the Hartley table from n = 8 on, and nothing
// below (its room stays 0).
void cosine_tables(double* tables, int n) {
  if (n < 2) return;
  for (std::ptrdiff_t i = 0; i < n / 2; ++i) tables[i] = 0.0;
  hartley_table(tables, n);
  build_rotation(tables, n);
}

const double* shared_cosine_tables(int n, double* room, SharedTable* holder) {
  holder->reset();
  if (n < 2) return room;
  *holder = shared_table(cosine_tables, n, cosine_table_size(n));
  if (*holder) return (*holder)->data();
  cosine_tables(room, n);
  return room;
}

}  // namespace tfmex::trig
