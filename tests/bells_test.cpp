// The bell and folding kernels: the bell to the bit, its identity
// bp^2 + bm^2 = 1, the m = 0 and m = 1 cases, the ends passing through the
// fold, and folding, transforming, inverting and unfolding a tiling of a
// signal giving the signal back.
#include <cfloat>
#include <cstring>

#include "kernel_paths.h"
#include "kernels/bells/bells.h"
#include "kernels/trig/exact_sincos.h"
#include "kernels/trig/trig.h"
#include "support.h"

namespace tfmex::test {
namespace {

namespace bl = tfmex::bells;
using Vec = std::vector<double>;

struct Bell {
  Vec bp, bm;
  explicit Bell(int m) : bp(m > 0 ? m : 0), bm(m > 0 ? m : 0) {
    bl::makebell(m, bp.data(), bm.data());
  }
};

TEST(Bells, BellIsTheSineThenTheRootOfOneMinusItsSquare) {
  for (int m : {1, 2, 3, 7, 64, 1000}) {
    SCOPED_TRACE(m);
    const Bell b(m);
    for (int k = 0; k < m; ++k) {
      const double s = tfmex::trig::sin_rn(((k + 0.5) / m + 1.0) * 3.141592653589793 * 0.25);
      EXPECT_EQ(std::memcmp(&b.bp[k], &s, 8), 0) << k;
      const double c = std::sqrt(1.0 - s * s);
      EXPECT_EQ(std::memcmp(&b.bm[k], &c, 8), 0) << k;
      // The sine is the one of the bell's angle, and the two halves make a unit circle.
      EXPECT_NEAR(b.bp[k], sinl((k + 0.5L) / m * M_PIl / 4 + M_PIl / 4), 2 * DBL_EPSILON);
      EXPECT_NEAR(b.bp[k] * b.bp[k] + b.bm[k] * b.bm[k], 1.0, 4 * DBL_EPSILON);
      if (k > 0) {
        EXPECT_GT(b.bp[k], b.bp[k - 1]);
        EXPECT_LT(b.bm[k], b.bm[k - 1]);
      }
    }
    EXPECT_GT(b.bp[0], M_SQRT1_2);
    EXPECT_LT(b.bp[m - 1], 1.0);
  }
  const Bell one(1);
  EXPECT_NEAR(one.bp[0], 0.92387953251128674, DBL_EPSILON);
  EXPECT_NEAR(one.bm[0], 0.38268343236508978, 2 * DBL_EPSILON);
}

TEST(Bells, WidthZeroCopiesOrLeavesAlone) {
  double bp = 7.0, bm = 7.0;
  bl::makebell(0, &bp, &bm);
  bl::makebell(-3, &bp, &bm);
  EXPECT_EQ(bp, 7.0);
  EXPECT_EQ(bm, 7.0);
  const Vec x = random_vector(8, 1), l = random_vector(8, 2), r = random_vector(8, 3);
  Vec out(8, 9.0), main(8, 9.0), ls(8, 9.0), rs(8, 9.0), buf(8, 9.0), acc = x;
  bl::fold(x.data(), l.data(), r.data(), &bp, &bm, 0, 8, out.data());
  bl::unfold(x.data(), main.data(), ls.data(), rs.data(), 8, 0, &bp, &bm);
  EXPECT_EQ(out, x);
  EXPECT_EQ(main, x);
  EXPECT_EQ(ls, Vec(8, 9.0));
  EXPECT_EQ(rs, Vec(8, 9.0));
  for (int side : {1, 2}) {
    bl::edgefold(side, x.data(), buf.data(), 8, 0, &bp, &bm);
    bl::edgeunfold(side, acc.data(), 8, 0, &bp);
    bl::edgeadd(side, l.data(), acc.data(), 8, 0);
  }
  EXPECT_EQ(buf, Vec(8, 9.0));
  EXPECT_EQ(acc, x);
}

TEST(Bells, EndsPassThroughTheFold) {
  // One block and m = f/2: one buffer serves both ends, and the fold against
  // it is the identity to rounding.
  for (int m : {1, 3, 8}) {
    const int f = 16;
    const Bell b(m);
    const Vec x = random_vector(f, 10 + m);
    Vec buf(f, 0.0), out(f);
    bl::edgefold(1, x.data(), buf.data(), f, m, b.bp.data(), b.bm.data());
    bl::edgefold(2, x.data(), buf.data(), f, m, b.bp.data(), b.bm.data());
    bl::fold(x.data(), buf.data(), buf.data(), b.bp.data(), b.bm.data(), m, f, out.data());
    EXPECT_LT(max_abs_diff(out, x), 4 * DBL_EPSILON) << m;
    EXPECT_EQ(buf[f - 1], x[0] * (1.0 - b.bp[0]) / b.bm[0]);
    EXPECT_EQ(buf[0], -x[f - 1] * (1.0 - b.bp[0]) / b.bm[0]);
    // The synthesis mirror divides by bp in the form v + v (1 - bp) / bp.
    Vec acc = x;
    bl::edgeunfold(1, acc.data(), f, m, b.bp.data());
    bl::edgeunfold(2, acc.data(), f, m, b.bp.data());
    EXPECT_EQ(acc[0], x[0] + x[0] * (1.0 - b.bp[0]) / b.bp[0]);
    EXPECT_EQ(acc[f - 1], x[f - 1] + x[f - 1] * (1.0 - b.bp[0]) / b.bp[0]);
    if (2 * m < f) {
      EXPECT_EQ(acc[m], x[m]);  // the middle is left alone
    }
  }
}

bool same_bits(const Vec& a, const Vec& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), 8 * a.size()) == 0;
}

