// Trigonometric transforms on plain arrays of doubles:
//
//  - hartley: orthonormal discrete Hartley transform of 2^J values, in place;
//  - dct, idct, dst, idst: orthonormal cosine and sine transforms of types II
//    and III, each one reordering and rotating its signal around one hartley;
//  - four1: in-place complex radix-2 FFT, unscaled;
//  - realft: real FFT of N points through a complex FFT of N/2 points;
//  - trigc4: orthonormal type-IV cosine transform through a real FFT of 8n.
//
// No routine fails; each trusts its lengths. The transforms keep their tables
// in the caller's workspace, keyed by its first value (see hartley and dct
// below); cosine_tables and shared_trigc4_tables fetch them from the
// plug-in's table cache, which allocates (and falls back to building in place
// when it cannot). Twiddle factors come from fixed recurrences, constants and
// correctly rounded sines and cosines, so every machine computes the same
// doubles.
#ifndef TFMEX_KERNELS_TRIG_H
#define TFMEX_KERNELS_TRIG_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace tfmex::trig {

// True when work[0], truncated toward zero, equals n: the tables of length n
// are taken as built. A first value outside the int range (or NaN) never
// matches.
bool table_ready(const double* work, int n);

// x (n = 2^J values, J >= 0) becomes
//   H[k] = n^(-1/2) sum_j x[j] (cos(2 pi j k / n) + sin(2 pi j k / n)).
// The transform is its own inverse.
//
// For n >= 8 the cosine/sine table lives in work[0 .. n/2 - 4]: work[0] = n
// marks the length it was built for, then with w = n/8 - 1 and theta = 2 pi/n
// the four columns cos(k theta), sin(k theta), cos(3k theta), sin(3k theta),
// k = 1 .. w. The table is rebuilt only when work[0] does not mark n, so a
// workspace kept across calls of one length is filled once. For n <= 4 the
// workspace is not touched (it may then be null).
void hartley(double* x, int J, double* work);

// Type-II and type-III cosine and sine transforms of n = 2^J values, in
// place on x; y is scratch of n values; work holds 2n values shared with
// hartley: its table at the front, the rotation table in work[n/2 .. 3n/2-1]
// (alpha_j = (cos phi_j - sin phi_j) / sqrt 2 at n/2 + j, beta_j =
// (cos phi_j + sin phi_j) / sqrt 2 at n + j, phi_j = j pi / (2n)).
//
// The rotation table is rebuilt unless work[0] already marks n. hartley sets
// that mark for n >= 8, so a workspace kept for one length and used only by
// these four kernels builds both tables once; for n = 2 and 4 the rotation
// table is rebuilt on every call, whatever work[0] holds. A workspace that hartley alone has marked
// holds no rotation table and must not be handed to them.
//
// With c_0 = 1/sqrt 2, c_k = 1 (k >= 1), d_{n-1} = 1/sqrt 2, d_k = 1 (k < n-1):
//   dct:  X[k] = sqrt(2/n) c_k sum_m x[m] cos(pi (2m+1) k / (2n))
//   idct: x[m] = sqrt(2/n) sum_k c_k X[k] cos(pi (2m+1) k / (2n))
//   dst:  S[k] = sqrt(2/n) d_k sum_m x[m] sin(pi (2m+1)(k+1) / (2n))
//   idst: x[m] = sqrt(2/n) sum_k d_k S[k] sin(pi (2m+1)(k+1) / (2n))
// For n = 1 every one leaves x as it is.
void dct(double* x, double* y, int J, double* work);

// Puts both tables of dct, idct, dst and idst for n = 2^J into work (marking
// it for n) from the plug-in's table cache (trig/table_cache.h), where they
// are built on first use; builds them in work when the cache cannot have
// them. Leaves work alone for n < 8 or when work[0] already marks n. The
// kernels then find the tables they would have built.
void cosine_tables(double* work, int J);
void idct(double* x, double* y, int J, double* work);
void dst(double* x, double* y, int J, double* work);
void idst(double* x, double* y, int J, double* work);

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
inline std::size_t trigc4_table_size(int n) { return n < 2 ? 2 : 6 * static_cast<std::size_t>(n) - 4; }

// trigc4's tables for n from the plug-in's table cache, built there on first
// use, and kept alive by *holder; when the cache cannot have them, built into
// room (trigc4_table_size(n) values) instead. The result is room or the
// cached table.
const double* shared_trigc4_tables(int n, double* room, std::shared_ptr<const std::vector<double>>* holder);
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
