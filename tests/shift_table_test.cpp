// ShiftSplit and ShiftJoin through the embedded host: the worked example, the
// shift-path numbering against a path-by-path transcription, bit for bit,
// reconstruction, the depth checks for any finite level, shapes and messages.
#include "stage_reference.h"
#include "support.h"

namespace tfmex::test {
namespace {

using ref::Vec;

// The table straight from its definition: block b of column d (1 <= d <= D)
// is the detail of the path whose d bits, first stage most significant, are
// b (bit 1: the block was shifted right before filtering); column 0 holds the
// coarse coefficients of the 2^D paths over all D stages.
Vec ref_table(const Vec& x, int D, const Vec& h) {
  const int n = static_cast<int>(x.size());
  Vec T(static_cast<std::size_t>(n) * (D + 1));
  ref::put(T, n, 0, 0, x);
  for (int d = 1; d <= D; ++d) {
    for (int b = 0; b < (1 << d); ++b) {
      Vec a = x, w;
      for (int s = 1; s <= d; ++s) {
        const Vec v = ((b >> (d - s)) & 1) ? ref::shift_right(a) : a;
        w = ref::hi(v, h);
        a = ref::lo(v, h);
      }
      ref::put(T, n, d, b * (n >> d), w);
      if (d == D) ref::put(T, n, 0, b * (n >> d), a);
    }
  }
  return T;
}

// Coarse coefficients of path b over d stages, rebuilt from the table: the
// mean of the unshifted child's reconstruction and the shifted child's,
// shifted back, summed in the order coarse 0, coarse 1, detail 0, detail 1.
Vec ref_coarse(const Vec& T, int n, int D, int d, int b, const Vec& h) {
  if (d == D) return ref::block(T, n, 0, b * (n >> D), n >> D);
  const int k = n >> (d + 1);
  const Vec a0 = ref::up_lo(ref_coarse(T, n, D, d + 1, 2 * b, h), h);
  const Vec a1 = ref::shift_left(ref::up_lo(ref_coarse(T, n, D, d + 1, 2 * b + 1, h), h));
  const Vec w0 = ref::up_hi(ref::block(T, n, d + 1, 2 * b * k, k), h);
  const Vec w1 = ref::shift_left(ref::up_hi(ref::block(T, n, d + 1, (2 * b + 1) * k, k), h));
  Vec y(2 * k);
  for (int t = 0; t < 2 * k; ++t) y[t] = 0.5 * (((a0[t] + a1[t]) + w0[t]) + w1[t]);
  return y;
}

int log2i(int n) {
  int J = 0;
  while ((1 << J) < n) ++J;
  return J;
}

TEST(ShiftTable, WorkedExample) {
  const Array x = Array::row({1, 2, 3, 4, 5, 6, 7, 8});
  const Array T = run("ShiftSplit", {x, Array::scalar(2), Array::row(haar())});
  ASSERT_EQ(T.rows(), 8u);
  ASSERT_EQ(T.cols(), 2u);
  Vec want{3, 7, 11, 15, 9, 5, 9, 13, 1, 1, 1, 1, -7, 1, 1, 1};
  for (double& v : want) v /= M_SQRT2;
  EXPECT_LT(max_abs_diff(T.values(), want), 1e-14);
  const Array y = run("ShiftJoin", {T, Array::row(haar())});
  ASSERT_EQ(y.rows(), 1u);
  EXPECT_LT(max_abs_diff(y.values(), x.values()), 1e-14);
}

TEST(ShiftTable, BothDirectionsMatchThePathFormulasBitForBit) {
  unsigned seed = 500;
  for (int n : {1, 2, 4, 8, 16, 32}) {
    const int J = log2i(n);
    for (int m : {0, 1, 2, 3, 4, 6, 9, 20}) {  // 20 taps on blocks of 2 at the last stage
      const Vec h = random_vector(m, ++seed), x = random_vector(n, ++seed);
      const Array hf = m == 0 ? Array::empty() : Array::row(h);
      for (int D = 0; D <= J; ++D) {
        SCOPED_TRACE("n=" + std::to_string(n) + " m=" + std::to_string(m) +
                     " D=" + std::to_string(D));
        const Array T = run("ShiftSplit", {Array::column(x), Array::scalar(J - D), hf});
        ASSERT_EQ(T.cols(), static_cast<std::size_t>(D + 1));
        EXPECT_TRUE(ref::bit_equal(T.values(), ref_table(x, D, h)));
        // The inverse on an arbitrary table, not only on one made from a signal.
        const Vec R = random_vector(static_cast<std::size_t>(n) * (D + 1), ++seed);
        const Array y = run("ShiftJoin", {Array::matrix(n, D + 1, R), hf});
        EXPECT_TRUE(ref::bit_equal(y.values(), ref_coarse(R, n, D, 0, 0, h)));
      }
    }
  }
}

TEST(ShiftTable, JoinUndoesSplitForOrthonormalFilters) {
  const int n = 32, J = 5;
  const Vec x = random_vector(n, 21);
  for (int m = 2; m <= 20; m += 2) {
    const Array h = Array::column(orthonormal_filter(m, 40 + m));
    for (int L = 0; L <= J; ++L) {
      const Array T = run("ShiftSplit", {Array::column(x), Array::scalar(L), h});
      const Array y = run("ShiftJoin", {T, h});
      ASSERT_EQ(y.rows(), 1u);
      EXPECT_LT(max_abs_diff(y.values(), x), 1e-12) << "m=" << m << " L=" << L;
    }
  }
}

TEST(ShiftTable, LevelsShapesAndRounding) {
  const Vec x = random_vector(8, 3);
  const Array h = Array::row(orthonormal_filter(4, 2));
  auto width = [&](double L) {
    return run("ShiftSplit", {Array::row(x), Array::scalar(L), h}).cols();
  };
  EXPECT_EQ(width(2.5), 1u);  // 3
  EXPECT_EQ(width(2.49), 2u);
  EXPECT_EQ(width(-0.5), 4u);  // 0
  EXPECT_EQ(width(0), 4u);
  // L = J: the signal itself as a column, and back as a row.
  const Array T = run("ShiftSplit", {Array::row(x), Array::scalar(3), h});
  EXPECT_EQ(T.rows(), 8u);
  EXPECT_EQ(T.values(), x);
  const Array y = run("ShiftJoin", {Array::column(x), h});
  EXPECT_EQ(y.rows(), 1u);
  EXPECT_EQ(y.values(), x);
  // Row, column and the first column of a matrix give the same table.
  Vec M = x;
  M.resize(24, 9.0);
  const Vec a = run("ShiftSplit", {Array::row(x), Array::scalar(1), h}).values();
  EXPECT_EQ(run("ShiftSplit", {Array::column(x), Array::scalar(1), h}).values(), a);
  EXPECT_EQ(run("ShiftSplit", {Array::matrix(8, 3, M), Array::scalar(1), h}).values(), a);
  // n = 1: only L = 0.
  EXPECT_EQ(run("ShiftSplit", {Array::scalar(4), Array::scalar(0), h}).values(), Vec{4});
  EXPECT_EQ(run("ShiftJoin", {Array::scalar(4), h}).values(), Vec{4});
}

TEST(ShiftTable, MessagesInTheirOrder) {
  const Array x = Array::row(random_vector(8, 1)), L = Array::scalar(1), h = Array::row(haar());
  const std::string type = "ShiftSplit requires real double arguments";
  const std::string size = "ShiftSplit requires arrays of fewer than 2^31 elements";
  const std::string scal = "ShiftSplit requires finite scalar arguments";
  const std::string below = "ShiftTable requires D < log_2(n)",
                    above = "ShiftTable requires D >= 0";
  EXPECT_EQ(message("ShiftSplit", {x, L}, 0), "ShiftSplit requires three input arguments.");
  EXPECT_EQ(message("ShiftSplit", {x, L, h}, 0), "ShiftSplitT requires one output argument.");
  EXPECT_EQ(message("ShiftSplit", {x, L, h}, 2), "ShiftSplitT requires one output argument.");
  EXPECT_EQ(message("ShiftSplit", {x, L, Array::of_class(ClassId::Single, 1, 2)}), type);
  EXPECT_EQ(message("ShiftSplit", {x, Array::of_class(ClassId::Logical, 1, 1), h}), type);
  EXPECT_EQ(message("ShiftSplit", {Array::phantom(3, 1u << 31), Array::scalar(NAN), h}), size);
  // The workspace of 6 n values and the n x (D + 1) table count too.
  EXPECT_EQ(message("ShiftSplit", {Array::phantom(1u << 29, 1), L, h}), size);
  EXPECT_EQ(message("ShiftSplit", {Array::phantom(1u << 28, 1), Array::scalar(0), h}), size);
  EXPECT_EQ(message("ShiftSplit", {Array::row(random_vector(6, 2)), Array::scalar(NAN), h}),
            "ShiftSplitT requires dyadic length");
  EXPECT_EQ(message("ShiftSplit", {Array::empty(), L, h}), "ShiftSplitT requires dyadic length");
  for (const Array& bad : {Array::scalar(NAN), Array::scalar(INFINITY), Array::empty()})
    EXPECT_EQ(message("ShiftSplit", {x, bad, h}), scal);
  // Depth checks for every finite level, however large.
  for (double l : {-1.0, -0.51, -2147483648.0, -1e300})
    EXPECT_EQ(message("ShiftSplit", {x, Array::scalar(l), h}), below) << l;
  for (double l : {4.0, 3.5, 2147483648.0, 4294967296.0, 1e300})
    EXPECT_EQ(message("ShiftSplit", {x, Array::scalar(l), h}), above) << l;
  EXPECT_EQ(message("ShiftSplit", {Array::phantom(1u << 28, 1), Array::scalar(-1e300), h}), below);

  const Array T = Array::matrix(8, 2);
  EXPECT_EQ(message("ShiftJoin", {T}, 2), "ShiftJoin requires two input arguments.");
  EXPECT_EQ(message("ShiftJoin", {T, h}, 0), "ShiftJoin requires one output argument.");
  EXPECT_EQ(message("ShiftJoin", {Array::of_class(ClassId::UInt8, 8, 2), h}),
            "ShiftJoin requires real double arguments");
  EXPECT_EQ(message("ShiftJoin", {Array::phantom(1u << 16, 1u << 16), h}),
            "ShiftJoin requires arrays of fewer than 2^31 elements");
  EXPECT_EQ(message("ShiftJoin", {Array::phantom(1u << 29, 1), h}),
            "ShiftJoin requires arrays of fewer than 2^31 elements");
  // The table is never transposed: a row of 8 is n = 1 with D = 7.
  EXPECT_EQ(message("ShiftJoin", {Array::row(random_vector(8, 4)), h}),
            "ShiftJoin requires D <= log_2(n)");
  EXPECT_EQ(message("ShiftJoin", {Array::matrix(6, 2), h}), "ShiftJoin requires dyadic length");
  EXPECT_EQ(message("ShiftJoin", {Array::matrix(8, 5), h}), "ShiftJoin requires D <= log_2(n)");
  EXPECT_EQ(message("ShiftJoin", {Array::phantom(1, 2147483647u), h}),
            "ShiftJoin requires D <= log_2(n)");
  EXPECT_EQ(message("ShiftJoin", {Array::matrix(8, 0), h}), "ShiftJoin requires D >= 0");
}

}  // namespace
}  // namespace tfmex::test
