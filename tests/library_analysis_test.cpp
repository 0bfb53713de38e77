// tfmex/analysis.hpp: the noise level, thresholds and shrinkage on known
// values, denoising of signals and images (exact where nothing is removed,
// block means where everything is), the best basis against every basis of a
// small table, rebuilds from a basis, tilings, and the refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tfmex/tfmex.hpp"

namespace {

using tfmex::Basis;
using tfmex::Cost;
using tfmex::DenoiseMethod;
using tfmex::DenoiseOptions;
using tfmex::Node;

const double kNaN = std::numeric_limits<double>::quiet_NaN();

std::vector<double> noise(std::size_t n, unsigned seed, double scale = 1.0) {
  std::mt19937_64 rng(seed);
  std::normal_distribution<double> z(0.0, scale);
  std::vector<double> v(n);
  for (double& x : v) x = z(rng);
  return v;
}

double max_error(const std::vector<double>& a, const std::vector<double>& b) {
  double e = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) e = std::max(e, std::fabs(a[i] - b[i]));
  return e;
}

double norm(const std::vector<double>& a, const std::vector<double>& b) {
  double s = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) s += (a[i] - b[i]) * (a[i] - b[i]);
  return std::sqrt(s);
}

template <class F>
std::string refusal(F&& f) {
  try {
    f();
  } catch (const tfmex::invalid_argument& e) {
    return e.what();
  }
  return "accepted";
}

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(LibraryAnalysis, NoiseLevelThresholdsAndShrinkage) {
  const double d[] = {1.0, -2.0, 3.0, -4.0, 100.0};
  EXPECT_EQ(tfmex::noise_level(d, 4), 0.5 * (2.0 + 3.0) / 0.6745);
  EXPECT_EQ(tfmex::noise_level(d, 5), 3.0 / 0.6745);  // one outlier does not move it far
  EXPECT_EQ(tfmex::noise_level(d, 1), 1.0 / 0.6745);
  // NaN sorts above every number: it moves the median up one place.
  const double with_nan[] = {kNaN, -1.0, 2.0, 5.0, -7.0};
  EXPECT_EQ(tfmex::noise_level(with_nan, 5), 5.0 / 0.6745);
  const double nans[] = {kNaN, kNaN, 1.0};
  EXPECT_TRUE(std::isnan(tfmex::noise_level(nans, 3)));
  EXPECT_TRUE(std::isnan(tfmex::noise_level(nans + 1, 2)));

  EXPECT_EQ(tfmex::universal_threshold(2.0, 1024), 2.0 * std::sqrt(2.0 * std::log(1024.0)));
  EXPECT_EQ(tfmex::universal_threshold(2.0, 1), 0.0);

  std::vector<double> v = {3.0, -3.0, 0.5, -0.5, 1.0, 0.0, -0.0, kNaN};
  std::vector<double> w = v;
  tfmex::shrink(v.data(), 8, 1.0);
  tfmex::shrink(w.data(), 8, 1.0, tfmex::Shrinkage::hard);
  const std::vector<double> soft = {2.0, -2.0, 0.0, 0.0, 0.0, 0.0, 0.0};
  const std::vector<double> hard = {3.0, -3.0, 0.0, 0.0, 0.0, 0.0, 0.0};
  EXPECT_EQ(std::vector<double>(v.begin(), v.end() - 1), soft);
  EXPECT_EQ(std::vector<double>(w.begin(), w.end() - 1), hard);
  EXPECT_TRUE(std::isnan(v[7]) && std::isnan(w[7]));
  EXPECT_FALSE(std::signbit(v[6]));
  EXPECT_TRUE(has(refusal([&] { tfmex::shrink(v.data(), 8, -1.0); }), "lambda must be"));
  EXPECT_TRUE(has(refusal([&] { tfmex::shrink(v.data(), 8, kNaN); }), "lambda must be"));
  EXPECT_TRUE(has(refusal([] { tfmex::noise_level(nullptr, 0); }), "count must be at least 1"));
  EXPECT_TRUE(has(refusal([] { tfmex::universal_threshold(1.0, 0); }), "n must be"));
}

