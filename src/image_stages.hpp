// The stages of CircSplit2 and CircJoin2 on a square array of dyadic side,
// column-major with columns n apart:
//
//   analysis, each stage on the top-left k x k block (k = n, n/2, ...):
//     columns: every column -> low half | high half     (downboth)
//     rows:    every row    -> low half | high half     (downboth_rows)
//   synthesis, each stage on the top-left c x c block (c = 2^(L+1), ..., n):
//     rows, then columns: low half | high half -> c values (upboth_rows, upboth)
//
// With room for a copy of the block the row pass filters all rows at once,
// column by column, between the block and its copy; without it (the largest
// arrays) each row is filtered as a contiguous column of the transposed
// block. The two give the same doubles.
#ifndef TFMEX_SRC_IMAGE_STAGES_HPP
#define TFMEX_SRC_IMAGE_STAGES_HPP

#include <cstddef>

#include "block_transpose.hpp"
#include "kernels/periodized/periodized.h"
#include "parallel.hpp"

namespace tfmex::image {

using namespace tfmex::periodized;

// Forward transform of an nr x nc image (square: nr = nc = n = 2^J) from level
// J down to level L (0 <= L; no stage when L >= J). Columns before rows in
// every stage. g is the high-pass filter, h the low-pass one. With t (room for
// n (n + 8) doubles) the columns of a stage are filtered into t, column c at
// t + c (k + 8) (the padding keeps the columns from falling on the same cache
// sets), and the rows are filtered from there back into the block, all rows
// at once column by column. Without t, the rows are filtered one by one as
// contiguous columns of the transposed block, each part having n doubles at
// s + p * stride. The columns and the rows of a stage are each split over up
// to `parts` threads (a stage too small to gain runs on one). wc may be x:
// every stage reads what it filters before it writes it back.
inline void dpwt2(const double* x, int nr, int nc, int L, int J, const double* g, const double* h,
                  int m, double* wc, double* t, double* s, std::size_t stride, int parts) {
  namespace par = tfmex::par;
  const int n = nr;
  // The first stage reads every column whole, so it filters them straight
  // from x; wc needs a copy of x only when no stage runs.
  if (L >= J && x != wc) copydouble(x, wc, nr * nc);
  for (int j = J - 1; j >= L; --j) {
    const int k = 1 << (j + 1);
    const int half = k / 2;
    const int sp = 2.0 * k * k * (m + 1) < par::kMinWork ? 1 : parts;
    if (t != nullptr) {
      const std::ptrdiff_t ld = k + 8;
      const double* from = j == J - 1 ? x : wc;
      par::run(sp, [&](int p) {
        const std::ptrdiff_t c1 = par::part_begin(k, sp, p + 1);
        for (std::ptrdiff_t c = par::part_begin(k, sp, p); c < c1; ++c)
          downboth(from + c * n, k, h, g, m, t + c * ld, t + c * ld + half);
      });
      par::run(sp, [&](int p) {
        downboth_rows(t, ld, k, k, h, g, m, wc, n, static_cast<int>(par::part_begin(half, sp, p)),
                      static_cast<int>(par::part_begin(half, sp, p + 1)));
      });
      continue;
    }
    // Each line (a column of src, or a row once the block is transposed) is
    // copied to the part's vector and filtered back into wc.
    const auto lines = [&](const double* src) {
      return [&, src](int p) {
        double* s0 = s + stride * p;
        const std::ptrdiff_t q1 = par::part_begin(k, sp, p + 1);
        for (std::ptrdiff_t q = par::part_begin(k, sp, p); q < q1; ++q) {
          double* line = wc + q * n;
          copydouble(src + q * n, s0, k);
          downboth(s0, k, h, g, m, line, line + half);
        }
      };
    };
    par::run(sp, lines(j == J - 1 ? x : wc));
    par::run(sp, [&](int p) { transpose_block(wc, k, n, p, sp); });
    par::run(sp, lines(wc));
    par::run(sp, [&](int p) { transpose_block(wc, k, n, p, sp); });
  }
}

// Inverse transform of an nr x nc array (square: nr = nc = n = 2^J, and
// 0 <= L): J - L synthesis stages, rows before columns in every stage. g is
// the high-pass filter, h the low-pass one. With t (room for n (n + 8)
// doubles) the rows of a stage are synthesised, all at once column by
// column, into t, column q at t + q (c + 8) (the padding keeps the columns
// from falling on the same cache sets), and the columns from there back into
// the block. Without t, each row is synthesised as a contiguous column of the
// transposed block into part p's n values at s + p * stride before it goes
// back in place. The rows, the columns and the transposes of a stage are each
// split over up to `parts` threads (a stage too small to gain runs on one).
// x may be wc: the stages work in place on x once it holds wc.
inline void idpwt2(const double* wc, int nr, int nc, int L, int J, const double* g, const double* h,
                   int m, double* x, double* t, double* s, std::size_t stride, int parts) {
  namespace par = tfmex::par;
  const int n = nr;
  if (x != wc) {
    par::run(parts, [&](int p) {
      const std::ptrdiff_t c0 = par::part_begin(nc, parts, p);
      const std::ptrdiff_t c1 = par::part_begin(nc, parts, p + 1);
      copydouble(wc + c0 * nr, x + c0 * nr, static_cast<int>((c1 - c0) * nr));
    });
  }
  if (L >= J) return;
  int k = L <= 0 ? 1 : 1 << L;
  for (int j = L; j < J; ++j) {
    const int c = 2 * k;
    const int sp = 2.0 * c * c * (m + 1) < par::kMinWork ? 1 : parts;
    if (t != nullptr) {
      const std::ptrdiff_t ld = c + 8;
      par::run(sp, [&](int p) {
        upboth_rows(x, x + std::ptrdiff_t{k} * n, n, k, c, h, g, m, t, ld,
                    static_cast<int>(par::part_begin(k, sp, p)),
                    static_cast<int>(par::part_begin(k, sp, p + 1)));
      });
      par::run(sp, [&](int p) {
        const std::ptrdiff_t q1 = par::part_begin(c, sp, p + 1);
        for (std::ptrdiff_t q = par::part_begin(c, sp, p); q < q1; ++q)
          upboth(t + q * ld, t + q * ld + k, k, h, g, m, x + q * n);
      });
      k = c;
      continue;
    }
    // After a transpose the rows are columns: each line is synthesised into
    // the part's vector and copied back.
    const auto lines = [&](int p) {
      double* s1 = s + stride * p;
      const std::ptrdiff_t q1 = par::part_begin(c, sp, p + 1);
      for (std::ptrdiff_t q = par::part_begin(c, sp, p); q < q1; ++q) {
        double* line = x + q * n;
        upboth(line, line + k, k, h, g, m, s1);
        copydouble(s1, line, c);
      }
    };
    par::run(sp, [&](int p) { transpose_block(x, c, n, p, sp); });
    par::run(sp, lines);
    par::run(sp, [&](int p) { transpose_block(x, c, n, p, sp); });
    par::run(sp, lines);
    k = c;
  }
}

}  // namespace tfmex::image

#endif
