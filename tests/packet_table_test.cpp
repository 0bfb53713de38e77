// PacketSplit and PacketJoin through the embedded host: the worked example,
// the packet order against a filter-path transcription, bit for bit, the
// adjoint relation, energy per column, reconstruction, depth checks, shapes
// and messages.
#include <cstddef>
#include "stage_reference.h"
#include "support.h"

namespace tfmex::test {
namespace {

using ref::Vec;

// Packet k of column d straight from its definition: the filters met from
// column 0 are the d bits of k XOR floor(k/2), stage 1 most significant,
// 0 for the low-pass and 1 for the high-pass filter.
Vec ref_table(const Vec& x, int D, const Vec& h) {
  const int n = static_cast<int>(x.size());
  Vec T(static_cast<std::size_t>(n) * (D + 1));
  ref::put(T, n, 0, 0, x);
  for (int d = 1; d <= D; ++d) {
    for (int k = 0; k < (1 << d); ++k) {
      const int path = k ^ (k >> 1);
      Vec v = x;
      for (int s = 1; s <= d; ++s) v = ((path >> (d - s)) & 1) ? ref::hi(v, h) : ref::lo(v, h);
      ref::put(T, n, d, k * (n >> d), v);
    }
  }
  return T;
}

// Y_i[k] = T_i[k] + UpLo(Y_(i+1)[2k + k mod 2]) + UpHi(Y_(i+1)[2k + 1 - k mod 2]),
// Y_D = column D; the result is Y_0.
Vec ref_join(const Vec& T, int n, int D, int i, int k, const Vec& h) {
  const int len = n >> i;
  Vec y = ref::block(T, n, i, k * len, len);
  if (i == D) return y;
  const Vec a = ref::up_lo(ref_join(T, n, D, i + 1, 2 * k + k % 2, h), h);
  const Vec w = ref::up_hi(ref_join(T, n, D, i + 1, 2 * k + 1 - k % 2, h), h);
  for (int t = 0; t < len; ++t) y[t] = (y[t] + a[t]) + w[t];
  return y;
}

int log2i(int n) {
  int J = 0;
  while ((1 << J) < n) ++J;
  return J;
}

TEST(PacketTable, WorkedExample) {
  const Array x = Array::row({1, 2, 3, 4, 5, 6, 7, 8});
  const Array T = run("PacketSplit", {x, Array::scalar(2), Array::row(haar())});
  ASSERT_EQ(T.rows(), 8u);
  ASSERT_EQ(T.cols(), 3u);
  Vec want{1, 2, 3, 4, 5, 6, 7, 8, 3, 7, 11, 15, 1, 1, 1, 1, 5, 13, 2, 2, 0, 0, 1, 1};
  for (int i = 8; i < 16; ++i) want[i] /= M_SQRT2;
  EXPECT_LT(max_abs_diff(T.values(), want), 1e-14);
  const Array y = run("PacketJoin", {T, Array::row(haar())});
  ASSERT_EQ(y.rows(), 1u);
  Vec three(8);
  for (int i = 0; i < 8; ++i) three[i] = 3.0 * (i + 1);
  EXPECT_LT(max_abs_diff(y.values(), three), 1e-13);
}

TEST(PacketTable, BothDirectionsMatchThePacketFormulasBitForBit) {
  unsigned seed = 900;
  for (int n : {1, 2, 4, 8, 16, 32}) {
    const int J = log2i(n);
    for (int m : {0, 1, 2, 3, 4, 5, 8, 20}) {  // 20 taps on blocks of 2 at the last stage
      const Vec h = random_vector(m, ++seed), x = random_vector(n, ++seed);
      const Array hf = m == 0 ? Array::empty() : Array::column(h);
      for (int D = 0; D <= J; ++D) {
        SCOPED_TRACE("n=" + std::to_string(n) + " m=" + std::to_string(m) +
                     " D=" + std::to_string(D));
        const Array T = run("PacketSplit", {Array::row(x), Array::scalar(D), hf});
        ASSERT_EQ(T.cols(), static_cast<std::size_t>(D + 1));
        EXPECT_TRUE(ref::bit_equal(T.values(), ref_table(x, D, h)));
        const Vec R = random_vector(static_cast<std::size_t>(n) * (D + 1), ++seed);
        const Array y = run("PacketJoin", {Array::matrix(n, D + 1, R), hf});
        EXPECT_TRUE(ref::bit_equal(y.values(), ref_join(R, n, D, 0, 0, h)));
      }
    }
  }
}

TEST(PacketTable, JoinIsTheAdjointOfSplit) {
  // <PacketSplit(x), T> = <x, PacketJoin(T)> for any filter and any table.
  const int n = 32;
  for (int m : {3, 8, 13}) {
    const Array h = Array::row(random_vector(m, 70 + m));
    const Vec x = random_vector(n, 80 + m);
    for (int D = 0; D <= 5; ++D) {
      const Vec R = random_vector(static_cast<std::size_t>(n) * (D + 1), 90 + D);
      const Vec T = run("PacketSplit", {Array::column(x), Array::scalar(D), h}).values();
      const Vec y = run("PacketJoin", {Array::matrix(n, D + 1, R), h}).values();
      double left = 0, right = 0;
      for (std::size_t i = 0; i < T.size(); ++i) left += T[i] * R[i];
      for (int i = 0; i < n; ++i) right += x[i] * y[i];
      EXPECT_NEAR(left, right, 1e-9 * (1 + std::fabs(left))) << "m=" << m << " D=" << D;
    }
  }
}

TEST(PacketTable, OrthonormalFiltersKeepEnergyAndReconstruct) {
  const int n = 32, J = 5;
  const Vec x = random_vector(n, 33);
  const double ex = energy(x.data(), n);
  for (int m = 2; m <= 20; m += 2) {
    const Array h = Array::row(orthonormal_filter(m, 60 + m));
    for (int D = 0; D <= J; ++D) {
      SCOPED_TRACE("m=" + std::to_string(m) + " D=" + std::to_string(D));
      const Array T = run("PacketSplit", {Array::column(x), Array::scalar(D), h});
      for (int d = 0; d <= D; ++d) EXPECT_NEAR(energy(T.data() + d * n, n), ex, 1e-11) << d;
      const Array y = run("PacketJoin", {T, h});
      ASSERT_EQ(y.rows(), 1u);
      for (int i = 0; i < n; ++i) EXPECT_NEAR(y[i], (D + 1) * x[i], 1e-12) << i;
      // A table that is zero outside column D gives back x.
      Vec only(T.values());
      std::fill(only.begin(), only.begin() + static_cast<std::ptrdiff_t>(D) * n, 0.0);
      EXPECT_LT(max_abs_diff(run("PacketJoin", {Array::matrix(n, D + 1, only), h}).values(), x),
                1e-12);
    }
  }
}

TEST(PacketTable, DepthsShapesAndRounding) {
  const Vec x = random_vector(8, 3);
  const Array h = Array::row(orthonormal_filter(6, 2));
  auto width = [&](double D) {
    return run("PacketSplit", {Array::column(x), Array::scalar(D), h}).cols();
  };
  EXPECT_EQ(width(1.5), 3u);
  EXPECT_EQ(width(1.49), 2u);
  EXPECT_EQ(width(-0.5), 1u);
  EXPECT_EQ(width(3), 4u);
  const Array T = run("PacketSplit", {Array::row(x), Array::scalar(0), h});
  EXPECT_EQ(T.rows(), 8u);
  EXPECT_EQ(T.values(), x);
  const Array y = run("PacketJoin", {Array::column(x), h});
  EXPECT_EQ(y.rows(), 1u);
  EXPECT_EQ(y.values(), x);
  Vec M = x;
  M.resize(16, -4.0);
  const Vec a = run("PacketSplit", {Array::row(x), Array::scalar(2), h}).values();
  EXPECT_EQ(run("PacketSplit", {Array::column(x), Array::scalar(2), h}).values(), a);
  EXPECT_EQ(run("PacketSplit", {Array::matrix(8, 2, M), Array::scalar(2), h}).values(), a);
  EXPECT_EQ(run("PacketSplit", {Array::scalar(4), Array::scalar(0), h}).values(), Vec{4});
}

TEST(PacketTable, MessagesInTheirOrder) {
  const Array x = Array::row(random_vector(8, 1)), D = Array::scalar(1), h = Array::row(haar());
  const std::string size = "PacketSplit requires arrays of fewer than 2^31 elements";
  const std::string below = "PacketSplit requires D >= 0",
                    above = "PacketSplit requires D < log_2(n)";
  EXPECT_EQ(message("PacketSplit", {x, D}, 2), "PacketSplit requires three input arguments.");
  EXPECT_EQ(message("PacketSplit", {x, D, h}, 0), "PacketSplit requires one output argument.");
  EXPECT_EQ(message("PacketSplit", {x, D, h}, 2), "PacketSplit requires one output argument.");
  EXPECT_EQ(message("PacketSplit", {Array::of_class(ClassId::Int32, 1, 8), D, h}),
            "PacketSplit requires real double arguments");
  EXPECT_EQ(message("PacketSplit", {x, D, Array::of_class(ClassId::Double, 2, 1, false, true)}),
            "PacketSplit requires real double arguments");
  EXPECT_EQ(message("PacketSplit", {Array::phantom(1u << 31, 2), Array::scalar(NAN), h}), size);
  EXPECT_EQ(message("PacketSplit", {Array::phantom(1u << 29, 1), D, h}), size);  // 4 n workspace
  EXPECT_EQ(message("PacketSplit", {Array::phantom(1u << 28, 1), Array::scalar(28), h}), size);
  EXPECT_EQ(message("PacketSplit", {Array::column(random_vector(12, 2)), Array::scalar(NAN), h}),
            "PacketSplit requires dyadic length");
  for (const Array& bad : {Array::scalar(-INFINITY), Array::scalar(NAN), Array::empty()})
    EXPECT_EQ(message("PacketSplit", {x, bad, h}), "PacketSplit requires finite scalar arguments");
  for (double d : {-1.0, -0.51, -2147483649.0, -1e300})
    EXPECT_EQ(message("PacketSplit", {x, Array::scalar(d), h}), below) << d;
  for (double d : {4.0, 3.5, 2147483647.0, 4294967296.0, 1e300})
    EXPECT_EQ(message("PacketSplit", {x, Array::scalar(d), h}), above) << d;
  EXPECT_EQ(message("PacketSplit", {Array::phantom(1u << 28, 1), Array::scalar(1e300), h}), above);

  const Array T = Array::matrix(8, 2);
  EXPECT_EQ(message("PacketJoin", {T, h, h}, 0), "PacketJoin requires two input arguments.");
  EXPECT_EQ(message("PacketJoin", {T, h}, 2), "PacketJoin requires one output argument.");
  EXPECT_EQ(message("PacketJoin", {T, Array::of_class(ClassId::Double, 1, 2, true)}),
            "PacketJoin requires real double arguments");
  EXPECT_EQ(message("PacketJoin", {Array::phantom(1u << 30, 2), h}),
            "PacketJoin requires arrays of fewer than 2^31 elements");
  EXPECT_EQ(message("PacketJoin", {Array::matrix(12, 2), h}), "PacketJoin requires dyadic length");
  EXPECT_EQ(message("PacketJoin", {Array::matrix(8, 5), h}), "PacketJoin requires D <= log_2(n)");
  EXPECT_EQ(message("PacketJoin", {Array::phantom(2, 1073741823u), h}),
            "PacketJoin requires D <= log_2(n)");
  EXPECT_EQ(message("PacketJoin", {Array::matrix(4, 0), h}), "PacketJoin requires D >= 0");
}

}  // namespace
}  // namespace tfmex::test
