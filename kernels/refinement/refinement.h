// Triadic refinement rules: a coarse sequence holds one value per block, and
// refinement splits every block into three equal sub-blocks and predicts the
// value of each from the block and its two neighbours.
//
// - Average-interpolating (QuadAveRefine*): the values are block means; the
//   quadratic with the three given block means is taken and its means over the
//   three sub-blocks are returned.
// - Median-interpolating (QuadMedRefine*, built on q1, q2, q1left, q2left,
//   q3left): the values are block medians; the quadratic with the three given
//   block medians is taken and its medians over the sub-blocks are returned.
// - Linear (QuadLMIRefine*): the values are samples at block centres; the
//   quadratic through them is evaluated at the sub-block centres.
//
// Interior rules refine the middle block a2 of (a1, a2, a3), outputs left to
// right. Edge rules refine the outermost block a1 (a2, a3 its inward
// neighbours), o1 belonging to the outermost sub-block. Every sum is formed
// left to right as written in the definitions; nothing here allocates, keeps
// state or fails.
#ifndef TFMEX_KERNELS_REFINEMENT_H
#define TFMEX_KERNELS_REFINEMENT_H

namespace tfmex::refinement {

// Average-interpolating triple rules (numerators over 27).
void QuadAveRefine(double a1, double a2, double a3, double* o1, double* o2, double* o3);
void QuadAveRefineLeft(double a1, double a2, double a3, double* o1, double* o2, double* o3);

// Median-interpolating scalar functions of the shape ratio t = (a3 - a2) / (a2 - a1):
// sub-block values as multiples of a2 - a1 above a1.
double q1(double t);      // interior block, first sub-block
double q2(double t);      // interior block, middle sub-block
double q1left(double t);  // edge block, outer sub-block
double q2left(double t);  // edge block, middle sub-block
double q3left(double t);  // edge block, inner sub-block

// Median-interpolating triple rules.
void QuadMedRefine(double a1, double a2, double a3, double* o1, double* o2, double* o3);
void QuadMedRefineLeft(double a1, double a2, double a3, double* o1, double* o2, double* o3);

// Linear triple rules (numerators over 9).
void QuadLMIRefine(double a1, double a2, double a3, double* o1, double* o2, double* o3);
void QuadLMIRefineLeft(double a1, double a2, double a3, double* o1, double* o2, double* o3);

// Sequence refinements: c (m values) -> f (3m values), block i into
// f[3i .. 3i+2]. D = 0 repeats every value three times; D = 2 applies the edge
// rule to block 0, the interior rule to blocks 1 .. m-2 and the mirrored edge
// rule to block m-1 (it needs m >= 3: with fewer values f is left untouched,
// as it is for any other D).
void AveRefineSeq(const double* c, double* f, int m, int D);   // average-interpolating
void CenterPredict(const double* c, double* f, int m, int D);  // median-interpolating
void TriplePredict(const double* c, double* f, int m, int D);  // linear

// Indexed copy: dst[i] = src[index + i] for i = 0 .. count-1.
void copydouble(const double* src, int index, double* dst, int count);

// 3^k for k >= 0, formed as pow(3, k) truncated to an int (k <= 19).
int pow3(int k);

// Scale factor of level b in a pyramid of J levels: 3^((J - b) / 2), formed as
// pow(3, (J - b) * 0.5) with the exponent in double precision.
double level_scale(int J, int b);

}  // namespace tfmex::refinement

#endif
