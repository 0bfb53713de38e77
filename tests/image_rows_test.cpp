// CircSplit2 and CircJoin2 against the earlier row-by-row layout of their
// stages, bit for bit, on images up to 256 x 256 with filters longer than the
// small blocks; the block transpose they filter their rows through, and the
// eight-row strips CircJoin2 synthesises its rows with where they lie.
#include <cstddef>
#include <cstring>

#include "MEXSource/block_transpose.h"
#include "MEXSource/row_strips.h"
#include "kernel_paths.h"
#include "kernels/periodized/periodized.h"
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

// Every row of a c x c block inside a larger array synthesised by the strips,
// against the same row gathered and put through upboth, bit for bit; values
// outside the block stay put. The high-pass filter is unrelated to the
// low-pass one, inputs carry -0.0, and filters reach from no tap to the
// longest the strips take, several times round the small blocks.
TEST(ImageRows, JoinStripsMatchUpbothBitForBit) {
  if (tfmex::vector::widest_path() != KernelPath::avx512) GTEST_SKIP() << "no AVX-512 here";
  const PathGuard widest(KernelPath::avx512);
  unsigned seed = 900;
  for (int c : {8, 16, 32, 64, 256}) {
    const int n = c == 256 ? 256 : 2 * c;
    for (int m = 0; m <= 2 * tfmex::image::kStripReach + 1; ++m) {
      ASSERT_TRUE(tfmex::image::join_rows_fit(c, m, std::ptrdiff_t{4} * c));
      const Vec h = random_vector(m, ++seed), g = random_vector(m, ++seed);
      Vec a = random_vector(static_cast<std::size_t>(n) * n, ++seed);
      for (std::size_t t = 0; t < a.size(); t += 5) a[t] = -0.0;
      Vec work(4 * static_cast<std::size_t>(c) + 1, 7.0);
      Vec got = a, want = a, row(c), out(c);
      tfmex::image::join_rows(got.data(), c, n, h.data(), g.data(), m, work.data());
      const PathGuard portable(KernelPath::portable);  // the reference on the portable path
      for (int r = 0; r < c; ++r) {
        gather(want.data(), c, n, r, row.data());
        pk::upboth(row.data(), row.data() + c / 2, c / 2, h.data(), g.data(), m, out.data());
        scatter(out.data(), c, n, r, want.data());
      }
      ASSERT_EQ(std::memcmp(got.data(), want.data(), a.size() * sizeof(double)), 0)
          << "c=" << c << " m=" << m;
      ASSERT_EQ(work.back(), 7.0) << "wrote past its workspace, c=" << c << " m=" << m;
    }
  }
}

}  // namespace
}  // namespace tfmex::test
