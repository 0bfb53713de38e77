// Trigonometric transforms on plain arrays of doubles:
//
//  - hartley: orthonormal discrete Hartley transform of 2^J values, in place;
//  - dct, idct, dst, idst: orthonormal cosine and sine transforms of types II
//    and III, each one reordering and rotating its signal around one hartley;
//  - four1: in-place complex radix-2 FFT, unscaled;
//  - realft: real FFT of N points through a complex FFT of N/2 points;
//  - trigc4: orthonormal type-IV cosine transform through a real FFT of 8n.
//
// No routine fails; each trusts its lengths. The tables every transform
// reads (twiddles and rotations) depend on the length alone: each has its
// builder, and is handed to the transform read-only, so one table serves any
// number of calls and threads at once. shared_cosine_tables and
// shared_trigc4_tables fetch them from the table cache (trig/table_cache.h),
// which builds each on first use and falls back to building it in the
// caller's room when it cannot have it. Twiddle factors come from fixed
// recurrences, constants and correctly rounded sines and cosines, so every
// machine computes the same doubles.
#ifndef TFMEX_KERNELS_TRIG_H
#define TFMEX_KERNELS_TRIG_H

#include <cstddef>
#include <cstdint>

#include "table_cache.h"

namespace tfmex::trig {

// x (n = 2^J values, J >= 0) becomes
//   H[k] = n^(-1/2) sum_j x[j] (cos(2 pi j k / n) + sin(2 pi j k / n)).
// The transform is its own inverse. table is hartley_table's for n; for
// n <= 4 it is not read (and may be null).
void hartley(double* x, int J, const double* table);

// hartley's table for n >= 8 in table[0 .. n/2 - 4]: with w = n/8 - 1 and
// theta = 2 pi/n the four columns cos(k theta), sin(k theta), cos(3k theta),
// sin(3k theta), k = 1 .. w, entry k of each at its start + k (table[0] is
// 0). Nothing for n < 8.
void hartley_table(double* table, int n);
inline std::size_t hartley_table_size(int n) {
  return n >= 8 ? static_cast<std::size_t>(n) / 2 - 3 : 0;
}

// Type-II and type-III cosine and sine transforms of n = 2^J values, in
// place on x; y is scratch of n values; tables is cosine_tables' for n (not
// read for n = 1, and may then be null).
//
// With c_0 = 1/sqrt 2, c_k = 1 (k >= 1), d_{n-1} = 1/sqrt 2, d_k = 1 (k < n-1):
//   dct:  X[k] = sqrt(2/n) c_k sum_m x[m] cos(pi (2m+1) k / (2n))
//   idct: x[m] = sqrt(2/n) sum_k c_k X[k] cos(pi (2m+1) k / (2n))
//   dst:  S[k] = sqrt(2/n) d_k sum_m x[m] sin(pi (2m+1)(k+1) / (2n))
//   idst: x[m] = sqrt(2/n) sum_k d_k S[k] sin(pi (2m+1)(k+1) / (2n))
// For n = 1 every one leaves x as it is.
void dct(double* x, double* y, int J, const double* tables);
void idct(double* x, double* y, int J, const double* tables);
void dst(double* x, double* y, int J, const double* tables);
void idst(double* x, double* y, int J, const double* tables);

// The tables of dct, idct, dst and idst for n >= 2, cosine_table_size(n)
// values: hartley's table at the front (room of n/2 zeros for n < 8), then
// the rotation table, alpha_j = (cos phi_j - sin phi_j) / sqrt 2 at n/2 + j
// and beta_j = (cos phi_j + sin phi_j) / sqrt 2 at n + j, phi_j = j pi / (2n),
// j = 0 .. n/2 - 1. Nothing for n = 1.
void cosine_tables(double* tables, int n);
inline std::size_t cosine_table_size(int n) {
  return n >= 2 ? std::size_t{3} * static_cast<std::size_t>(n) / 2 : 0;
}

// The cosine tables of n from the table cache, built there on first use and
// kept alive by *holder; when the cache cannot have them, built into room
// (cosine_table_size(n) values) instead. The result is the cached table or
// room (room itself, untouched, for n = 1).
const double* shared_cosine_tables(int n, double* room, SharedTable* holder);

// nn complex values interleaved (real part first) in data[0 .. 2nn-1], nn a
// power of two or 0, become F_k = sum_j f_j exp(isign 2 pi i j k / nn),
// isign = +1 or -1, unscaled. nn = 0 leaves data untouched.
void four1(double* data, int nn, int isign);

// Forward real FFT of N real values (N a power of two, N >= 4) in place:
// F_k = sum_m y[m] exp(+2 pi i m k / N) is left as data[0] = F_0,
// data[1] = F_{N/2}, data[2k] = Re F_k, data[2k+1] = Im F_k, k = 1 .. N/2-1.
// Only the forward direction exists: isign must be +1.
void realft(double* data, int N, int isign);

// out[j] = sqrt(2/n) sum_i x[i] cos(pi (2i+1)(2j+1) / (4n)), j = 0 .. n-1,
// n >= 1 a power of two; work holds 8n values and is left holding scratch
// (only the odd half of the 8n-point embedding is computed). x is read
// completely before out is written, so out may be x. The transform is its
// own inverse.
void trigc4(const double* x, double* out, double* work, int n);

// trigc4 in two steps, for callers that transform many blocks of one length:
// trigc4_tables fills tables[0 .. 6n-5] (tables[0 .. 1] for n = 1) with the
// twiddles trigc4 makes on every call, which depend on n alone, and
// trigc4_tabled then transforms x with them, work holding 4n values. The
// results are the doubles of trigc4. tables must not overlap work, x or out.
void trigc4_tables(double* tables, int n);
inline std::size_t trigc4_table_size(int n) {
  return n < 2 ? 2 : 6 * static_cast<std::size_t>(n) - 4;
}

// trigc4's tables for n from the table cache, built there on first use, and
// kept alive by *holder; when the cache cannot have them, built into room
// (trigc4_table_size(n) values) instead. The result is room or the cached
// table.
const double* shared_trigc4_tables(int n, double* room, SharedTable* holder);
void trigc4_tabled(const double* x, double* out, double* work, const double* tables, int n);

// The first place of a workspace of 8n values (n >= 1 a power of two) that
// lies on a 32-byte boundary, at most three values in: trigc4's vector passes
// run faster on scratch aligned so (its AVX-512 passes need a 64-byte
// boundary, and take AVX2 ones elsewhere). trigc4 uses 8n - 4 values for n >= 2 (and
// trigc4_tabled with its tables 10f - 4 for f <= n/2), so the scratch still
// fits from there; for n = 1 it is work itself.
inline double* trigc4_scratch(double* work, int n) {
  if (n < 2) return work;
  const std::uintptr_t misalign = reinterpret_cast<std::uintptr_t>(work) % 32;
  return misalign % 8 != 0 || misalign == 0 ? work : work + (32 - misalign) / 8;
}

}  // namespace tfmex::trig

#endif
