// Cosine and sine transforms of types II and III around one Hartley
// transform: an even-odd reordering on one side and a rotation of the pairs
// (j, n - j) on the other. The sine transforms are the cosine ones on the
// sign-alternated signal, with the coefficients reversed; the sign flips and
// the reversal ride along in the reordering and the rotation, which move the
// same values to the places the separate passes would have left them.
#include <cstddef>
#include <cstdint>

#include "exact_sincos.h"
#include "internal.h"
#include "kernels/vector/lanes.h"
#include "table_cache.h"
#include "trig.h"

namespace tfmex::trig {

namespace {

constexpr double kHalfRoot2 = 0.707106781186547;

// alpha_j at tables[n/2 + j] and beta_j at tables[n + j], j = 0 .. n/2 - 1.
void build_rotation(double* tables, std::ptrdiff_t n) {
  const std::ptrdiff_t half = n / 2;
  detail::rotation_angles(n, [&](std::ptrdiff_t j, double phi) {
    const double c = cos_rn(phi), s = sin_rn(phi);
    tables[half + j] = (c - s) * kHalfRoot2;
    tables[n + j] = (c + s) * kHalfRoot2;
  });
}

// Even-indexed values of x rising into y[0 .. n/2 - 1], odd-indexed ones
// falling into y[n/2 .. n - 1], the odd ones with their signs flipped when
// `negate` (the sine transform's sign alternation). From pair `from` on.
void split_even_odd(const double* x, double* y, std::ptrdiff_t n, bool negate,
                    std::ptrdiff_t from) {
  const std::ptrdiff_t half = n / 2;
  for (std::ptrdiff_t i = from; i < half; ++i) {
    const double odd = x[n - 1 - 2 * i];
    y[i] = x[2 * i];
    y[half + i] = negate ? -odd : odd;
  }
}

// The inverse of split_even_odd.
void join_even_odd(const double* y, double* x, std::ptrdiff_t n, bool negate, std::ptrdiff_t from) {
  const std::ptrdiff_t half = n / 2;
  for (std::ptrdiff_t i = from; i < half; ++i) {
    const double odd = y[half + i];
    x[2 * i] = y[i];
    x[n - 1 - 2 * i] = negate ? -odd : odd;
  }
}

// out[j] = alpha_j in[j] + beta_j in[n-j], out[n-j] = beta_j in[j] - alpha_j in[n-j],
// out[0] = in[0], out[n/2] = in[n/2], where in[k] is src[n - 1 - k] when
// `rev_in` and src[k] otherwise, and out[k] goes to dst[n - 1 - k] when
// `rev_out` and to dst[k] otherwise. Pairs from j = `from` on.
template <bool rev_in, bool rev_out>
void rotate_pairs(const double* src, double* dst, std::ptrdiff_t n, const double* tables,
                  std::ptrdiff_t from) {
  const std::ptrdiff_t half = n / 2;
  const double* alpha = tables + half;
  const double* beta = tables + n;
  auto in = [&](std::ptrdiff_t k) { return rev_in ? src[n - 1 - k] : src[k]; };
  auto out = [&](std::ptrdiff_t k) -> double& { return rev_out ? dst[n - 1 - k] : dst[k]; };
  for (std::ptrdiff_t j = from; j < half; ++j) {
    const double u = in(j), v = in(n - j);
    out(j) = alpha[j] * u + beta[j] * v;
    out(n - j) = beta[j] * u - alpha[j] * v;
  }
}

// The vector passes (cosine_kernels.inc), built once for each vector path.
#define TFMEX_KERNEL "kernels/trig/cosine_kernels.inc"
#include "kernels/vector/each_path.inc"

// The passes on path p: the vector loop, then the scalar one for the rest.
template <bool negate>
void split(const double* x, double* y, std::ptrdiff_t n, vector::Path p) {
  split_even_odd(x, y, n, negate, TFMEX_PATH_CALL(p, 0, split_wide<negate>(x, y, n)));
}

template <bool negate>
void join(const double* y, double* x, std::ptrdiff_t n, vector::Path p) {
  join_even_odd(y, x, n, negate, TFMEX_PATH_CALL(p, 0, join_wide<negate>(y, x, n)));
}

template <bool rev_in, bool rev_out>
void rotate(const double* src, double* dst, std::ptrdiff_t n, const double* tables,
            vector::Path p) {
  const std::ptrdiff_t half = n / 2;
  auto in = [&](std::ptrdiff_t k) { return rev_in ? src[n - 1 - k] : src[k]; };
  auto out = [&](std::ptrdiff_t k) -> double& { return rev_out ? dst[n - 1 - k] : dst[k]; };
  out(0) = in(0);
  out(half) = in(half);
  const std::ptrdiff_t j = TFMEX_PATH_CALL(p, 1, rotate_wide<rev_in, rev_out>(src, dst, n, tables));
  rotate_pairs<rev_in, rev_out>(src, dst, n, tables, j);
}

}  // namespace

// dst negates the odd-indexed values, runs dct and reverses the result: the
// negation happens as split moves those values into y, and the reversal as
// the rotation writes x.
void dct(double* x, double* y, int J, const double* tables) {
  const std::ptrdiff_t n = std::ptrdiff_t{1} << J;
  if (n == 1) return;
  const vector::Path p = vector::path();
  split<false>(x, y, n, p);
  detail::hartley(y, J, tables, p);
  rotate<false, false>(y, x, n, tables, p);
}

void dst(double* x, double* y, int J, const double* tables) {
  const std::ptrdiff_t n = std::ptrdiff_t{1} << J;
  if (n == 1) return;
  const vector::Path p = vector::path();
  split<true>(x, y, n, p);
  detail::hartley(y, J, tables, p);
  rotate<false, true>(y, x, n, tables, p);
}

// idst reverses x, runs idct and negates the odd-indexed values: the rotation
// reads x from the far end, and join flips the signs as it writes them.
void idct(double* x, double* y, int J, const double* tables) {
  const std::ptrdiff_t n = std::ptrdiff_t{1} << J;
  if (n == 1) return;
  const vector::Path p = vector::path();
  rotate<false, false>(x, y, n, tables, p);
  detail::hartley(y, J, tables, p);
  join<false>(y, x, n, p);
}

void idst(double* x, double* y, int J, const double* tables) {
  const std::ptrdiff_t n = std::ptrdiff_t{1} << J;
  if (n == 1) return;
  const vector::Path p = vector::path();
  rotate<true, false>(x, y, n, tables, p);
  detail::hartley(y, J, tables, p);
  join<true>(y, x, n, p);
}

// The part before n/2 holds the Hartley table from n = 8 on, and nothing
// below (its room stays 0).
void cosine_tables(double* tables, int n) {
  if (n < 2) return;
  for (std::ptrdiff_t i = 0; i < n / 2; ++i) tables[i] = 0.0;
  hartley_table(tables, n);
  build_rotation(tables, n);
}

const double* shared_cosine_tables(int n, double* room, SharedTable* holder) {
  holder->reset();
  if (n < 2) return room;
  *holder = shared_table(cosine_tables, n, cosine_table_size(n));
  if (*holder) return (*holder)->data();
  cosine_tables(room, n);
  return room;
}

}  // namespace tfmex::trig
