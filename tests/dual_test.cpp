// DualSplit and DualJoin through the embedded host: the worked example,
// multilevel reconstruction at every level, the coefficient layout, columns
// and rows, the reading of L, filter lengths, and the messages in their order.
#include <limits>

#include "kernels/centred/centred.h"
#include "support.h"

namespace tfmex::test {
namespace {

namespace ck = tfmex::centred;
using Vec = std::vector<double>;

Vec scaled(std::initializer_list<double> taps, double divisor) {
  Vec v;
  for (double t : taps) v.push_back(M_SQRT2 * t / divisor);
  return v;
}

const Vec kQmf = scaled({-1, 2, 6, 2, -1}, 8);
const Vec kDqmf = scaled({1, 2, 1}, 4);
// Longer pairs of odd lengths, derived and checked for biorthogonality in the
// kernel tests; here they only have to reconstruct (the 7-tap filter is longer
// than the blocks of the first levels).
const Vec kQmf9 = scaled({3, -6, -16, 38, 90, 38, -16, -6, 3}, 128);
const Vec kQmf7 = scaled({3, -12, 5, 40, 5, -12, 3}, 32);
const Vec kDqmf5 = scaled({1, 4, 6, 4, 1}, 16);

Array split(const Array& x, double L, const Vec& qmf, const Vec& dqmf) {
  return run("DualSplit", {x, Array::scalar(L), Array::row(qmf), Array::row(dqmf)});
}
Array join(const Array& w, double L, const Vec& qmf, const Vec& dqmf) {
  return run("DualJoin", {w, Array::scalar(L), Array::row(qmf), Array::row(dqmf)});
}

Vec column(const Array& a, std::size_t c) {
  const std::size_t n = a.rows();
  return Vec(a.data() + c * n, a.data() + (c + 1) * n);
}

TEST(DualPlugins, WorkedExample) {
  const Array x = Array::row({1, 2, 3, 4, 5, 6, 7, 8});
  const Array W = split(x, 2, kQmf, kDqmf);
  ASSERT_EQ(W.rows(), 1u);
  ASSERT_EQ(W.cols(), 8u);
  EXPECT_LT(max_abs_diff(W.values(), scaled({2, 3, 5, 8, 0, 0, 0, 2}, 1)), 1e-14);
  EXPECT_LT(max_abs_diff(join(W, 2, kQmf, kDqmf).values(), x.values()), 1e-14);
}

TEST(DualPlugins, ReconstructEveryLevelInBothRoles) {
  struct Pair {
    Vec qmf, dqmf;
  };
  const std::vector<Pair> pairs{{kQmf, kDqmf},  {kDqmf, kQmf},   {kQmf9, kDqmf},
                                {kDqmf, kQmf9}, {kQmf7, kDqmf5}, {kDqmf5, kQmf7}};
  for (std::size_t p = 0; p < pairs.size(); ++p) {
    for (int J = 1; J <= 7; ++J) {
      const int n = 1 << J;
      const Array x = Array::matrix(n, 2, random_vector(2 * n, 10 * J + p));
      for (int L = 0; L <= J; ++L) {
        SCOPED_TRACE("pair " + std::to_string(p) + " n=" + std::to_string(n) +
                     " L=" + std::to_string(L));
        const Array W = split(x, L, pairs[p].qmf, pairs[p].dqmf);
        const Array y = join(W, L, pairs[p].qmf, pairs[p].dqmf);
        EXPECT_LT(max_abs_diff(y.values(), x.values()), 1e-13);
      }
    }
  }
}

TEST(DualPlugins, CoefficientLayout) {
  // n = 8, L = 1: rows 0-1 coarse, 2-3 details of level 1, 4-7 those of level 2.
  const Vec x = random_vector(8, 3);
  const Vec W = split(Array::column(x), 1, kQmf, kDqmf).values();
  Vec g(3), work(x), lo(4), hi(4), lo2(2), hi2(2);
  ck::mirrorsymmfilt(kDqmf.data(), g.data(), 3);
  ck::downlopbs(x.data(), 8, kQmf.data(), 5, lo.data());
  ck::downhipbs(x.data(), 8, g.data(), 3, hi.data());
  ck::downlopbs(lo.data(), 4, kQmf.data(), 5, lo2.data());
  ck::downhipbs(lo.data(), 4, g.data(), 3, hi2.data());
  EXPECT_EQ(W, (Vec{lo2[0], lo2[1], hi2[0], hi2[1], hi[0], hi[1], hi[2], hi[3]}));
}

TEST(DualPlugins, ColumnsAreIndependentAndARowStaysARow) {
  const int n = 16;
  const Vec data = random_vector(3 * n, 77);
  const Array X = Array::matrix(n, 3, data);
  const Array W = split(X, 1, kQmf, kDqmf);
  ASSERT_EQ(W.rows(), 16u);
  ASSERT_EQ(W.cols(), 3u);
  for (std::size_t c = 0; c < 3; ++c) {
    const Vec xc = column(X, c);
    EXPECT_EQ(column(W, c), split(Array::column(xc), 1, kQmf, kDqmf).values());
    const Array row = split(Array::row(xc), 1, kQmf, kDqmf);
    EXPECT_EQ(row.rows(), 1u);
    EXPECT_EQ(row.cols(), 16u);
    EXPECT_EQ(row.values(), column(W, c));
    const Array back = join(row, 1, kQmf, kDqmf);
    EXPECT_EQ(back.rows(), 1u);
    EXPECT_EQ(back.values(), column(join(W, 1, kQmf, kDqmf), c));
  }
  // A 1 x 1 signal has no level to run.
  EXPECT_EQ(split(Array::scalar(5), 0, kQmf, kDqmf).values(), Vec{5});
  EXPECT_EQ(join(Array::scalar(5), 0, kQmf, kDqmf).values(), Vec{5});
}

TEST(DualPlugins, LevelIsRoundedAndBoundedAlikeInBothPlugins) {
  const Array x = Array::column(random_vector(16, 5));  // J = 4
  const auto W = [&](double L) { return split(x, L, kQmf, kDqmf).values(); };
  const auto Y = [&](double L) { return join(x, L, kQmf, kDqmf).values(); };
  EXPECT_EQ(W(4), x.values());
  EXPECT_EQ(W(9), x.values());
  EXPECT_EQ(W(1e300), x.values());
  EXPECT_EQ(W(-2), W(0));
  EXPECT_EQ(W(-1e300), W(0));
  EXPECT_EQ(W(1.5), W(2));
  EXPECT_EQ(W(2.49), W(2));
  EXPECT_EQ(Y(4), x.values());
  EXPECT_EQ(Y(9), x.values());
  EXPECT_EQ(Y(-3), Y(0));
  EXPECT_EQ(Y(-1e300), Y(0));
  EXPECT_EQ(Y(1.5), Y(2));
  for (double L : {-5.0, -1.0, 5.0, 40.0}) {
    EXPECT_LT(max_abs_diff(join(split(x, L, kQmf, kDqmf), L, kQmf, kDqmf).values(), x.values()),
              1e-13)
        << "L=" << L;
  }
}

TEST(DualPlugins, FilterLengths) {
  // DualSplit takes every length, an empty filter included (empty sums give
  // zeros); the host checks that nothing lands outside an array.
  const Array x = Array::matrix(8, 2, random_vector(16, 9));
  const std::vector<Vec> filters{{}, {0.5}, {1, 2}, {1, -2, 3, -4}, random_vector(20, 4)};
  for (const Vec& a : filters)
    for (const Vec& b : filters) EXPECT_EQ(split(x, 0, a, b).rows(), 8u);
  EXPECT_EQ(split(x, 0, {}, {}).values(), Vec(16, 0.0));
  // DualJoin refuses any even length, counting every element whatever the shape.
  const Array W = Array::row({1, 2, 3, 4}), L = Array::scalar(0);
  const char* msg = "DualJoin requires odd-length filters";
  EXPECT_EQ(message("DualJoin", {W, L, Array::row({1, 2}), Array::row(kDqmf)}), msg);
  EXPECT_EQ(message("DualJoin", {W, L, Array::row(kQmf), Array::row({1, 2, 3, 4})}), msg);
  EXPECT_EQ(message("DualJoin", {W, L, Array::empty(), Array::row(kDqmf)}), msg);
  EXPECT_EQ(message("DualJoin", {W, L, Array::row(kQmf), Array::empty()}), msg);
  EXPECT_EQ(message("DualJoin", {W, L, Array::matrix(3, 2), Array::row(kDqmf)}), msg);
  EXPECT_TRUE(call("DualJoin", {W, L, Array::matrix(3, 3), Array::matrix(1, 1)}).ok);
}

TEST(DualPlugins, MessagesInTheirOrder) {
  const Array x = Array::row({1, 2, 3, 4}), L = Array::scalar(1), q = Array::row(kQmf),
              d = Array::row(kDqmf), odd6 = Array::row({1, 2, 3, 4, 5, 6}),
              sgl = Array::of_class(ClassId::Single, 1, 4),
              cplx = Array::of_class(ClassId::Double, 1, 3, true),
              sprs = Array::of_class(ClassId::Double, 4, 1, false, true),
              nan = Array::scalar(std::numeric_limits<double>::quiet_NaN()),
              inf = Array::scalar(-std::numeric_limits<double>::infinity()),
              even = Array::row({1, 2}), huge = Array::phantom(65536, 65536);
  for (const std::string name : {"DualSplit", "DualJoin"}) {
    SCOPED_TRACE(name);
    const std::string in = name + " requires four input arguments.",
                      out = name + " requires one output argument.",
                      type = name + " requires real double arguments",
                      size = name + " requires arrays of fewer than 2^31 elements",
                      dyadic = name + " requires dyadic length",
                      scalar = name + " requires finite scalar arguments";
    // Input count first, then output count (none is refused like two).
    EXPECT_EQ(message(name, {x, L, q}, 2), in);
    EXPECT_EQ(message(name, {x, L, q, d, d}), in);
    EXPECT_EQ(message(name, {sgl, L, q}), in);
    EXPECT_EQ(message(name, {x, L, q, d}, 0), out);
    EXPECT_EQ(message(name, {x, L, q, d}, 2), out);
    // Every argument's class, before sizes and lengths.
    EXPECT_EQ(message(name, {sgl, L, q, d}), type);
    EXPECT_EQ(message(name, {odd6, sgl, q, d}), type);
    EXPECT_EQ(message(name, {x, L, cplx, d}), type);
    EXPECT_EQ(message(name, {huge, L, q, sprs}), type);
    EXPECT_EQ(message(name, {x, L, q, Array::of_class(ClassId::Char, 1, 3)}), type);
    // Sizes, then the dyadic length, then the scalar.
    EXPECT_EQ(message(name, {huge, nan, q, d}), size);
    EXPECT_EQ(message(name, {x, L, huge, d}), size);
    EXPECT_EQ(message(name, {odd6, nan, q, d}), dyadic);
    EXPECT_EQ(message(name, {Array::empty(), L, q, d}), dyadic);
    EXPECT_EQ(message(name, {x, nan, q, d}), scalar);
    EXPECT_EQ(message(name, {x, inf, q, d}), scalar);
    EXPECT_EQ(message(name, {x, Array::empty(), q, d}), scalar);
  }
  // DualJoin tests the filter lengths last of all, just before it creates anything.
  EXPECT_EQ(message("DualJoin", {odd6, L, even, even}), "DualJoin requires dyadic length");
  EXPECT_EQ(message("DualJoin", {x, nan, even, d}), "DualJoin requires finite scalar arguments");
  EXPECT_EQ(message("DualJoin", {x, L, q, even}), "DualJoin requires odd-length filters");
  EXPECT_TRUE(call("DualSplit", {x, L, even, even}).ok);
}

}  // namespace
}  // namespace tfmex::test
