// The filter-bank routines of periodized.h: portable loops and their AVX2 and
// AVX-512 builds (wide_kernels.inc), chosen by tfmex::vector::path().
#include "periodized.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "kernels/vector/vector.h"

namespace tfmex::periodized {

// Instruction path of the filter routines. The vector paths compute several
// outputs at once, one output per vector lane: every lane starts from 0.0 and
// adds h[j] * x[...] in increasing j, a separate multiply and add (never a
// fused one), so each output is the same double as on the portable path.
// AVX2 lanes are four doubles wide, AVX-512 lanes eight.
namespace {

using vector::Path;
using vector::path;

// Outputs of the fused analysis whose inputs are de-interleaved in one go,
// and the longest reach (m - 1)/2 the fused path takes; longer filters take
// the scalar loops.
constexpr int kChunk = 256;
constexpr int kMaxReach = 32;

#ifdef TFMEX_X86

// Outputs come in blocks of 16: four vectors of four lanes, so that four
// independent sums are in flight at once.
constexpr int kBlock = 16;

// Lanes of an accumulator filled by the even/odd unpacking below hold outputs
// t0, t2, t1, t3 of their group of four; this puts them back in order.
#define TFMEX_UNSWAP(v) _mm256_permute4x64_pd((v), 0xD8)

// downlo on outputs i0, i0+16, ... while a whole block's reads stay inside
// x[0 .. n-1]; returns the first output not done. Four outputs at tap j read
// x[2i+j], x[2i+j+2], x[2i+j+4], x[2i+j+6]: two loads of eight consecutive
// values give taps j (even places) and j+1 (odd places).
TFMEX_AVX2 int downlo_avx2(const double* x, int n, const double* h, int m, double* y, int i0,
                           int i1) {
  const int me = (m + 1) & ~1;
  int i = i0;
  for (; i + kBlock <= i1 && std::ptrdiff_t{2} * i + me + 30 <= n; i += kBlock) {
    const double* xp = x + 2 * i;
    __m256d a0 = _mm256_setzero_pd(), a1 = a0, a2 = a0, a3 = a0;
    int j = 0;
    for (; j + 1 < m; j += 2) {
      const __m256d hj = _mm256_broadcast_sd(h + j), hk = _mm256_broadcast_sd(h + j + 1);
      const double* p = xp + j;
#define TFMEX_STEP(a, q)                                                              \
  {                                                                                   \
    const __m256d u = _mm256_loadu_pd(p + 8 * q), v = _mm256_loadu_pd(p + 8 * q + 4); \
    a = _mm256_add_pd(a, _mm256_mul_pd(hj, _mm256_unpacklo_pd(u, v)));                \
    a = _mm256_add_pd(a, _mm256_mul_pd(hk, _mm256_unpackhi_pd(u, v)));                \
  }
      TFMEX_STEP(a0, 0) TFMEX_STEP(a1, 1) TFMEX_STEP(a2, 2) TFMEX_STEP(a3, 3)
#undef TFMEX_STEP
    }
    if (j < m) {
      const __m256d hj = _mm256_broadcast_sd(h + j);
      const double* p = xp + j;
#define TFMEX_STEP(a, q)                                                              \
  {                                                                                   \
    const __m256d u = _mm256_loadu_pd(p + 8 * q), v = _mm256_loadu_pd(p + 8 * q + 4); \
    a = _mm256_add_pd(a, _mm256_mul_pd(hj, _mm256_unpacklo_pd(u, v)));                \
  }
      TFMEX_STEP(a0, 0) TFMEX_STEP(a1, 1) TFMEX_STEP(a2, 2) TFMEX_STEP(a3, 3)
#undef TFMEX_STEP
    }
    _mm256_storeu_pd(y + i, TFMEX_UNSWAP(a0));
    _mm256_storeu_pd(y + i + 4, TFMEX_UNSWAP(a1));
    _mm256_storeu_pd(y + i + 8, TFMEX_UNSWAP(a2));
    _mm256_storeu_pd(y + i + 12, TFMEX_UNSWAP(a3));
  }
  return i;
}

// downhi on outputs i0, i0+16, ... (i0 >= (m-1)/2, so no read falls below
// x[0]) while a whole block's reads stay below n. Taps j and j+1 of four
// outputs are the odd and even places of the eight values from x[2i-j].
TFMEX_AVX2 int downhi_avx2(const double* x, int n, const double* g, int m, double* y, int i0,
                           int i1) {
  int i = i0;
  for (; i + kBlock <= i1 && std::ptrdiff_t{2} * i + 32 <= n; i += kBlock) {
    __m256d a0 = _mm256_setzero_pd(), a1 = a0, a2 = a0, a3 = a0;
    int j = 0;
    for (; j + 1 < m; j += 2) {
      const __m256d gj = _mm256_broadcast_sd(g + j), gk = _mm256_broadcast_sd(g + j + 1);
      const double* p = x + 2 * i - j;
#define TFMEX_STEP(a, q)                                                              \
  {                                                                                   \
    const __m256d u = _mm256_loadu_pd(p + 8 * q), v = _mm256_loadu_pd(p + 8 * q + 4); \
    a = _mm256_add_pd(a, _mm256_mul_pd(gj, _mm256_unpackhi_pd(u, v)));                \
    a = _mm256_add_pd(a, _mm256_mul_pd(gk, _mm256_unpacklo_pd(u, v)));                \
  }
      TFMEX_STEP(a0, 0) TFMEX_STEP(a1, 1) TFMEX_STEP(a2, 2) TFMEX_STEP(a3, 3)
#undef TFMEX_STEP
    }
    if (j < m) {
      const __m256d gj = _mm256_broadcast_sd(g + j);
      const double* p = x + 2 * i - j;
#define TFMEX_STEP(a, q)                                                              \
  {                                                                                   \
    const __m256d u = _mm256_loadu_pd(p + 8 * q), v = _mm256_loadu_pd(p + 8 * q + 4); \
    a = _mm256_add_pd(a, _mm256_mul_pd(gj, _mm256_unpackhi_pd(u, v)));                \
  }
      TFMEX_STEP(a0, 0) TFMEX_STEP(a1, 1) TFMEX_STEP(a2, 2) TFMEX_STEP(a3, 3)
#undef TFMEX_STEP
    }
    _mm256_storeu_pd(y + i, TFMEX_UNSWAP(a0));
    _mm256_storeu_pd(y + i + 4, TFMEX_UNSWAP(a1));
    _mm256_storeu_pd(y + i + 8, TFMEX_UNSWAP(a2));
    _mm256_storeu_pd(y + i + 12, TFMEX_UNSWAP(a3));
  }
  return i;
}

#undef TFMEX_UNSWAP

// The routines of wide_kernels.inc, compiled once for AVX2 (four lanes) and
// once for AVX-512 (eight lanes), each in its own namespace with its own
// lane-wise helpers; every function between a push and its pop is built for
// that instruction set (GCC's target pragma, Clang's attribute pragma).
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
namespace avx2 {
typedef __m256d V;
constexpr int W = 4;
inline V vzero() { return _mm256_setzero_pd(); }
inline V vset1(double s) { return _mm256_set1_pd(s); }
inline V vload(const double* p) { return _mm256_loadu_pd(p); }
inline void vstore(double* p, V v) { _mm256_storeu_pd(p, v); }
inline V vadd(V a, V b) { return _mm256_add_pd(a, b); }
inline V vmul(V a, V b) { return _mm256_mul_pd(a, b); }
// u = x0..x3, v = x4..x7: (x0, x2, x4, x6) and (x1, x3, x5, x7).
inline V veven(V u, V v) { return _mm256_permute4x64_pd(_mm256_unpacklo_pd(u, v), 0xD8); }
inline V vodd(V u, V v) { return _mm256_permute4x64_pd(_mm256_unpackhi_pd(u, v), 0xD8); }
// (e0, o0, e1, o1) and (e2, o2, e3, o3).
inline V vzip_first(V e, V o) {
  return _mm256_permute2f128_pd(_mm256_unpacklo_pd(e, o), _mm256_unpackhi_pd(e, o), 0x20);
}
inline V vzip_second(V e, V o) {
  return _mm256_permute2f128_pd(_mm256_unpacklo_pd(e, o), _mm256_unpackhi_pd(e, o), 0x31);
}
#include "wide_kernels.inc"
}  // namespace avx2
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512f"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx512f")
#endif
namespace avx512 {
typedef __m512d V;
constexpr int W = 8;
inline V vzero() { return _mm512_setzero_pd(); }
inline V vset1(double s) { return _mm512_set1_pd(s); }
inline V vload(const double* p) { return _mm512_loadu_pd(p); }
inline void vstore(double* p, V v) { _mm512_storeu_pd(p, v); }
inline V vadd(V a, V b) { return _mm512_add_pd(a, b); }
inline V vmul(V a, V b) { return _mm512_mul_pd(a, b); }
// Lane k of the result takes lane idx[k] of u (idx < 8) or of v (idx >= 8).
inline V vpick(V u, V v, std::int64_t i0, std::int64_t i1, std::int64_t i2, std::int64_t i3,
               std::int64_t i4, std::int64_t i5, std::int64_t i6, std::int64_t i7) {
  return _mm512_permutex2var_pd(u, _mm512_set_epi64(i7, i6, i5, i4, i3, i2, i1, i0), v);
}
inline V veven(V u, V v) { return vpick(u, v, 0, 2, 4, 6, 8, 10, 12, 14); }
inline V vodd(V u, V v) { return vpick(u, v, 1, 3, 5, 7, 9, 11, 13, 15); }
inline V vzip_first(V e, V o) { return vpick(e, o, 0, 8, 1, 9, 2, 10, 3, 11); }
inline V vzip_second(V e, V o) { return vpick(e, o, 4, 12, 5, 13, 6, 14, 7, 15); }
#include "wide_kernels.inc"
}  // namespace avx512
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif

// The vector part of downlo and downhi on the path taken now (their AVX2
// loops serve the AVX-512 path too). Each returns the first output it left to
// the scalar loops: its i0 on the portable path.
int downlo_vec(const double* x, int n, const double* h, int m, double* y, int i0, int i1) {
#ifdef TFMEX_X86
  if (path() != Path::portable) return downlo_avx2(x, n, h, m, y, i0, i1);
#endif
  (void)x, (void)n, (void)h, (void)m, (void)y, (void)i1;
  return i0;
}

int downhi_vec(const double* x, int n, const double* g, int m, double* y, int i0, int i1) {
#ifdef TFMEX_X86
  if (path() != Path::portable) return downhi_avx2(x, n, g, m, y, i0, i1);
#endif
  (void)x, (void)n, (void)g, (void)m, (void)y, (void)i1;
  return i0;
}

#ifdef TFMEX_X86
// The vector part of a routine written in wide_kernels.inc, on the path
// taken now: its AVX-512 or its AVX2 build, or none (i0) on the portable path.
template <class Wide8, class Wide4>
int vector_part(int i0, Wide8 wide8, Wide4 wide4) {
  switch (path()) {
    case Path::avx512: return wide8();
    case Path::avx2: return wide4();
    case Path::portable:
    case Path::neon: break;
  }
  return i0;
}
#define TFMEX_VECTOR_PART(i0, call) \
  vector_part((i0), [&] { return avx512::call; }, [&] { return avx2::call; })
#else
#define TFMEX_VECTOR_PART(i0, call) (i0)
#endif

}  // namespace

