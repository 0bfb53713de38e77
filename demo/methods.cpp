#include "demo/methods.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace demo {

namespace {

int size_of(const std::vector<double>& v) { return static_cast<int>(v.size()); }

int log2_of(int n) {
  int J = 0;
  while ((1 << J) < n) ++J;
  return J;
}

}  // namespace

std::vector<double> denoised(const std::vector<double>& y, const std::vector<double>& h, int L,
                             bool invariant) {
  tfmex::DenoiseOptions o;
  o.level = L;
  o.method = invariant ? tfmex::DenoiseMethod::invariant : tfmex::DenoiseMethod::plain;
  std::vector<double> out(y.size());
  tfmex::denoise(y.data(), out.data(), size_of(y), h, o);
  return out;
}

std::vector<double> packet_table(const std::vector<double>& x, int D,
                                 const std::vector<double>& h) {
  std::vector<double> t(x.size() * static_cast<std::size_t>(D + 1));
  tfmex::packet_split(x.data(), t.data(), size_of(x), D, h);
  return t;
}

std::vector<double> cosine_table(const std::vector<double>& x, int D) {
  std::vector<double> t(x.size() * static_cast<std::size_t>(D + 1));
  tfmex::bell_split(x.data(), t.data(), size_of(x), D);
  return t;
}

std::vector<double> shift_table(const std::vector<double>& x, int L, const std::vector<double>& h) {
  const int D = log2_of(size_of(x)) - L;
  std::vector<double> t(x.size() * static_cast<std::size_t>(D + 1));
  tfmex::shift_split(x.data(), t.data(), size_of(x), L, h);
  return t;
}

std::vector<double> wavelet(const std::vector<double>& x, int L, const std::vector<double>& h) {
  std::vector<double> w(x.size());
  tfmex::circ_split(x.data(), w.data(), size_of(x), L, h);
  return w;
}

std::vector<double> rebuilt(const tfmex::Basis& b, const std::vector<double>& h, int D) {
  std::vector<double> x(b.coef.size());
  if (h.empty()) {
    tfmex::bell_basis_join(b.nodes, b.coef.data(), x.data(), size_of(x), D);
  } else {
    tfmex::packet_basis_join(b.nodes, b.coef.data(), x.data(), size_of(x), h);
  }
  return x;
}

int count_for_energy(std::vector<double> c, double fraction) {
  for (double& v : c) v *= v;
  std::sort(c.begin(), c.end(), std::greater<double>());
  double total = 0.0;
  for (double v : c) total += v;
  double sum = 0.0;
  int count = 0;
  while (count < static_cast<int>(c.size()) && sum < fraction * total) sum += c[count++];
  return count;
}

std::vector<double> time_ordered(const std::vector<double>& table, int n, int column, int d,
                                 int m) {
  const int len = n >> d;
  // Low-pass stages 1 .. d (coarse column) or 1 .. d-1 then a high-pass stage.
  const double half = (m - 1) / 2.0;
  const double centre = column == 0 ? ((1 << d) - 1) * half : (1 << (d - 1)) - half;
  const int shift = static_cast<int>(std::lround(centre)) % n + n;
  std::vector<double> out(n);
  for (int b = 0; b < (1 << d); ++b) {
    // The bit of stage j is bit d - j of b (stage 1 is the most significant).
    int offset = 0;
    for (int j = 1; j <= d; ++j)
      if ((b >> (d - j)) & 1) offset += 1 << (j - 1);
    for (int i = 0; i < len; ++i)
      out[((i << d) - offset + shift) % n] =
          table[static_cast<std::size_t>(column) * n + b * len + i];
  }
  return out;
}

}  // namespace demo
