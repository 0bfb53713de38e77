// The demo's own pieces: its filters and noise, its counts, the denoising and
// best bases it takes from the library on its signals, and the time order of
// the translation-invariant table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <set>

#include "demo/methods.h"
#include "demo/signals.h"

namespace {

using namespace demo;

const int n = 2048;

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

TEST(DemoCounts, CoefficientsHoldingAFractionOfTheEnergy) {
  EXPECT_EQ(count_for_energy({3.0, 0.0, -4.0, 0.0}, 0.99), 2);
  EXPECT_EQ(count_for_energy({0.0, -10.0, 0.1, 0.1}, 0.99), 1);
  EXPECT_EQ(count_for_energy({1.0, 1.0, 1.0, 1.0}, 0.99), 4);
}

TEST(DemoDenoising, EveryMethodGainsOnEverySignal) {
  // Another seed and noise level than the demo's own run.
  for (const TestSignal& s : test_signals(n)) {
    const std::vector<double> noisy = add_noise(s.clean, 5.0, 99);
    for (const Filter& f : orthonormal_filters()) {
      EXPECT_GT(snr_db(s.clean, denoised(noisy, f.h, 4, false)), 5.5) << s.name << ' ' << f.name;
      EXPECT_GT(snr_db(s.clean, denoised(noisy, f.h, 4, true)), 5.5) << s.name << ' ' << f.name;
    }
  }
}

// The basis found in a packet or cosine packet table covers every row once,
// costs no more than any single column, and rebuilds the signal alone.
void check_basis(bool packets) {
  const int D = 7;
  const std::vector<double> h = packets ? orthonormal_filters()[2].h : std::vector<double>{};
  for (const TestSignal& s : test_signals(n)) {
    const std::vector<double> table =
        packets ? packet_table(s.clean, D, h) : cosine_table(s.clean, D);
    const tfmex::Basis basis = tfmex::best_basis(table.data(), n, D);
    std::vector<int> cover(n, 0);
    double cost = 0.0, energy = 0.0;
    for (int i = 0; i < n; ++i) energy += table[i] * table[i];
    for (const Node& b : basis.nodes) {
      for (std::ptrdiff_t i = b.k * (n >> b.d); i < (b.k + 1) * (n >> b.d); ++i) ++cover[i];
      cost += tfmex::entropy_cost(&table[b.d * n + b.k * (n >> b.d)], n >> b.d, energy);
    }
    EXPECT_EQ(std::count(cover.begin(), cover.end(), 1), n) << packets << ' ' << s.name;
    EXPECT_NEAR(cost, basis.cost, 1e-12) << packets << ' ' << s.name;
    for (int d = 0; d <= D; ++d)
      EXPECT_LE(cost, tfmex::entropy_cost(&table[d * n], n, energy) + 1e-12)
          << packets << ' ' << s.name << ' ' << d;
    EXPECT_LT(max_error(s.clean, rebuilt(basis, h, D)), 1e-12 * 5.0) << packets << ' ' << s.name;
  }
}

TEST(DemoBestBasis, RebuildsEverySignalFromItsPacketAndCosinePacketBases) {
  check_basis(true);
  check_basis(false);
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
  const std::vector<double> table = shift_table(x, 5, h);
  for (int d = 1; d <= 6; ++d) {
    const std::vector<double> t = time_ordered(table, n, d, d, static_cast<int>(h.size()));
    double moment = 0.0, energy = 0.0;
    for (int i = 0; i < n; ++i) moment += t[i] * t[i] * i, energy += t[i] * t[i];
    EXPECT_NEAR(moment / energy, 1000.0, 3.0) << "stage " << d;
  }
}

}  // namespace
