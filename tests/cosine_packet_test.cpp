// BellSplit and BellJoin through the embedded host: the table against a
// direct computation (fold by the formulas, type-IV cosine sums in long
// double), energy per column, the two extreme depths, reconstruction from
// one column and from the whole table, shapes, the depth rounding and range,
// and the messages in their order.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "kernel_paths.h"
#include "kernels/trig/exact_sincos.h"
#include "kernels/trig/trig.h"
#include "support.h"

namespace tfmex::test {
namespace {

using Vec = std::vector<double>;
using LD = long double;

int log2i(std::size_t n) {
  int J = 0;
  while ((std::size_t{1} << J) < n) ++J;
  return J;
}

// Column d of the table of depth D: every block folded with the signal values
// on either side of it (the two outer ends of the signal unchanged), then
// out[j] = sqrt(2/f) sum_i v[i] cos(pi (2i+1)(2j+1) / (4f)).
Vec direct_table(const Vec& x, int D) {
  const std::ptrdiff_t n = static_cast<std::ptrdiff_t>(x.size()), m = (n >> D) / 2;
  Vec T(static_cast<std::size_t>(n) * (D + 1));
  for (int d = 0; d <= D; ++d) {
    const std::ptrdiff_t f = n >> d;
    for (std::ptrdiff_t s = 0; s < n; s += f) {
      std::vector<LD> v(x.begin() + s, x.begin() + s + f);
      for (std::ptrdiff_t k = 0; k < m; ++k) {
        const LD bp = sinl(((k + 0.5L) / m + 1) * M_PIl / 4), bm = sqrtl(1 - bp * bp);
        if (s > 0) v[k] = bp * x[s + k] + bm * x[s - 1 - k];
        if (s + f < n) v[f - 1 - k] = bp * x[s + f - 1 - k] - bm * x[s + f + k];
      }
      for (std::ptrdiff_t j = 0; j < f; ++j) {
        LD sum = 0;
        for (std::ptrdiff_t i = 0; i < f; ++i)
          sum += v[i] * cosl(M_PIl * (2 * i + 1) * (2 * j + 1) / (4 * f));
        T[d * n + s + j] = static_cast<double>(sqrtl(2.0L / f) * sum);
      }
    }
  }
  return T;
}

Vec column(const Array& T, int d) {
  const auto v = T.values();
  return Vec(v.begin() + d * T.rows(), v.begin() + (d + 1) * T.rows());
}

Vec scaled(const Vec& x, double a) {
  Vec y = x;
  for (double& v : y) v *= a;
  return y;
}

TEST(CosinePackets, TableMatchesTheDirectComputationInEveryShape) {
  for (int n : {1, 2, 4, 8, 32, 256}) {
    const int J = log2i(n);
    const Vec x = random_vector(n, 300 + n);
    for (int D = 0; D <= J; ++D) {
      SCOPED_TRACE(testing::Message() << "n " << n << " D " << D);
      const Array T = run("BellSplit", {Array::row(x), Array::scalar(D), Array::scalar(0)});
      ASSERT_EQ(T.rows(), static_cast<std::size_t>(n));
      ASSERT_EQ(T.cols(), static_cast<std::size_t>(D + 1));
      EXPECT_LT(max_abs_diff(T.values(), direct_table(x, D)), 3e-14);
      for (int d = 0; d <= D; ++d) {
        const Vec c = column(T, d);
        EXPECT_NEAR(energy(c.data(), n), energy(x.data(), n), 1e-14 * n) << d;
      }
      // A column, or the first column of a matrix, gives the same doubles.
      EXPECT_EQ(run("BellSplit", {Array::column(x), Array::scalar(D), Array::empty()}).values(),
                T.values());
      Vec wide = x;
      wide.resize(3 * n, 5.0);
      if (n > 1) {
        EXPECT_EQ(run("BellSplit", {Array::matrix(n, 3, wide), Array::scalar(D), Array::scalar(0)})
                      .values(),
                  T.values());
      }
    }
  }
}

TEST(CosinePackets, ExtremeDepths) {
  const Vec x = random_vector(128, 41);
  // D = J: no folding, blocks of one value, each the value itself to rounding.
  const Array fine = run("BellSplit", {Array::row(x), Array::scalar(7), Array::scalar(0)});
  EXPECT_LT(max_abs_diff(column(fine, 7), x), 4 * DBL_EPSILON);
  // D = 0: the fold against the edge buffer alone is the identity, so the
  // column is the type-IV cosine transform of the signal.
  Vec want(128), work(8 * 128);
  tfmex::trig::trigc4(x.data(), want.data(), work.data(), 128);
  const Array coarse = run("BellSplit", {Array::row(x), Array::scalar(0), Array::scalar(0)});
  EXPECT_LT(max_abs_diff(coarse.values(), want), 1e-14);
}

TEST(CosinePackets, JoinRebuildsFromOneColumnOrSumsAllLevels) {
  for (int n : {1, 2, 16, 512}) {
    const int J = log2i(n);
    const Vec x = random_vector(n, 500 + n);
    for (int D : {0, J / 2, J}) {
      SCOPED_TRACE(testing::Message() << "n " << n << " D " << D);
      const Array T = run("BellSplit", {Array::column(x), Array::scalar(D), Array::scalar(0)});
      const Array all = run("BellJoin", {T});
      EXPECT_EQ(all.rows(), 1u);  // always a row
      EXPECT_EQ(all.cols(), static_cast<std::size_t>(n));
      EXPECT_LT(max_abs_diff(all.values(), scaled(x, D + 1)), 1e-14 * (D + 1) * (J + 2));
      for (int d = 0; d <= D; ++d) {
        Vec only(T.size(), 0.0);
        const Vec c = column(T, d);
        std::copy(c.begin(), c.end(), only.begin() + d * n);
        const Array y = run("BellJoin", {Array::matrix(n, D + 1, only), Array::scalar(1)});
        EXPECT_LT(max_abs_diff(y.values(), x), 1e-14 * (J + 2)) << d;
      }
    }
  }
}

TEST(CosinePackets, DepthIsReadByHalfUpTruncation) {
  const Array x = Array::row(random_vector(8, 7));
  const std::pair<double, std::size_t> cases[] = {{2.5, 4},  {-0.7, 1}, {-0.5, 1},
                                                  {-1.0, 1}, {0.49, 1}, {3.49, 4}};
  for (const auto& [D, cols] : cases)
    EXPECT_EQ(run("BellSplit", {x, Array::scalar(D), Array::scalar(0)}).cols(), cols) << D;
  // Only the first value of the depth is read.
  EXPECT_EQ(run("BellSplit", {x, Array::row({1, 99}), Array::scalar(0)}).cols(), 2u);
}

// The table and the synthesis step by step as the formulas state them: every
// block copied whole before its ends are folded or unfolded, every level's
// sum zeroed and then added into a zeroed result.
Vec plain_table(const Vec& x, int D) {
  const int n = static_cast<int>(x.size()), m = (n >> D) / 2;
  Vec bp(n), bm(n), edge(n), block(n), work(8 * n), T(static_cast<std::size_t>(n) * (D + 1));
  for (int k = 0; k < m; ++k) {
    bp[k] = tfmex::trig::sin_rn(((k + 0.5) / m + 1.0) * 3.141592653589793 * 0.25);
    bm[k] = std::sqrt(1.0 - bp[k] * bp[k]);
  }
  for (int d = D; d >= 0; --d) {
    const int f = n >> d;
    for (int s = 0; s < n; s += f) {
      if (s == 0)
        for (int k = 0; k < m; ++k) edge[f - 1 - k] = x[k] * (1.0 - bp[k]) / bm[k];
      if (s + f == n)
        for (int k = 0; k < m; ++k) edge[k] = -x[s + f - 1 - k] * (1.0 - bp[k]) / bm[k];
      const double* left = s == 0 ? edge.data() : &x[s - f];
      const double* right = s + f == n ? edge.data() : &x[s + f];
      for (int k = 0; k < f; ++k) block[k] = x[s + k];
      for (int k = 0; k < m; ++k) {
        block[k] = bp[k] * x[s + k] + bm[k] * left[f - 1 - k];
        block[f - 1 - k] = bp[k] * x[s + f - 1 - k] - bm[k] * right[k];
      }
      tfmex::trig::trigc4(block.data(), &T[static_cast<std::size_t>(d) * n + s], work.data(), f);
    }
  }
  return T;
}

Vec plain_join(const Vec& T, int n, int D) {
  const int m = (n >> D) / 2;
  Vec bp(n), bm(n), y(n), main(n), ls(n), rs(n), acc(n), out(n, 0.0), work(8 * n);
  for (int k = 0; k < m; ++k) {
    bp[k] = tfmex::trig::sin_rn(((k + 0.5) / m + 1.0) * 3.141592653589793 * 0.25);
    bm[k] = std::sqrt(1.0 - bp[k] * bp[k]);
  }
  for (int d = D; d >= 0; --d) {
    const int f = n >> d;
    for (double& a : acc) a = 0.0;
    for (int s = 0; s < n; s += f) {
      tfmex::trig::trigc4(&T[static_cast<std::size_t>(d) * n + s], y.data(), work.data(), f);
      for (int k = 0; k < f; ++k) main[k] = y[k];
      for (int k = 0; k < m; ++k) {
        ls[f - 1 - k] = y[k] * bm[k];
        rs[k] = y[f - 1 - k] * (bm[k] * -1.0);
        main[k] = bp[k] * y[k];
        main[f - 1 - k] = bp[k] * y[f - 1 - k];
      }
      for (int k = 0; k < f; ++k) acc[s + k] += main[k];
      for (int k = 0; k < m; ++k) {
        double& l = s == 0 ? acc[k] : acc[s - 1 - k];
        l = s == 0 ? l + l * (1.0 - bp[k]) / bp[k] : l + ls[f - 1 - k];
        double& r = s + f == n ? acc[s + f - 1 - k] : acc[s + f + k];
        r = s + f == n ? r + r * (1.0 - bp[k]) / bp[k] : r + rs[k];
      }
    }
    for (int k = 0; k < n; ++k) out[k] += acc[k];
  }
  return out;
}

bool same_bits(const Vec& a, const Vec& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), 8 * a.size()) == 0;
}

