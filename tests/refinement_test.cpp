// The triadic refinement rules: closed forms and their joins, the medians of
// one quadratic, degenerate triples, odd symmetry, and the sequence
// refinements' layout and bounds.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "kernels/refinement/refinement.h"
#include "support.h"

namespace tfmex::test {
namespace {

namespace rf = tfmex::refinement;

using Scalar = double (*)(double);
using Triple = void (*)(double, double, double, double*, double*, double*);

struct Out {
  double o1, o2, o3;
};
Out apply(Triple rule, double a1, double a2, double a3) {
  Out o{};
  rule(a1, a2, a3, &o.o1, &o.o2, &o.o3);
  return o;
}

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Values at and just beside an interval bound.
void expect_joins(Scalar f, const char* name, double bound, double tol = 1e-7) {
  const double at = f(bound);
  const double below = f(bound - 1e-9 * std::max(1.0, std::fabs(bound)));
  const double above = f(bound + 1e-9 * std::max(1.0, std::fabs(bound)));
  EXPECT_NEAR(below, at, tol) << name << " jumps below t = " << bound;
  EXPECT_NEAR(above, at, tol) << name << " jumps above t = " << bound;
}

TEST(MedianScalarFunctions, ValuesAtTheNamedPoints) {
  EXPECT_NEAR(rf::q1(7.0 / 3.0), 14.0 / 27.0, 1e-14);
  EXPECT_NEAR(rf::q1(-11), 2.0, 1e-15);
  EXPECT_NEAR(rf::q2(-10.0 / 7.0), 15.0 / 14.0, 1e-14);
  EXPECT_NEAR(rf::q2left(7.0 / 3.0), 0.0, 1e-15);
  EXPECT_NEAR(rf::q2left(5), 0.0, 1e-15);
  EXPECT_NEAR(rf::q2left(57.0 / 20.0), -1.0 / 20.0, 1e-14);
  EXPECT_NEAR(rf::q2left(51.0 / 14.0), -1.0 / 14.0, 1e-14);
  // A linear triple: t = 1.
  EXPECT_NEAR(rf::q1(1), 2.0 / 3.0, 1e-15);
  EXPECT_EQ(rf::q2(1), 1.0);
  EXPECT_NEAR(rf::q1left(1), -1.0 / 3.0, 1e-15);
  EXPECT_EQ(rf::q2left(1), 0.0);
  EXPECT_NEAR(rf::q3left(1), 1.0 / 3.0, 1e-15);
  // NaN falls through to the last row: a constant for q2 and q2left.
  EXPECT_EQ(rf::q2(NAN), 1.0);
  EXPECT_EQ(rf::q2left(NAN), 0.0);
  EXPECT_TRUE(std::isnan(rf::q1(NAN)));
}

TEST(MedianScalarFunctions, PiecesJoinAtEveryBound) {
  const double third = 1.0 / 3.0;
  for (double b : {7.0 / 3.0, 5.0, 0.2, 3.0 / 7.0, -3.0, -third, -11.0})
    expect_joins(rf::q1, "q1", b);
  for (double b : {-3.0, -10.0 / 7.0, -0.7, -third}) expect_joins(rf::q2, "q2", b);
  for (double b : {7.0 / 3.0, 5.0, 0.2, 3.0 / 7.0, -3.0, -third, 23.0 / 11.0})
    expect_joins(rf::q1left, "q1left", b);
  for (double b : {7.0 / 3.0, 57.0 / 20.0, 51.0 / 14.0, 5.0}) expect_joins(rf::q2left, "q2left", b);
  for (double b : {7.0 / 3.0, 5.0, 0.2, 3.0 / 7.0, -3.0, -third, 13.0})
    expect_joins(rf::q3left, "q3left", b);
}

// The quadratic whose medians over [0, 1], [1, 2], [2, 3] are 0, 1, 1 + t, for
// 7/3 <= t <= 5 (its vertex then lies in the middle half of [0, 1]); its
// medians are found by sorting many samples.
struct EdgeQuadratic {
  double A, v, c;
  explicit EdgeQuadratic(double t) {
    const double S1 = std::sqrt(16 * t + 16 + t * t);
    const double p = (4 + S1) / (4 * t);  // 3/2 - v
    A = 1 / (p * p - 1.0 / 16);
    v = 1.5 - p;
    c = -A / 16;
  }
  double median(double lo, double hi) const {
    const int N = 200001;
    std::vector<double> y(N);
    for (int i = 0; i < N; ++i) {
      const double x = lo + (hi - lo) * (i + 0.5) / N;
      y[i] = A * (x - v) * (x - v) + c;
    }
    std::nth_element(y.begin(), y.begin() + N / 2, y.end());
    return y[N / 2];
  }
};

TEST(MedianScalarFunctions, EdgeValuesAreMediansOfTheQuadratic) {
  // Across 7/3 .. 5, the interval where q2left is derived included.
  for (double t = 7.0 / 3.0; t <= 5.0; t += 1.0 / 24.0) {
    const EdgeQuadratic q(t);
    ASSERT_NEAR(q.median(0, 1), 0.0, 2e-5) << t;
    ASSERT_NEAR(q.median(1, 2), 1.0, 2e-5) << t;
    ASSERT_NEAR(q.median(2, 3), 1.0 + t, 2e-5) << t;
    EXPECT_NEAR(rf::q1left(t), q.median(0, 1.0 / 3), 2e-5) << t;
    EXPECT_NEAR(rf::q2left(t), q.median(1.0 / 3, 2.0 / 3), 2e-5) << t;
    EXPECT_NEAR(rf::q3left(t), q.median(2.0 / 3, 1), 2e-5) << t;
  }
}

TEST(MedianTripleRules, DegenerateAndLinearTriples) {
  for (Triple rule : {rf::QuadMedRefine, rf::QuadMedRefineLeft}) {
    const Out flat = apply(rule, 2.5, 2.5 + 4e-15, 2.5 - 3e-15);
    EXPECT_EQ(flat.o1, 2.5);
    EXPECT_EQ(flat.o2, 2.5);
    EXPECT_EQ(flat.o3, 2.5);
  }
  const double a = 0.3, d = 0.7;
  const Out in = apply(rf::QuadMedRefine, a, a + d, a + 2 * d);
  EXPECT_NEAR(in.o1, a + d - d / 3, 1e-15);
  EXPECT_NEAR(in.o2, a + d, 1e-15);
  EXPECT_NEAR(in.o3, a + d + d / 3, 1e-15);
  const Out edge = apply(rf::QuadMedRefineLeft, a, a + d, a + 2 * d);
  EXPECT_NEAR(edge.o1, a - d / 3, 1e-15);
  EXPECT_NEAR(edge.o2, a, 1e-15);
  EXPECT_NEAR(edge.o3, a + d / 3, 1e-15);
  // A flat right difference (t = 0): the third value takes its limit 10/9.
  const Out zero = apply(rf::QuadMedRefine, 1.0, 2.0, 2.0);
  EXPECT_NEAR(zero.o3, 1.0 + 10.0 / 9.0, 1e-15);
}

TEST(MedianTripleRules, FlatLeftDifferenceTakesTheMirroredInteriorRule) {
  // a2 = a1 and a3 != a2: both rules give a1 - delta/9, a1, a1 + 2 delta/9.
  for (Triple rule : {rf::QuadMedRefine, rf::QuadMedRefineLeft}) {
    for (double delta : {1.0, -0.25, 3e-14}) {
      const Out o = apply(rule, 1.5, 1.5, 1.5 + delta);
      EXPECT_NEAR(o.o1, 1.5 - delta / 9, 1e-14);
      EXPECT_EQ(o.o2, 1.5);
      EXPECT_NEAR(o.o3, 1.5 + 2 * delta / 9, 1e-14);
    }
  }
}

TEST(MedianTripleRules, NegatingTheTripleNegatesTheResultExactly) {
  // Shape ratios across every interval of the scalar functions, and the flat cases.
  std::vector<double> ts = {-20,      -11,  -5,  -3,  -2,  -10.0 / 7, -1, -0.7, -0.5,
                            -1.0 / 3, -0.1, 0,   0.2, 0.3, 3.0 / 7,   1,  2.1,  7.0 / 3,
                            2.6,      3,    3.7, 4.5, 5,   8,         13, 20};
  for (double t : ts) {
    for (double d : {0.37, -1.9, 0.0}) {
      const double a1 = 0.61, a2 = a1 + d, a3 = a2 + (d == 0.0 ? 0.8 : t * d);
      for (Triple rule : {rf::QuadMedRefine, rf::QuadMedRefineLeft, rf::QuadAveRefine,
                          rf::QuadAveRefineLeft, rf::QuadLMIRefine, rf::QuadLMIRefineLeft}) {
        const Out p = apply(rule, a1, a2, a3), n = apply(rule, -a1, -a2, -a3);
        EXPECT_TRUE(same_bits(n.o1, -p.o1) && same_bits(n.o2, -p.o2) && same_bits(n.o3, -p.o3))
            << "t = " << t << ", d = " << d;
      }
    }
  }
}

using Sequence = void (*)(const double*, double*, int, int);
struct SequenceCase {
  const char* name;
  Sequence seq;
  Triple interior, edge;
};
const SequenceCase kSequences[] = {
    {"AveRefineSeq", rf::AveRefineSeq, rf::QuadAveRefine, rf::QuadAveRefineLeft},
    {"CenterPredict", rf::CenterPredict, rf::QuadMedRefine, rf::QuadMedRefineLeft},
    {"TriplePredict", rf::TriplePredict, rf::QuadLMIRefine, rf::QuadLMIRefineLeft},
};

// A sequence refinement's output with sentinels on both sides.
std::vector<double> refine(Sequence seq, const std::vector<double>& c, int D, int m = -1) {
  if (m < 0) m = static_cast<int>(c.size());
  std::vector<double> buf(3 * c.size() + 8, 777.0);
  seq(c.data(), buf.data() + 4, m, D);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(buf[i], 777.0);
    EXPECT_EQ(buf[buf.size() - 1 - i], 777.0);
  }
  return {buf.begin() + 4, buf.end() - 4};
}

TEST(SequenceRefinement, EdgeRulesAtBothEndsInteriorBetween) {
  for (const SequenceCase& s : kSequences) {
    for (int m : {3, 5}) {
      const std::vector<double> c = random_vector(m, 40 + m);
      const std::vector<double> f = refine(s.seq, c, 2);
      Out o = apply(s.edge, c[0], c[1], c[2]);
      EXPECT_TRUE(same_bits(f[0], o.o1) && same_bits(f[1], o.o2) && same_bits(f[2], o.o3))
          << s.name;
      o = apply(s.interior, c[m - 3], c[m - 2], c[m - 1]);
      EXPECT_TRUE(same_bits(f[3 * m - 6], o.o1) && same_bits(f[3 * m - 4], o.o3)) << s.name;
      // Reversing and negating the sequence mirrors the whole refinement, up
      // to the order of the sums: the right edge is the left one mirrored.
      std::vector<double> rc(c.rbegin(), c.rend());
      for (double& v : rc) v = -v;
      const std::vector<double> r = refine(s.seq, rc, 2);
      for (int j = 0; j < 3 * m; ++j)
        EXPECT_NEAR(f[j], -r[3 * m - 1 - j], 1e-14) << s.name << " " << j;
    }
  }
}

TEST(SequenceRefinement, RepetitionOtherDegreesAndShortSequences) {
  for (const SequenceCase& s : kSequences) {
    EXPECT_EQ(refine(s.seq, {1, 2}, 0), (std::vector<double>{1, 1, 1, 2, 2, 2})) << s.name;
    // Any other degree, and the quadratic rules with fewer than three values,
    // leave the output untouched and read nothing outside c.
    for (int D : {1, 3, -2, 5})
      EXPECT_EQ(refine(s.seq, {1, 2, 3, 4}, D), std::vector<double>(12, 777.0)) << s.name;
    EXPECT_EQ(refine(s.seq, {1, 2}, 2), std::vector<double>(6, 777.0)) << s.name;
    EXPECT_EQ(refine(s.seq, {}, 0), std::vector<double>{}) << s.name;
  }
}

}  // namespace
}  // namespace tfmex::test
