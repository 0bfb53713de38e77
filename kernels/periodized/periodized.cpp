#include "periodized.h"

#include <atomic>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TFMEX_X86 1
#endif

namespace tfmex::periodized {

// Instruction path of the filter routines. The AVX2 path computes several
// outputs at once, one output per vector lane: every lane starts from 0.0 and
// adds h[j] * x[...] in increasing j, a separate multiply and add (never a
// fused one), so each output is the same double as on the portable path.
namespace {

std::atomic<bool> g_force_portable{false};

bool cpu_has_avx2() {
#ifdef TFMEX_X86
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
#else
  return false;
#endif
}

bool use_avx2() { return cpu_has_avx2() && !g_force_portable.load(std::memory_order_relaxed); }

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
__attribute__((target("avx2"))) int downlo_avx2(const double* x, int n, const double* h, int m,
                                                  double* y, int i0, int i1) {
  const int me = (m + 1) & ~1;
  int i = i0;
  for (; i + kBlock <= i1 && 2L * i + me + 30 <= n; i += kBlock) {
    const double* xp = x + 2 * i;
    __m256d a0 = _mm256_setzero_pd(), a1 = a0, a2 = a0, a3 = a0;
    int j = 0;
    for (; j + 1 < m; j += 2) {
      const __m256d hj = _mm256_broadcast_sd(h + j), hk = _mm256_broadcast_sd(h + j + 1);
      const double* p = xp + j;
#define TFMEX_STEP(a, q)                                                           \
  {                                                                                \
    const __m256d u = _mm256_loadu_pd(p + 8 * q), v = _mm256_loadu_pd(p + 8 * q + 4); \
    a = _mm256_add_pd(a, _mm256_mul_pd(hj, _mm256_unpacklo_pd(u, v)));             \
    a = _mm256_add_pd(a, _mm256_mul_pd(hk, _mm256_unpackhi_pd(u, v)));             \
  }
      TFMEX_STEP(a0, 0) TFMEX_STEP(a1, 1) TFMEX_STEP(a2, 2) TFMEX_STEP(a3, 3)
#undef TFMEX_STEP
    }
    if (j < m) {
      const __m256d hj = _mm256_broadcast_sd(h + j);
      const double* p = xp + j;
#define TFMEX_STEP(a, q)                                                           \
  {                                                                                \
    const __m256d u = _mm256_loadu_pd(p + 8 * q), v = _mm256_loadu_pd(p + 8 * q + 4); \
    a = _mm256_add_pd(a, _mm256_mul_pd(hj, _mm256_unpacklo_pd(u, v)));             \
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
__attribute__((target("avx2"))) int downhi_avx2(const double* x, int n, const double* g, int m,
                                                  double* y, int i0, int i1) {
  int i = i0;
  for (; i + kBlock <= i1 && 2L * i + 32 <= n; i += kBlock) {
    __m256d a0 = _mm256_setzero_pd(), a1 = a0, a2 = a0, a3 = a0;
    int j = 0;
    for (; j + 1 < m; j += 2) {
      const __m256d gj = _mm256_broadcast_sd(g + j), gk = _mm256_broadcast_sd(g + j + 1);
      const double* p = x + 2 * i - j;
#define TFMEX_STEP(a, q)                                                           \
  {                                                                                \
    const __m256d u = _mm256_loadu_pd(p + 8 * q), v = _mm256_loadu_pd(p + 8 * q + 4); \
    a = _mm256_add_pd(a, _mm256_mul_pd(gj, _mm256_unpackhi_pd(u, v)));             \
    a = _mm256_add_pd(a, _mm256_mul_pd(gk, _mm256_unpacklo_pd(u, v)));             \
  }
      TFMEX_STEP(a0, 0) TFMEX_STEP(a1, 1) TFMEX_STEP(a2, 2) TFMEX_STEP(a3, 3)
#undef TFMEX_STEP
    }
    if (j < m) {
      const __m256d gj = _mm256_broadcast_sd(g + j);
      const double* p = x + 2 * i - j;
#define TFMEX_STEP(a, q)                                                           \
  {                                                                                \
    const __m256d u = _mm256_loadu_pd(p + 8 * q), v = _mm256_loadu_pd(p + 8 * q + 4); \
    a = _mm256_add_pd(a, _mm256_mul_pd(gj, _mm256_unpackhi_pd(u, v)));             \
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

// The sums of one block of 16 synthesis inputs starting at input i: the even
// outputs in e[0..3] and the odd ones in o[0..3], four consecutive inputs a
// vector. Each lane adds its taps from 0.0 in increasing order.
//
// uplo (x[i-j] must stay in the block): the even sum takes taps h[2j], the odd
// one h[2j+1], both from the same four consecutive x[i-j].
__attribute__((target("avx2"), always_inline)) inline void uplo_block(const double* x,
                                                                       const double* h, int m,
                                                                       int i, __m256d* e,
                                                                       __m256d* o) {
  const int ce = (m + 1) / 2, co = m / 2;
  for (int q = 0; q < 4; ++q) e[q] = o[q] = _mm256_setzero_pd();
  int j = 0;
  for (; j < co; ++j) {
    const __m256d he = _mm256_broadcast_sd(h + 2 * j), ho = _mm256_broadcast_sd(h + 2 * j + 1);
    const double* p = x + i - j;
    for (int q = 0; q < 4; ++q) {
      const __m256d v = _mm256_loadu_pd(p + 4 * q);
      e[q] = _mm256_add_pd(e[q], _mm256_mul_pd(he, v));
      o[q] = _mm256_add_pd(o[q], _mm256_mul_pd(ho, v));
    }
  }
  if (j < ce) {
    const __m256d he = _mm256_broadcast_sd(h + 2 * j);
    const double* p = x + i - j;
    for (int q = 0; q < 4; ++q) e[q] = _mm256_add_pd(e[q], _mm256_mul_pd(he, _mm256_loadu_pd(p + 4 * q)));
  }
}

// uphi (x[i+j] must stay in the block): the even sum takes taps g[2j+1], the
// odd one g[2j].
__attribute__((target("avx2"), always_inline)) inline void uphi_block(const double* x,
                                                                       const double* g, int m,
                                                                       int i, __m256d* e,
                                                                       __m256d* o) {
  const int ce = (m + 1) / 2, co = m / 2;
  for (int q = 0; q < 4; ++q) e[q] = o[q] = _mm256_setzero_pd();
  int j = 0;
  for (; j < co; ++j) {
    const __m256d ge = _mm256_broadcast_sd(g + 2 * j + 1), go = _mm256_broadcast_sd(g + 2 * j);
    const double* p = x + i + j;
    for (int q = 0; q < 4; ++q) {
      const __m256d v = _mm256_loadu_pd(p + 4 * q);
      e[q] = _mm256_add_pd(e[q], _mm256_mul_pd(ge, v));
      o[q] = _mm256_add_pd(o[q], _mm256_mul_pd(go, v));
    }
  }
  if (j < ce) {
    const __m256d go = _mm256_broadcast_sd(g + 2 * j);
    const double* p = x + i + j;
    for (int q = 0; q < 4; ++q) o[q] = _mm256_add_pd(o[q], _mm256_mul_pd(go, _mm256_loadu_pd(p + 4 * q)));
  }
}

// Writes the 32 outputs of a block, the even and odd sums interleaved back into
// place; with `add`, adds them to the values already there (lo + hi).
__attribute__((target("avx2"), always_inline)) inline void store_block(double* yp, const __m256d* e,
                                                                        const __m256d* o,
                                                                        bool add) {
  for (int q = 0; q < 4; ++q) {
    const __m256d lo = _mm256_unpacklo_pd(e[q], o[q]), hi = _mm256_unpackhi_pd(e[q], o[q]);
    __m256d first = _mm256_permute2f128_pd(lo, hi, 0x20);
    __m256d second = _mm256_permute2f128_pd(lo, hi, 0x31);
    double* dst = yp + 8 * q;
    if (add) {
      first = _mm256_add_pd(_mm256_loadu_pd(dst), first);
      second = _mm256_add_pd(_mm256_loadu_pd(dst + 4), second);
    }
    _mm256_storeu_pd(dst, first);
    _mm256_storeu_pd(dst + 4, second);
  }
}

// uplo on inputs i0, i0+16, ... < i1 (i0 >= (m+1)/2 - 1, so x[i-j] stays in
// the block).
__attribute__((target("avx2"))) int uplo_avx2(const double* x, const double* h, int m, double* y,
                                                int i0, int i1) {
  int i = i0;
  for (; i + kBlock <= i1; i += kBlock) {
    __m256d e[4], o[4];
    uplo_block(x, h, m, i, e, o);
    store_block(y + 2 * i, e, o, false);
  }
  return i;
}

// uphi on inputs i0, i0+16, ... < i1 (i1 <= n - (m+1)/2, so x[i+j] stays in
// the block).
__attribute__((target("avx2"))) int uphi_avx2(const double* x, const double* g, int m, double* y,
                                                int i0, int i1) {
  int i = i0;
  for (; i + kBlock <= i1; i += kBlock) {
    __m256d e[4], o[4];
    uphi_block(x, g, m, i, e, o);
    store_block(y + 2 * i, e, o, false);
  }
  return i;
}

// upboth on inputs i0, i0+16, ... < i1, where both uplo's and uphi's reads
// stay in their blocks. The low-pass pairs of a block of 16 inputs are stored
// first; the high-pass pairs are then added to them in place while the 32
// outputs are still in the first-level cache, which keeps the register count
// of each half that of uplo_avx2 and uphi_avx2.
__attribute__((target("avx2"))) int upboth_avx2(const double* a, const double* d, const double* h,
                                                  const double* g, int m, double* y, int i0,
                                                  int i1) {
  int i = i0;
  for (; i + kBlock <= i1; i += kBlock) {
    __m256d e[4], o[4];
    uplo_block(a, h, m, i, e, o);
    store_block(y + 2 * i, e, o, false);
    uphi_block(d, g, m, i, e, o);
    store_block(y + 2 * i, e, o, true);
  }
  return i;
}

#undef TFMEX_UNSWAP

#else

int downlo_avx2(const double*, int, const double*, int, double*, int i0, int) { return i0; }
int downhi_avx2(const double*, int, const double*, int, double*, int i0, int) { return i0; }
int uplo_avx2(const double*, const double*, int, double*, int i0, int) { return i0; }
int uphi_avx2(const double*, const double*, int, double*, int i0, int) { return i0; }
int upboth_avx2(const double*, const double*, const double*, const double*, int, double*, int i0,
                int) {
  return i0;
}

#endif

}  // namespace

namespace detail {
void force_portable(bool on) { g_force_portable.store(on, std::memory_order_relaxed); }
bool vector_path() { return use_avx2(); }
}  // namespace detail

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
  const int done = use_avx2() ? downlo_avx2(x, n, h, m, y, 0, interior_end) : 0;
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
  const int done = use_avx2() ? downhi_avx2(x, n, g, m, y, edge_end, half) : edge_end;
  for (int i = done; i < half; ++i) {
    const double* xp = x + 2 * i + 1;
    double s = 0.0;
    for (int j = 0; j < m; ++j) s += g[j] * xp[-j];
    y[i] = s;
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
  const int done = use_avx2() ? uplo_avx2(x, h, m, y, edge_end, n) : edge_end;
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
  const int done = use_avx2() ? uphi_avx2(x, g, m, y, 0, interior_end) : 0;
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
  const int done = use_avx2() ? upboth_avx2(a, d, h, g, m, y, lo_end, hi_begin) : lo_end;
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

void copydouble(const double* src, double* dst, int n) {
  for (int k = 0; k < n; ++k) dst[k] = src[k];
}

void adddouble(const double* a, const double* b, int n, double* out) {
  for (int k = 0; k < n; ++k) out[k] = a[k] + b[k];
}

void copyadd(const double* src, double* dst, int n) {
  for (int k = 0; k < n; ++k) dst[k] += src[k];
}

}  // namespace tfmex::periodized
