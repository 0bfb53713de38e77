// The filter-bank routines of periodized.h: portable loops and their vector
// parts (wide_kernels.inc), built for each vector path and chosen by
// tfmex::vector::path().
#include "periodized.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "kernels/vector/lanes.h"

namespace tfmex::periodized {

// Instruction path of the filter routines. The vector paths compute several
// outputs at once, one output per vector lane: every lane starts from 0.0 and
// adds h[j] * x[...] in increasing j, a separate multiply and add (never a
// fused one), so each output is the same double as on the portable path.
// Each routine reads the path once and runs its vector part on it
// (TFMEX_PATH_CALL), or none on the portable path.
namespace {

using vector::path;

// Outputs of the fused analysis whose inputs are de-interleaved in one go,
// and the longest reach (m - 1)/2 the fused path takes; longer filters take
// the scalar loops.
constexpr int kChunk = 256;
constexpr int kMaxReach = 32;

// The routines of wide_kernels.inc, built once for each vector path in its
// own namespace, on that path's lanes (kernels/vector/lanes.h).
#define TFMEX_KERNEL "kernels/periodized/wide_kernels.inc"
#include "kernels/vector/each_path.inc"

}  // namespace

void mirrorfilt(const double* h, double* g, int m) {
  for (int j = 0; j < m; ++j) g[j] = (j % 2 == 0) ? h[j] : -h[j];
}

// Each filter routine splits its outputs into an interior run, whose taps all
// fall inside the block and need no wrap test, and an edge run, where the
// running index is moved by n whenever it leaves 0 .. n-1. Both runs form the
// same sums in the same order, so the split changes no result.

namespace {

// downlo on path p.
void downlo_on(vector::Path p, const double* x, int n, const double* h, int m, double* y) {
  const int half = n / 2;
  if (half <= 0) return;
  // Last output whose taps 2i .. 2i+m-1 stay below n.
  int a = half - m / 2;
  if (2 * a + m - 1 >= n) a -= 1;
  if (a < 0) a = -1;
  const int interior_end = (a < half - 1 ? a : half - 1) + 1;
  const int done = TFMEX_PATH_CALL(p, 0, downlo_wide(x, n, h, m, y, 0, interior_end));
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

}  // namespace

void downlo(const double* x, int n, const double* h, int m, double* y) {
  downlo_on(path(), x, n, h, m, y);
}

namespace {

// downhi on path p.
void downhi_on(vector::Path p, const double* x, int n, const double* g, int m, double* y) {
  const int half = n / 2;
  if (half <= 0) return;
  // First output whose taps 2i+1 .. 2i+2-m stay at or above 0.
  const int reach = m >= 1 ? (m - 1) / 2 : 0;
  const int edge_end = reach < half ? reach : half;
  for (int i = 0; i < edge_end; ++i) {
    int k = 2 * i + 1;
    double s = 0.0;
    for (int j = 0; j < m; ++j) {
      s += g[j] * x[k];
      if (--k < 0) k = n - 1;
    }
    y[i] = s;
  }
  const int done = TFMEX_PATH_CALL(p, edge_end, downhi_wide(x, n, g, m, y, edge_end, half));
  for (int i = done; i < half; ++i) {
    const double* xp = x + 2 * i + 1;
    double s = 0.0;
    for (int j = 0; j < m; ++j) s += g[j] * xp[-j];
    y[i] = s;
  }
}

}  // namespace

void downhi(const double* x, int n, const double* g, int m, double* y) {
  downhi_on(path(), x, n, g, m, y);
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
  const vector::Path p = path();
  const int half = n / 2;
  if (half <= 0) return;
  const int reach = m >= 1 ? (m - 1) / 2 : 0;
  if (reach > kMaxReach) {
    downlo_on(p, x, n, h, m, lo);
    downhi_on(p, x, n, g, m, hi);
    return;
  }
  const int start = reach < half ? reach : half;
  int done = start;
  if (m >= 1 && half - reach > start)
    done = TFMEX_PATH_CALL(p, start, downboth_wide(x, h, g, m, lo, hi, start, half - reach));
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
  const vector::Path p = path();
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
  const int done = TFMEX_PATH_CALL(p, edge_end, uplo_wide(x, h, m, y, edge_end, n));
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
  const vector::Path p = path();
  if (n <= 0) return;
  const int ce = (m + 1) / 2, co = m / 2;
  const int interior_end = n - ce > 0 ? n - ce : 0;
  const int done = TFMEX_PATH_CALL(p, 0, uphi_wide(x, g, m, y, 0, interior_end));
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
  const vector::Path p = path();
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
  const int done = TFMEX_PATH_CALL(p, lo_end, upboth_wide(a, d, h, g, m, y, lo_end, hi_begin));
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
  const vector::Path p = path();
  const int done =
      TFMEX_PATH_CALL(p, 0, downboth_rows_wide(t, ldt, k, r, h, g, m, out, ldo, i0, i1));
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
  const vector::Path p = path();
  const int done =
      TFMEX_PATH_CALL(p, 0, upboth_rows_wide(a, d, ld, k, r, h, g, m, out, ldo, i0, i1));
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
