// The fused synthesis stage and the multilevel inverse built on it, against
// the two halves written from their formulas and added afterwards, bit for bit.
#include <cstring>
#include <string>

#include "kernel_paths.h"
#include "kernels/periodized/periodized.h"
#include "stage_reference.h"
#include "support.h"

namespace tfmex::test {
namespace {

namespace pk = tfmex::periodized;

// uplo(a, h) + uphi(d, g), each half formed on its own, then added. ref::up_hi
// mirrors the filter it is given, and mirroring undoes itself.
ref::Vec ref_upboth(const ref::Vec& a, const ref::Vec& d, const ref::Vec& h, const ref::Vec& g) {
  const ref::Vec lo = ref::up_lo(a, h), hi = ref::up_hi(d, ref::mirror(g));
  ref::Vec y(lo.size());
  for (std::size_t p = 0; p < y.size(); ++p) y[p] = lo[p] + hi[p];
  return y;
}

// Every third input value -0.0: a lane or an edge sum that started from its
// first product instead of +0.0 would give -0.0 where the reference gives +0.0.
ref::Vec with_zeros(std::size_t n, unsigned seed) {
  ref::Vec v = random_vector(n, seed);
  for (std::size_t i = 0; i < n; i += 3) v[i] = -0.0;
  return v;
}

// Short blocks with filters up to four times longer than the block (sums that
// wrap several times, no interior at all) and long blocks that leave partial
// vector blocks at the ends, on both paths; the output has guard values on
// both sides and h and g are unrelated, so a swapped filter shows.
TEST(UpBoth, MatchesSeparateHalvesAddedBitForBit) {
  std::vector<int> sizes;
  for (int n = 1; n <= 64; ++n) sizes.push_back(n);
  for (int n : {100, 255, 1000, 2050, 4161}) sizes.push_back(n);
  unsigned seed = 9000;
  for (KernelPath path : every_path()) {
    PathGuard guard(path);
    for (int n : sizes) {
      const int mmax = n <= 64 ? 4 * n + 5 : 40;
      for (int m = 0; m <= mmax; ++m) {
        const ref::Vec a = with_zeros(n, ++seed), d = with_zeros(n, ++seed);
        const ref::Vec h = random_vector(m, ++seed), g = random_vector(m, ++seed);
        std::vector<double> buf(2 * n + 8, 4321.0);
        pk::upboth(a.data(), d.data(), n, h.data(), g.data(), m, buf.data() + 4);
        const ref::Vec got(buf.begin() + 4, buf.end() - 4);
        ASSERT_TRUE(ref::bit_equal(got, ref_upboth(a, d, h, g)))
            << path_name(path) << " n=" << n << " m=" << m;
        for (int i = 0; i < 4; ++i)
          ASSERT_TRUE(buf[i] == 4321.0 && buf[buf.size() - 1 - i] == 4321.0) << "n=" << n;
      }
    }
  }
}

// CircJoin on arbitrary coefficient arrays (not only ones CircSplit made)
// against the stages written from their formulas: the coarse block of 2^L
// values, then for k = 2^L .. n/2 the up-sampled block plus the up-sampled
// details at k .. 2k-1. Levels cover no stage, one stage, odd and even stage
// counts, and levels outside 0 .. J.
TEST(CircJoin, MatchesStageByStageTranscriptionOnAnyCoefficients) {
  unsigned seed = 300;
  for (std::size_t n : {1u, 2u, 4u, 32u, 256u, 1024u}) {
    int J = 0;
    while ((std::size_t(1) << J) < n) ++J;
    for (std::size_t cols : {1u, 3u}) {
      if (n == 1 && cols > 1) continue;  // a 1 x 3 array is one row signal of 3 values
      const auto W = Array::matrix(n, cols, random_vector(n * cols, ++seed));
      for (int m : {0, 1, 2, 4, 7, 20, 41}) {
        const ref::Vec hv = random_vector(m, ++seed);
        const auto h = Array::row(hv);
        for (int L = -2; L <= J + 2; ++L) {
          const int Lc = L < 0 ? 0 : (L > J ? J : L);
          const auto X = run("CircJoin", {W, Array::scalar(L), h});
          for (std::size_t c = 0; c < cols; ++c) {
            const ref::Vec w = ref::block(W.values(), static_cast<int>(n), static_cast<int>(c), 0,
                                          static_cast<int>(n));
            ref::Vec a(w.begin(), w.begin() + (std::size_t(1) << Lc));
            for (std::size_t k = a.size(); k < n; k *= 2) {
              const ref::Vec d(w.begin() + k, w.begin() + 2 * k);
              const ref::Vec u = ref::up_lo(a, hv), e = ref::up_hi(d, hv);
              a.assign(2 * k, 0.0);
              for (std::size_t p = 0; p < 2 * k; ++p) a[p] = u[p] + e[p];
            }
            ASSERT_EQ(std::memcmp(X.data() + c * n, a.data(), n * 8), 0)
                << "n=" << n << " cols=" << cols << " m=" << m << " L=" << L << " c=" << c;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace tfmex::test
