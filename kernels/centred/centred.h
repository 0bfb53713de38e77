// One stage of a biorthogonal filter bank with symmetric filters of odd
// length, centred on their middle tap: the low-pass filter on the even
// samples, the high-pass filter on the odd ones. Blocks are periodic: every
// index is reduced modulo the block length, as often as needed, so a filter
// longer than the block wraps around it several times.
//
// For a filter of m taps, H = m/2 (rounded down) and B = (m+1)/2; for odd m,
// tap H is the centre. Every sum starts from 0.0 and adds its terms in
// increasing tap order. No routine allocates, keeps state or fails; outputs
// must not overlap inputs.
#ifndef TFMEX_KERNELS_CENTRED_H
#define TFMEX_KERNELS_CENTRED_H

namespace tfmex::centred {

// out[q] = (-1)^(q + (m-1)/2) f[q], q = 0 .. m-1: alternating signs with the
// centre tap of an odd-length filter keeping its sign. Nothing for m <= 0.
void mirrorsymmfilt(const double* f, double* out, int m);

// out[i] = sum_j h[j] x[(2i + j - H) mod k], i = 0 .. k/2 - 1 (tap H on x[2i]).
// Any m >= 0; nothing for k < 2.
void downlopbs(const double* x, int k, const double* h, int m, double* out);

// out[i] = sum_j g[j] x[(2i + B - j) mod k], i = 0 .. k/2 - 1 (for odd m,
// tap H on x[2i+1]). Any m >= 0; nothing for k < 2.
void downhipbs(const double* x, int k, const double* g, int m, double* out);

// Low-pass reconstruction, c values in, 2c out: a placed on the even places of
// a periodic sequence of 2c values and convolved with f centred on tap H,
//   out[t] = sum over q = t + H (mod 2) of f[q] a[((t + H - q)/2) mod c].
// Defined for odd m. For an even m the taps are still limited to
// f[0] .. f[m-1] (the result is then of no use, but nothing outside f is read).
void uplopbs(const double* a, int c, const double* f, int m, double* out);

// High-pass reconstruction, c values in, 2c out: b placed on the odd places of
// a periodic sequence of 2c values and correlated with f centred on tap H,
//   out[t] = sum over q = t + H + 1 (mod 2) of f[q] b[((t + q - H - 1)/2) mod c].
// Defined for odd m; an even m reads only f[0] .. f[m-1], as in uplopbs.
void uphipbs(const double* b, int c, const double* f, int m, double* out);

}  // namespace tfmex::centred

#endif