void mirrorfilt(const double* h, double* g, int m) {
  for (int j = 0; j < m; ++j) g[j] = (j % 2 == 0) ? h[j] : -h[j];
}

// Each filter routine splits its outputs into an interior run, whose taps all
// fall inside the block and need no wrap test, and an edge run, where the
// running index is moved by n whenever it leaves 0 .. n-1. Both runs form the
// same sums in the same order, so the split changes no result.

void downlo(const double* x, int n, const double* h, int m, double* y) {
  const int half = n / 2;
  if (half <= 0) return;
  // Last output whose taps 2i .. 2i+m-1 stay below n.
  int a = half - m / 2;
  if (2 * a + m - 1 >= n) a -= 1;
  if (a < 0) a = -1;
  const int interior_end = (a < half - 1 ? a : half - 1) + 1;
  const int done = downlo_vec(x, n, h, m, y, 0, interior_end);
  for (int i = done; i < interior_end; ++i) {
    const double* xp = x + 2 * i;
    double s = 0.0;
    for (int j = 0; j < m; ++j) s += h[j] * xp[j];
    y[i] = s;
  }
  for (int i = interior_end; i < half; ++i) {
    int k = 2 * i;
    double s = 0.0;
    for (int j = 0; j < m; ++j) {
      s += h[j] * x[k];
      if (++k == n) k = 0;
    }
    y[i] = s;
  }
}

