#include "bells.h"

#include <cmath>
#include <cstddef>

#include "kernels/periodized/periodized.h"
#include "kernels/trig/exact_sincos.h"
#include "kernels/vector/vector.h"

namespace tfmex::bells {

namespace {

// The loops at the two ends of a block, four places at a time, for the
// places k = 0 .. 4 floor(m/4) - 1; the callers finish the rest one by one.
// The ends mirrored about the block (f-1-k) are loaded and stored in reverse
// lane order, so every lane meets the products, sums and quotients of the
// scalar loop for its own k, in the same order: the doubles are the same.
#ifdef TFMEX_X86
TFMEX_AVX2 inline __m256d reversed(__m256d v) { return _mm256_permute4x64_pd(v, 0x1B); }

// Loads a[j - 3 .. j] as the lanes (a[j], a[j-1], a[j-2], a[j-3]).
TFMEX_AVX2 inline __m256d load_down(const double* a, std::ptrdiff_t j) {
  return reversed(_mm256_loadu_pd(a + j - 3));
}

TFMEX_AVX2 inline void store_down(double* a, std::ptrdiff_t j, __m256d v) {
  _mm256_storeu_pd(a + j - 3, reversed(v));
}

TFMEX_AVX2 void fold_avx2(const double* cur, const double* left, const double* right,
                          const double* bp, const double* bm, int m, int f, double* out) {
  for (int k = 0; k + 4 <= m; k += 4) {
    const __m256d p = _mm256_loadu_pd(bp + k), q = _mm256_loadu_pd(bm + k);
    const std::ptrdiff_t e = f - 1 - k;
    _mm256_storeu_pd(out + k, _mm256_add_pd(_mm256_mul_pd(p, _mm256_loadu_pd(cur + k)),
                                            _mm256_mul_pd(q, load_down(left, e))));
    store_down(out, e,
               _mm256_sub_pd(_mm256_mul_pd(p, load_down(cur, e)),
                             _mm256_mul_pd(q, _mm256_loadu_pd(right + k))));
  }
}

TFMEX_AVX2 void edgefold_avx2(int side, const double* src, double* buf, int f, int m,
                              const double* bp, const double* bm) {
  const __m256d one = _mm256_set1_pd(1.0), sign = _mm256_set1_pd(-0.0);
  for (int k = 0; k + 4 <= m; k += 4) {
    const __m256d rest = _mm256_sub_pd(one, _mm256_loadu_pd(bp + k));
    const __m256d q = _mm256_loadu_pd(bm + k);
    const std::ptrdiff_t e = f - 1 - k;
    if (side == 1) {
      store_down(buf, e, _mm256_div_pd(_mm256_mul_pd(_mm256_loadu_pd(src + k), rest), q));
    } else {
      const __m256d v = _mm256_xor_pd(load_down(src, e), sign);  // -src[f-1-k]
      _mm256_storeu_pd(buf + k, _mm256_div_pd(_mm256_mul_pd(v, rest), q));
    }
  }
}

TFMEX_AVX2 void unfold_avx2(const double* y, double* main, double* lspill, double* rspill, int f,
                            int m, const double* bp, const double* bm) {
  const __m256d minus = _mm256_set1_pd(-1.0);
  for (int k = 0; k + 4 <= m; k += 4) {
    const __m256d p = _mm256_loadu_pd(bp + k), q = _mm256_loadu_pd(bm + k);
    const std::ptrdiff_t e = f - 1 - k;
    const __m256d head = _mm256_loadu_pd(y + k), tail = load_down(y, e);
    store_down(lspill, e, _mm256_mul_pd(head, q));
    _mm256_storeu_pd(rspill + k, _mm256_mul_pd(tail, _mm256_mul_pd(q, minus)));
    _mm256_storeu_pd(main + k, _mm256_mul_pd(p, head));
    store_down(main, e, _mm256_mul_pd(p, tail));
  }
}

TFMEX_AVX2 void edgeunfold_avx2(int side, double* acc, int f, int m, const double* bp) {
  const __m256d one = _mm256_set1_pd(1.0);
  for (int k = 0; k + 4 <= m; k += 4) {
    const __m256d p = _mm256_loadu_pd(bp + k);
    const std::ptrdiff_t at = side == 1 ? k : f - 1 - k;
    const __m256d v = side == 1 ? _mm256_loadu_pd(acc + at) : load_down(acc, at);
    const __m256d w = _mm256_add_pd(v, _mm256_div_pd(_mm256_mul_pd(v, _mm256_sub_pd(one, p)), p));
    if (side == 1) {
      _mm256_storeu_pd(acc + at, w);
    } else {
      store_down(acc, at, w);
    }
  }
}

#endif

// The first place the scalar loops of the end routines start from: past the
// places the vector loops have done.
int vector_done(int m) {
#ifdef TFMEX_X86
  if (m >= 4 && vector::path() != vector::Path::portable) return m & ~3;
#endif
  (void)m;
  return 0;
}

}  // namespace

void makebell(int m, double* bp, double* bm) {
  for (int k = 0; k < m; ++k) {
    const double s = trig::sin_rn(bell_angle(k, m));
    bp[k] = s;
    bm[k] = std::sqrt(1.0 - s * s);
  }
}

namespace {

// One bell as one table: bp in out[0 .. m-1], bm in out[m .. 2m-1].
void build_bell(double* out, int m) { makebell(m, out, out + m); }

}  // namespace

const double* shared_bell(int m, double* room, trig::SharedTable* holder) {
  holder->reset();
  if (m <= 0) return room;
  *holder = trig::shared_table(build_bell, m, 2 * static_cast<std::size_t>(m));
  if (*holder) return (*holder)->data();
  build_bell(room, m);
  return room;
}

// The m values at each end are written by the loop, so only the middle is
// copied (the whole block when m = 0).
void fold(const double* cur, const double* left, const double* right, const double* bp,
          const double* bm, int m, int f, double* out) {
  const int ends = m > 0 ? m : 0;
  periodized::copydouble(cur + ends, out + ends, f - 2 * ends);
  const int k0 = vector_done(m);
#ifdef TFMEX_X86
  if (k0 > 0) fold_avx2(cur, left, right, bp, bm, m, f, out);
#endif
  for (int k = k0; k < m; ++k) {
    out[k] = bp[k] * cur[k] + bm[k] * left[f - 1 - k];
    out[f - 1 - k] = bp[k] * cur[f - 1 - k] - bm[k] * right[k];
  }
}

void edgefold(int side, const double* src, double* buf, int f, int m, const double* bp,
              const double* bm) {
  const int k0 = vector_done(m);
#ifdef TFMEX_X86
  if (k0 > 0) edgefold_avx2(side, src, buf, f, m, bp, bm);
#endif
  if (side == 1) {
    for (int k = k0; k < m; ++k) buf[f - 1 - k] = src[k] * (1.0 - bp[k]) / bm[k];
  } else {
    for (int k = k0; k < m; ++k) buf[k] = -src[f - 1 - k] * (1.0 - bp[k]) / bm[k];
  }
}

void unfold(const double* y, double* main, double* lspill, double* rspill, int f, int m,
            const double* bp, const double* bm) {
  const int ends = m > 0 ? m : 0;  // as in fold: the loop writes the two ends
  periodized::copydouble(y + ends, main + ends, f - 2 * ends);
  const int k0 = vector_done(m);
#ifdef TFMEX_X86
  if (k0 > 0) unfold_avx2(y, main, lspill, rspill, f, m, bp, bm);
#endif
  for (int k = k0; k < m; ++k) {
    lspill[f - 1 - k] = y[k] * bm[k];
    rspill[k] = y[f - 1 - k] * (bm[k] * -1.0);
    main[k] = bp[k] * y[k];
    main[f - 1 - k] = bp[k] * y[f - 1 - k];
  }
}

void edgeunfold(int side, double* acc, int f, int m, const double* bp) {
  const int k0 = vector_done(m);
#ifdef TFMEX_X86
  if (k0 > 0) edgeunfold_avx2(side, acc, f, m, bp);
#endif
  for (int k = k0; k < m; ++k) {
    double& a = side == 1 ? acc[k] : acc[f - 1 - k];
    const double v = a;
    a = v + v * (1.0 - bp[k]) / bp[k];
  }
}

void edgeadd(int side, const double* spill, double* dst, int f, int m) {
  if (side == 1) {
    for (int k = 0; k < m; ++k) dst[f - 1 - k] += spill[f - 1 - k];
  } else {
    for (int k = 0; k < m; ++k) dst[k] += spill[k];
  }
}

void fillzeros(double* a, int n) {
  for (int k = 0; k < n; ++k) a[k] = 0.0;
}

}  // namespace tfmex::bells