// Stein's unbiased risk of the soft threshold t for coefficients v of noise
// level 1: m - 2 #{|v| <= t} + sum min(v^2, t^2).
double sure_risk(const std::vector<double>& v, double t) {
  double r = static_cast<double>(v.size());
  for (double x : v) r += (std::fabs(x) <= t ? -2.0 : 0.0) + std::min(x * x, t * t);
  return r;
}

TEST(LibraryAnalysis, SureThresholdMinimisesTheRiskOrFallsBackToUniversal) {
  // A dense level: many large coefficients among the noise.
  std::vector<double> d = noise(512, 3, 0.5);
  for (int i = 0; i < 512; i += 3) d[i] += (i % 2 ? 4.0 : -3.0);
  const double sigma = 0.5, lambda = tfmex::sure_threshold(d.data(), 512, sigma);
  const double cap = sigma * std::sqrt(2.0 * std::log(512.0));
  ASSERT_GT(lambda, 0.0);
  ASSERT_LT(lambda, cap);
  std::vector<double> v(d.size());
  for (std::size_t i = 0; i < d.size(); ++i) v[i] = d[i] / sigma;
  const double chosen = sure_risk(v, lambda / sigma);
  for (double x : v) EXPECT_LE(chosen, sure_risk(v, std::fabs(x)) * (1 + 1e-12));
  EXPECT_EQ(tfmex::sure_threshold(d.data(), 512, 0.0), 0.0);
  // Pure noise is too sparse for the estimate: the universal threshold of the level.
  const std::vector<double> z = noise(256, 5);
  EXPECT_EQ(tfmex::sure_threshold(z.data(), 256, 1.0), std::sqrt(2.0 * std::log(256.0)));
  EXPECT_TRUE(has(refusal([&] { tfmex::sure_threshold(z.data(), 256, -1.0); }), "sigma must be"));
}

// A signal with jumps and its noisy version, n = 1024.
struct Noisy {
  std::vector<double> clean, noisy;
};
Noisy noisy_signal(std::size_t n, double level, unsigned seed) {
  Noisy s;
  const std::vector<double> z = noise(n, seed, level);
  for (std::size_t i = 0; i < n; ++i) {
    const double t = double(i) / double(n);
    s.clean.push_back(2.0 * std::sin(4.0 * M_PI * t) + 1.5 * (t > 0.3) - (t > 0.71));
    s.noisy.push_back(s.clean.back() + z[i]);
  }
  return s;
}

