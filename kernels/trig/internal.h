// Pieces of the Hartley transform shared with the cosine and sine kernels, and
// the bit-reversal helpers shared with the FFT.
#ifndef TFMEX_KERNELS_TRIG_INTERNAL_H
#define TFMEX_KERNELS_TRIG_INTERNAL_H

#include <cstddef>

#include "kernels/vector/vector.h"

namespace tfmex::trig::detail {

// The Hartley transform of n = 2^J values, J >= 0, without its final
// bit-reversal permutation, on the table of hartley_table (unread for n <= 4);
// on the path taken now, or on path p.
void hartley_unordered(double* x, int J, const double* table);
void hartley_unordered(double* x, int J, const double* table, vector::Path p);

// hartley on path p, for kernels that have read the path already.
void hartley(double* x, int J, const double* table, vector::Path p);

constexpr double kPi = 3.141592653589793;

// The angles of hartley's table for length n >= 8: visit(k, k theta) for
// k = 1 .. n/8 - 1, theta = 2 pi / n, the angle accumulated by repeated
// addition.
template <class Visit>
void hartley_angles(std::ptrdiff_t n, Visit visit) {
  const double theta = kPi * 2.0 / static_cast<double>(n);
  double a = theta;
  for (std::ptrdiff_t k = 1; k <= n / 8 - 1; ++k) {
    visit(k, a);
    a = a + theta;
  }
}

// The angles of the cosine kernels' rotation table for length n >= 2:
// visit(j, j pi / (2n)) for j = 0 .. n/2 - 1, accumulated likewise.
template <class Visit>
void rotation_angles(std::ptrdiff_t n, Visit visit) {
  const double step = kPi / (2.0 * static_cast<double>(n));
  double phi = 0.0;
  for (std::ptrdiff_t j = 0; j < n / 2; ++j) {
    visit(j, phi);
    phi = phi + step;
  }
}

// hartley's table for n >= 8 in table[0 .. n/2 - 4].
void build_hartley_table(double* table, std::ptrdiff_t n);

// Exchanges x[i] and x[r(i)] for every i below its J-bit reversal r(i).
void bit_reverse(double* x, int J);

// v's lowest `bits` bits in reverse order.
inline unsigned reverse_bits(unsigned v, int bits) {
  unsigned r = 0;
  for (int b = 0; b < bits; ++b, v >>= 1) r = (r << 1) | (v & 1u);
  return r;
}

// The reversal of t + 1 from r, the reversal of t, both in log2(count)
// bits (count a power of 2): the carry of t + 1 runs down from the top bit.
inline std::ptrdiff_t next_reversed(std::ptrdiff_t r, std::ptrdiff_t count) {
  std::ptrdiff_t m = count >> 1;
  while (m > 0 && (r & m)) {
    r ^= m;
    m >>= 1;
  }
  return r | m;
}

// The 3-bit reversals of 0 .. 7. Permutations by bit reversal split an index
// of J >= 6 bits as (high 3 bits, middle J - 6 bits, low 3 bits): the 64
// indices with one middle part, and their reversals, then lie in 8 runs of 8
// consecutive indices each, so a tile of them touches only 8 cache lines.
constexpr std::ptrdiff_t kReverse3[8] = {0, 4, 2, 6, 1, 5, 3, 7};

// What the batched type-IV transform (batched.inc), which runs
// trigc4_tabled's steps lane by lane, takes from trigc4: the constants its
// first two passes leave at every position (re_a and re_b in the real parts
// of the even and odd packed positions, ti added to and subtracted from the
// values), and where the split's twiddles lie among trigc4_tables'.
struct C4Start {
  double re_a, re_b, ti;
};
C4Start trigc4_start();
std::ptrdiff_t trigc4_split_at(std::ptrdiff_t n);

}  // namespace tfmex::trig::detail

#endif
