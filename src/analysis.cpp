// Wavelet shrinkage, best bases and tilings on top of the transforms. The
// arithmetic follows the toolbox's tfmex_denoise and tfmex_bestbasis step by
// step (sums in index order, the same products and quotients), so that both
// give the same doubles.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "internal.hpp"
#include "tfmex/analysis.hpp"
#include "tfmex/periodized.hpp"
#include "tfmex/redundant.hpp"
#include "tfmex/trig.hpp"

namespace tfmex {

namespace {

using detail::refuse;

std::size_t doubles(std::ptrdiff_t n) { return static_cast<std::size_t>(n); }

void check_values(const char* fn, const void* p, std::ptrdiff_t count, std::ptrdiff_t least) {
  if (count < least)
    refuse(fn,
           "count must be at least " + std::to_string(least) + ", not " + std::to_string(count));
  if (count > 0 && p == nullptr) refuse(fn, "null pointer");
}

// Sorts a[0 .. count) increasing with every NaN after the numbers, as the
// toolbox's sort does.
void sort_nan_last(double* a, std::ptrdiff_t count) {
  std::sort(a, std::partition(a, a + count, [](double v) { return !std::isnan(v); }));
}

// The k-th smallest of a[0 .. count) (0-based), NaN counting as the largest;
// reorders a.
double order_statistic(double* a, std::ptrdiff_t count, std::ptrdiff_t k) {
  const std::ptrdiff_t numbers =
      std::partition(a, a + count, [](double v) { return !std::isnan(v); }) - a;
  if (k >= numbers) return std::numeric_limits<double>::quiet_NaN();
  std::nth_element(a, a + k, a + numbers);
  return a[k];
}

// The threshold of one level's coefficients d (count of them) in a
// transform of `total` values, by the rule.
double threshold_for(const double* d, std::ptrdiff_t count, double sigma, std::ptrdiff_t total,
                     ThresholdRule rule) {
  return rule == ThresholdRule::sure ? sure_threshold(d, count, sigma)
                                     : universal_threshold(sigma, total);
}

struct Plan {
  int J;
  int L;
};

Plan plan(const char* fn, std::ptrdiff_t n, Taps h, const DenoiseOptions& o) {
  const int J = detail::dyadic(fn, n);
  if (n < 2) refuse(fn, "n must be a power of two >= 2, not " + std::to_string(n));
  detail::check_taps(fn, "h", h);
  const int L = o.level == -1 ? std::min(4, J - 1) : o.level;
  if (L < 0 || L >= J)
    refuse(fn, "level must be from 0 to " + std::to_string(J - 1) + " (or -1), not " +
                   std::to_string(o.level));
  if (o.sigma && !(std::isfinite(*o.sigma) && *o.sigma >= 0.0))
    refuse(fn, "sigma must be a finite number >= 0");
  return Plan{J, L};
}

double sigma_of(const DenoiseOptions& o, const double* finest, std::ptrdiff_t count) {
  return o.sigma ? *o.sigma : noise_level(finest, count);
}

// Checks that the nodes of a basis lie in a table of n = 2^J rows and cover
// its rows once, in order; returns the deepest node's column.
int check_basis(const char* fn, const std::vector<Node>& basis, std::ptrdiff_t n) {
  const int J = detail::dyadic(fn, n);
  if (basis.empty()) refuse(fn, "the basis has no nodes");
  std::ptrdiff_t next = 0;
  int deepest = 0;
  for (const Node& b : basis) {
    if (b.d < 0 || b.d > J || b.k < 0 || b.k >= (std::ptrdiff_t{1} << b.d))
      refuse(fn, "node [" + std::to_string(b.d) + " " + std::to_string(b.k) +
                     "] lies outside a table of " + std::to_string(n) + " rows");
    const std::ptrdiff_t len = n >> b.d;
    if (b.k * len != next) next = -1;  // a gap or an overlap
    if (next < 0) continue;
    next += len;
    deepest = std::max(deepest, b.d);
  }
  if (next != n)
    refuse(fn,
           "the nodes of the basis must cover the " + std::to_string(n) + " rows once, in order");
  return deepest;
}

// A zero table of D + 1 columns holding the basis' coefficients.
void place(const std::vector<Node>& basis, const double* coef, double* table, std::ptrdiff_t n,
           int D) {
  std::fill(table, table + doubles(n) * static_cast<std::size_t>(D + 1), 0.0);
  std::ptrdiff_t at = 0;
  for (const Node& b : basis) {
    const std::ptrdiff_t len = n >> b.d;
    std::copy(coef + at, coef + at + len, table + b.d * n + b.k * len);
    at += len;
  }
}

// The costs without their checks: sums in index order.
double entropy_sum(const double* c, std::ptrdiff_t count, double total) {
  double sum = 0.0;
  for (std::ptrdiff_t i = 0; i < count; ++i) {
    const double v = c[i] * c[i] / total;
    if (v != 0.0) sum += v * std::log(v);
  }
  return -sum;
}

// Squares and cubes as products, other powers by pow, as the toolbox's host
// computes abs(c) .^ p.
double lp_sum(const double* c, std::ptrdiff_t count, double p) {
  double sum = 0.0;
  for (std::ptrdiff_t i = 0; i < count; ++i) {
    const double a = std::fabs(c[i]);
    sum += p == 2.0 ? a * a : p == 3.0 ? a * a * a : std::pow(a, p);
  }
  return sum;
}

double above(const double* c, std::ptrdiff_t count, double s) {
  std::ptrdiff_t k = 0;
  for (std::ptrdiff_t i = 0; i < count; ++i) k += std::fabs(c[i]) > s;
  return static_cast<double>(k);
}

}  // namespace

// ---- Noise level, thresholds, shrinkage -----------------------------------

double noise_level(const double* d, std::ptrdiff_t count) {
  check_values("noise_level", d, count, 1);
  Workspace ws(doubles(count));
  double* a = ws.data();
  for (std::ptrdiff_t i = 0; i < count; ++i) a[i] = std::fabs(d[i]);
  const std::ptrdiff_t half = count / 2;
  double median = order_statistic(a, count, half);
  // For an even count, the mean with the largest of the lower half, which
  // order_statistic left before `half` (unless the median is NaN already).
  if (count % 2 == 0 && !std::isnan(median))
    median = 0.5 * (*std::max_element(a, a + half) + median);
  return median / 0.6745;
}

double universal_threshold(double sigma, std::ptrdiff_t n) {
  if (n < 1) refuse("universal_threshold", "n must be at least 1, not " + std::to_string(n));
  return sigma * std::sqrt(2.0 * std::log(static_cast<double>(n)));
}

double sure_threshold(const double* d, std::ptrdiff_t count, double sigma) {
  check_values("sure_threshold", d, count, 1);
  if (!(sigma >= 0.0) || std::isinf(sigma))
    refuse("sure_threshold", "sigma must be a finite number >= 0");
  if (sigma == 0.0) return 0.0;
  const double m = static_cast<double>(count);
  const double cap = std::sqrt(2.0 * std::log(m));
  Workspace ws(doubles(count));
  double* a = ws.data();
  double energy = 0.0;
  for (std::ptrdiff_t i = 0; i < count; ++i) {
    const double v = d[i] / sigma;
    a[i] = v * v;
    energy += a[i];
  }
  // Too sparse for the risk estimate to be trusted: the universal threshold.
  if ((energy - m) / m <= std::pow(std::log2(m), 1.5) / std::sqrt(m)) return sigma * cap;
  // The risk of the soft threshold t = a[k-1]:
  // (m - 2k + sum_{i<k} a[i] + (m - k) a[k-1]) / m; the first least one.
  sort_nan_last(a, count);
  double sum = 0.0, least = 0.0;
  std::ptrdiff_t best = 0;
  bool found = false;
  for (std::ptrdiff_t k = 1; k <= count; ++k) {
    sum += a[k - 1];
    const double risk =
        (m - 2.0 * static_cast<double>(k) + sum + static_cast<double>(count - k) * a[k - 1]) / m;
    if (!std::isnan(risk) && (!found || risk < least)) {
      least = risk;
      best = k - 1;
      found = true;
    }
  }
  return sigma * std::fmin(std::sqrt(a[best]), cap);
}

void shrink(double* v, std::ptrdiff_t count, double lambda, Shrinkage how) {
  check_values("shrink", v, count, 0);
  if (!(lambda >= 0.0)) refuse("shrink", "lambda must be a number >= 0");
  if (how == Shrinkage::soft) {
    for (std::ptrdiff_t i = 0; i < count; ++i) {
      const double s = std::fabs(v[i]) - lambda;
      v[i] = s <= 0.0 ? 0.0 : std::copysign(s, v[i]);
    }
  } else {
    for (std::ptrdiff_t i = 0; i < count; ++i)
      if (std::fabs(v[i]) <= lambda) v[i] = 0.0;
  }
}

// ---- Denoising --------------------------------------------------------------

DenoiseReport denoise(const double* x, double* y, std::ptrdiff_t n, Taps h,
                      const DenoiseOptions& o) {
  const char* fn = "denoise";
  const Plan p = plan(fn, n, h, o);
  check_values(fn, x, n, 1);
  check_values(fn, y, n, 1);
  DenoiseReport r;
  if (o.method == DenoiseMethod::plain) {
    Workspace buf(doubles(n));
    double* w = buf.data();
    circ_split(x, w, n, p.L, h);
    // The coarse values in 0 .. 2^L - 1, level j's details in 2^j .. 2^(j+1) - 1.
    r.sigma = sigma_of(o, w + n / 2, n / 2);
    for (int j = p.L; j < p.J; ++j) {
      double* band = w + (std::ptrdiff_t{1} << j);
      const std::ptrdiff_t len = std::ptrdiff_t{1} << j;
      r.lambda.push_back(threshold_for(band, len, r.sigma, n, o.rule));
      shrink(band, len, r.lambda.back(), o.threshold);
    }
    circ_join(w, y, n, p.L, h);
    return r;
  }
  const int D = p.J - p.L;
  Workspace buf(doubles(n) * static_cast<std::size_t>(D + 1));
  double* t = buf.data();
  shift_split(x, t, n, p.L, h);
  // The first block of column 1 is the unshifted path: the plain
  // transform's finest details.
  r.sigma = sigma_of(o, t + n, n / 2);
  for (int d = 1; d <= D; ++d) {
    r.lambda.push_back(threshold_for(t + d * n, n, r.sigma, n, o.rule));
    shrink(t + d * n, n, r.lambda.back(), o.threshold);
  }
  shift_join(t, y, n, D, h);
  return r;
}

DenoiseReport denoise2(const double* x, double* y, std::ptrdiff_t n, Taps h,
                       const DenoiseOptions& o) {
  const char* fn = "denoise2";
  const Plan p = plan(fn, n, h, o);
  if (o.method != DenoiseMethod::plain)
    refuse(fn, "the translation-invariant method is for signals only");
  check_values(fn, x, n, 1);
  check_values(fn, y, n, 1);
  const std::size_t pixels = doubles(n) * doubles(n);
  Workspace buf(pixels), band_buf(pixels);
  double* w = buf.data();
  double* band = band_buf.data();
  circ_split2(x, w, n, p.L, h);
  // The values of the block rows 0 .. 2k-1, columns 0 .. 2k-1 less its
  // top-left k x k quarter, column after column: the details of one level.
  auto gather = [&](std::ptrdiff_t k) {
    std::ptrdiff_t at = 0;
    for (std::ptrdiff_t c = 0; c < 2 * k; ++c)
      for (std::ptrdiff_t r = c < k ? k : 0; r < 2 * k; ++r) band[at++] = w[r + c * n];
    return at;
  };
  DenoiseReport r;
  r.sigma = o.sigma ? *o.sigma : noise_level(band, gather(n / 2));
  for (int j = p.L; j < p.J; ++j) {
    const std::ptrdiff_t k = std::ptrdiff_t{1} << j;
    const std::ptrdiff_t count = gather(k);
    const double lambda = threshold_for(band, count, r.sigma, n * n, o.rule);
    r.lambda.push_back(lambda);
    shrink(band, count, lambda, o.threshold);
    std::ptrdiff_t at = 0;
    for (std::ptrdiff_t c = 0; c < 2 * k; ++c)
      for (std::ptrdiff_t row = c < k ? k : 0; row < 2 * k; ++row) w[row + c * n] = band[at++];
  }
  circ_join2(w, y, n, p.L, h);
  return r;
}

// ---- Additive costs and best bases -----------------------------------------

double entropy_cost(const double* c, std::ptrdiff_t count, double total) {
  check_values("entropy_cost", c, count, 0);
  if (!(total > 0.0)) refuse("entropy_cost", "total must be a number > 0");
  return entropy_sum(c, count, total);
}

double lp_cost(const double* c, std::ptrdiff_t count, double p) {
  check_values("lp_cost", c, count, 0);
  if (!(p > 0.0) || std::isinf(p)) refuse("lp_cost", "the exponent p must be a number > 0");
  return lp_sum(c, count, p);
}

double threshold_cost(const double* c, std::ptrdiff_t count, double s) {
  check_values("threshold_cost", c, count, 0);
  if (!(s >= 0.0)) refuse("threshold_cost", "the threshold s must be a number >= 0");
  return above(c, count, s);
}

Basis best_basis(const double* table, std::ptrdiff_t n, int D, const Cost& cost) {
  const char* fn = "best_basis";
  const int J = detail::dyadic(fn, n);
  detail::in_range(fn, "D", D, 0, J);
  check_values(fn, table, n, 1);
  double total = 1.0;  // entropy: the first column's energy, 1 if it is 0
  switch (cost.kind) {
    case Cost::Kind::entropy: {
      double energy = 0.0;
      for (std::ptrdiff_t i = 0; i < n; ++i) energy += table[i] * table[i];
      if (energy != 0.0) total = energy;
      break;
    }
    case Cost::Kind::lp:
      if (!(cost.param > 0.0) || std::isinf(cost.param))
        refuse(fn, "the exponent p must be a number > 0");
      break;
    case Cost::Kind::threshold:
      if (!(cost.param >= 0.0)) refuse(fn, "the threshold s must be a number >= 0");
      break;
  }
  auto block_cost = [&](const double* c, std::ptrdiff_t len) {
    switch (cost.kind) {
      case Cost::Kind::lp: return lp_sum(c, len, cost.param);
      case Cost::Kind::threshold: return above(c, len, cost.param);
      default: return entropy_sum(c, len, total);
    }
  };
  // best[d][k]: the least cost of a basis of block k of column d; keep[d][k]:
  // is that basis the block itself? Column d's entries start at 2^d - 1.
  const std::size_t nodes = (std::size_t{2} << D) - 1;
  std::vector<double> best(nodes);
  std::vector<char> keep(nodes);
  for (int d = D; d >= 0; --d) {
    const std::ptrdiff_t blocks = std::ptrdiff_t{1} << d, len = n >> d;
    double* here = best.data() + blocks - 1;
    const double* below = best.data() + 2 * blocks - 1;
    for (std::ptrdiff_t k = 0; k < blocks; ++k) {
      const double own = block_cost(table + d * n + k * len, len);
      const bool kept = d == D || own <= below[2 * k] + below[2 * k + 1];
      keep[blocks - 1 + k] = kept;
      here[k] = kept ? own : below[2 * k] + below[2 * k + 1];
    }
  }
  Basis b;
  b.cost = best[0];
  b.coef.reserve(doubles(n));
  // Down from the root, depth first, the low half before the high half.
  std::vector<Node> stack{{0, 0}};
  while (!stack.empty()) {
    const Node node = stack.back();
    stack.pop_back();
    if (keep[(std::size_t{1} << node.d) - 1 + static_cast<std::size_t>(node.k)]) {
      b.nodes.push_back(node);
      const double* c = table + node.d * n + node.k * (n >> node.d);
      b.coef.insert(b.coef.end(), c, c + (n >> node.d));
    } else {
      stack.push_back({node.d + 1, 2 * node.k + 1});
      stack.push_back({node.d + 1, 2 * node.k});
    }
  }
  return b;
}

void packet_basis_join(const std::vector<Node>& basis, const double* coef, double* x,
                       std::ptrdiff_t n, Taps h) {
  const char* fn = "packet_basis_join";
  const int D = check_basis(fn, basis, n);
  check_values(fn, coef, n, 1);
  check_values(fn, x, n, 1);
  Workspace table(doubles(n) * static_cast<std::size_t>(D + 1));
  place(basis, coef, table.data(), n, D);
  packet_join(table.data(), x, n, D, h);
}

void bell_basis_join(const std::vector<Node>& basis, const double* coef, double* x,
                     std::ptrdiff_t n, int D) {
  const char* fn = "bell_basis_join";
  const int deepest = check_basis(fn, basis, n);
  detail::in_range(fn, "D", D, deepest, detail::dyadic(fn, n));
  check_values(fn, coef, n, 1);
  check_values(fn, x, n, 1);
  Workspace table(doubles(n) * static_cast<std::size_t>(D + 1));
  place(basis, coef, table.data(), n, D);
  bell_join(table.data(), x, n, D);
}

// ---- Time-frequency tilings -------------------------------------------------

Tiling tiling(const std::vector<Node>& basis, std::ptrdiff_t n, TableKind kind) {
  check_basis("tiling", basis, n);
  Tiling t;
  t.tiles.reserve(doubles(n));
  for (const Node& b : basis) {
    const std::ptrdiff_t len = n >> b.d;
    if (kind == TableKind::wavelet_packet) {
      const double f0 = double(b.k) / double(std::ptrdiff_t{1} << b.d);
      const double f1 = double(b.k + 1) / double(std::ptrdiff_t{1} << b.d);
      t.blocks.push_back({0.0, double(n), f0, f1});
      for (std::ptrdiff_t i = 0; i < len; ++i)
        t.tiles.push_back({double(i << b.d), double((i + 1) << b.d), f0, f1});
    } else {
      const double t0 = double(b.k) * double(len), t1 = double(b.k + 1) * double(len);
      t.blocks.push_back({t0, t1, 0.0, 1.0});
      for (std::ptrdiff_t j = 0; j < len; ++j)
        t.tiles.push_back({t0, t1, double(j) / double(len), double(j + 1) / double(len)});
    }
  }
  return t;
}

}  // namespace tfmex