TEST(LibraryAnalysis, DenoisingGainsKeepsAllAtSigmaZeroAndReportsItsThresholds) {
  const std::size_t n = 1024;
  const Noisy s = noisy_signal(n, 0.3, 7);
  const std::vector<double> d4 = tfmex::filter("db2");
  for (DenoiseMethod method : {DenoiseMethod::plain, DenoiseMethod::invariant}) {
    for (auto rule : {tfmex::ThresholdRule::universal, tfmex::ThresholdRule::sure}) {
      for (auto how : {tfmex::Shrinkage::soft, tfmex::Shrinkage::hard}) {
        DenoiseOptions o;
        o.method = method;
        o.rule = rule;
        o.threshold = how;
        std::vector<double> y(n);
        const tfmex::DenoiseReport r = tfmex::denoise(s.noisy.data(), y.data(), n, d4, o);
        const std::string what =
            std::to_string(int(method)) + std::to_string(int(rule)) + std::to_string(int(how));
        EXPECT_LT(norm(y, s.clean), 0.6 * norm(s.noisy, s.clean)) << what;
        // Level 4 of J = 10: six detail levels or columns.
        ASSERT_EQ(r.lambda.size(), 6u) << what;
        EXPECT_NEAR(r.sigma, 0.3, 0.05) << what;
        for (std::size_t j = 0; j < 6; ++j) {
          // SURE stays within the universal threshold of the level (of the column).
          const double levels = method == DenoiseMethod::plain ? double(16 << j) : double(n);
          const double cap = rule == tfmex::ThresholdRule::sure
                                 ? r.sigma * std::sqrt(2.0 * std::log(levels))
                                 : r.sigma * std::sqrt(2.0 * std::log(double(n)));
          EXPECT_LE(r.lambda[j], cap * (1 + 1e-15)) << what << ' ' << j;
          if (rule == tfmex::ThresholdRule::universal) {
            EXPECT_EQ(r.lambda[j], cap);
          }
        }
        o.sigma = 0.0;
        const tfmex::DenoiseReport zero = tfmex::denoise(s.noisy.data(), y.data(), n, d4, o);
        EXPECT_LT(max_error(y, s.noisy), 1e-12) << what;
        EXPECT_EQ(zero.sigma, 0.0);
        // In place, y = x.
        o.sigma.reset();
        std::vector<double> inplace = s.noisy, apart(n);
        tfmex::denoise(s.noisy.data(), apart.data(), n, d4, o);
        tfmex::denoise(inplace.data(), inplace.data(), n, d4, o);
        EXPECT_EQ(inplace, apart) << what;
      }
    }
  }
  // Everything above the coarse level removed: Haar leaves the block means,
  // and a constant stays itself through every shift path.
  DenoiseOptions all;
  all.level = 2;
  all.sigma = 1e9;
  std::vector<double> y(n);
  for (auto how : {tfmex::Shrinkage::soft, tfmex::Shrinkage::hard}) {
    all.threshold = how;
    tfmex::denoise(s.noisy.data(), y.data(), n, tfmex::filter("haar"), all);
    for (std::size_t b = 0; b < 4; ++b) {
      double mean = 0.0;
      for (std::size_t i = b * n / 4; i < (b + 1) * n / 4; ++i) mean += s.noisy[i] / (n / 4.0);
      for (std::size_t i = b * n / 4; i < (b + 1) * n / 4; ++i) EXPECT_NEAR(y[i], mean, 1e-12);
    }
  }
  all.method = DenoiseMethod::invariant;
  all.level = -1;
  const std::vector<double> three(64, 3.0);
  std::vector<double> out(64);
  tfmex::denoise(three.data(), out.data(), 64, d4, all);
  EXPECT_LT(max_error(out, three), 1e-12);
  // One Haar stage of [1 5]: the detail 4/sqrt(2) against sqrt(2 ln 2).
  DenoiseOptions one;
  one.level = 0;
  one.sigma = 1.0;
  const double x2[] = {1.0, 5.0};
  double soft[2], hard[2];
  tfmex::denoise(x2, soft, 2, tfmex::filter("haar"), one);
  one.threshold = tfmex::Shrinkage::hard;
  tfmex::denoise(x2, hard, 2, tfmex::filter("haar"), one);
  const double shrunk = (4.0 / std::sqrt(2.0) - std::sqrt(2.0 * std::log(2.0))) / std::sqrt(2.0);
  EXPECT_NEAR(soft[0], 3.0 - shrunk, 1e-12);
  EXPECT_NEAR(soft[1], 3.0 + shrunk, 1e-12);
  EXPECT_NEAR(hard[0], 1.0, 1e-12);
  EXPECT_NEAR(hard[1], 5.0, 1e-12);
}

TEST(LibraryAnalysis, ImageDenoisingOneThresholdPerLevel) {
  const std::ptrdiff_t n = 64;
  std::vector<double> img(n * n), noisy(n * n), y(n * n);
  const std::vector<double> z = noise(n * n, 11, 0.4);
  const double corner[2][2] = {{1.0, 3.0}, {-2.0, 0.5}};
  for (std::ptrdiff_t c = 0; c < n; ++c)
    for (std::ptrdiff_t r = 0; r < n; ++r) {
      img[r + c * n] = corner[r / 32][c / 32];
      noisy[r + c * n] = img[r + c * n] + z[r + c * n];
    }
  for (auto rule : {tfmex::ThresholdRule::universal, tfmex::ThresholdRule::sure}) {
    for (auto how : {tfmex::Shrinkage::soft, tfmex::Shrinkage::hard}) {
      DenoiseOptions o;
      o.rule = rule;
      o.threshold = how;
      o.level = 1;
      const tfmex::DenoiseReport r =
          tfmex::denoise2(noisy.data(), y.data(), n, tfmex::filter("haar"), o);
      EXPECT_EQ(r.lambda.size(), 5u);
      EXPECT_NEAR(r.sigma, 0.4, 0.04);
      EXPECT_LT(norm(y, img), 0.5 * norm(noisy, img)) << int(rule) << int(how);
    }
  }
  DenoiseOptions keep;
  keep.sigma = 0.0;
  tfmex::denoise2(noisy.data(), y.data(), n, tfmex::filter("db2"), keep);
  EXPECT_LT(max_error(y, noisy), 1e-12);
  keep.method = DenoiseMethod::invariant;
  EXPECT_EQ(refusal([&] { tfmex::denoise2(noisy.data(), y.data(), n, {}, keep); }),
            "tfmex::denoise2: the translation-invariant method is for signals only");
}

