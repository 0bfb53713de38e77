#include "demo/methods.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>

namespace demo {

using tfmex::host::CallReport;
using tfmex::host::Plugin;

const Plugin& Plugins::get(const std::string& name) {
  auto it = loaded_.find(name);
  if (it == loaded_.end()) it = loaded_.emplace(name, Plugin::load(name, dir_)).first;
  return it->second;
}

bool Plugins::available(const std::string& name) {
  try {
    get(name);
    return true;
  } catch (const tfmex::host::LoadError&) {
    return false;
  }
}

Array Plugins::call(const std::string& name, const std::vector<Array>& args) {
  std::vector<const Array*> in;
  for (const Array& a : args) in.push_back(&a);
  CallReport r = get(name).call(in);
  if (!r.ok) throw std::runtime_error(name + ": " + r.message);
  if (const std::string bad = r.problems(); !bad.empty())
    throw std::runtime_error(name + ": " + bad);
  return r.output;
}

std::vector<double> values(const Array& a) { return a.values(); }

double mad_sigma(const double* d, int count) {
  std::vector<double> a(d, d + count);
  for (double& v : a) v = std::fabs(v);
  std::sort(a.begin(), a.end());
  const double median = count % 2 ? a[count / 2] : 0.5 * (a[count / 2 - 1] + a[count / 2]);
  return median / 0.6745;
}

void soft_threshold(double* v, int count, double lambda) {
  for (int i = 0; i < count; ++i) {
    const double shrunk = std::fabs(v[i]) - lambda;
    v[i] = shrunk > 0.0 ? std::copysign(shrunk, v[i]) : 0.0;
  }
}

namespace {

double universal_threshold(const double* finest, int n) {
  return mad_sigma(finest, n / 2) * std::sqrt(2.0 * std::log(static_cast<double>(n)));
}

}  // namespace

std::vector<double> denoise_orthogonal(Plugins& p, const std::vector<double>& y,
                                       const std::vector<double>& h, int L) {
  const int n = static_cast<int>(y.size());
  std::vector<double> w = values(p.call("CircSplit", {Array::row(y), Array::scalar(L), Array::row(h)}));
  // Coarse coefficients in 0 .. 2^L - 1, the finest details in n/2 .. n - 1.
  soft_threshold(w.data() + (1 << L), n - (1 << L), universal_threshold(w.data() + n / 2, n));
  return values(p.call("CircJoin", {Array::row(w), Array::scalar(L), Array::row(h)}));
}

std::vector<double> denoise_invariant(Plugins& p, const std::vector<double>& y,
                                      const std::vector<double>& h, int L) {
  const int n = static_cast<int>(y.size());
  Array t = p.call("ShiftSplit", {Array::row(y), Array::scalar(L), Array::row(h)});
  const int D = static_cast<int>(t.cols()) - 1;
  std::vector<double> table = values(t);
  // Column 1 holds the finest details; its first block is the unshifted path,
  // the same coefficients as the plain transform's finest details.
  const double lambda = universal_threshold(table.data() + n, n);
  soft_threshold(table.data() + n, D * n, lambda);
  return values(p.call("ShiftJoin", {Array::matrix(n, D + 1, table), Array::row(h)}));
}

double entropy_cost(const double* c, int count, double total) {
  double cost = 0.0;
  for (int i = 0; i < count; ++i) {
    const double v = c[i] * c[i] / total;
    if (v > 0.0) cost -= v * std::log(v);
  }
  return cost;
}

std::vector<Node> best_basis(const std::vector<double>& table, int n, int D) {
  double total = 0.0;
  for (int i = 0; i < n; ++i) total += table[i] * table[i];
  if (total == 0.0) total = 1.0;
  // best[d][k]: least cost of a basis of block k of column d; keep[d][k]: is
  // that basis the block itself?
  std::vector<std::vector<double>> best(D + 1);
  std::vector<std::vector<char>> keep(D + 1);
  for (int d = D; d >= 0; --d) {
    const int blocks = 1 << d, len = n >> d;
    best[d].resize(blocks);
    keep[d].resize(blocks);
    for (int k = 0; k < blocks; ++k) {
      const double own = entropy_cost(&table[static_cast<std::size_t>(d) * n + k * len], len, total);
      const double split = d < D ? best[d + 1][2 * k] + best[d + 1][2 * k + 1] : own;
      keep[d][k] = d == D || own <= split;
      best[d][k] = keep[d][k] ? own : split;
    }
  }
  std::vector<Node> basis;
  std::function<void(int, int)> collect = [&](int d, int k) {
    if (keep[d][k]) {
      basis.push_back({d, k});
    } else {
      collect(d + 1, 2 * k);
      collect(d + 1, 2 * k + 1);
    }
  };
  collect(0, 0);
  return basis;
}

std::vector<double> keep_only(const std::vector<double>& table, int n, const std::vector<Node>& basis) {
  std::vector<double> out(table.size(), 0.0);
  for (const Node& b : basis) {
    const std::size_t start = static_cast<std::size_t>(b.d) * n + b.k * (n >> b.d);
    std::copy_n(table.begin() + start, n >> b.d, out.begin() + start);
  }
  return out;
}

std::vector<double> basis_coefficients(const std::vector<double>& table, int n,
                                       const std::vector<Node>& basis) {
  std::vector<double> c;
  for (const Node& b : basis) {
    const std::size_t start = static_cast<std::size_t>(b.d) * n + b.k * (n >> b.d);
    c.insert(c.end(), table.begin() + start, table.begin() + start + (n >> b.d));
  }
  return c;
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

std::vector<double> time_ordered(const std::vector<double>& table, int n, int column, int d, int m) {
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
      out[((i << d) - offset + shift) % n] = table[static_cast<std::size_t>(column) * n + b * len + i];
  }
  return out;
}

}  // namespace demo