TEST(CosinePackets, SameDoublesAsThePlainSteps) {
  // Random signals and tables at every depth, zeros of both signs among
  // them; the cosine transform of the reference taken on every path.
  for (const auto path : tfmex::test::every_path()) {
    const tfmex::test::PathGuard guard(path);
    for (int n = 1; n <= 4096; n *= 2) {
      const int J = log2i(n);
      Vec x = random_vector(n, 900 + n);
      for (int k = 0; k < n; k += 7) x[k] = k % 2 ? -0.0 : 0.0;
      for (int D = 0; D <= J; ++D) {
        SCOPED_TRACE(testing::Message()
                     << tfmex::vector::path_name(path) << " n " << n << " D " << D);
        const Array T = run("BellSplit", {Array::row(x), Array::scalar(D), Array::scalar(0)});
        EXPECT_TRUE(same_bits(T.values(), plain_table(x, D)));
        Vec t = random_vector(static_cast<std::size_t>(n) * (D + 1), 1000 + n + D);
        for (std::size_t k = 0; k < t.size(); k += 5) t[k] = k % 2 ? -0.0 : 0.0;
        if (n > 2 && D > 0) std::fill(t.begin(), t.begin() + n, -0.0);  // a level of -0.0 alone
        EXPECT_TRUE(
            same_bits(run("BellJoin", {Array::matrix(n, D + 1, t)}).values(), plain_join(t, n, D)));
        EXPECT_TRUE(same_bits(run("BellJoin", {T}).values(), plain_join(T.values(), n, D)));
      }
    }
    // All of a one-level table -0.0: the sum is +0.0 wherever 0.0 + v gives it.
    for (int n : {1, 8, 64}) {
      const Vec t(n, -0.0);
      EXPECT_TRUE(
          same_bits(run("BellJoin", {Array::matrix(n, 1, t)}).values(), plain_join(t, n, 0)));
    }
  }
}

