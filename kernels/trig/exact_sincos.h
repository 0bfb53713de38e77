// Correctly rounded sine and cosine in plain IEEE double arithmetic, so that
// every trigonometric table is the same doubles on every machine and with
// every C library.
//
// A fast path reduces the argument by pi/2 and evaluates around a table of
// sin and cos at multiples of 1/256 in double-double arithmetic, with a bound
// on its error; when that bound leaves the rounding open, the value is
// recomputed with big integers (fixed storage, no allocation) at 128, 256, ...
// bits until the rounding is decided. The sine and cosine of a non-zero double
// are transcendental, never a midpoint between doubles, so some precision
// always decides; the loop stops at 4096 bits, many times what the hardest
// double arguments are known to need, and returns the nearest double to its
// value there.
#ifndef TFMEX_KERNELS_TRIG_EXACT_SINCOS_H
#define TFMEX_KERNELS_TRIG_EXACT_SINCOS_H

namespace tfmex::trig {

// sin(x) and cos(x) rounded to the nearest double, for every finite x;
// NaN for NaN and infinities. sin_rn(-0.0) is -0.0.
double sin_rn(double x);
double cos_rn(double x);

namespace detail {

// The two paths on their own, for the tests that count and check them.
//
// A value hi + lo of sin(x) or cos(x) with |true value - (hi + lo)| <= err.
struct Approx {
  double hi, lo, err;
};
// The fast path, for 2^-27 <= |x| < 2^22.
constexpr double kFastLimit = 4194304.0;  // 2^22
constexpr double kTiny = 0x1p-27;
Approx sin_approx(double x);
Approx cos_approx(double x);
// True with *out the rounding of the value a stands for when every number
// within a.err of a.hi + a.lo rounds to the same double.
bool rounding_settled(const Approx& a, double* out);
// The big-integer path, for finite x with |x| >= 2^-27.
double sincos_exact(double x, bool cosine);

}  // namespace detail

}  // namespace tfmex::trig

#endif
