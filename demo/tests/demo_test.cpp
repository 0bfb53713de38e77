// The demo's own pieces: its filters, noise, thresholding, best-basis search
// and the time order of the translation-invariant table, partly on tables the
// plug-ins make.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <set>

#include "demo/methods.h"
#include "demo/signals.h"

namespace {

using namespace demo;

const int n = 2048;

Plugins& plugins() {
  static Plugins p(tfmex::host::Plugin::default_mex_dir());
  return p;
}

double max_error(const std::vector<double>& x, const std::vector<double>& y) {
  double e = 0.0;
  for (std::size_t i = 0; i < x.size(); ++i) e = std::max(e, std::fabs(x[i] - y[i]));
  return e;
}

TEST(DemoFilters, OrthonormalWithTheirVanishingMoments) {
  for (const Filter& f : orthonormal_filters()) {
    const int m = static_cast<int>(f.h.size());
    for (int shift = 0; shift < m; shift += 2) {
      double dot = 0.0;
      for (int k = 0; k + shift < m; ++k) dot += f.h[k] * f.h[k + shift];
      EXPECT_NEAR(dot, shift == 0 ? 1.0 : 0.0, 1e-15) << f.name << " shift " << shift;
    }
    EXPECT_NEAR(std::accumulate(f.h.begin(), f.h.end(), 0.0), std::sqrt(2.0), 1e-15) << f.name;
    // m/2 vanishing moments of the high-pass filter (-1)^k h[k].
    for (int p = 0; p < m / 2; ++p) {
      double moment = 0.0;
      for (int k = 0; k < m; ++k) moment += (k % 2 ? -1.0 : 1.0) * std::pow(k, p) * f.h[k];
      EXPECT_NEAR(moment, 0.0, 1e-13) << f.name << " moment " << p;
    }
  }
}

TEST(DemoSignals, NoiseIsSeededAndScaledToTheStatedRatio) {
  EXPECT_EQ(gaussian_noise(1001, 7), gaussian_noise(1001, 7));
  EXPECT_NE(gaussian_noise(16, 7), gaussian_noise(16, 8));
  const std::vector<double> z = gaussian_noise(20000, 1);
  double mean = 0.0, square = 0.0;
  for (double v : z) mean += v / z.size(), square += v * v / z.size();
  EXPECT_NEAR(mean, 0.0, 0.03);
  EXPECT_NEAR(square, 1.0, 0.05);
  for (const TestSignal& s : test_signals(n)) {
    ASSERT_EQ(s.clean.size(), static_cast<std::size_t>(n));
    EXPECT_NEAR(snr_db(s.clean, add_noise(s.clean, 7.0, 3)), 7.0, 1e-9) << s.name;
  }
}

TEST(DemoThreshold, SoftThresholdNoiseLevelAndEnergyCount) {
  std::vector<double> v = {3.0, -3.0, 0.5, -0.5, 1.0, 0.0};
  soft_threshold(v.data(), 6, 1.0);
  EXPECT_EQ(v, (std::vector<double>{2.0, -2.0, 0.0, 0.0, 0.0, 0.0}));
  const double d[] = {1.0, -2.0, 3.0, -4.0, 100.0};
  EXPECT_DOUBLE_EQ(mad_sigma(d, 4), 2.5 / 0.6745);
  EXPECT_DOUBLE_EQ(mad_sigma(d, 5), 3.0 / 0.6745);  // one outlier does not move it far
  EXPECT_EQ(count_for_energy({3.0, 0.0, -4.0, 0.0}, 0.99), 2);
  EXPECT_EQ(count_for_energy({0.0, -10.0, 0.1, 0.1}, 0.99), 1);
  EXPECT_EQ(count_for_energy({1.0, 1.0, 1.0, 1.0}, 0.99), 4);
  const double spike[] = {0.0, 2.0, 0.0};
  EXPECT_EQ(entropy_cost(spike, 3, 4.0), 0.0);
}

TEST(DemoDenoising, EveryMethodGainsOnEverySignal) {
  // Another seed and noise level than the demo's own run.
  for (const TestSignal& s : test_signals(n)) {
    const std::vector<double> noisy = add_noise(s.clean, 5.0, 99);
    for (const Filter& f : orthonormal_filters()) {
      EXPECT_GT(snr_db(s.clean, denoise_orthogonal(plugins(), noisy, f.h, 4)), 5.5) << s.name << ' ' << f.name;
      EXPECT_GT(snr_db(s.clean, denoise_invariant(plugins(), noisy, f.h, 4)), 5.5) << s.name << ' ' << f.name;
    }
  }
}

TEST(DemoBestBasis, KeepsABlockOnlyWhenItCostsLessThanItsChildren) {
  // n = 8, D = 2. The left half is one spike in column 1, the right half two
  // spikes in column 2; everything else is flat and costly.
  const double r2 = std::sqrt(2.0);
  std::vector<double> table = {1, 1, 1, 1, 1, 1, 1, 1,   // column 0
                               2, 0, 0, 0, 1, 1, 1, 1,   // column 1
                               1, 1, 1, 1, r2, 0, r2, 0};  // column 2
  const std::vector<Node> basis = best_basis(table, 8, 2);
  ASSERT_EQ(basis.size(), 3u);
  const int want[3][2] = {{1, 0}, {2, 2}, {2, 3}};
  for (int b = 0; b < 3; ++b) {
    EXPECT_EQ(basis[b].d, want[b][0]) << b;
    EXPECT_EQ(basis[b].k, want[b][1]) << b;
  }
  EXPECT_EQ(keep_only(table, 8, basis),
            (std::vector<double>{0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, r2, 0, r2, 0}));
  EXPECT_EQ(basis_coefficients(table, 8, basis), (std::vector<double>{2, 0, 0, 0, r2, 0, r2, 0}));
  // A spike in column 0 is kept whole.
  table[0] = 3.0;
  std::fill(table.begin() + 1, table.begin() + 8, 0.0);
  const std::vector<Node> root = best_basis(table, 8, 2);
  ASSERT_EQ(root.size(), 1u);
  EXPECT_EQ(root[0].d, 0);
}

// The basis found in a plug-in's table covers every row once, costs no more
// than any single column, and rebuilds the signal alone.
void check_basis(const std::string& split, const std::string& join, const Array& third, bool filter) {
  const int D = 7;
  for (const TestSignal& s : test_signals(n)) {
    const std::vector<double> table =
        values(plugins().call(split, {Array::row(s.clean), Array::scalar(D), third}));
    const std::vector<Node> basis = best_basis(table, n, D);
    std::vector<int> cover(n, 0);
    double cost = 0.0, energy = 0.0;
    for (int i = 0; i < n; ++i) energy += table[i] * table[i];
    for (const Node& b : basis) {
      for (int i = b.k * (n >> b.d); i < (b.k + 1) * (n >> b.d); ++i) ++cover[i];
      cost += entropy_cost(&table[b.d * n + b.k * (n >> b.d)], n >> b.d, energy);
    }
    EXPECT_EQ(std::count(cover.begin(), cover.end(), 1), n) << split << ' ' << s.name;
    for (int d = 0; d <= D; ++d)
      EXPECT_LE(cost, entropy_cost(&table[d * n], n, energy) + 1e-12) << split << ' ' << s.name << ' ' << d;
    const Array only = Array::matrix(n, D + 1, keep_only(table, n, basis));
    const std::vector<double> y = values(filter ? plugins().call(join, {only, third}) : plugins().call(join, {only}));
    EXPECT_LT(max_error(s.clean, y), 1e-12 * 5.0) << split << ' ' << s.name;
  }
}

TEST(DemoBestBasis, RebuildsEverySignalFromItsPacketAndCosinePacketBases) {
  check_basis("PacketSplit", "PacketJoin", Array::row(orthonormal_filters()[2].h), true);
  if (!plugins().available("BellSplit")) GTEST_SKIP() << "BellSplit not built";
  check_basis("BellSplit", "BellJoin", Array::scalar(0), false);
}

TEST(DemoShiftTable, TimeOrderIsAPermutationCentredOnAnImpulse) {
  // A table whose entries are their own indices: every column's time order
  // must hold each of its entries once.
  const int D = 4, small = 64;
  std::vector<double> index(small * (D + 1));
  std::iota(index.begin(), index.end(), 0.0);
  for (int d = 0; d <= D; ++d) {
    const std::vector<double> t = time_ordered(index, small, d, d == 0 ? D : d, 8);
    std::set<double> seen(t.begin(), t.end());
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(small)) << d;
    EXPECT_EQ(*seen.begin(), d * small) << d;
  }
  // The details of an impulse at sample 1000 sit around sample 1000 at every
  // stage (within the 2 samples by which the energy of this filter, which is
  // not symmetric, leans to one side).
  std::vector<double> x(n, 0.0);
  x[1000] = 1.0;
  const std::vector<double> h = orthonormal_filters()[2].h;
  const std::vector<double> table = values(plugins().call("ShiftSplit", {Array::row(x), Array::scalar(5), Array::row(h)}));
  for (int d = 1; d <= 6; ++d) {
    const std::vector<double> t = time_ordered(table, n, d, d, static_cast<int>(h.size()));
    double moment = 0.0, energy = 0.0;
    for (int i = 0; i < n; ++i) moment += t[i] * t[i] * i, energy += t[i] * t[i];
    EXPECT_NEAR(moment / energy, 1000.0, 3.0) << "stage " << d;
  }
}

}  // namespace