TEST(Bells, EndRoutinesGiveTheDoublesOfTheirFormulasOnBothPaths) {
  // Every place of the block, the copied middle and the two ends, for widths
  // on either side of the four-place vector steps up to f/2 (where the ends
  // meet), on every path the processor has.
  for (const auto path : tfmex::test::every_path()) {
    const tfmex::test::PathGuard guard(path);
    for (int f : {1, 2, 8, 16, 64, 256}) {
      for (int m : {0, 1, 3, 4, 5, 7, 8, 13, 32, 37, 128}) {
        if (m > f / 2) continue;
        SCOPED_TRACE(testing::Message()
                     << tfmex::vector::path_name(path) << " f " << f << " m " << m);
        const Bell b(m);
        const double *bp = b.bp.data(), *bm = b.bm.data();
        Vec x = random_vector(f, 20 + f), l = random_vector(f, 21 + m), r = random_vector(f, 22);
        x[0] = -0.0;
        Vec out(f, 9.0), main(f, 9.0), ls(f, 9.0), rs(f, 9.0), buf(f, 9.0), acc = x;
        bl::fold(x.data(), l.data(), r.data(), bp, bm, m, f, out.data());
        bl::unfold(x.data(), main.data(), ls.data(), rs.data(), f, m, bp, bm);
        bl::edgefold(1, x.data(), buf.data(), f, m, bp, bm);
        bl::edgefold(2, x.data(), buf.data(), f, m, bp, bm);
        bl::edgeunfold(1, acc.data(), f, m, bp);
        bl::edgeunfold(2, acc.data(), f, m, bp);
        Vec want_out = x, want_main = x, want_ls(f, 9.0), want_rs(f, 9.0), want_buf(f, 9.0),
            want_acc = x;
        for (int k = 0; k < m; ++k) {
          want_out[k] = bp[k] * x[k] + bm[k] * l[f - 1 - k];
          want_out[f - 1 - k] = bp[k] * x[f - 1 - k] - bm[k] * r[k];
          want_ls[f - 1 - k] = x[k] * bm[k];
          want_rs[k] = x[f - 1 - k] * (bm[k] * -1.0);
          want_main[k] = bp[k] * x[k];
          want_main[f - 1 - k] = bp[k] * x[f - 1 - k];
          want_buf[f - 1 - k] = x[k] * (1.0 - bp[k]) / bm[k];
          want_buf[k] = -x[f - 1 - k] * (1.0 - bp[k]) / bm[k];
          want_acc[k] = x[k] + x[k] * (1.0 - bp[k]) / bp[k];
          want_acc[f - 1 - k] = x[f - 1 - k] + x[f - 1 - k] * (1.0 - bp[k]) / bp[k];
        }
        EXPECT_TRUE(same_bits(out, want_out));
        EXPECT_TRUE(same_bits(main, want_main));
        EXPECT_TRUE(same_bits(ls, want_ls));
        EXPECT_TRUE(same_bits(rs, want_rs));
        EXPECT_TRUE(same_bits(buf, want_buf));
        EXPECT_TRUE(same_bits(acc, want_acc));
      }
    }
  }
}

// Folds the blocks of f values that tile x with half-width m, transforms each
// by the orthonormal type-IV cosine transform and back, then unfolds them
// into one accumulator, adding the spills into the neighbours and removing
// the bell at the two ends.
Vec fold_transform_unfold(const Vec& x, int f, int m) {
  const int n = static_cast<int>(x.size()), e = n / f;
  const Bell b(m);
  const double *bp = b.bp.data(), *bm = b.bm.data();
  Vec edge(f), block(f), coef(n), y(f), main(f), ls(f), rs(f), acc(n, 0.0), work(8 * f);
  for (int i = 0; i < e; ++i) {
    const double* s = x.data() + i * f;
    const double* left = i == 0 ? edge.data() : s - f;
    const double* right = i == e - 1 ? edge.data() : s + f;
    if (i == 0) bl::edgefold(1, s, edge.data(), f, m, bp, bm);
    if (i == e - 1) bl::edgefold(2, s, edge.data(), f, m, bp, bm);
    bl::fold(s, left, right, bp, bm, m, f, block.data());
    tfmex::trig::trigc4(block.data(), coef.data() + i * f, work.data(), f);
  }
  for (int i = 0; i < e; ++i) {
    double* a = acc.data() + i * f;
    tfmex::trig::trigc4(coef.data() + i * f, y.data(), work.data(), f);
    bl::unfold(y.data(), main.data(), ls.data(), rs.data(), f, m, bp, bm);
    for (int k = 0; k < f; ++k) a[k] += main[k];
    if (i > 0) bl::edgeadd(1, ls.data(), a - f, f, m);
    else bl::edgeunfold(1, a, f, m, bp);
    if (i < e - 1) bl::edgeadd(2, rs.data(), a + f, f, m);
    else bl::edgeunfold(2, a, f, m, bp);
  }
  return acc;
}

TEST(Bells, FoldingATilingIsUndoneByUnfolding) {
  struct Case {
    int n, f, m;
  };
  for (const Case c : {Case{64, 16, 8}, Case{64, 16, 3}, Case{64, 8, 1}, Case{32, 2, 1},
                       Case{64, 64, 32}, Case{16, 16, 5}, Case{2, 2, 1}, Case{16, 4, 0}}) {
    const Vec x = random_vector(c.n, 100 + c.m);
    EXPECT_LT(max_abs_diff(fold_transform_unfold(x, c.f, c.m), x), 1e-14)
        << c.n << " " << c.f << " " << c.m;
  }
}

}  // namespace
}  // namespace tfmex::test
