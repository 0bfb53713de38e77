#include "centred.h"
#include <cstddef>
#include <cstdint>

namespace tfmex::centred {

namespace {

// Non-negative residue of p modulo len (len >= 1), for any p.
int residue(std::int64_t p, int len) {
  const std::int64_t r = p % len;
  return static_cast<int>(r < 0 ? r + len : r);
}

// sum_{j < count} f[first + j*step] * x[(start + j) mod len], 0 <= start < len.
// When the run stays inside the block no wrap test is needed; both paths add
// the same terms in the same order.
double sum_forward(const double* f, int first, int step, int count, const double* x, int len,
                   int start) {
  double s = 0.0;
  std::ptrdiff_t q = first;
  if (count <= len - start) {
    const double* xp = x + start;
    for (int j = 0; j < count; ++j, q += step) s += f[q] * xp[j];
    return s;
  }
  int p = start;
  for (int j = 0; j < count; ++j, q += step) {
    s += f[q] * x[p];
    if (++p == len) p = 0;
  }
  return s;
}

// sum_{j < count} f[first + j*step] * x[(start - j) mod len], 0 <= start < len.
double sum_backward(const double* f, int first, int step, int count, const double* x, int len,
                    int start) {
  double s = 0.0;
  std::ptrdiff_t q = first;
  if (count <= start + 1) {
    const double* xp = x + start;
    for (int j = 0; j < count; ++j, q += step) s += f[q] * xp[-j];
    return s;
  }
  int p = start;
  for (int j = 0; j < count; ++j, q += step) {
    s += f[q] * x[p];
    if (--p < 0) p = len - 1;
  }
  return s;
}

// Moves a block index one place forward, or two, with wrap-around.
inline int step1(int p, int len) { return p + 1 == len ? 0 : p + 1; }
inline int step2(int p, int len) {
  p += 2;
  while (p >= len) p -= len;  // at most twice, when len is 1
  return p;
}

// Number of taps q in 0 .. m-1 with q = parity (mod 2). For odd m and the
// parities the up kernels use, these are B - r and H + r taps; for even m
// they keep every tap inside the filter.
inline int taps_of_parity(int m, int parity) { return m > parity ? (m - parity + 1) / 2 : 0; }

}  // namespace

void mirrorsymmfilt(const double* f, double* out, int m) {
  if (m <= 0) return;
  const int shift = (m - 1) / 2;
  for (int q = 0; q < m; ++q) out[q] = ((q + shift) % 2 == 0) ? f[q] : -f[q];
}

void downlopbs(const double* x, int k, const double* h, int m, double* out) {
  if (k < 2) return;
  const int half = k / 2;
  int start = residue(-static_cast<std::int64_t>(m / 2), k);  // (2i - H) mod k
  for (int i = 0; i < half; ++i) {
    out[i] = sum_forward(h, 0, 1, m, x, k, start);
    start = step2(start, k);
  }
}

void downhipbs(const double* x, int k, const double* g, int m, double* out) {
  if (k < 2) return;
  const int half = k / 2;
  int start = residue((static_cast<std::int64_t>(m) + 1) / 2, k);  // (2i + B) mod k
  for (int i = 0; i < half; ++i) {
    out[i] = sum_backward(g, 0, 1, m, x, k, start);
    start = step2(start, k);
  }
}

void uplopbs(const double* a, int c, const double* f, int m, double* out) {
  if (c < 1) return;
  const int H = m > 0 ? m / 2 : 0;
  const int r = H % 2, P = H / 2;
  const int even_taps = taps_of_parity(m, r);     // f[r], f[r+2], ...
  const int odd_taps = taps_of_parity(m, 1 - r);  // f[1-r], f[3-r], ...
  int even_start = residue(P, c);                 // (P + i) mod c
  int odd_start = residue(P + r, c);              // (P + r + i) mod c
  for (int i = 0; i < c; ++i) {
    out[2 * static_cast<std::ptrdiff_t>(i)] = sum_backward(f, r, 2, even_taps, a, c, even_start);
    out[2 * static_cast<std::ptrdiff_t>(i) + 1] =
        sum_backward(f, 1 - r, 2, odd_taps, a, c, odd_start);
    even_start = step1(even_start, c);
    odd_start = step1(odd_start, c);
  }
}

void uphipbs(const double* b, int c, const double* f, int m, double* out) {
  if (c < 1) return;
  const int H = m > 0 ? m / 2 : 0;
  // T = 2c - H is negative when the filter is long against the block; s and
  // Q are then still taken by floor division.
  const std::int64_t T = 2 * static_cast<std::int64_t>(c) - H;
  const int s = static_cast<int>(T % 2 == 0 ? 0 : 1);
  const std::int64_t Q = (T - s) / 2;
  const int odd_taps = taps_of_parity(m, s);       // f[s], f[s+2], ... for out[2i+1]
  const int even_taps = taps_of_parity(m, 1 - s);  // f[1-s], f[3-s], ... for out[2i]
  int odd_start = residue(Q + s, c);               // (Q + s + i) mod c
  int even_start = residue(Q, c);                  // (Q + i) mod c
  for (int i = 0; i < c; ++i) {
    out[2 * static_cast<std::ptrdiff_t>(i)] = sum_forward(f, 1 - s, 2, even_taps, b, c, even_start);
    out[2 * static_cast<std::ptrdiff_t>(i) + 1] = sum_forward(f, s, 2, odd_taps, b, c, odd_start);
    odd_start = step1(odd_start, c);
    even_start = step1(even_start, c);
  }
}

}  // namespace tfmex::centred