void downhi(const double* x, int n, const double* g, int m, double* y) {
  const int half = n / 2;
  if (half <= 0) return;
  // First output whose taps 2i+1 .. 2i+2-m stay at or above 0.
  const int p = m >= 1 ? (m - 1) / 2 : 0;
  const int edge_end = p < half ? p : half;
  for (int i = 0; i < edge_end; ++i) {
    int k = 2 * i + 1;
    double s = 0.0;
    for (int j = 0; j < m; ++j) {
      s += g[j] * x[k];
      if (--k < 0) k = n - 1;
    }
    y[i] = s;
  }
  const int done = downhi_vec(x, n, g, m, y, edge_end, half);
  for (int i = done; i < half; ++i) {
    const double* xp = x + 2 * i + 1;
    double s = 0.0;
    for (int j = 0; j < m; ++j) s += g[j] * xp[-j];
    y[i] = s;
  }
}

namespace {

// One output of downlo, with the periodic reads only where its taps pass n.
double downlo_at(const double* x, int n, const double* h, int m, int i) {
  double s = 0.0;
  if (std::ptrdiff_t{2} * i + m <= n) {
    const double* xp = x + 2 * i;
    for (int j = 0; j < m; ++j) s += h[j] * xp[j];
  } else {
    int k = 2 * i;
    for (int j = 0; j < m; ++j) {
      s += h[j] * x[k];
      if (++k == n) k = 0;
    }
  }
  return s;
}

// One output of downhi, with the periodic reads only where its taps pass 0.
double downhi_at(const double* x, int n, const double* g, int m, int i) {
  double s = 0.0;
  if (std::ptrdiff_t{2} * i + 2 >= m) {
    const double* xp = x + 2 * i + 1;
    for (int j = 0; j < m; ++j) s += g[j] * xp[-j];
  } else {
    int k = 2 * i + 1;
    for (int j = 0; j < m; ++j) {
      s += g[j] * x[k];
      if (--k < 0) k = n - 1;
    }
  }
  return s;
}

}  // namespace