TEST(LibraryAnalysis, DenoisingRefusesWhatItCannotDo) {
  std::vector<double> x(8, 1.0), y(8);
  const std::vector<double> h = tfmex::filter("haar");
  auto with = [&](std::ptrdiff_t n, DenoiseOptions o) {
    return refusal([&] { tfmex::denoise(x.data(), y.data(), n, h, o); });
  };
  EXPECT_TRUE(has(with(6, {}), "n must be a power of two"));
  EXPECT_TRUE(has(with(1, {}), "n must be a power of two >= 2, not 1"));
  DenoiseOptions o;
  o.level = 3;
  EXPECT_EQ(with(8, o), "tfmex::denoise: level must be from 0 to 2 (or -1), not 3");
  o.level = -2;
  EXPECT_TRUE(has(with(8, o), "level must be from 0 to 2"));
  o.level = -1;
  o.sigma = -1.0;
  EXPECT_EQ(with(8, o), "tfmex::denoise: sigma must be a finite number >= 0");
  o.sigma = std::numeric_limits<double>::infinity();
  EXPECT_TRUE(has(with(8, o), "sigma must be"));
  EXPECT_TRUE(has(refusal([&] { tfmex::denoise(nullptr, y.data(), 8, h); }), "null pointer"));
}

// Every basis of block k of column d of a table of depth D.
std::vector<std::vector<Node>> every_basis(int d, std::ptrdiff_t k, int D) {
  std::vector<std::vector<Node>> out{{Node{d, k}}};
  if (d == D) return out;
  for (const auto& low : every_basis(d + 1, 2 * k, D))
    for (const auto& high : every_basis(d + 1, 2 * k + 1, D)) {
      std::vector<Node> b = low;
      b.insert(b.end(), high.begin(), high.end());
      out.push_back(b);
    }
  return out;
}

double cost_of(const std::vector<double>& table, std::ptrdiff_t n, const std::vector<Node>& b,
               const Cost& cost) {
  double energy = 0.0;
  for (std::ptrdiff_t i = 0; i < n; ++i) energy += table[i] * table[i];
  double c = 0.0;
  for (const Node& node : b) {
    const double* v = &table[node.d * n + node.k * (n >> node.d)];
    const std::ptrdiff_t len = n >> node.d;
    if (cost.kind == Cost::Kind::entropy) c += tfmex::entropy_cost(v, len, energy);
    else if (cost.kind == Cost::Kind::lp) c += tfmex::lp_cost(v, len, cost.param);
    else c += tfmex::threshold_cost(v, len, cost.param);
  }
  return c;
}

TEST(LibraryAnalysis, BestBasisHasTheLeastCostOfEveryBasis) {
  const std::ptrdiff_t n = 16;
  std::vector<double> x = noise(n, 1);
  for (std::ptrdiff_t i = 0; i < n; ++i) x[i] += double(i) / 4.0;
  const std::vector<double> h = tfmex::filter("db4");
  for (int D : {3, 4}) {
    for (bool packets : {true, false}) {
      std::vector<double> table(n * (D + 1));
      if (packets) tfmex::packet_split(x.data(), table.data(), n, D, h);
      else tfmex::bell_split(x.data(), table.data(), n, D);
      const auto all = every_basis(0, 0, D);
      EXPECT_EQ(all.size(), D == 3 ? 26u : 677u);
      for (const Cost& cost :
           {Cost::entropy(), Cost::lp(), Cost::lp(0.5), Cost::lp(2.0), Cost::threshold(0.3)}) {
        const Basis b = tfmex::best_basis(table.data(), n, D, cost);
        double least = std::numeric_limits<double>::infinity();
        for (const auto& each : all) least = std::min(least, cost_of(table, n, each, cost));
        EXPECT_NEAR(b.cost, least, 1e-12 * std::max(1.0, std::fabs(least)));
        EXPECT_NEAR(cost_of(table, n, b.nodes, cost), b.cost, 1e-12 * std::max(1.0, b.cost));
        // The coefficients are the nodes' blocks, in order.
        std::vector<double> blocks;
        for (const Node& node : b.nodes) {
          const double* v = &table[node.d * n + node.k * (n >> node.d)];
          blocks.insert(blocks.end(), v, v + (n >> node.d));
        }
        EXPECT_EQ(b.coef, blocks);
        // Rebuilt from the basis alone.
        std::vector<double> y(n);
        if (packets) tfmex::packet_basis_join(b.nodes, b.coef.data(), y.data(), n, h);
        else tfmex::bell_basis_join(b.nodes, b.coef.data(), y.data(), n, D);
        EXPECT_LT(max_error(y, x), 1e-12) << D << packets;
      }
    }
  }
}

