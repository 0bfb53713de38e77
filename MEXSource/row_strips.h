// The row pass of a CircJoin2 stage done where the rows lie, eight rows at a
// time, one row per lane of an AVX-512 vector: a column's eight values of the
// strip are one load (one cache line), so a row's filter taps become loads of
// whole columns and the block needs no transposing. Each lane forms exactly
// the sums upboth forms on its row (from 0.0, taps in increasing order, the
// low-pass and high-pass sums added last), so every row gives the same
// doubles as when it is made contiguous and synthesised.
#ifndef TFMEX_MEXSOURCE_ROW_STRIPS_H
#define TFMEX_MEXSOURCE_ROW_STRIPS_H

#include <cstddef>

#include "kernels/vector/vector.h"

namespace tfmex::image {

// The longest reach m/2 the strips take; longer filters go through the
// transposes.
constexpr int kStripReach = 16;

#ifdef TFMEX_X86

namespace strips {

struct Strip {
  double* a;         // row r0 of the block; column c at a + c n
  std::ptrdiff_t n;
  int k;             // coarse (and detail) columns of each row
  const double* B;   // the strip's coarse columns, 8 values each
  const double* F;   // its first min(m/2, k) detail columns
  int mf;
  const double* h;
  const double* g;
  int m;
};

TFMEX_AVX512 inline const double* detail_col(const Strip& s, int c) {
  return c < s.mf ? s.F + std::ptrdiff_t{8} * c : s.a + (s.k + c) * s.n;
}

// Output pair i of every row, any i: coarse index i - j and detail index
// i + j reduced modulo k.
TFMEX_AVX512 inline void join_one(const Strip& s, int i) {
  const int ce = (s.m + 1) / 2, co = s.m / 2, k = s.k;
  __m512d le = _mm512_setzero_pd(), lo = le, he = le, ho = le;
  int c = i;
  for (int j = 0; j < ce; ++j) {
    le = _mm512_add_pd(le, _mm512_mul_pd(_mm512_set1_pd(s.h[2 * j]), _mm512_loadu_pd(s.B + std::ptrdiff_t{8} * c)));
    if (--c < 0) c = k - 1;
  }
  c = i;
  for (int j = 0; j < co; ++j) {
    lo = _mm512_add_pd(lo, _mm512_mul_pd(_mm512_set1_pd(s.h[2 * j + 1]), _mm512_loadu_pd(s.B + std::ptrdiff_t{8} * c)));
    if (--c < 0) c = k - 1;
  }
  c = i;
  for (int j = 0; j < co; ++j) {
    he = _mm512_add_pd(he, _mm512_mul_pd(_mm512_set1_pd(s.g[2 * j + 1]), _mm512_loadu_pd(detail_col(s, c))));
    if (++c == k) c = 0;
  }
  c = i;
  for (int j = 0; j < ce; ++j) {
    ho = _mm512_add_pd(ho, _mm512_mul_pd(_mm512_set1_pd(s.g[2 * j]), _mm512_loadu_pd(detail_col(s, c))));
    if (++c == k) c = 0;
  }
  _mm512_storeu_pd(s.a + std::ptrdiff_t{2} * i * s.n, _mm512_add_pd(le, he));
  _mm512_storeu_pd(s.a + (std::ptrdiff_t{2} * i + 1) * s.n, _mm512_add_pd(lo, ho));
}

constexpr int kAhead = 8;

// Output pairs i0 <= i < i1 where nothing wraps and every detail column is
// read from the block (i >= ce - 1, i >= mf, i + ce - 1 < k, i < k).
TFMEX_AVX512 inline void join_run(const Strip& s, int i0, int i1) {
  const int ce = (s.m + 1) / 2, co = s.m / 2;
  const double* d = s.a + s.k * s.n;
  for (int i = i0; i < i1; ++i) {
    // The lines a few outputs ahead are fetched early: each is a column n
    // values away from the last, which the processor does not foresee.
    if (i + kAhead < i1) {
      _mm_prefetch(reinterpret_cast<const char*>(d + (i + kAhead + co) * s.n), _MM_HINT_T0);
    }
    __m512d le = _mm512_setzero_pd(), lo = le, he = le, ho = le;
    int j = 0;
    for (; j < co; ++j) {
      const __m512d c0 = _mm512_loadu_pd(s.B + std::ptrdiff_t{8} * (i - j));
      const __m512d d0 = _mm512_loadu_pd(d + (i + j) * s.n);
      le = _mm512_add_pd(le, _mm512_mul_pd(_mm512_set1_pd(s.h[2 * j]), c0));
      lo = _mm512_add_pd(lo, _mm512_mul_pd(_mm512_set1_pd(s.h[2 * j + 1]), c0));
      he = _mm512_add_pd(he, _mm512_mul_pd(_mm512_set1_pd(s.g[2 * j + 1]), d0));
      ho = _mm512_add_pd(ho, _mm512_mul_pd(_mm512_set1_pd(s.g[2 * j]), d0));
    }
    if (j < ce) {
      le = _mm512_add_pd(le, _mm512_mul_pd(_mm512_set1_pd(s.h[2 * j]), _mm512_loadu_pd(s.B + std::ptrdiff_t{8} * (i - j))));
      ho = _mm512_add_pd(ho, _mm512_mul_pd(_mm512_set1_pd(s.g[2 * j]), _mm512_loadu_pd(d + (i + j) * s.n)));
    }
    _mm512_storeu_pd(s.a + std::ptrdiff_t{2} * i * s.n, _mm512_add_pd(le, he));
    _mm512_storeu_pd(s.a + (std::ptrdiff_t{2} * i + 1) * s.n, _mm512_add_pd(lo, ho));
  }
}

// The rows r0 .. r0+7 of the 2k x 2k block at a. B receives the strip's
// coarse columns first: output pair i overwrites columns 2i and 2i + 1,
// coarse ones while i < k/2, before the later outputs have read them. F
// receives its first min(m/2, k) detail columns, which the last outputs read
// (wrapping) after the middle outputs have overwritten them. Every other
// detail column k + c is read only by outputs i <= c, before output
// (k + c)/2 > i replaces it.
TFMEX_AVX512 inline void join_strip(double* a, int k, std::ptrdiff_t n, const double* h,
                                    const double* g, int m, double* B) {
  const int co = m / 2, ce = (m + 1) / 2;
  const int mf = co < k ? co : k;
  alignas(64) double F[8 * kStripReach];
  for (int c = 0; c < k; ++c) _mm512_storeu_pd(B + std::ptrdiff_t{8} * c, _mm512_loadu_pd(a + c * n));
  for (int c = 0; c < mf; ++c) _mm512_storeu_pd(F + std::ptrdiff_t{8} * c, _mm512_loadu_pd(a + (k + c) * n));
  const Strip s{a, n, k, B, F, mf, h, g, m};
  const int r0 = ce - 1 > mf ? ce - 1 : mf, r1 = ce > 0 ? k - ce + 1 : k;
  if (r1 <= r0) {
    for (int i = 0; i < k; ++i) join_one(s, i);
    return;
  }
  for (int i = 0; i < r0; ++i) join_one(s, i);
  join_run(s, r0, r1);
  for (int i = r1; i < k; ++i) join_one(s, i);
}

}  // namespace strips

// Whether join_rows can do a block of side c (a power of two) with filters of
// m taps on the AVX-512 path, with `work` doubles of workspace.
inline bool join_rows_fit(int c, int m, std::ptrdiff_t work) {
  return tfmex::vector::path() == tfmex::vector::Path::avx512 && c >= 8 && m / 2 <= kStripReach &&
         std::ptrdiff_t{4} * c <= work;
}

// Synthesis of every row of the c x c block at a (columns n apart): a row's
// first c/2 values (coarse) and last c/2 (detail) become upboth's c values.
// Only where join_rows_fit; work holds 4c doubles. The strips are independent:
// part `part` of `parts` does a contiguous share of them.
TFMEX_AVX512 inline void join_rows(double* a, int c, std::ptrdiff_t n, const double* h,
                                   const double* g, int m, double* work, int part = 0,
                                   int parts = 1) {
  const int strips = c / 8;
  const int s1 = static_cast<int>(std::ptrdiff_t{strips} * (part + 1) / parts);
  for (int s = static_cast<int>(std::ptrdiff_t{strips} * part / parts); s < s1; ++s)
    strips::join_strip(a + 8 * s, c / 2, n, h, g, m, work);
}

#else
inline bool join_rows_fit(int, int, std::ptrdiff_t) { return false; }
inline void join_rows(double*, int, std::ptrdiff_t, const double*, const double*, int, double*,
                      int = 0, int = 1) {}
#endif

}  // namespace tfmex::image

#endif
