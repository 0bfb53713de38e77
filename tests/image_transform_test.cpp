// CircSplit2 and CircJoin2 through the embedded host: the worked example, the
// quadrant layout, bit-for-bit agreement with a stage-by-stage transcription,
// reconstruction, out-of-range levels, messages and their order.
#include <cstddef>
#include "stage_reference.h"
#include "support.h"

namespace tfmex::test {
namespace {

using ref::Vec;

// Image of n x n values, column-major: element (r, c) at r + c n.
Vec get_row(const Vec& X, int n, int r, int count) {
  Vec v(count);
  for (int c = 0; c < count; ++c) v[c] = X[r + static_cast<std::ptrdiff_t>(c) * n];
  return v;
}
void set_row(Vec& X, int n, int r, const Vec& v) {
  for (std::size_t c = 0; c < v.size(); ++c) X[r + static_cast<std::ptrdiff_t>(c) * n] = v[c];
}

// Analysis down to a 2^L block: down every column of the active block, then
// along every row; low halves first in both directions.
Vec ref_split2(Vec W, int n, int L, const Vec& h) {
  for (int k = n; k > (1 << L); k /= 2) {
    for (int c = 0; c < k; ++c) {
      const Vec col = ref::block(W, n, c, 0, k);
      ref::put(W, n, c, 0, ref::lo(col, h));
      ref::put(W, n, c, k / 2, ref::hi(col, h));
    }
    for (int r = 0; r < k; ++r) {
      const Vec row = get_row(W, n, r, k);
      Vec out = ref::lo(row, h);
      const Vec d = ref::hi(row, h);
      out.insert(out.end(), d.begin(), d.end());
      set_row(W, n, r, out);
    }
  }
  return W;
}

// Synthesis from a 2^L block up: along every row, then down every column.
Vec ref_join2(Vec X, int n, int L, const Vec& h) {
  for (int k = 1 << L; k < n; k *= 2) {
    for (int r = 0; r < 2 * k; ++r) {
      const Vec row = get_row(X, n, r, 2 * k);
      const Vec a = ref::up_lo(Vec(row.begin(), row.begin() + k), h);
      const Vec d = ref::up_hi(Vec(row.begin() + k, row.end()), h);
      Vec y(2 * k);
      for (int t = 0; t < 2 * k; ++t) y[t] = a[t] + d[t];
      set_row(X, n, r, y);
    }
    for (int q = 0; q < 2 * k; ++q) {
      const Vec a = ref::up_lo(ref::block(X, n, q, 0, k), h);
      const Vec d = ref::up_hi(ref::block(X, n, q, k, k), h);
      Vec y(2 * k);
      for (int t = 0; t < 2 * k; ++t) y[t] = a[t] + d[t];
      ref::put(X, n, q, 0, y);
    }
  }
  return X;
}

Array square(int n, const Vec& v) { return Array::matrix(n, n, v); }

TEST(CircSplit2, WorkedExampleAndTrivialLevels) {
  // [1 2; 3 4] column-major is 1, 3, 2, 4.
  const Array X = square(2, {1, 3, 2, 4});
  const Array W = run("CircSplit2", {X, Array::scalar(0), Array::row(haar())});
  ASSERT_EQ(W.rows(), 2u);
  ASSERT_EQ(W.cols(), 2u);
  EXPECT_LT(max_abs_diff(W.values(), {5, 2, 1, 0}), 1e-14);  // [5 1; 2 0]
  EXPECT_LT(max_abs_diff(run("CircJoin2", {W, Array::scalar(0), Array::row(haar())}).values(),
                         X.values()),
            1e-14);
  // L = J: nothing to do, both ways.
  for (const char* p : {"CircSplit2", "CircJoin2"}) {
    EXPECT_EQ(run(p, {X, Array::scalar(1), Array::row(haar())}).values(), X.values()) << p;
    EXPECT_EQ(run(p, {Array::scalar(7.5), Array::scalar(0), Array::row(haar())}).values(), Vec{7.5})
        << p;
  }
}

TEST(CircSplit2, QuadrantsOfASeparableImage) {
  // For X = u v' (u down the columns, v along the rows) one stage gives
  // Lo(u) Lo(v)' top left, Lo(u) Hi(v)' top right, Hi(u) Lo(v)' bottom left
  // and Hi(u) Hi(v)' bottom right.
  const int n = 8;
  const Vec u = random_vector(n, 11), v = random_vector(n, 12), h = orthonormal_filter(4, 5);
  Vec X(n * n);
  for (int c = 0; c < n; ++c)
    for (int r = 0; r < n; ++r) X[r + c * n] = u[r] * v[c];
  const Vec W = run("CircSplit2", {square(n, X), Array::scalar(2), Array::row(h)}).values();
  Vec cu = ref::lo(u, h), du = ref::hi(u, h), cv = ref::lo(v, h), dv = ref::hi(v, h);
  cu.insert(cu.end(), du.begin(), du.end());
  cv.insert(cv.end(), dv.begin(), dv.end());
  for (int c = 0; c < n; ++c)
    for (int r = 0; r < n; ++r)
      EXPECT_NEAR(W[r + c * n], cu[r] * cv[c], 1e-13) << "r=" << r << " c=" << c;
}

TEST(CircSplit2, BothDirectionsMatchTheStagewiseFormulasBitForBit) {
  unsigned seed = 100;
  for (int n : {1, 2, 4, 8, 16}) {
    int J = 0;
    while ((1 << J) < n) ++J;
    for (int m : {0, 1, 2, 3, 4, 7, 8, 20}) {  // 20 taps wrap blocks of 2 many times
      const Vec h = random_vector(m, ++seed), X = random_vector(n * n, ++seed);
      for (int L = -2; L <= J + 1; ++L) {
        SCOPED_TRACE("n=" + std::to_string(n) + " m=" + std::to_string(m) +
                     " L=" + std::to_string(L));
        const int Lc = L < 0 ? 0 : (L > J ? J : L);
        const Array hf = m == 0 ? Array::empty() : Array::column(h);
        const Vec W = run("CircSplit2", {square(n, X), Array::scalar(L), hf}).values();
        EXPECT_TRUE(ref::bit_equal(W, ref_split2(X, n, Lc, h)));
        const Vec Y = run("CircJoin2", {square(n, X), Array::scalar(L), hf}).values();
        EXPECT_TRUE(ref::bit_equal(Y, ref_join2(X, n, Lc, h)));
      }
    }
  }
}

TEST(CircSplit2, JoinUndoesSplitForOrthonormalFilters) {
  const int n = 16, J = 4;
  const Vec X = random_vector(n * n, 77);
  for (int m = 2; m <= 20; m += 2) {
    const Array h = Array::row(orthonormal_filter(m, 300 + m));
    for (int L = 0; L <= J; ++L) {
      const Array W = run("CircSplit2", {square(n, X), Array::scalar(L), h});
      EXPECT_NEAR(energy(W.data(), n * n), energy(X.data(), n * n), 1e-11) << m << " " << L;
      const Array Y = run("CircJoin2", {W, Array::scalar(L), h});
      EXPECT_LT(max_abs_diff(Y.values(), X), 1e-12) << "m=" << m << " L=" << L;
    }
  }
}

TEST(CircSplit2, LevelsOutsideTheImageAreBounded) {
  const int n = 8;
  const Vec X = random_vector(n * n, 5);
  const Array h = Array::row(orthonormal_filter(6, 9));
  auto with = [&](const char* p, double L) {
    return run(p, {square(n, X), Array::scalar(L), h}).values();
  };
  for (const char* p : {"CircSplit2", "CircJoin2"}) {
    SCOPED_TRACE(p);
    const Vec at0 = with(p, 0);
    // Below 0 the join would otherwise double its block past the image.
    for (double L : {-0.6, -1.0, -5.0, -3e9, -1e300}) EXPECT_EQ(with(p, L), at0) << L;
    for (double L : {3.0, 4.0, 3e9, 1e300}) EXPECT_EQ(with(p, L), X) << L;
    EXPECT_EQ(with(p, 0.4), at0);
    EXPECT_EQ(with(p, 2.5), with(p, 3));  // nearest-integer rounding, halves up
  }
}

TEST(CircSplit2, EmptyFilterGivesZeros) {
  const Vec X = random_vector(16, 8);
  const Vec W = run("CircSplit2", {square(4, X), Array::scalar(1), Array::empty()}).values();
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r) EXPECT_EQ(W[r + 4 * c], 0.0);
  const Vec Y = run("CircJoin2", {square(4, X), Array::scalar(0), Array::empty()}).values();
  EXPECT_EQ(Y, Vec(16, 0.0));
}

TEST(CircSplit2, MessagesInTheirOrder) {
  const Array X = square(4, random_vector(16, 1)), L = Array::scalar(0), h = Array::row(haar());
  const Array i8 = Array::of_class(ClassId::Int8, 4, 4);
  for (const std::string p : {"CircSplit2", "CircJoin2"}) {
    SCOPED_TRACE(p);
    const std::string in = p + " requires 3 input arguments.";
    const std::string out = p + " requires one output argument.";
    const std::string type = p + " requires real double arguments";
    const std::string dyadic =
        (p == "CircSplit2" ? p : std::string("CircJoin2D")) + " requires dyadic length sides";
    EXPECT_EQ(message(p, {X, L}, 2), in);  // inputs are counted first
    EXPECT_EQ(message(p, {X, L, h, h}), in);
    EXPECT_EQ(message(p, {X, L, h}, 0), out);
    EXPECT_EQ(message(p, {X, L, h}, 2), out);
    EXPECT_EQ(message(p, {i8, L, h}), type);
    EXPECT_EQ(message(p, {X, L, Array::of_class(ClassId::Double, 1, 2, true)}), type);
    EXPECT_EQ(message(p, {Array::of_class(ClassId::Double, 4, 4, false, true), L, h}), type);
    // Sizes come before the shape: a claimed 2^16 x 2^16 array is never read.
    EXPECT_EQ(message(p, {Array::phantom(65536, 65536), Array::scalar(NAN), h}),
              p + " requires arrays of fewer than 2^31 elements");
    EXPECT_EQ(message(p, {Array::matrix(2, 4), L, h}), p + " requires a square array");
    EXPECT_EQ(message(p, {Array::matrix(3, 3), Array::scalar(NAN), h}), dyadic);
    EXPECT_EQ(message(p, {Array::empty(), L, h}), dyadic);
    for (double bad : {NAN, INFINITY, -INFINITY})
      EXPECT_EQ(message(p, {X, Array::scalar(bad), h}), p + " requires finite scalar arguments");
    EXPECT_EQ(message(p, {X, Array::empty(), h}), p + " requires finite scalar arguments");
  }
}

}  // namespace
}  // namespace tfmex::test