TEST(LibraryAnalysis, BestBasisKeepsABlockOnlyWhenItCostsNoMoreThanItsChildren) {
  // n = 8, D = 2. The left half is one spike in column 1, the right half two
  // spikes in column 2; everything else is flat and costly.
  const double r2 = std::sqrt(2.0);
  std::vector<double> table = {1, 1, 1, 1, 1,  1, 1,  1,   // column 0
                               2, 0, 0, 0, 1,  1, 1,  1,   // column 1
                               1, 1, 1, 1, r2, 0, r2, 0};  // column 2
  const Basis b = tfmex::best_basis(table.data(), 8, 2);
  ASSERT_EQ(b.nodes.size(), 3u);
  const int want[3][2] = {{1, 0}, {2, 2}, {2, 3}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(b.nodes[i].d, want[i][0]) << i;
    EXPECT_EQ(b.nodes[i].k, want[i][1]) << i;
  }
  EXPECT_EQ(b.coef, (std::vector<double>{2, 0, 0, 0, r2, 0, r2, 0}));
  EXPECT_EQ(b.cost, -(0.5 * std::log(0.5)) + (-(0.25 * std::log(0.25)) - 0.25 * std::log(0.25)));
  // A spike in column 0 is kept whole; an all-zero table too (a tie keeps
  // the parent).
  table[0] = 3.0;
  std::fill(table.begin() + 1, table.begin() + 8, 0.0);
  EXPECT_EQ(tfmex::best_basis(table.data(), 8, 2).nodes.size(), 1u);
  std::fill(table.begin(), table.end(), 0.0);
  const Basis zero = tfmex::best_basis(table.data(), 8, 2);
  ASSERT_EQ(zero.nodes.size(), 1u);
  EXPECT_EQ(zero.cost, 0.0);
  // Depth 0: the signal itself.
  EXPECT_EQ(tfmex::best_basis(table.data(), 8, 0).coef, std::vector<double>(8, 0.0));

  const double spike[] = {0.0, 2.0, 0.0};
  EXPECT_EQ(tfmex::entropy_cost(spike, 3, 4.0), 0.0);
  const double c[] = {-3.0, 0.5, 2.0, 0.0};
  EXPECT_EQ(tfmex::lp_cost(c, 4, 1.0), 5.5);
  EXPECT_EQ(tfmex::lp_cost(c, 4, 2.0), 13.25);
  EXPECT_EQ(tfmex::lp_cost(c, 4, 3.0), 35.125);
  EXPECT_EQ(tfmex::threshold_cost(c, 4, 0.5), 2.0);
  EXPECT_EQ(tfmex::threshold_cost(c, 4, 0.0), 3.0);
  EXPECT_TRUE(has(refusal([&] { tfmex::lp_cost(c, 4, 0.0); }), "exponent p"));
  EXPECT_TRUE(has(refusal([&] { tfmex::entropy_cost(c, 4, 0.0); }), "total must be"));
  EXPECT_TRUE(has(refusal([&] { tfmex::threshold_cost(c, 4, -1.0); }), "threshold s"));
  EXPECT_TRUE(
      has(refusal([&] { tfmex::best_basis(table.data(), 8, 4); }), "D must be from 0 to 3"));
  EXPECT_TRUE(has(refusal([&] { tfmex::best_basis(table.data(), 6, 1); }), "power of two"));
  EXPECT_TRUE(
      has(refusal([&] { tfmex::best_basis(table.data(), 8, 1, Cost::lp(-1)); }), "exponent p"));
}