// The vector part covers the outputs whose taps reach neither end of the
// block, (m-1)/2 <= i < n/2 - (m-1)/2; the outputs either side of it are
// formed one at a time.
void downboth(const double* x, int n, const double* h, const double* g, int m, double* lo,
              double* hi) {
  const int half = n / 2;
  if (half <= 0) return;
  const int reach = m >= 1 ? (m - 1) / 2 : 0;
  if (reach > kMaxReach) {
    downlo(x, n, h, m, lo);
    downhi(x, n, g, m, hi);
    return;
  }
  const int start = reach < half ? reach : half;
  int done = start;
  if (m >= 1 && half - reach > start)
    done = TFMEX_VECTOR_PART(start, downboth_wide(x, h, g, m, lo, hi, start, half - reach));
  for (int i = 0; i < start; ++i) {
    lo[i] = downlo_at(x, n, h, m, i);
    hi[i] = downhi_at(x, n, g, m, i);
  }
  for (int i = done; i < half; ++i) {
    lo[i] = downlo_at(x, n, h, m, i);
    hi[i] = downhi_at(x, n, g, m, i);
  }
}

void uplo(const double* x, int n, const double* h, int m, double* y) {
  if (n <= 0) return;
  const int ce = (m + 1) / 2, co = m / 2;
  const int edge_end = ce < n ? ce : n;
  for (int i = 0; i < edge_end; ++i) {
    double se = 0.0, so = 0.0;
    int k = i;
    for (int j = 0; j < ce; ++j) {
      se += h[2 * j] * x[k];
      if (--k < 0) k = n - 1;
    }
    k = i;
    for (int j = 0; j < co; ++j) {
      so += h[2 * j + 1] * x[k];
      if (--k < 0) k = n - 1;
    }
    y[2 * i] = se;
    y[2 * i + 1] = so;
  }
  const int done = TFMEX_VECTOR_PART(edge_end, uplo_wide(x, h, m, y, edge_end, n));
  for (int i = done; i < n; ++i) {
    const double* xp = x + i;
    double se = 0.0, so = 0.0;
    for (int j = 0; j < ce; ++j) se += h[2 * j] * xp[-j];
    for (int j = 0; j < co; ++j) so += h[2 * j + 1] * xp[-j];
    y[2 * i] = se;
    y[2 * i + 1] = so;
  }
}

