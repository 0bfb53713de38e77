// The single-stage plug-ins and the one-dimensional multilevel transform.
#include <algorithm>
#include <cstring>

#include "stage_reference.h"
#include "support.h"

namespace tfmex::test {
namespace {

const double r2 = M_SQRT2;

TEST(SingleStage, HaarWorkedExampleAndShapes) {
  const auto h = Array::row(haar());
  const auto a = run("HalveCoarse", {Array::row({1, 2, 3, 4}), h});
  const auto d = run("HalveDetail", {Array::row({1, 2, 3, 4}), h});
  ASSERT_EQ(a.rows(), 1u);
  ASSERT_EQ(a.cols(), 2u);
  EXPECT_LT(max_abs_diff(a.values(), {3 / r2, 7 / r2}), 1e-15);
  EXPECT_LT(max_abs_diff(d.values(), {1 / r2, 1 / r2}), 1e-15);
  const auto ya = run("GrowCoarse", {a, h}), yd = run("GrowDetail", {d, h});
  ASSERT_EQ(ya.rows(), 1u);
  EXPECT_LT(max_abs_diff(ya.values(), {1.5, 1.5, 3.5, 3.5}), 1e-15);
  EXPECT_LT(max_abs_diff(yd.values(), {-0.5, 0.5, -0.5, 0.5}), 1e-15);

  // A column gives columns; a matrix is taken as its first column.
  const auto col = run("HalveCoarse", {Array::column({1, 2, 3, 4}), h});
  EXPECT_EQ(col.rows(), 2u);
  EXPECT_EQ(col.cols(), 1u);
  const auto mat =
      run("HalveCoarse", {Array::matrix(4, 3, {1, 2, 3, 4, 9, 9, 9, 9, 7, 7, 7, 7}), h});
  EXPECT_EQ(mat.rows(), 2u);
  EXPECT_EQ(mat.values(), col.values());
  const auto grown = run("GrowDetail", {Array::matrix(2, 2, {1, 2, 3, 4}), h});
  EXPECT_EQ(grown.rows(), 4u);
  EXPECT_EQ(grown.cols(), 1u);
}

TEST(SingleStage, SingleValue) {
  const auto h = Array::row({0.6, 0.8});
  const auto a = run("HalveCoarse", {Array::scalar(5), h});
  EXPECT_EQ(a.rows(), 1u);  // a 1 x 1 input counts as a row
  EXPECT_EQ(a.cols(), 0u);
  EXPECT_EQ(run("HalveDetail", {Array::column({5}), h}).cols(), 0u);
  EXPECT_EQ(run("GrowCoarse", {Array::scalar(5), h}).values(), (std::vector<double>{3, 4}));
}

TEST(SingleStage, StagesReconstructForOrthonormalFilters) {
  for (int m = 2; m <= 20; m += 6) {
    const auto h = Array::row(orthonormal_filter(m, m));
    for (std::size_t n : {2u, 8u, 32u}) {
      const auto x = Array::column(random_vector(n, static_cast<unsigned>(n + m)));
      const auto y1 = run("GrowCoarse", {run("HalveCoarse", {x, h}), h});
      const auto y2 = run("GrowDetail", {run("HalveDetail", {x, h}), h});
      std::vector<double> sum(n);
      for (std::size_t i = 0; i < n; ++i) sum[i] = y1[i] + y2[i];
      EXPECT_LT(max_abs_diff(sum, x.values()), 1e-13) << "m=" << m << " n=" << n;
    }
  }
}

TEST(SingleStage, EmptyFilterGivesZeros) {
  const auto x = Array::row({1, 2, 3, 4});
  for (const char* p : {"HalveCoarse", "HalveDetail"})
    EXPECT_EQ(run(p, {x, Array::empty()}).values(), std::vector<double>(2, 0.0));
  for (const char* p : {"GrowCoarse", "GrowDetail"})
    EXPECT_EQ(run(p, {x, Array::matrix(0, 3)}).values(), std::vector<double>(8, 0.0));
}

TEST(CircSplit, HaarWorkedExample) {
  const auto x = Array::column({1, 2, 3, 4}), h = Array::row(haar());
  const std::vector<std::vector<double>> want{
      {5, 2, 1 / r2, 1 / r2}, {3 / r2, 7 / r2, 1 / r2, 1 / r2}, {1, 2, 3, 4}};
  for (int L = 0; L <= 2; ++L) {
    const auto w = run("CircSplit", {x, Array::scalar(L), h});
    EXPECT_EQ(w.rows(), 4u);
    EXPECT_LT(max_abs_diff(w.values(), want[L]), 1e-14) << "L=" << L;
  }
}

TEST(CircSplit, LevelIsRoundedToNearestAndBounded) {
  const auto x = Array::column(random_vector(16, 5)), h = Array::row(orthonormal_filter(4, 2));
  auto at = [&](double L) { return run("CircSplit", {x, Array::scalar(L), h}).values(); };
  EXPECT_EQ(at(0.6), at(1));
  EXPECT_EQ(at(0.4), at(0));
  EXPECT_EQ(at(2.5), at(3));
  EXPECT_EQ(at(-0.7), at(-1));
  EXPECT_EQ(at(-3), at(0));         // extra stages below level 0 change nothing
  EXPECT_EQ(at(4), x.values());     // L = J
  EXPECT_EQ(at(1e12), x.values());  // far beyond J, and beyond int
  EXPECT_EQ(at(-1e12), at(0));
  // A one-tap filter too: levels below 0 are level 0.
  const auto h1 = Array::scalar(0.5);
  EXPECT_EQ(run("CircSplit", {x, Array::scalar(-2), h1}).values(),
            run("CircSplit", {x, Array::scalar(0), h1}).values());
}

TEST(CircSplit, ReconstructsForEveryLevelAndFilterLength) {
  for (int m = 2; m <= 20; m += 2) {
    const auto h = Array::row(orthonormal_filter(m, 40 + m));
    for (std::size_t n : {1u, 2u, 16u, 64u}) {
      const auto x = Array::column(random_vector(n, static_cast<unsigned>(m * n)));
      int J = 0;
      while ((std::size_t(1) << J) < n) ++J;
      for (int L = 0; L <= J; ++L) {
        const auto Ls = Array::scalar(L);
        const auto w = run("CircSplit", {x, Ls, h});
        EXPECT_NEAR(energy(w.data(), n), energy(x.data(), n), 1e-12);
        const auto y = run("CircJoin", {w, Ls, h});
        EXPECT_LT(max_abs_diff(y.values(), x.values()), 1e-12)
            << "m=" << m << " n=" << n << " L=" << L;
      }
    }
  }
}

// The layout of both plug-ins against stages written from their formulas,
// bit for bit, on blocks long enough for the vector paths and with several
// columns: details of level j at 2^j .. 2^(j+1)-1, the coarse part first.
TEST(CircSplit, MatchesStageByStageTranscriptionBitForBit) {
  for (int m : {1, 4, 7, 20}) {
    const auto hv = random_vector(m, 70 + m);
    const auto h = Array::row(hv);
    const std::size_t n = 256, cols = 2;
    const auto X = Array::matrix(n, cols, random_vector(n * cols, 71 + m));
    for (int L : {0, 3, 8}) {
      const auto W = run("CircSplit", {X, Array::scalar(L), h});
      const auto Y = run("CircJoin", {W, Array::scalar(L), h});
      for (std::size_t c = 0; c < cols; ++c) {
        ref::Vec v(X.data() + c * n, X.data() + (c + 1) * n), want(n);
        for (std::size_t k = n; k > (std::size_t(1) << L); k /= 2) {
          const auto d = ref::hi(v, hv);
          std::copy(d.begin(), d.end(), want.begin() + k / 2);
          v = ref::lo(v, hv);
        }
        std::copy(v.begin(), v.end(), want.begin());
        const ref::Vec got(W.data() + c * n, W.data() + (c + 1) * n);
        EXPECT_EQ(std::memcmp(got.data(), want.data(), n * 8), 0) << "m=" << m << " L=" << L;
        // The inverse: coarse part rebuilt stage by stage from the same layout.
        ref::Vec a(got.begin(), got.begin() + (std::size_t(1) << L));
        for (std::size_t k = a.size(); k < n; k *= 2) {
          const auto u = ref::up_lo(a, hv);
          const auto e = ref::up_hi(ref::Vec(got.begin() + k, got.begin() + 2 * k), hv);
          a.assign(2 * k, 0.0);
          for (std::size_t p = 0; p < 2 * k; ++p) a[p] = u[p] + e[p];
        }
        EXPECT_EQ(std::memcmp(Y.data() + c * n, a.data(), n * 8), 0) << "m=" << m << " L=" << L;
      }
    }
  }
}

TEST(CircJoin, LevelsOutsideTheRangeActAsTheNearestEnd) {
  const auto x = Array::column(random_vector(16, 9)), h = Array::row(orthonormal_filter(8, 3));
  for (double L : {-5.0, -1.0, 5.0, 1e12, -1e12}) {
    const auto Ls = Array::scalar(L);
    const auto y = run("CircJoin", {run("CircSplit", {x, Ls, h}), Ls, h});
    EXPECT_LT(max_abs_diff(y.values(), x.values()), 1e-13) << "L=" << L;
  }
  EXPECT_EQ(run("CircJoin", {x, Array::scalar(9), h}).values(), x.values());
}

TEST(CircSplit, EveryColumnIsASignalAndARowIsOne) {
  const auto h = Array::row(orthonormal_filter(6, 8));
  const auto X = Array::matrix(8, 3, random_vector(24, 4));
  const auto W = run("CircSplit", {X, Array::scalar(1), h});
  ASSERT_EQ(W.rows(), 8u);
  ASSERT_EQ(W.cols(), 3u);
  for (std::size_t c = 0; c < 3; ++c) {
    const std::vector<double> col(X.data() + 8 * c, X.data() + 8 * c + 8);
    const auto w = run("CircSplit", {Array::column(col), Array::scalar(1), h});
    EXPECT_EQ(std::vector<double>(W.data() + 8 * c, W.data() + 8 * c + 8), w.values());
    const auto wr = run("CircSplit", {Array::row(col), Array::scalar(1), h});
    EXPECT_EQ(wr.rows(), 1u);
    EXPECT_EQ(wr.values(), w.values());
  }
  const auto Y = run("CircJoin", {W, Array::scalar(1), h});
  EXPECT_EQ(Y.cols(), 3u);
  EXPECT_LT(max_abs_diff(Y.values(), X.values()), 1e-13);
}

TEST(CircSplit, SingleValueAndEmptyFilter) {
  const auto one = Array::scalar(7), h = Array::row(haar());
  EXPECT_EQ(run("CircSplit", {one, Array::scalar(0), h}).values(), (std::vector<double>{7}));
  EXPECT_EQ(run("CircJoin", {one, Array::scalar(0), h}).values(), (std::vector<double>{7}));
  const auto x = Array::row({1, 2, 3, 4});
  EXPECT_EQ(run("CircSplit", {x, Array::scalar(0), Array::empty()}).values(),
            std::vector<double>(4, 0.0));
  EXPECT_EQ(run("CircJoin", {x, Array::scalar(0), Array::empty()}).values(),
            std::vector<double>(4, 0.0));
}

}  // namespace
}  // namespace tfmex::test
