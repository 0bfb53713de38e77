// The library's transforms of signals on the caller's memory: the same doubles
// as the plug-ins, whatever the layout of the batch, and clear refusals.
#include <cstring>
#include <vector>

#include "support.h"
#include "tfmex/periodized.hpp"

namespace tfmex::test {
namespace {

bool same_bits(const double* a, const double* b, std::size_t n) {
  return std::memcmp(a, b, n * sizeof(double)) == 0;
}

TEST(LibrarySignals, CircSplitAndJoinGiveThePluginsDoubles) {
  for (const int J : {1, 3, 10}) {  // (one row of n = 1 would be a row signal)
    const std::ptrdiff_t n = std::ptrdiff_t{1} << J;
    for (const int m : {0, 2, 7, 20}) {
      const std::vector<double> h =
          m % 2 == 0 && m > 0 ? orthonormal_filter(m, J) : random_vector(m, 7);
      const std::vector<double> x = random_vector(n * 3, J + m);
      for (const int L : {0, J / 2, J}) {
        std::vector<double> w(x.size()), y(x.size());
        circ_split(x.data(), w.data(), n, L, h, Batch::packed(3));
        circ_join(w.data(), y.data(), n, L, h, Batch::packed(3));
        const Array X = Array::matrix(n, 3, x);
        const Array H = Array::row(h.empty() ? std::vector<double>{} : h);
        const Array W = run("CircSplit", {X, Array::scalar(L), H});
        const Array Y = run("CircJoin", {W, Array::scalar(L), H});
        EXPECT_TRUE(same_bits(w.data(), W.data(), w.size())) << J << " " << m << " " << L;
        EXPECT_TRUE(same_bits(y.data(), Y.data(), y.size())) << J << " " << m << " " << L;
      }
    }
  }
}

// Signals of 64 values as the rows of a column-major 5 x 64 matrix, written
// backwards into a padded buffer, equal the packed transform of each row.
TEST(LibrarySignals, StridedAndReversedLayoutsEqualThePackedCall) {
  const std::ptrdiff_t n = 64, rows = 5;
  const std::vector<double> h = orthonormal_filter(6, 3);
  const std::vector<double> a = random_vector(n * rows, 2);  // column-major rows x n
  std::vector<double> packed_in(n * rows), packed_out(n * rows);
  for (std::ptrdiff_t r = 0; r < rows; ++r)
    for (std::ptrdiff_t i = 0; i < n; ++i) packed_in[r * n + i] = a[r + i * rows];
  for (const bool threads : {false, true}) {
    set_threads(threads ? 2 : 1);
    circ_split(packed_in.data(), packed_out.data(), n, 1, h, Batch::packed(rows));
    std::vector<double> out(3 * n * rows + 7, -5.0);
    // Output value i of row r at out[base - 3 i + r * 3 n].
    const std::ptrdiff_t base = 3 * (n - 1);
    circ_split(a.data(), out.data() + base, n, 1, h, Batch{rows, {rows, 1}, {-3, 3 * n}});
    for (std::ptrdiff_t r = 0; r < rows; ++r)
      for (std::ptrdiff_t i = 0; i < n; ++i)
        ASSERT_EQ(std::memcmp(&out[base - 3 * i + r * 3 * n], &packed_out[r * n + i], 8), 0);
    std::vector<double> back(n * rows);
    circ_join(out.data() + base, back.data(), n, 1, h, Batch{rows, {-3, 3 * n}, {1, n}});
    std::vector<double> expect(n * rows);
    circ_join(packed_out.data(), expect.data(), n, 1, h, Batch::packed(rows));
    EXPECT_TRUE(same_bits(back.data(), expect.data(), back.size()));
  }
  set_threads(0);
}

TEST(LibrarySignals, BadArgumentsAreRefusedByName) {
  std::vector<double> x(8), y(8);
  const std::vector<double> h = haar();
  auto refusal = [&](auto f) -> std::string {
    try {
      f();
    } catch (const tfmex::invalid_argument& e) {
      return e.what();
    }
    return "accepted";
  };
  EXPECT_EQ(refusal([&] { circ_split(x.data(), y.data(), 6, 0, h); }),
            "tfmex::circ_split: n must be a power of two from 1 to 2^30, not 6");
  EXPECT_EQ(refusal([&] { circ_join(x.data(), y.data(), 8, 4, h); }),
            "tfmex::circ_join: L must be from 0 to 3, not 4");
  EXPECT_EQ(refusal([&] { circ_split(nullptr, y.data(), 8, 0, h); }),
            "tfmex::circ_split: null input or output pointer");
  EXPECT_EQ(refusal([&] { circ_split(x.data(), y.data(), 8, 0, Taps(nullptr, 2)); }),
            "tfmex::circ_split: h is a null pointer");
  EXPECT_EQ(refusal([&] { circ_split(x.data(), y.data(), 8, 0, h, Batch::packed(0)); }),
            "accepted");
}

// A workspace taken beforehand is used as it is; one too small is replaced.
TEST(LibrarySignals, AGivenWorkspaceOfAnySizeGivesTheSameDoubles) {
  const std::ptrdiff_t n = 256;
  const std::vector<double> h = orthonormal_filter(10, 1), x = random_vector(n * 4, 5);
  std::vector<double> a(x.size()), b(x.size()), c(x.size());
  circ_split(x.data(), a.data(), n, 2, h, Batch::packed(4));
  Workspace fits(circ_split_workspace(n, h, Batch::packed(4)));
  circ_split(x.data(), b.data(), n, 2, h, Batch::packed(4), &fits);
  Workspace small(3);
  circ_split(x.data(), c.data(), n, 2, h, Batch::packed(4), &small);
  EXPECT_TRUE(same_bits(a.data(), b.data(), a.size()));
  EXPECT_TRUE(same_bits(a.data(), c.data(), a.size()));
}

}  // namespace
}  // namespace tfmex::test
