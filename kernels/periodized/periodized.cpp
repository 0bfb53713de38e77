#include "periodized.h"

namespace tfmex::periodized {

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
  for (int i = 0; i < interior_end; ++i) {
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
  for (int i = edge_end; i < half; ++i) {
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
  for (int i = edge_end; i < n; ++i) {
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
  for (int i = 0; i < interior_end; ++i) {
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
