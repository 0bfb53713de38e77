// The periodized filter kernels against a plain transcription of their
// formulas (every index reduced modulo the block), bit for bit.
#include <cstddef>
#include <cstring>

#include "kernel_paths.h"
#include "kernels/periodized/periodized.h"
#include "support.h"

namespace tfmex::test {
namespace {

namespace pk = tfmex::periodized;

int mod(std::ptrdiff_t k, int n) { return static_cast<int>(((k % n) + n) % n); }

std::vector<double> ref_downlo(const std::vector<double>& x, const std::vector<double>& h) {
  const int n = static_cast<int>(x.size());
  std::vector<double> y(n / 2);
  for (int i = 0; i < n / 2; ++i) {
    double s = 0.0;
    for (std::size_t j = 0; j < h.size(); ++j)
      s += h[j] * x[mod(2 * i + static_cast<std::ptrdiff_t>(j), n)];
    y[i] = s;
  }
  return y;
}

std::vector<double> ref_downhi(const std::vector<double>& x, const std::vector<double>& g) {
  const int n = static_cast<int>(x.size());
  std::vector<double> y(n / 2);
  for (int i = 0; i < n / 2; ++i) {
    double s = 0.0;
    for (std::size_t j = 0; j < g.size(); ++j)
      s += g[j] * x[mod(2 * i + 1 - static_cast<std::ptrdiff_t>(j), n)];
    y[i] = s;
  }
  return y;
}

std::vector<double> ref_uplo(const std::vector<double>& x, const std::vector<double>& h) {
  const int n = static_cast<int>(x.size());
  std::vector<double> y(2 * n);
  for (int p = 0; p < 2 * n; ++p) {
    double s = 0.0;
    for (int t = p % 2; t < static_cast<int>(h.size()); t += 2) s += h[t] * x[mod((p - t) / 2, n)];
    y[p] = s;
  }
  return y;
}

std::vector<double> ref_uphi(const std::vector<double>& x, const std::vector<double>& g) {
  const int n = static_cast<int>(x.size());
  std::vector<double> y(2 * n);
  for (int p = 0; p < 2 * n; ++p) {
    double s = 0.0;
    for (int t = 1 - p % 2; t < static_cast<int>(g.size()); t += 2)
      s += g[t] * x[mod((p + t - 1) / 2, n)];
    y[p] = s;
  }
  return y;
}

// Output buffer with sentinels on both sides, to catch writes outside y.
struct Guarded {
  explicit Guarded(std::size_t n) : buf(n + 8, 12345.0) {}
  double* data() { return buf.data() + 4; }
  std::vector<double> values() const { return {buf.begin() + 4, buf.end() - 4}; }
  bool intact() const {
    for (int i = 0; i < 4; ++i)
      if (buf[i] != 12345.0 || buf[buf.size() - 1 - i] != 12345.0) return false;
    return true;
  }
  std::vector<double> buf;
};

bool bit_equal(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * 8) == 0);
}

TEST(PeriodizedKernels, MatchPlainFormulasBitForBit) {
  unsigned seed = 1;
  for (int n : {1, 2, 4, 6, 8, 16, 32, 64}) {
    for (int m = 0; m <= 4 * n + 5; ++m) {
      const auto x = random_vector(n, ++seed);
      const auto h = random_vector(m, ++seed);
      SCOPED_TRACE("n=" + std::to_string(n) + " m=" + std::to_string(m));
      Guarded lo(n / 2), hi(n / 2), ulo(2 * n), uhi(2 * n);
      pk::downlo(x.data(), n, h.data(), m, lo.data());
      pk::downhi(x.data(), n, h.data(), m, hi.data());
      pk::uplo(x.data(), n, h.data(), m, ulo.data());
      pk::uphi(x.data(), n, h.data(), m, uhi.data());
      EXPECT_TRUE(bit_equal(lo.values(), ref_downlo(x, h)));
      EXPECT_TRUE(bit_equal(hi.values(), ref_downhi(x, h)));
      EXPECT_TRUE(bit_equal(ulo.values(), ref_uplo(x, h)));
      EXPECT_TRUE(bit_equal(uhi.values(), ref_uphi(x, h)));
      EXPECT_TRUE(lo.intact() && hi.intact() && ulo.intact() && uhi.intact());
    }
  }
}