TEST(CosinePackets, LongBlocksSameDoublesAsThePlainSteps) {
  // Blocks of 2^14 and 2^15 values, where the cosine transform's vector paths
  // run its reversal and first passes together and its later levels in
  // groups, inside the plug-ins' own workspaces and with their cached tables.
  const int n = 1 << 15;
  Vec x = random_vector(n, 950);
  for (int k = 0; k < n; k += 11) x[k] = k % 2 ? -0.0 : 0.0;
  for (const auto path : tfmex::test::every_path()) {
    const tfmex::test::PathGuard guard(path);
    for (int D : {0, 1}) {
      SCOPED_TRACE(testing::Message() << tfmex::vector::path_name(path) << " D " << D);
      const Array T = run("BellSplit", {Array::row(x), Array::scalar(D), Array::scalar(0)});
      EXPECT_TRUE(same_bits(T.values(), plain_table(x, D)));
      EXPECT_TRUE(same_bits(run("BellJoin", {T}).values(), plain_join(T.values(), n, D)));
    }
  }
}

TEST(CosinePackets, MessagesInTheirOrder) {
  const Array x = Array::row({1, 2, 3, 4, 5, 6, 7, 8}), D = Array::scalar(1), b = Array::scalar(0);
  const Array single = Array::of_class(ClassId::Single, 1, 8);
  const std::string inputs = "BellSplit requires three input arguments.";
  const std::string outputs = "BellSplit requires one output argument.";
  const std::string type = "BellSplit requires real double arguments";
  const std::string size = "BellSplit requires arrays of fewer than 2^31 elements";
  const std::string length = "BellSplit requires dyadic length";
  const std::string scalar = "BellSplit requires finite scalar arguments";
  const std::string above = "BellSplit requires D <= log_2(n)", below = "BellSplit requires D >= 0";
  EXPECT_EQ(message("BellSplit", {x, D}, 2), inputs);
  EXPECT_EQ(message("BellSplit", {x, D, b, b}), inputs);
  EXPECT_EQ(message("BellSplit", {single, D, b}, 0), outputs);
  EXPECT_EQ(message("BellSplit", {x, D, b}, 2), outputs);
  EXPECT_EQ(message("BellSplit", {single, Array::scalar(NAN), b}), type);
  EXPECT_EQ(message("BellSplit", {x, Array::of_class(ClassId::Double, 1, 1, true), b}), type);
  EXPECT_EQ(
      message("BellSplit", {Array::phantom(std::size_t{1} << 16, std::size_t{1} << 16), D, b}),
      size);
  EXPECT_EQ(message("BellSplit", {Array::phantom(std::size_t{3} << 27, 1), D, b}),
            size);  // 13n workspace
  EXPECT_EQ(message("BellSplit", {Array::phantom(std::size_t{1} << 27, 1), Array::scalar(27), b}),
            size);  // table
  EXPECT_EQ(message("BellSplit", {Array::column(random_vector(12, 1)), Array::scalar(NAN), b}),
            length);
  EXPECT_EQ(message("BellSplit", {Array::matrix(8, 0), D, b}), length);
  for (const Array& bad :
       {Array::scalar(NAN), Array::scalar(INFINITY), Array::scalar(-INFINITY), Array::empty()})
    EXPECT_EQ(message("BellSplit", {x, bad, b}), scalar);
  for (double d : {3.5, 4.0, 1e300})
    EXPECT_EQ(message("BellSplit", {x, Array::scalar(d), b}), above) << d;
  for (double d : {-1.5, -2.0, -1e300})
    EXPECT_EQ(message("BellSplit", {x, Array::scalar(d), b}), below) << d;
  // The bell argument is never read, so its class does not matter.
  for (const Array& any :
       {Array::of_class(ClassId::Char, 1, 4), Array::of_class(ClassId::Int8, 0, 0),
        Array::of_class(ClassId::Double, 2, 2, true, true)})
    EXPECT_EQ(run("BellSplit", {x, D, any}).cols(), 2u);

  const Array T = Array::matrix(8, 2);
  EXPECT_EQ(message("BellJoin", {}, 2), "BellJoin requires one input argument.");
  EXPECT_EQ(message("BellJoin", {T}, 0), "BellJoin requires one output argument.");
  EXPECT_EQ(message("BellJoin", {T, T}, 2), "BellJoin requires one output argument.");
  EXPECT_EQ(message("BellJoin", {Array::of_class(ClassId::Logical, 8, 2)}),
            "BellJoin requires real double arguments");
  EXPECT_EQ(message("BellJoin", {Array::phantom(std::size_t{1} << 28, 1)}),
            "BellJoin requires arrays of fewer than 2^31 elements");  // 14n workspace
  EXPECT_EQ(message("BellJoin", {Array::phantom(4, std::size_t{1} << 30)}),
            "BellJoin requires arrays of fewer than 2^31 elements");
  EXPECT_EQ(message("BellJoin", {Array::matrix(6, 2)}), "BellJoin requires dyadic length");
  EXPECT_EQ(message("BellJoin", {Array::matrix(0, 3)}), "BellJoin requires dyadic length");
  EXPECT_EQ(message("BellJoin", {Array::matrix(1, 2)}), "BellJoin requires D <= log_2(n)");
  EXPECT_EQ(message("BellJoin", {Array::matrix(8, 5)}), "BellJoin requires D <= log_2(n)");
  EXPECT_EQ(message("BellJoin", {Array::matrix(4, 0)}), "BellJoin requires D >= 0");
  // Arguments after the table are neither read nor checked.
  EXPECT_EQ(run("BellJoin", {T, Array::of_class(ClassId::Char, 1, 3), Array::empty()}).values(),
            Vec(8, 0.0));
}

}  // namespace
}  // namespace tfmex::test