void uphi(const double* x, int n, const double* g, int m, double* y) {
  if (n <= 0) return;
  const int ce = (m + 1) / 2, co = m / 2;
  const int interior_end = n - ce > 0 ? n - ce : 0;
  const int done = TFMEX_VECTOR_PART(0, uphi_wide(x, g, m, y, 0, interior_end));
  for (int i = done; i < interior_end; ++i) {
    const double* xp = x + i;
    double se = 0.0, so = 0.0;
    for (int j = 0; j < co; ++j) se += g[2 * j + 1] * xp[j];
    for (int j = 0; j < ce; ++j) so += g[2 * j] * xp[j];
    y[2 * i] = se;
    y[2 * i + 1] = so;
  }
  for (int i = interior_end; i < n; ++i) {
    double se = 0.0, so = 0.0;
    int k = i;
    for (int j = 0; j < co; ++j) {
      se += g[2 * j + 1] * x[k];
      if (++k == n) k = 0;
    }
    k = i;
    for (int j = 0; j < ce; ++j) {
      so += g[2 * j] * x[k];
      if (++k == n) k = 0;
    }
    y[2 * i] = se;
    y[2 * i + 1] = so;
  }
}

void upboth(const double* a, const double* d, int n, const double* h, const double* g, int m,
            double* y) {
  if (n <= 0) return;
  const int ce = (m + 1) / 2, co = m / 2;
  // Interior: inputs i with ce <= i < n - ce, where neither uplo's reads
  // a[i - j] nor uphi's reads d[i + j] leave their blocks.
  const int lo_end = ce < n ? ce : n;
  const int hi_begin = n - ce > lo_end ? n - ce : lo_end;
  // One output pair with the wrap-tested loops of uplo and uphi.
  auto edge = [&](int i) {
    double le = 0.0, lo = 0.0, he = 0.0, ho = 0.0;
    int k = i;
    for (int j = 0; j < ce; ++j) {
      le += h[2 * j] * a[k];
      if (--k < 0) k = n - 1;
    }
    k = i;
    for (int j = 0; j < co; ++j) {
      lo += h[2 * j + 1] * a[k];
      if (--k < 0) k = n - 1;
    }
    k = i;
    for (int j = 0; j < co; ++j) {
      he += g[2 * j + 1] * d[k];
      if (++k == n) k = 0;
    }
    k = i;
    for (int j = 0; j < ce; ++j) {
      ho += g[2 * j] * d[k];
      if (++k == n) k = 0;
    }
    y[2 * i] = le + he;
    y[2 * i + 1] = lo + ho;
  };
  for (int i = 0; i < lo_end; ++i) edge(i);
  const int done = TFMEX_VECTOR_PART(lo_end, upboth_wide(a, d, h, g, m, y, lo_end, hi_begin));
  for (int i = done; i < hi_begin; ++i) {
    const double* ap = a + i;
    const double* dp = d + i;
    double le = 0.0, lo = 0.0, he = 0.0, ho = 0.0;
    for (int j = 0; j < ce; ++j) le += h[2 * j] * ap[-j];
    for (int j = 0; j < co; ++j) lo += h[2 * j + 1] * ap[-j];
    for (int j = 0; j < co; ++j) he += g[2 * j + 1] * dp[j];
    for (int j = 0; j < ce; ++j) ho += g[2 * j] * dp[j];
    y[2 * i] = le + he;
    y[2 * i + 1] = lo + ho;
  }
  for (int i = hi_begin; i < n; ++i) edge(i);
}