TEST(LibraryAnalysis, BasisJoinsRefuseBasesThatDoNotCoverTheRows) {
  const std::vector<double> coef(8, 0.0), h = tfmex::filter("haar");
  std::vector<double> y(8);
  auto packets = [&](const std::vector<Node>& b) {
    return refusal([&] { tfmex::packet_basis_join(b, coef.data(), y.data(), 8, h); });
  };
  const std::string cover =
      "tfmex::packet_basis_join: the nodes of the basis must cover the 8 "
      "rows once, in order";
  EXPECT_EQ(packets({{1, 0}, {2, 3}}), cover);  // a gap
  EXPECT_EQ(packets({{1, 0}, {1, 0}}), cover);  // a repeat
  EXPECT_EQ(packets({{1, 1}, {1, 0}}), cover);  // out of order
  EXPECT_EQ(packets({{0, 0}, {1, 0}}), cover);  // beyond the rows
  EXPECT_EQ(packets({{1, 0}}), cover);          // too few
  EXPECT_EQ(packets({{1, 2}, {1, 1}}),
            "tfmex::packet_basis_join: node [1 2] lies outside a table of 8 rows");
  EXPECT_TRUE(has(packets({{4, 0}}), "outside"));
  EXPECT_TRUE(has(packets({{-1, 0}}), "outside"));
  EXPECT_TRUE(has(packets({}), "no nodes"));
  EXPECT_EQ(refusal([&] {
              tfmex::bell_basis_join({{1, 0}, {1, 1}}, coef.data(), y.data(), 8, 0);
            }),
            "tfmex::bell_basis_join: D must be from 1 to 3, not 0");
  EXPECT_TRUE(has(refusal([&] {
                    tfmex::tiling({{1, 0}}, 8, tfmex::TableKind::cosine_packet);
                  }),
                  "cover"));
}

TEST(LibraryAnalysis, TilingsCoverThePlaneOnceInTheOrderOfTheCoefficients) {
  const std::vector<Node> b = {{1, 0}, {2, 2}, {3, 6}, {3, 7}};
  const tfmex::Tiling p = tfmex::tiling(b, 8, tfmex::TableKind::wavelet_packet);
  const tfmex::Tiling c = tfmex::tiling(b, 8, tfmex::TableKind::cosine_packet);
  for (const tfmex::Tiling* t : {&p, &c}) {
    ASSERT_EQ(t->tiles.size(), 8u);
    ASSERT_EQ(t->blocks.size(), 4u);
    double area = 0.0, blocks = 0.0;
    for (const tfmex::Rect& r : t->tiles) area += (r.t1 - r.t0) * (r.f1 - r.f0);
    for (const tfmex::Rect& r : t->blocks) blocks += (r.t1 - r.t0) * (r.f1 - r.f0);
    EXPECT_EQ(area, 8.0);
    EXPECT_EQ(blocks, 8.0);
  }
  // Packets: node [1 0] is the lower half band for all time, its
  // coefficient 1 samples 2 .. 4; node [3 7] the top eighth.
  auto same = [](const tfmex::Rect& r, double t0, double t1, double f0, double f1) {
    return r.t0 == t0 && r.t1 == t1 && r.f0 == f0 && r.f1 == f1;
  };
  EXPECT_TRUE(same(p.blocks[0], 0, 8, 0, 0.5));
  EXPECT_TRUE(same(p.tiles[1], 2, 4, 0, 0.5));
  EXPECT_TRUE(same(p.tiles[4], 0, 4, 0.5, 0.75));
  EXPECT_TRUE(same(p.tiles[7], 0, 8, 0.875, 1));
  // Cosine packets: node [1 0] is samples 0 .. 4, its coefficient j the
  // j-th of 4 bands; node [2 2] samples 4 .. 6 in 2 bands.
  EXPECT_TRUE(same(c.blocks[0], 0, 4, 0, 1));
  EXPECT_TRUE(same(c.tiles[3], 0, 4, 0.75, 1));
  EXPECT_TRUE(same(c.tiles[5], 4, 6, 0.5, 1));
  EXPECT_TRUE(same(c.tiles[7], 7, 8, 0, 1));
}

}  // namespace
