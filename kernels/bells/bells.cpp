#include "bells.h"

#include <cmath>

#include "kernels/periodized/periodized.h"

namespace tfmex::bells {

namespace {
constexpr double kPi = 3.141592653589793;
}  // namespace

void makebell(int m, double* bp, double* bm) {
  for (int k = 0; k < m; ++k) {
    const double s = std::sin(((k + 0.5) / m + 1.0) * kPi * 0.25);
    bp[k] = s;
    bm[k] = std::sqrt(1.0 - s * s);
  }
}

// The m values at each end are written by the loop, so only the middle is
// copied (the whole block when m = 0).
void fold(const double* cur, const double* left, const double* right, const double* bp,
          const double* bm, int m, int f, double* out) {
  const int ends = m > 0 ? m : 0;
  periodized::copydouble(cur + ends, out + ends, f - 2 * ends);
  for (int k = 0; k < m; ++k) {
    out[k] = bp[k] * cur[k] + bm[k] * left[f - 1 - k];
    out[f - 1 - k] = bp[k] * cur[f - 1 - k] - bm[k] * right[k];
  }
}

void edgefold(int side, const double* src, double* buf, int f, int m, const double* bp,
              const double* bm) {
  if (side == 1) {
    for (int k = 0; k < m; ++k) buf[f - 1 - k] = src[k] * (1.0 - bp[k]) / bm[k];
  } else {
    for (int k = 0; k < m; ++k) buf[k] = -src[f - 1 - k] * (1.0 - bp[k]) / bm[k];
  }
}

void unfold(const double* y, double* main, double* lspill, double* rspill, int f, int m,
            const double* bp, const double* bm) {
  const int ends = m > 0 ? m : 0;  // as in fold: the loop writes the two ends
  periodized::copydouble(y + ends, main + ends, f - 2 * ends);
  for (int k = 0; k < m; ++k) {
    lspill[f - 1 - k] = y[k] * bm[k];
    rspill[k] = y[f - 1 - k] * (bm[k] * -1.0);
    main[k] = bp[k] * y[k];
    main[f - 1 - k] = bp[k] * y[f - 1 - k];
  }
}

void edgeunfold(int side, double* acc, int f, int m, const double* bp) {
  for (int k = 0; k < m; ++k) {
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