// Every path over blocks long enough for the vector loops, odd and even
// filter lengths, filters longer than the block, and block lengths that leave
// partial vector blocks at either end. downboth is checked against the same
// formulas with a high-pass filter unrelated to the low-pass one, so that a
// swapped filter or half shows.
TEST(PeriodizedKernels, EveryPathMatchesPlainFormulasOnLongBlocks) {
  unsigned seed = 500;
  for (KernelPath path : every_path()) {
    PathGuard guard(path);
    SCOPED_TRACE(path_name(path));
    for (int n : {34, 66, 96, 128, 130, 250, 512, 1024, 2050, 4096 + 66}) {
      for (int m : {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  12,       16,
                    19, 20, 21, 33, 40, 64, 65, 66, 67, 80, 3 * n + 1}) {
        const auto x = random_vector(n, ++seed);
        const auto h = random_vector(m, ++seed);
        const auto g = random_vector(m, ++seed);
        SCOPED_TRACE("n=" + std::to_string(n) + " m=" + std::to_string(m));
        Guarded lo(n / 2), hi(n / 2), ulo(2 * n), uhi(2 * n), blo(n / 2), bhi(n / 2);
        pk::downlo(x.data(), n, h.data(), m, lo.data());
        pk::downhi(x.data(), n, h.data(), m, hi.data());
        pk::uplo(x.data(), n, h.data(), m, ulo.data());
        pk::uphi(x.data(), n, h.data(), m, uhi.data());
        pk::downboth(x.data(), n, h.data(), g.data(), m, blo.data(), bhi.data());
        ASSERT_TRUE(bit_equal(lo.values(), ref_downlo(x, h)));
        ASSERT_TRUE(bit_equal(hi.values(), ref_downhi(x, h)));
        ASSERT_TRUE(bit_equal(ulo.values(), ref_uplo(x, h)));
        ASSERT_TRUE(bit_equal(uhi.values(), ref_uphi(x, h)));
        ASSERT_TRUE(bit_equal(blo.values(), ref_downlo(x, h)));
        ASSERT_TRUE(bit_equal(bhi.values(), ref_downhi(x, g)));
        ASSERT_TRUE(lo.intact() && hi.intact() && ulo.intact() && uhi.intact() && blo.intact() &&
                    bhi.intact());
      }
    }
  }
}

// downboth on short blocks, where its vector part is empty or a single block
// and filters wrap several times, on every path.
TEST(PeriodizedKernels, DownBothOnShortBlocksEveryPath) {
  unsigned seed = 7000;
  for (KernelPath path : every_path()) {
    PathGuard guard(path);
    for (int n = 1; n <= 80; ++n) {
      for (int m = 0; m <= 2 * n + 5; ++m) {
        const auto x = random_vector(n, ++seed);
        const auto h = random_vector(m, ++seed);
        const auto g = random_vector(m, ++seed);
        Guarded lo(n / 2), hi(n / 2);
        pk::downboth(x.data(), n, h.data(), g.data(), m, lo.data(), hi.data());
        ASSERT_TRUE(bit_equal(lo.values(), ref_downlo(x, h)))
            << path_name(path) << " n=" << n << " m=" << m;
        ASSERT_TRUE(bit_equal(hi.values(), ref_downhi(x, g)))
            << path_name(path) << " n=" << n << " m=" << m;
        ASSERT_TRUE(lo.intact() && hi.intact());
      }
    }
  }
}

// Signed zeros and exact cancellations: every sum starts from +0.0, so a
// product of -0.0 alone gives +0.0 on either path, and no lane may start from
// its first product instead.
TEST(PeriodizedKernels, EveryPathKeepsSignedZeros) {
  for (KernelPath path : every_path()) {
    PathGuard guard(path);
    const int n = 256;
    std::vector<double> x(n, -0.0), h{1.0, 0.0, -1.0, 2.0, 0.0};
    for (int i = 0; i < n; i += 7) x[i] = 1e300;
    for (int m : {1, 2, 5}) {
      std::vector<double> hm(h.begin(), h.begin() + m);
      Guarded lo(n / 2), hi(n / 2), ulo(2 * n), uhi(2 * n), blo(n / 2), bhi(n / 2);
      pk::downlo(x.data(), n, hm.data(), m, lo.data());
      pk::downhi(x.data(), n, hm.data(), m, hi.data());
      pk::uplo(x.data(), n, hm.data(), m, ulo.data());
      pk::uphi(x.data(), n, hm.data(), m, uhi.data());
      pk::downboth(x.data(), n, hm.data(), hm.data(), m, blo.data(), bhi.data());
      EXPECT_TRUE(bit_equal(lo.values(), ref_downlo(x, hm))) << m;
      EXPECT_TRUE(bit_equal(hi.values(), ref_downhi(x, hm))) << m;
      EXPECT_TRUE(bit_equal(blo.values(), ref_downlo(x, hm))) << m;
      EXPECT_TRUE(bit_equal(bhi.values(), ref_downhi(x, hm))) << m;
      EXPECT_TRUE(bit_equal(ulo.values(), ref_uplo(x, hm))) << m;
      EXPECT_TRUE(bit_equal(uhi.values(), ref_uphi(x, hm))) << m;
    }
  }
}

