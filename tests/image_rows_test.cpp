// CircSplit2 and CircJoin2 against the earlier row-by-row layout of their
// stages, bit for bit, on images up to 256 x 256 with filters longer than the
// small blocks; the stages through the transposes (taken by the largest
// arrays, and in place) against those through a copy of the block; the block
// transpose; and the routines that filter all rows of a block at once.
#include <cstddef>
#include <cstring>

#include "kernel_paths.h"
#include "kernels/periodized/periodized.h"
#include "src/block_transpose.hpp"
#include "src/image_stages.hpp"
#include "support.h"

namespace tfmex::test {
namespace {

namespace pk = tfmex::periodized;
using Vec = std::vector<double>;

// Each row gathered with stride n, filtered, and scattered back.
void gather(const double* src, int k, int n, int r, double* dst) {
  for (int i = 0; i < k; ++i) dst[i] = src[r + static_cast<std::ptrdiff_t>(i) * n];
}
void scatter(const double* src, int k, int n, int r, double* dst) {
  for (int i = 0; i < k; ++i) dst[r + static_cast<std::ptrdiff_t>(i) * n] = src[i];
}

Vec rowwise_split2(Vec w, int n, int L, const Vec& h) {
  const int m = static_cast<int>(h.size());
  Vec g(m), s0(n), s1(n), s2(n);
  pk::mirrorfilt(h.data(), g.data(), m);
  for (int k = n; k > (1 << L); k /= 2) {
    const int half = k / 2;
    for (int c = 0; c < k; ++c) {
      double* col = w.data() + static_cast<std::ptrdiff_t>(c) * n;
      pk::copydouble(col, s0.data(), k);
      pk::downlo(s0.data(), k, h.data(), m, col);
      pk::downhi(s0.data(), k, g.data(), m, col + half);
    }
    for (int r = 0; r < k; ++r) {
      gather(w.data(), k, n, r, s0.data());
      pk::downlo(s0.data(), k, h.data(), m, s1.data());
      pk::downhi(s0.data(), k, g.data(), m, s2.data());
      scatter(s1.data(), half, n, r, w.data());
      scatter(s2.data(), half, n, r, w.data() + static_cast<std::ptrdiff_t>(half) * n);
    }
  }
  return w;
}

Vec rowwise_join2(Vec x, int n, int L, const Vec& h) {
  const int m = static_cast<int>(h.size());
  Vec g(m), s0(n), s1(n), s2(n), s3(n);
  pk::mirrorfilt(h.data(), g.data(), m);
  for (int k = 1 << L; k < n; k *= 2) {
    const int c = 2 * k;
    for (int r = 0; r < c; ++r) {
      gather(x.data(), k, n, r, s1.data());
      gather(x.data() + static_cast<std::ptrdiff_t>(k) * n, k, n, r, s2.data());
      pk::uplo(s1.data(), k, h.data(), m, s0.data());
      pk::uphi(s2.data(), k, g.data(), m, s3.data());
      pk::adddouble(s0.data(), s3.data(), c, s0.data());
      scatter(s0.data(), c, n, r, x.data());
    }
    for (int q = 0; q < c; ++q) {
      double* col = x.data() + static_cast<std::ptrdiff_t>(q) * n;
      pk::uplo(col, k, h.data(), m, s1.data());
      pk::uphi(col + k, k, g.data(), m, s2.data());
      pk::adddouble(s1.data(), s2.data(), c, col);
    }
  }
  return x;
}

bool same_bits(const Vec& a, const Vec& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

TEST(ImageRows, SplitAndJoinMatchTheRowwiseLayoutBitForBit) {
  unsigned seed = 500;
  for (int J = 0; J <= 8; ++J) {
    const int n = 1 << J;
    for (int m : {0, 1, 2, 3, 4, 7, 8, 20}) {  // 20 taps wrap the small blocks many times
      const Vec h = random_vector(m, ++seed),
                X = random_vector(static_cast<std::size_t>(n) * n, ++seed);
      const Array hf = m == 0 ? Array::empty() : Array::row(h);
      for (int L = 0; L <= J; ++L) {
        SCOPED_TRACE("n=" + std::to_string(n) + " m=" + std::to_string(m) +
                     " L=" + std::to_string(L));
        const Array image = Array::matrix(n, n, X);
        EXPECT_TRUE(same_bits(run("CircSplit2", {image, Array::scalar(L), hf}).values(),
                              rowwise_split2(X, n, L, h)));
        EXPECT_TRUE(same_bits(run("CircJoin2", {image, Array::scalar(L), hf}).values(),
                              rowwise_join2(X, n, L, h)));
      }
    }
  }
}

TEST(ImageRows, StagesThroughTransposesMatchStagesThroughACopy) {
  unsigned seed = 700;
  for (int J = 0; J <= 6; ++J) {
    const int n = 1 << J;
    for (int m : {0, 3, 8, 20}) {
      const Vec h = random_vector(m, ++seed);
      const Vec X = random_vector(static_cast<std::size_t>(n) * n, ++seed);
      Vec g(m);
      pk::mirrorfilt(h.data(), g.data(), m);
      Vec t(static_cast<std::size_t>(n) * (n + 8)), s(2 * static_cast<std::size_t>(n));
      for (int L = 0; L <= J; ++L) {
        Vec copied(X.size()), transposed(X.size());
        tfmex::image::dpwt2(X.data(), n, n, L, J, g.data(), h.data(), m, copied.data(), t.data(),
                            s.data(), n, 2);
        tfmex::image::dpwt2(X.data(), n, n, L, J, g.data(), h.data(), m, transposed.data(), nullptr,
                            s.data(), n, 2);
        EXPECT_TRUE(same_bits(copied, transposed))
            << "analysis n=" << n << " m=" << m << " L=" << L;
        // In place, as the library runs a strided image through its copy.
        Vec in_place = X;
        tfmex::image::dpwt2(in_place.data(), n, n, L, J, g.data(), h.data(), m, in_place.data(),
                            nullptr, s.data(), n, 2);
        EXPECT_TRUE(same_bits(copied, in_place)) << "analysis in place n=" << n << " L=" << L;
        tfmex::image::idpwt2(X.data(), n, n, L, J, g.data(), h.data(), m, copied.data(), t.data(),
                             s.data(), n, 2);
        tfmex::image::idpwt2(X.data(), n, n, L, J, g.data(), h.data(), m, transposed.data(),
                             nullptr, s.data(), n, 2);
        EXPECT_TRUE(same_bits(copied, transposed))
            << "synthesis n=" << n << " m=" << m << " L=" << L;
        in_place = X;
        tfmex::image::idpwt2(in_place.data(), n, n, L, J, g.data(), h.data(), m, in_place.data(),
                             nullptr, s.data(), n, 2);
        EXPECT_TRUE(same_bits(copied, in_place)) << "synthesis in place n=" << n << " L=" << L;
      }
    }
  }
}

TEST(ImageRows, BlockTransposeMovesOnlyTheBlock) {
  // Every path the processor has, blocks of every dyadic side
  // inside larger arrays: the block is transposed, everything else untouched.
  for (int n : {1, 4, 8, 32, 128}) {
    for (int k = 1; k <= n; k *= 2) {
      const Vec a = random_vector(static_cast<std::size_t>(n) * n, 40u + n + k);
      Vec want = a;
      for (int c = 0; c < k; ++c)
        for (int r = 0; r < k; ++r)
          want[r + static_cast<std::ptrdiff_t>(c) * n] = a[c + static_cast<std::ptrdiff_t>(r) * n];
      for (const KernelPath path : every_path()) {
        const PathGuard guard(path);
        Vec got = a;
        tfmex::image::transpose_block(got.data(), k, n);
        EXPECT_EQ(got, want) << tfmex::vector::path_name(path) << " n=" << n << " k=" << k;
      }
    }
  }
}

// downboth_rows and upboth_rows on every path against downboth and upboth
// on each row gathered into a contiguous vector, bit for bit: blocks of
// every dyadic side whose columns lie further apart than their length, row
// counts that leave tails to the scalar loops, filters from no tap to many
// times round the block, a high-pass filter unrelated to the low-pass one,
// inputs carrying -0.0, and the outputs of a range of pairs only.
TEST(ImageRows, RowRoutinesMatchTheOneDimensionalRoutinesBitForBit) {
  unsigned seed = 900;
  for (int k : {1, 2, 4, 8, 64}) {
    for (int r : {1, 7, 33, 80}) {
      for (int m : {0, 1, 2, 5, 8, 9, 20, 35}) {
        const std::ptrdiff_t ld = r + 3;
        const Vec h = random_vector(m, ++seed), g = random_vector(m, ++seed);
        Vec t = random_vector(static_cast<std::size_t>(2 * k * ld), ++seed);
        for (std::size_t q = 0; q < t.size(); q += 5) t[q] = -0.0;
        const int half = k / 2, i0 = half / 4, i1 = half - half / 4;
        // Reference: each row through the one-dimensional routines.
        Vec down(static_cast<std::size_t>(k) * ld, 7.0);
        Vec up(2 * static_cast<std::size_t>(k) * ld, 7.0);
        {
          const PathGuard portable(KernelPath::portable);
          Vec row(2 * k), lo(k), hi(k), out(2 * k);
          for (int q = 0; q < r; ++q) {
            for (int c = 0; c < k; ++c) row[c] = t[q + c * ld];
            pk::downboth(row.data(), k, h.data(), g.data(), m, lo.data(), hi.data());
            for (int i = i0; i < i1; ++i) {
              down[q + i * ld] = lo[i];
              down[q + (half + i) * ld] = hi[i];
            }
            for (int c = 0; c < 2 * k; ++c) row[c] = t[q + c * ld];
            pk::upboth(row.data(), row.data() + k, k, h.data(), g.data(), m, out.data());
            for (int i = 0; i < k; ++i) {
              up[q + 2 * i * ld] = out[2 * i];
              up[q + (2 * i + 1) * ld] = out[2 * i + 1];
            }
          }
        }
        for (const KernelPath path : every_path()) {
          const PathGuard guard(path);
          Vec got_down(down.size(), 7.0), got_up(up.size(), 7.0);
          pk::downboth_rows(t.data(), ld, k, r, h.data(), g.data(), m, got_down.data(), ld, i0, i1);
          pk::upboth_rows(t.data(), t.data() + k * ld, ld, k, r, h.data(), g.data(), m,
                          got_up.data(), ld, 0, k);
          ASSERT_TRUE(same_bits(got_down, down))
              << tfmex::vector::path_name(path) << " analysis k=" << k << " r=" << r << " m=" << m;
          ASSERT_TRUE(same_bits(got_up, up))
              << tfmex::vector::path_name(path) << " synthesis k=" << k << " r=" << r << " m=" << m;
        }
      }
    }
  }
}

}  // namespace
}  // namespace tfmex::test
