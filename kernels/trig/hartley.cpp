// Split-radix decimation-in-frequency Hartley transform with a final
// bit-reversal permutation.
//
// The stages are run depth first: a block of K values at stage s is followed
// at once by the blocks it feeds, its first half (K/2 values, stage s + 1) and
// its two quarters (K/4 values each, stage s + 2). Every value therefore meets
// the same operations on the same operands as in a stage-by-stage sweep, but a
// block that fits in the cache is finished there.
//
// Every stage leaves each value divided by 1.414213562373095 once. The
// division is done when the stage writes the value; a value that the next
// stage leaves alone (the quarters, which wait one stage for their turn) is
// divided a second time right away. Each division is still a separate IEEE
// division of the same value, so the results are those of dividing all n
// values after every stage.
#include <cstddef>

#include "exact_sincos.h"
#include "internal.h"
#include "kernels/vector/lanes.h"
#include "trig.h"

namespace tfmex::trig {

namespace {

constexpr double kHalfRoot2 = 0.707106781186547;  // weight of the length-2 transform
constexpr double kRoot2 = 1.414213562373095;      // split-radix factor and stage divisor

inline double once(double v) { return v / kRoot2; }
inline double twice(double v) { return (v / kRoot2) / kRoot2; }

// The stage divisions of a value written by a block: once for its first
// half, twice for its quarters; none where the divisions are made apart.
template <bool divide>
inline double first_half(double v) {
  return divide ? once(v) : v;
}
template <bool divide>
inline double quarter(double v) {
  return divide ? twice(v) : v;
}

}  // namespace

// cos and sin of k theta and of 3k theta, k = 1 .. w, theta = 2 pi / n,
// correctly rounded; entry 0 of the first column is not a twiddle (the
// vector loops load it into a lane whose results they never store) and is 0.
void detail::build_hartley_table(double* table, std::ptrdiff_t n) {
  const std::ptrdiff_t w = n / 8 - 1;
  table[0] = 0.0;
  detail::hartley_angles(n, [&](std::ptrdiff_t k, double a) {
    table[k] = cos_rn(a);
    table[w + k] = sin_rn(a);
    table[2 * w + k] = cos_rn(3.0 * a);
    table[3 * w + k] = sin_rn(3.0 * a);
  });
}

namespace {

// The four table columns; entry k of each at index k.
struct Columns {
  const double* c1;
  const double* s1;
  const double* c3;
  const double* s3;
};

// The rotating butterfly of position i (1 <= i < K/8) of the block at x with
// quarter length K4, twiddles taken at table index t.
template <bool divide = true>
inline void butterfly(double* x, std::ptrdiff_t K, std::ptrdiff_t K4, std::ptrdiff_t i,
                      std::ptrdiff_t t, const Columns& tab) {
  double* const x1 = x;
  double* const x2 = x + K4;
  double* const x3 = x + 2 * K4;
  double* const x4 = x + 3 * K4;
  const double c1 = tab.c1[t], s1 = tab.s1[t], c3 = tab.c3[t], s3 = tab.s3[t];
  const double u1 = x1[i], u2 = x2[i], u3 = x3[i], u4 = x4[i];
  const double t1 = x1[K - i], t2 = x2[-i], t3 = x3[-i], t4 = x4[-i];
  const double e = (u1 - u3) + (t2 - t4);
  const double f = (u4 - u2) + (t3 - t1);
  const double g = (u1 - u3) - (t2 - t4);
  const double h = (u4 - u2) - (t3 - t1);
  x1[i] = first_half<divide>(u1 + u3);
  x2[i] = first_half<divide>(u2 + u4);
  x2[-i] = first_half<divide>(t2 + t4);
  x3[-i] = first_half<divide>(t3 + t1);
  x3[i] = quarter<divide>(e * c1 + f * s1);
  x4[-i] = quarter<divide>(e * s1 - f * c1);
  x4[i] = quarter<divide>(g * c3 - h * s3);
  x1[K - i] = quarter<divide>(g * s3 + h * c3);
}

// The first two steps of a block of K >= 4 values at x: its positions 0 and
// K/8 of each quarter.
template <bool divide>
inline void block_heads(double* x, std::ptrdiff_t K) {
  const std::ptrdiff_t K4 = K / 4, K8 = K / 8;
  double* const x1 = x;
  double* const x2 = x + K4;
  double* const x3 = x + 2 * K4;
  double* const x4 = x + 3 * K4;
  {
    const double a1 = x1[0], a2 = x2[0], a3 = x3[0], a4 = x4[0];
    x1[0] = first_half<divide>(a1 + a3);
    x2[0] = first_half<divide>(a2 + a4);
    x3[0] = quarter<divide>((a1 - a3) + (a2 - a4));
    x4[0] = quarter<divide>((a1 - a3) - (a2 - a4));
  }
  if (K4 >= 2) {
    const double b1 = x1[K8], b2 = x2[K8], b3 = x3[K8], b4 = x4[K8];
    x1[K8] = first_half<divide>(b1 + b3);
    x2[K8] = first_half<divide>(b2 + b4);
    x3[K8] = quarter<divide>((b1 - b3) * kRoot2);
    x4[K8] = quarter<divide>((b2 - b4) * kRoot2);
  }
}

// The operations of one block of K >= 4 values at x without the divisions:
// the first two steps, and the rotating butterflies unless `heads_only`.
void block_undivided(double* x, std::ptrdiff_t K, std::ptrdiff_t S, const Columns& tab,
                     bool heads_only) {
  block_heads<false>(x, K);
  if (heads_only) return;
  for (std::ptrdiff_t i = 1; i < K / 8; ++i) butterfly<false>(x, K, K / 4, i, i * S, tab);
}

// Blocks of K values read the twiddles of table index i S, i < K/8, S = n/K:
// one value per cache line once S >= 8, and the lines read exceed the block's
// own values. Every block of one length reads the same twiddles, so for the
// lengths up to kPackedMax8 (counted in K/8) they are copied once per call,
// contiguously, into a buffer on the stack: the columns of the level with
// K/8 = m at 4 (m - 8), each m long.
constexpr std::ptrdiff_t kPackedMax8 = 512;

struct Packed {
  double values[4 * 2 * kPackedMax8];