TEST(PeriodizedKernels, HaarWorkedExample) {
  const std::vector<double> x{1, 2, 3, 4}, h = haar();
  std::vector<double> g(2), a(2), d(2), ya(4), yd(4);
  pk::mirrorfilt(h.data(), g.data(), 2);
  pk::downlo(x.data(), 4, h.data(), 2, a.data());
  pk::downhi(x.data(), 4, g.data(), 2, d.data());
  EXPECT_NEAR(a[0], 3 / M_SQRT2, 1e-15);
  EXPECT_NEAR(a[1], 7 / M_SQRT2, 1e-15);
  EXPECT_NEAR(d[0], 1 / M_SQRT2, 1e-15);
  EXPECT_NEAR(d[1], 1 / M_SQRT2, 1e-15);
  pk::uplo(a.data(), 2, h.data(), 2, ya.data());
  pk::uphi(d.data(), 2, g.data(), 2, yd.data());
  const std::vector<double> want_a{1.5, 1.5, 3.5, 3.5}, want_d{-0.5, 0.5, -0.5, 0.5};
  EXPECT_LT(max_abs_diff(ya, want_a), 1e-15);
  EXPECT_LT(max_abs_diff(yd, want_d), 1e-15);
  pk::adddouble(ya.data(), yd.data(), 4, ya.data());  // may write onto an input
  EXPECT_LT(max_abs_diff(ya, x), 1e-15);
}

TEST(PeriodizedKernels, FilterLongerThanBlockWrapsAsOftenAsNeeded) {
  const std::vector<double> x{3, 5}, h{1, 10, 100, 1000};
  double lo = 0, hi = 0;
  pk::downlo(x.data(), 2, h.data(), 4, &lo);
  pk::downhi(x.data(), 2, h.data(), 4, &hi);
  EXPECT_EQ(lo, 1 * 3 + 10 * 5 + 100 * 3 + 1000 * 5);
  EXPECT_EQ(hi, 1 * 5 + 10 * 3 + 100 * 5 + 1000 * 3);
}

TEST(PeriodizedKernels, ShortFilters) {
  const std::vector<double> x{2, -3, 5, 7};
  const double h0 = 0.5;
  std::vector<double> y(8, 99.0), d(2, 99.0);
  pk::uplo(x.data(), 4, &h0, 1, y.data());
  EXPECT_EQ(y, (std::vector<double>{1, 0, -1.5, 0, 2.5, 0, 3.5, 0}));
  pk::downlo(x.data(), 4, &h0, 1, d.data());
  EXPECT_EQ(d, (std::vector<double>{1, 2.5}));
  // No taps: empty sums give zeros and nothing is read from the filter.
  pk::uplo(x.data(), 4, nullptr, 0, y.data());
  pk::uphi(x.data(), 4, nullptr, 0, y.data());
  EXPECT_EQ(y, std::vector<double>(8, 0.0));
  pk::downlo(x.data(), 4, nullptr, 0, d.data());
  pk::downhi(x.data(), 4, nullptr, 0, d.data());
  EXPECT_EQ(d, std::vector<double>(2, 0.0));
}

TEST(PeriodizedKernels, OneStageIsOrthogonalForOrthonormalFilters) {
  for (int m = 2; m <= 20; m += 2) {
    const auto h = orthonormal_filter(m, 100 + m);
    // The lattice really gives double-shift orthonormality.
    for (int k = 0; 2 * k < m; ++k) {
      double s = 0;
      for (int j = 0; j + 2 * k < m; ++j) s += h[j] * h[j + 2 * k];
      EXPECT_NEAR(s, k == 0 ? 1.0 : 0.0, 1e-14);
    }
    std::vector<double> g(m);
    pk::mirrorfilt(h.data(), g.data(), m);
    for (int n = 2; n <= 32; n *= 2) {
      const auto v = random_vector(n, 7 * m + n);
      std::vector<double> a(n / 2), w(n / 2), ya(n), yw(n), back(n);
      pk::downlo(v.data(), n, h.data(), m, a.data());
      pk::downhi(v.data(), n, g.data(), m, w.data());
      pk::uplo(a.data(), n / 2, h.data(), m, ya.data());
      pk::uphi(w.data(), n / 2, g.data(), m, yw.data());
      pk::adddouble(ya.data(), yw.data(), n, back.data());
      EXPECT_LT(max_abs_diff(back, v), 1e-13) << "m=" << m << " n=" << n;
      EXPECT_NEAR(energy(a.data(), n / 2) + energy(w.data(), n / 2), energy(v.data(), n), 1e-13);
    }
  }
}

TEST(PeriodizedKernels, VectorRoutines) {
  const std::vector<double> h{1, 2, 3, 4};
  std::vector<double> g(4);
  pk::mirrorfilt(h.data(), g.data(), 4);
  EXPECT_EQ(g, (std::vector<double>{1, -2, 3, -4}));
  std::vector<double> a{1, 2}, b{10, 20};
  pk::copyadd(b.data(), a.data(), 2);
  EXPECT_EQ(a, (std::vector<double>{11, 22}));
  pk::copydouble(b.data(), a.data(), 0);  // n = 0 does nothing
  EXPECT_EQ(a, (std::vector<double>{11, 22}));
}

}  // namespace
}  // namespace tfmex::test
