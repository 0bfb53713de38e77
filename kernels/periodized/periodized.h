// One stage of a two-channel filter bank on a periodic block, its synthesis
// stage, the high-pass filter made from the low-pass one, and three vector
// routines. Blocks are read periodically: x[k mod n] for any integer k.
//
// Every filter sum starts from 0.0 and adds its terms in increasing tap order;
// no routine allocates, keeps state or fails. Outputs of the filter routines
// must not overlap their inputs.
#ifndef TFMEX_KERNELS_PERIODIZED_H
#define TFMEX_KERNELS_PERIODIZED_H

#include <cstddef>

namespace tfmex::periodized {

// g[j] = (-1)^j h[j], j = 0 .. m-1; nothing for m <= 0.
void mirrorfilt(const double* h, double* g, int m);

// y[i] = sum_j h[j] x[(2i + j) mod n], i = 0 .. n/2 - 1 (n even, or 1: no output).
void downlo(const double* x, int n, const double* h, int m, double* y);
// y[i] = sum_j g[j] x[(2i + 1 - j) mod n], i = 0 .. n/2 - 1.
void downhi(const double* x, int n, const double* g, int m, double* y);
// Both analysis halves of one block at once: lo = downlo(x, n, h, m) and
// hi = downhi(x, n, g, m), each output the same double as the separate
// routines give, with x read once. lo and hi must not overlap x or each other.
void downboth(const double* x, int n, const double* h, const double* g, int m, double* lo,
              double* hi);
// Transpose of downlo: n values in, 2n out.
// y[2i] = sum_{j<ce} h[2j] x[(i-j) mod n], y[2i+1] = sum_{j<co} h[2j+1] x[(i-j) mod n].
void uplo(const double* x, int n, const double* h, int m, double* y);
// Transpose of downhi: n values in, 2n out.
// y[2i] = sum_{j<co} g[2j+1] x[(i+j) mod n], y[2i+1] = sum_{j<ce} g[2j] x[(i+j) mod n].
void uphi(const double* x, int n, const double* g, int m, double* y);

// The whole synthesis stage at once: y = uplo(a, n, h, m) + uphi(d, n, g, m),
// 2n values, with each of the two sums formed exactly as uplo and uphi form
// it and the two then added, so y is the same doubles as the three separate
// passes give, without the two intermediate blocks. y must not overlap a or d.
void upboth(const double* a, const double* d, int n, const double* h, const double* g, int m,
            double* y);

// downboth and upboth along the rows of a block stored column after column
// (column c at t + c ldt, r values each): every lane of the sums below is one
// row, and every element is the same double the one-dimensional routine
// gives on that row. The indices of columns are taken modulo k.
// Analysis, output pairs i0 <= i < i1 of k/2 (column i of out gets the
// low-pass half, column k/2 + i the high-pass half, each ldo apart):
//   out_i = sum_j h[j] t_{2i+j},  out_{k/2+i} = sum_j g[j] t_{2i+1-j}.
void downboth_rows(const double* t, std::ptrdiff_t ldt, int k, int r, const double* h,
                   const double* g, int m, double* out, std::ptrdiff_t ldo, int i0, int i1);
// Synthesis from k coarse columns at a and k detail columns at d (both ld
// apart), input pairs i0 <= i < i1 of k, into columns 2i and 2i + 1 of out:
//   out_2i = sum_{j<ce} h[2j] a_{i-j} + sum_{j<co} g[2j+1] d_{i+j},
//   out_2i+1 = sum_{j<co} h[2j+1] a_{i-j} + sum_{j<ce} g[2j] d_{i+j}.
void upboth_rows(const double* a, const double* d, std::ptrdiff_t ld, int k, int r, const double* h,
                 const double* g, int m, double* out, std::ptrdiff_t ldo, int i0, int i1);

// dst[k] = src[k], k = 0 .. n-1.
void copydouble(const double* src, double* dst, int n);
// out[k] = a[k] + b[k] in increasing k; out may be a or b.
void adddouble(const double* a, const double* b, int n, double* out);
// dst[k] += src[k].
void copyadd(const double* src, double* dst, int n);

// The filter routines take the vector path tfmex::vector::path() names
// (kernels/vector); every path gives the same doubles.

}  // namespace tfmex::periodized

#endif
