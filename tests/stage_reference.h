// One filter-bank stage written straight from its formulas, every index
// reduced modulo the block, for checking the multistage plug-ins against a
// plain transcription of their layouts. Sums start from 0.0 and run in
// increasing tap order, as the kernels' do, so results compare bit for bit.
#ifndef TFMEX_TESTS_STAGE_REFERENCE_H
#define TFMEX_TESTS_STAGE_REFERENCE_H

#include <cstddef>
#include <cstring>
#include <vector>

namespace tfmex::test::ref {

using Vec = std::vector<double>;

inline int mod(std::ptrdiff_t k, int n) { return static_cast<int>(((k % n) + n) % n); }

inline Vec mirror(const Vec& h) {
  Vec g(h.size());
  for (std::size_t j = 0; j < h.size(); ++j) g[j] = (j % 2 == 0) ? h[j] : -h[j];
  return g;
}

// Low-pass half: y[i] = sum_j h[j] v[(2i + j) mod k].
inline Vec lo(const Vec& v, const Vec& h) {
  const int k = static_cast<int>(v.size());
  Vec y(k / 2);
  for (int i = 0; i < k / 2; ++i) {
    double s = 0.0;
    for (std::size_t j = 0; j < h.size(); ++j)
      s += h[j] * v[mod(std::ptrdiff_t{2} * i + static_cast<std::ptrdiff_t>(j), k)];
    y[i] = s;
  }
  return y;
}

// High-pass half: y[i] = sum_j g[j] v[(2i + 1 - j) mod k], g mirrored from h.
inline Vec hi(const Vec& v, const Vec& h) {
  const Vec g = mirror(h);
  const int k = static_cast<int>(v.size());
  Vec y(k / 2);
  for (int i = 0; i < k / 2; ++i) {
    double s = 0.0;
    for (std::size_t j = 0; j < g.size(); ++j)
      s += g[j] * v[mod(std::ptrdiff_t{2} * i + 1 - static_cast<std::ptrdiff_t>(j), k)];
    y[i] = s;
  }
  return y;
}

// Transpose of lo: a of k values spread to 2k values and filtered by h.
inline Vec up_lo(const Vec& a, const Vec& h) {
  const int k = static_cast<int>(a.size());
  Vec y(2 * k);
  for (int p = 0; p < 2 * k; ++p) {
    double s = 0.0;
    for (int t = p % 2; t < static_cast<int>(h.size()); t += 2) s += h[t] * a[mod((p - t) / 2, k)];
    y[p] = s;
  }
  return y;
}

// Transpose of hi.
inline Vec up_hi(const Vec& w, const Vec& h) {
  const Vec g = mirror(h);
  const int k = static_cast<int>(w.size());
  Vec y(2 * k);
  for (int p = 0; p < 2 * k; ++p) {
    double s = 0.0;
    for (int t = 1 - p % 2; t < static_cast<int>(g.size()); t += 2)
      s += g[t] * w[mod((p + t - 1) / 2, k)];
    y[p] = s;
  }
  return y;
}

// Circular shifts by one sample: right (last value to the front), left.
inline Vec shift_right(const Vec& v) {
  Vec y(v.size());
  for (std::size_t t = 0; t < v.size(); ++t) y[t] = v[(t + v.size() - 1) % v.size()];
  return y;
}
inline Vec shift_left(const Vec& v) {
  Vec y(v.size());
  for (std::size_t t = 0; t < v.size(); ++t) y[t] = v[(t + 1) % v.size()];
  return y;
}

// Rows first .. first + count - 1 of column `col` of a column-major table of n rows.
inline Vec block(const Vec& table, int n, int col, int first, int count) {
  return Vec(table.begin() + static_cast<std::ptrdiff_t>(col) * n + first,
             table.begin() + static_cast<std::ptrdiff_t>(col) * n + first + count);
}
inline void put(Vec& table, int n, int col, int first, const Vec& v) {
  std::copy(v.begin(), v.end(), table.begin() + static_cast<std::ptrdiff_t>(col) * n + first);
}

inline bool bit_equal(const Vec& a, const Vec& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * 8) == 0);
}

}  // namespace tfmex::test::ref

#endif
