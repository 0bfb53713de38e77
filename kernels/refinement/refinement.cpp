#include "refinement.h"

#include <cmath>
#include <cstddef>

namespace tfmex::refinement {

namespace {

// Differences and ratios below this are treated as flat.
constexpr double kFlat = 1e-14;

// The three square roots the median rules share.
double S1(double t) { return std::sqrt((16 * t + 16) + std::pow(t, 2)); }
double S2(double t) { return std::sqrt((16 * t + 1) + 16 * std::pow(t, 2)); }
double S3(double t) { return std::sqrt((1 - 62 * t) + std::pow(t, 2)); }

// The rational piece shared by q1, q1left and q3left on their outer intervals.
double rational_piece(double t) {
  return ((214 * t - 323) - 35 * std::pow(t, 2)) / ((t - 1) * 288);
}

bool within(double t, double lo, double hi) { return lo <= t && t <= hi; }

// Interval bounds, each the double nearest to the quotient.
constexpr double k7_3 = 7.0 / 3.0;
constexpr double k1_5 = 1.0 / 5.0;
constexpr double k3_7 = 3.0 / 7.0;
constexpr double km1_3 = -1.0 / 3.0;
constexpr double km10_7 = -10.0 / 7.0;
constexpr double km7_10 = -7.0 / 10.0;
constexpr double k23_11 = 23.0 / 11.0;
constexpr double k57_20 = 57.0 / 20.0;
constexpr double k51_14 = 51.0 / 14.0;

using TripleRule = void (*)(double, double, double, double*, double*, double*);

// Sequence refinement with an interior and an edge rule; the right edge is the
// mirror image of the left one (the edge rule on the negated, reversed last
// three values, its results negated and stored from the outside in).
void refine_sequence(const double* c, double* f, int m, int D, TripleRule interior,
                     TripleRule edge) {
  if (D == 0) {
    for (std::ptrdiff_t i = 0; i < m; ++i) f[3 * i] = f[3 * i + 1] = f[3 * i + 2] = c[i];
    return;
  }
  // The edge rules read three values: with fewer there is nothing sound to do.
  if (D != 2 || m < 3) return;
  edge(c[0], c[1], c[2], &f[0], &f[1], &f[2]);
  for (std::ptrdiff_t i = 1; i <= m - 2; ++i)
    interior(c[i - 1], c[i], c[i + 1], &f[3 * i], &f[3 * i + 1], &f[3 * i + 2]);
  const std::ptrdiff_t e = 3 * static_cast<std::ptrdiff_t>(m);
  edge(-c[m - 1], -c[m - 2], -c[m - 3], &f[e - 1], &f[e - 2], &f[e - 3]);
  f[e - 3] = -f[e - 3];
  f[e - 2] = -f[e - 2];
  f[e - 1] = -f[e - 1];
}

}  // namespace

void QuadAveRefine(double a1, double a2, double a3, double* o1, double* o2, double* o3) {
  *o1 = ((5 * a1 + 26 * a2) - 4 * a3) / 27;
  *o2 = ((-a1 + 29 * a2) - a3) / 27;
  *o3 = ((-4 * a1 + 26 * a2) + 5 * a3) / 27;
}

void QuadAveRefineLeft(double a1, double a2, double a3, double* o1, double* o2, double* o3) {
  *o1 = ((41 * a1 - 19 * a2) + 5 * a3) / 27;
  *o2 = ((26 * a1 + 2 * a2) - a3) / 27;
  *o3 = ((14 * a1 + 17 * a2) - 4 * a3) / 27;
}

// Each scalar function tests its intervals in a fixed order, bounds included;
// the first interval holding t gives the value, the last row everything else.

double q1(double t) {
  if (within(t, k7_3, 5)) return ((7 * t + 59) - 8 * S1(t)) / 27;
  if (within(t, k1_5, k3_7)) return ((16 * t + 26) - 4 * S2(t)) / 27;
  if (within(t, -3, km1_3)) return ((13 * t + 77) + 8 * S3(t)) / 135;
  if (within(t, -11, -3)) return rational_piece(t);
  return (7 - t) / 9;
}

double q2(double t) {
  if (within(t, km10_7, km7_10)) {
    const double s = S3(t);
    return (((1097 - 1174 * t) + 17 * std::pow(t, 2)) + (278 - 8 * t) * s) /
           (((4 - 4 * t) + s) * 270);
  }
  if (within(t, -3, km10_7) || within(t, km7_10, km1_3)) return ((7 * t + 23) + 2 * S3(t)) / 30;
  return 1;
}

double q1left(double t) {
  if (within(t, k7_3, 5)) return ((76 * t + 251) - 56 * S1(t)) / 27;
  if (within(t, k1_5, k3_7)) return ((-25 - 32 * t) + 8 * S2(t)) / 27;
  if (within(t, -3, km1_3)) return ((11 * t - 101) - 14 * S3(t)) / 270;
  if (within(t, k23_11, k7_3)) return rational_piece(t);
  return (2 * t - 5) / 9;
}

// Middle sub-block of the edge block. Take the edge block as [0, 1] (outer
// side at 0) and the quadratic f(x) = A (x - v)^2 + c. Over a cell of width w
// the median of f is its value at the cell's centre while the vertex v stays
// at least w/4 from that centre, and f(v + w/4) = c + A w^2/16 otherwise.
// For 7/3 <= t <= 5 the vertex lies in the edge block within a quarter of its
// centre (v = 1/4 at t = 7/3, v = 3/4 at t = 5, v increasing with t). The
// middle sub-block [1/3, 2/3] has w = 1/3: its median is f(1/2) up to
// t = 57/20 (v = 5/12) and from t = 51/14 (v = 7/12), the first row. In
// between, the vertex lies within 1/12 of the sub-block's centre and the
// median is c + A/144; solving the three block-median conditions
// (c + A/16 = a1, f(3/2) = a2, f(5/2) = a3) gives, in units of a2 - a1,
// (S1 - 2t - 4) / 27. This piece comes from the same definition as the rows
// around it and meets them: -1/20 at t = 57/20 and -1/14 at t = 51/14.
double q2left(double t) {
  if (within(t, k7_3, k57_20) || within(t, k51_14, 5)) return ((5 * t + 19) - 4 * S1(t)) / 3;
  if (k57_20 < t && t < k51_14) return ((S1(t) - 2 * t) - 4) / 27;
  return 0;
}

double q3left(double t) {
  if (within(t, k7_3, 5)) return ((22 * t + 107) - 20 * S1(t)) / 27;
  if (within(t, k1_5, k3_7)) return ((16 * t + 17) - 4 * S2(t)) / 27;
  if (within(t, -3, km1_3)) return ((t + 17) + 2 * S3(t)) / 54;
  if (within(t, 5, 13)) return rational_piece(t);
  return (4 - t) / 9;
}

void QuadMedRefine(double a1, double a2, double a3, double* o1, double* o2, double* o3) {
  const double d = a2 - a1;
  if (std::fabs(d) < kFlat && std::fabs(a3 - a2) < kFlat) {
    *o1 = *o2 = *o3 = a1;
    return;
  }
  if (std::fabs(d) < kFlat) {
    // Refine the mirrored triple, whose left difference a3 - a2 is not flat:
    // the recursion is one level deep.
    QuadMedRefine(-a3, -a2, -a1, o3, o2, o1);
    *o1 = -*o1;
    *o2 = -*o2;
    *o3 = -*o3;
    return;
  }
  const double t = (a3 - a2) / d;
  *o1 = a1 + (a2 - a1) * q1(t);
  *o2 = a1 + (a2 - a1) * q2(t);
  // The third value is the first value of the mirrored triple (shape ratio
  // 1/t) rewritten relative to a1; 10/9 is its limit as t approaches 0.
  if (std::fabs(t) > kFlat) *o3 = a1 + (a2 - a1) * ((t + 1) - t * q1(1 / t));
  else *o3 = a1 + ((a2 - a1) * 10) / 9;
}

void QuadMedRefineLeft(double a1, double a2, double a3, double* o1, double* o2, double* o3) {
  const double d = a2 - a1;
  if (std::fabs(d) < kFlat && std::fabs(a3 - a2) < kFlat) {
    *o1 = *o2 = *o3 = a1;
    return;
  }
  if (std::fabs(d) < kFlat) {
    // A flat left difference leaves no finite shape ratio: refine by the
    // interior rule on the mirrored triple, as QuadMedRefine does. With
    // delta = a3 - a2 this gives a1 - delta/9, a1, a1 + 2 delta/9.
    QuadMedRefine(-a3, -a2, -a1, o3, o2, o1);
    *o1 = -*o1;
    *o2 = -*o2;
    *o3 = -*o3;
    return;
  }
  const double t = (a3 - a2) / d;
  *o1 = a1 + (a2 - a1) * q1left(t);
  *o2 = a1 + (a2 - a1) * q2left(t);
  *o3 = a1 + (a2 - a1) * q3left(t);
}

void QuadLMIRefine(double a1, double a2, double a3, double* o1, double* o2, double* o3) {
  *o1 = ((2 * a1 + 8 * a2) - a3) / 9;
  *o2 = a2;
  *o3 = ((-a1 + 8 * a2) + 2 * a3) / 9;
}

void QuadLMIRefineLeft(double a1, double a2, double a3, double* o1, double* o2, double* o3) {
  *o1 = ((14 * a1 - 7 * a2) + 2 * a3) / 9;
  *o2 = a1;
  *o3 = ((5 * a1 + 5 * a2) - a3) / 9;
}

void AveRefineSeq(const double* c, double* f, int m, int D) {
  refine_sequence(c, f, m, D, QuadAveRefine, QuadAveRefineLeft);
}

void CenterPredict(const double* c, double* f, int m, int D) {
  refine_sequence(c, f, m, D, QuadMedRefine, QuadMedRefineLeft);
}

void TriplePredict(const double* c, double* f, int m, int D) {
  refine_sequence(c, f, m, D, QuadLMIRefine, QuadLMIRefineLeft);
}

void copydouble(const double* src, int index, double* dst, int count) {
  for (int i = 0; i < count; ++i) dst[i] = src[static_cast<std::ptrdiff_t>(index) + i];
}

int pow3(int k) { return static_cast<int>(std::pow(3.0, k)); }

double level_scale(int J, int b) { return std::pow(3.0, (J - b) * 0.5); }

}  // namespace tfmex::refinement