  Columns level(std::ptrdiff_t K8) const {
    const double* p = values + 4 * (K8 - 8);
    return {p, p + K8, p + 2 * K8, p + 3 * K8};
  }
};

// Copies the twiddles of every level with 8 <= K/8 <= kPackedMax8 below the
// top one (n = 8 K8 S, S >= 2).
void pack(Packed& packed, std::ptrdiff_t n, const Columns& tab) {
  for (std::ptrdiff_t K8 = 8; K8 <= kPackedMax8 && 16 * K8 <= n; K8 *= 2) {
    const std::ptrdiff_t S = n / (8 * K8);
    double* p = packed.values + 4 * (K8 - 8);
    for (std::ptrdiff_t i = 0; i < K8; ++i) {
      p[i] = tab.c1[i * S];
      p[K8 + i] = tab.s1[i * S];
      p[2 * K8 + i] = tab.c3[i * S];
      p[3 * K8 + i] = tab.s3[i * S];
    }
  }
}

// Blocks up to this length are finished stage by stage: each stage's block
// operations undivided, then one vector division of all their values.
constexpr std::ptrdiff_t kLeaf = 128;

// The vector stages (hartley_kernels.inc), built once for each vector path.
#define TFMEX_KERNEL "kernels/trig/hartley_kernels.inc"
#include "kernels/vector/each_path.inc"

// The block of K >= 4 values at x, table stride S; its outputs divided once
// (first half) or twice (quarters).
void block(double* x, std::ptrdiff_t K, std::ptrdiff_t S, const Columns& tab) {
  block_heads<true>(x, K);
  for (std::ptrdiff_t i = 1; i < K / 8; ++i) butterfly(x, K, K / 4, i, i * S, tab);
}

// Stage s on the K = n / 2^s values at x, and every later stage of them:
// the portable path.
void stages(double* x, std::ptrdiff_t K, std::ptrdiff_t S, const Columns& tab) {
  if (K == 1) return;
  if (K == 2) {
    const double a = x[0], c = x[1];
    x[0] = once(a + c);
    x[1] = once(a - c);
    return;
  }
  block(x, K, S, tab);
  stages(x, K / 2, 2 * S, tab);
  stages(x + K / 2, K / 4, 4 * S, tab);
  stages(x + 3 * K / 4, K / 4, 4 * S, tab);
}

}  // namespace

namespace detail {

void hartley_unordered(double* x, int J, const double* table, vector::Path p) {
  const std::ptrdiff_t n = std::ptrdiff_t{1} << J;
  if (n == 1) return;
  if (n == 2) {
    const double a = x[0], b = x[1];
    x[0] = (a + b) * kHalfRoot2;
    x[1] = (a - b) * kHalfRoot2;
    return;
  }
  if (n == 4) {
    // Closed form, already in natural order; undo the exchange of 1 and 2
    // that the permutation will make.
    const double B = (x[0] + x[2]) * 0.5, F = (x[0] - x[2]) * 0.5;
    const double W = (x[1] + x[3]) * 0.5, G = (x[1] - x[3]) * 0.5;
    x[0] = B + W;
    x[2] = F + G;
    x[1] = B - W;
    x[3] = F - G;
    return;
  }
  const std::ptrdiff_t w = n / 8 - 1;
  const Columns tab{table, table + w, table + 2 * w, table + 3 * w};
  TFMEX_PATH_CALL(p, stages(x, n, 1, tab), transform_wide(x, n, tab));
}

// Small lengths step a reversed counter; from 64 values on the indices are
// split as (high 3 bits, middle, low 3 bits) and 8 x 8 tiles are exchanged
// with their mirror tiles, so each tile touches 8 cache lines.
void bit_reverse(double* x, int J) {
  const std::ptrdiff_t n = std::ptrdiff_t{1} << J;
  if (J < 6) {
    std::ptrdiff_t r = 0;
    for (std::ptrdiff_t i = 0; i < n - 1; ++i) {
      if (i < r) {
        const double t = x[i];
        x[i] = x[r];
        x[r] = t;
      }
      r = next_reversed(r, n);
    }
    return;
  }
  const int mid = J - 6, high = J - 3;
  const std::ptrdiff_t tiles = std::ptrdiff_t{1} << mid;
  for (std::ptrdiff_t m = 0; m < tiles; ++m) {
    const std::ptrdiff_t rm =
        static_cast<std::ptrdiff_t>(reverse_bits(static_cast<unsigned>(m), mid));
    if (rm < m) continue;
    for (std::ptrdiff_t a = 0; a < 8; ++a) {
      for (std::ptrdiff_t c = 0; c < 8; ++c) {
        const std::ptrdiff_t i = (a << high) | (m << 3) | c;
        const std::ptrdiff_t r = (kReverse3[c] << high) | (rm << 3) | kReverse3[a];
        if (rm > m || r > i) {
          const double t = x[i];
          x[i] = x[r];
          x[r] = t;
        }
      }
    }
  }
}

}  // namespace detail

void detail::hartley_unordered(double* x, int J, const double* table) {
  hartley_unordered(x, J, table, vector::path());
}

void detail::hartley(double* x, int J, const double* table, vector::Path p) {
  hartley_unordered(x, J, table, p);
  bit_reverse(x, J);
}

void hartley(double* x, int J, const double* table) {
  detail::hartley_unordered(x, J, table, vector::path());
  detail::bit_reverse(x, J);
}

void hartley_table(double* table, int n) {
  if (n >= 8) detail::build_hartley_table(table, n);
}

}  // namespace tfmex::trig