// The rows left to the portable loops, a few at a time: each row's sums are
// kept in an array over the rows of the run and the taps added column by
// column, which forms every row's sum in increasing tap order.
namespace {
constexpr int kRowRun = 32;
}  // namespace

void downboth_rows(const double* t, std::ptrdiff_t ldt, int k, int r, const double* h,
                   const double* g, int m, double* out, std::ptrdiff_t ldo, int i0, int i1) {
  const int done =
      TFMEX_VECTOR_PART(0, downboth_rows_wide(t, ldt, k, r, h, g, m, out, ldo, i0, i1));
  const int half = k / 2;
  for (int i = i0; i < i1; ++i) {
    for (int q = done; q < r; q += kRowRun) {
      const int run = r - q < kRowRun ? r - q : kRowRun;
      double lo[kRowRun] = {}, hi[kRowRun] = {};
      int cl = (2 * i) % k, ch = (2 * i + 1) % k;
      for (int j = 0; j < m; ++j) {
        const double* pl = t + cl * ldt + q;
        const double* pd = t + ch * ldt + q;
        for (int e = 0; e < run; ++e) lo[e] += h[j] * pl[e];
        for (int e = 0; e < run; ++e) hi[e] += g[j] * pd[e];
        if (++cl == k) cl = 0;
        if (--ch < 0) ch = k - 1;
      }
      copydouble(lo, out + i * ldo + q, run);
      copydouble(hi, out + (half + i) * ldo + q, run);
    }
  }
}

void upboth_rows(const double* a, const double* d, std::ptrdiff_t ld, int k, int r, const double* h,
                 const double* g, int m, double* out, std::ptrdiff_t ldo, int i0, int i1) {
  const int done =
      TFMEX_VECTOR_PART(0, upboth_rows_wide(a, d, ld, k, r, h, g, m, out, ldo, i0, i1));
  const int ce = (m + 1) / 2, co = m / 2;
  for (int i = i0; i < i1; ++i) {
    for (int q = done; q < r; q += kRowRun) {
      const int run = r - q < kRowRun ? r - q : kRowRun;
      double le[kRowRun] = {}, lo[kRowRun] = {}, he[kRowRun] = {}, ho[kRowRun] = {};
      int c = i;
      for (int j = 0; j < ce; ++j) {
        const double* p = a + c * ld + q;
        for (int e = 0; e < run; ++e) le[e] += h[2 * j] * p[e];
        if (j < co)
          for (int e = 0; e < run; ++e) lo[e] += h[2 * j + 1] * p[e];
        if (--c < 0) c = k - 1;
      }
      c = i;
      for (int j = 0; j < ce; ++j) {
        const double* p = d + c * ld + q;
        for (int e = 0; e < run; ++e) ho[e] += g[2 * j] * p[e];
        if (j < co)
          for (int e = 0; e < run; ++e) he[e] += g[2 * j + 1] * p[e];
        if (++c == k) c = 0;
      }
      double* even = out + 2 * i * ldo + q;
      double* odd = even + ldo;
      for (int e = 0; e < run; ++e) even[e] = le[e] + he[e];
      for (int e = 0; e < run; ++e) odd[e] = lo[e] + ho[e];
    }
  }
}

// Blocks that do not overlap are copied as bytes, which moves every double
// unchanged; overlapping ones keep the element loop in increasing k.
void copydouble(const double* src, double* dst, int n) {
  if (n <= 0) return;
  if (dst + n <= src || src + n <= dst) {
    std::memcpy(dst, src, static_cast<std::size_t>(n) * sizeof(double));
    return;
  }
  for (int k = 0; k < n; ++k) dst[k] = src[k];
}

void adddouble(const double* a, const double* b, int n, double* out) {
  for (int k = 0; k < n; ++k) out[k] = a[k] + b[k];
}

void copyadd(const double* src, double* dst, int n) {
  for (int k = 0; k < n; ++k) dst[k] += src[k];
}

}  // namespace tfmex::periodized
