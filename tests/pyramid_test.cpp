// The triadic pyramid and refinement plug-ins through the embedded host:
// layout and scales, reconstruction, the defining properties, levels beyond
// the signal, other degrees, argument handling and messages in their order,
// and scratch memory that cannot be had.
#include <cstdint>
#ifdef __linux__
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "kernels/refinement/refinement.h"
#include "support.h"

namespace tfmex::test {
namespace {

namespace rf = tfmex::refinement;

int pow3(int k) { return static_cast<int>(std::pow(3.0, k)); }
int log3(std::size_t n) {
  int J = 0;
  for (std::size_t k = 1; k < n; k *= 3) ++J;
  return J;
}

// The forward pyramid written out: coarse values by `coarsen`, predictions
// by `refine`, every level scaled by 3^((J - b) / 2).
using Refine = void (*)(const double*, double*, int, int);
std::vector<double> forward(const std::vector<double>& x, int L, int D, Refine refine,
                            const std::function<double(double, double, double)>& coarsen) {
  const std::size_t n = x.size();
  const int J = log3(n);
  std::vector<double> wc(2 * n, 0.0), cur = x;
  if (L >= J) {
    std::copy(x.begin(), x.end(), wc.begin());
    return wc;
  }
  for (int b = J; b > L; --b) {
    const int m = pow3(b - 1);
    std::vector<double> next(m), pred(3 * m, 0.0);
    for (int i = 0; i < m; ++i) next[i] = coarsen(cur[3 * i], cur[3 * i + 1], cur[3 * i + 2]);
    refine(next.data(), pred.data(), m, D);
    for (int j = 0; j < 3 * m; ++j)
      wc[3 * m + j] = (cur[j] - pred[j]) * std::pow(3.0, (J - b) * 0.5);
    cur = next;
  }
  for (int i = 0; i < pow3(L); ++i) wc[i] = cur[i] * std::pow(3.0, (J - L) * 0.5);
  return wc;
}

double mean3(double a, double b, double c) { return ((a + b) + c) / 3; }
double median3(double a, double b, double c) {
  return std::max(std::min(a, b), std::min(std::max(a, b), c));
}

Array row(const std::vector<double>& v) { return Array::row(v); }
Array num(double v) { return Array::scalar(v); }

TEST(BlockMeanSplit, LayoutScalesAndZeroGaps) {
  // Nine values, D = 0: block means times sqrt 3, a gap, then x minus the means.
  const Array w9 = run("BlockMeanSplit", {row({1, 5, 2, 3, 4, 5, 6, 9, 8}), num(1), num(0)});
  EXPECT_EQ(w9.values(), (std::vector<double>{8.0 / 3 * std::sqrt(3.0), 4 * std::sqrt(3.0),
                                              23.0 / 3 * std::sqrt(3.0), 0, 0, 0, 0, 0, 0,
                                              1 - 8.0 / 3, 5 - 8.0 / 3, 2 - 8.0 / 3, -1, 0, 1,
                                              6 - 23.0 / 3, 9 - 23.0 / 3, 8 - 23.0 / 3}));
  const std::vector<double> x = random_vector(81, 7);
  for (int D : {0, 2, 5}) {
    for (int L = 1; L <= 5; ++L) {  // L and D are truncated
      const Array wc = run("BlockMeanSplit", {row(x), num(L + 0.9), num(D + 0.5)});
      EXPECT_EQ(wc.values(), forward(x, L, D, rf::AveRefineSeq, mean3))
          << "L = " << L << ", D = " << D;
      for (int b = L; b < 4; ++b)  // the gaps between the levels are never written
        for (int i = (b == L ? 1 : 2) * pow3(b); i < pow3(b + 1); ++i) EXPECT_EQ(wc[i], 0.0);
    }
  }
}

TEST(BlockMeanSplit, ResidualsVanishForConstantsAndQuadraticCellMeans) {
  std::vector<double> flat(243, 2.75), quad(243);
  for (std::size_t k = 0; k < 243; ++k) {  // means of 0.3 - 0.02 x + 0.0007 x^2 over [k, k + 1]
    const double c = static_cast<double>(k);
    quad[k] = 0.3 - 0.02 * (c + 0.5) + 0.0007 * (c * c + c + 1.0 / 3);
  }
  for (const auto& [v, D] : {std::pair{flat, 0}, {flat, 2}, {quad, 2}}) {
    const Array wc = run("BlockMeanSplit", {row(v), num(1), num(D)});
    for (std::size_t i = 3; i < 486; ++i) ASSERT_NEAR(wc[i], 0.0, 1e-12) << i;
  }
}

TEST(BlockMeanPyramid, JoinInvertsSplitAtEveryLevel) {
  const std::vector<double> x = random_vector(243, 11);
  for (int D : {0, 2, 7}) {
    for (int L = 1; L <= 7; ++L) {
      const Array y =
          run("BlockMeanJoin", {run("BlockMeanSplit", {row(x), num(L), num(D)}), num(L), num(D)});
      EXPECT_LT(max_abs_diff(y.values(), x), 1e-13) << "L = " << L << ", D = " << D;
    }
  }
}

TEST(BlockMeanPyramid, LevelsAtOrBeyondTheSignalAndShapes) {
  const std::vector<double> x = random_vector(27, 3);
  std::vector<double> xz = x;
  xz.resize(54, 0.0);
  for (double L : {3.0, 4.0, 1e12}) {  // the coarse part is x itself
    EXPECT_EQ(run("BlockMeanSplit", {row(x), num(L), num(2)}).values(), xz);
    EXPECT_EQ(run("BlockMeanJoin", {row(xz), num(L), num(2)}).values(), x);
    EXPECT_EQ(run("CenterJoin", {row(xz), num(L), num(2)}).values(), x);
  }
  EXPECT_EQ(run("BlockMeanSplit", {num(4.5), num(1), num(2)}).values(),
            (std::vector<double>{4.5, 0}));
  EXPECT_EQ(run("CenterJoin", {row({4.5, 1, 9}), num(2), num(2)}).values(),
            (std::vector<double>{4.5}));
  // A 3 x 9 matrix: n is the column count and the first 9 stored values are used.
  const std::vector<double> ref =
      forward({x.begin(), x.begin() + 9}, 1, 2, rf::AveRefineSeq, mean3);
  EXPECT_EQ(run("BlockMeanSplit", {Array::matrix(3, 9, x), num(1), num(2)}).values(), ref);
  EXPECT_EQ(run("BlockMeanSplit",
                {Array::column(std::vector<double>(x.begin(), x.begin() + 9)), num(1), num(2)})
                .rows(),
            1u);
  // A column of odd length 2n + 1: the last entry is ignored.
  std::vector<double> odd = ref;
  odd.push_back(1e300);
  EXPECT_LT(max_abs_diff(run("BlockMeanJoin", {Array::column(odd), num(1), num(2)}).values(),
                         {x.begin(), x.begin() + 9}),
            1e-14);
}

TEST(CenterJoin, ZeroDifferencesRepeatTheMedianRefinement) {
  std::vector<double> level = {0.3, -1.2, 2.0, 2.0, 0.7, 0.7, 0.7, 5.0, -4.0}, wc(162, 0.0);
  for (int i = 0; i < 9; ++i)
    wc[i] = level[i] * 3, level[i] = wc[i] / 3;  // L = 2 of J = 4: scale 3
  for (int b = 3; b <= 4; ++b) {
    std::vector<double> fine(3 * level.size());
    rf::CenterPredict(level.data(), fine.data(), static_cast<int>(level.size()), 2);
    level = fine;
  }
  EXPECT_EQ(run("CenterJoin", {row(wc), num(2), num(2)}).values(), level);
}

TEST(CenterJoin, InvertsTheMedianPyramid) {
  std::vector<double> x = random_vector(243, 13);
  for (int i = 40; i < 60; ++i) x[i] = 0.5;  // flat stretches take the degenerate paths
  for (int D : {0, 2, 3}) {
    for (int L = 1; L <= 5; ++L) {
      const Array y =
          run("CenterJoin", {row(forward(x, L, D, rf::CenterPredict, median3)), num(L), num(D)});
      EXPECT_LT(max_abs_diff(y.values(), x), 1e-13) << "L = " << L << ", D = " << D;
    }
  }
}

TEST(Predict, SequencePlugins) {
  for (const char* p : {"CenterPredict", "TriplePredict"}) {
    EXPECT_EQ(run(p, {row({1, 2}), num(0)}).values(), (std::vector<double>{1, 1, 1, 2, 2, 2})) << p;
    EXPECT_EQ(run(p, {row({4, 5}), num(-0.9)}).values(), (std::vector<double>{4, 4, 4, 5, 5, 5}))
        << p;
    for (double D : {1.0, 3.0, -2.0})
      EXPECT_EQ(run(p, {row({1, 2, 3, 4}), num(D)}).values(), std::vector<double>(12, 0.0));
    const std::vector<double> c = random_vector(7, 21);
    std::vector<double> f(21);
    (std::string(p) == "CenterPredict" ? rf::CenterPredict : rf::TriplePredict)(c.data(), f.data(),
                                                                                7, 2);
    EXPECT_EQ(run(p, {Array::column(c), num(2.7)}).values(), f) << p;
    // A matrix gives its column count; an empty array claiming columns has no values.
    EXPECT_EQ(run(p, {Array::matrix(2, 4, {1, 2, 3, 4, 5, 6, 7, 8}), num(0)}).values(),
              (std::vector<double>{1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4}));
    EXPECT_EQ(run(p, {Array::matrix(0, 5), num(0)}).cols(), 0u);
  }
}

const Array& phantom_row(std::size_t n) {
  static std::map<std::size_t, Array> keep;
  auto it = keep.find(n);
  if (it == keep.end()) it = keep.emplace(n, Array::phantom(1, n)).first;
  return it->second;
}

TEST(PyramidMessages, ForwardInTheirOrder) {
  const char* P = "BlockMeanSplit";
  const Array x = row(random_vector(9, 1)), bad = row({1, 2});
  EXPECT_EQ(message(P, {x, num(1)}, 2), "CenterSplit requires three input arguments.");
  EXPECT_EQ(message(P, {x, num(1), num(2)}, 0), "CenterSplit requires one output argument.");
  EXPECT_EQ(message(P, {x, num(1), num(2)}, 2), "CenterSplit requires one output argument.");
  EXPECT_EQ(message(P, {Array::of_class(ClassId::Single, 1, 2), num(0), num(2)}),
            "BlockMeanSplit requires real double arguments");
  EXPECT_EQ(message(P, {x, num(1), Array::of_class(ClassId::Double, 1, 1, true)}),
            "BlockMeanSplit requires real double arguments");
  // L is read and tested before x is looked at.
  for (double L : {0.0, 0.5, -3.0})
    EXPECT_EQ(message(P, {bad, num(L), num(2)}), "In CenterSplit: L must be >= 1");
  EXPECT_EQ(message(P, {phantom_row(std::size_t(1) << 32), num(0), num(2)}),
            "In CenterSplit: L must be >= 1");
  for (double L : {NAN, INFINITY, -INFINITY})
    EXPECT_EQ(message(P, {bad, num(L), num(2)}), "BlockMeanSplit requires finite scalar arguments");
  EXPECT_EQ(message(P, {bad, Array::empty(), num(2)}),
            "BlockMeanSplit requires finite scalar arguments");
  // Sizes, then the triadic test, then D.
  EXPECT_EQ(message(P, {phantom_row(1162261467), num(1), num(NAN)}),
            "BlockMeanSplit requires arrays of fewer than 2^31 elements");
  for (const Array& a : {bad, Array::empty(), Array::matrix(0, 9), row(std::vector<double>(6))})
    EXPECT_EQ(message(P, {a, num(1), num(NAN)}), "CenterSplit requires triadic length input");
  EXPECT_EQ(message(P, {x, num(1), num(NAN)}), "BlockMeanSplit requires finite scalar arguments");
  EXPECT_EQ(message(P, {x, num(1), Array::empty()}),
            "BlockMeanSplit requires finite scalar arguments");
  // 1.9 passes the test and is used as 1.
  EXPECT_EQ(run(P, {x, num(1.9), num(2)}).values(), run(P, {x, num(1), num(2)}).values());
}

TEST(PyramidMessages, InversesInTheirOrder) {
  for (const char* P : {"BlockMeanJoin", "CenterJoin"}) {
    const std::string p = P;
    const Array wc = row(random_vector(18, 1)), bad = row({1, 2, 3, 4});
    EXPECT_EQ(message(P, {wc, num(1)}, 0), "CenterJoin requires three input arguments.");
    EXPECT_EQ(message(P, {wc, num(1), num(2)}, 2), "CenterJoin requires one output argument.");
    EXPECT_EQ(message(P, {wc, Array::of_class(ClassId::Int32, 1, 1), num(2)}),
              p + " requires real double arguments");
    EXPECT_EQ(message(P, {bad, num(0.99), num(2)}), "In CenterJoin: L must be >= 1");
    EXPECT_EQ(message(P, {bad, num(NAN), num(2)}), p + " requires finite scalar arguments");
    EXPECT_EQ(message(P, {phantom_row(std::size_t(1) << 31), num(1), num(2)}),
              p + " requires arrays of fewer than 2^31 elements");
    for (const Array& a :
         {bad, num(1), Array::empty(), Array::matrix(0, 18), row(std::vector<double>(12))})
      EXPECT_EQ(message(P, {a, num(1), num(NAN)}),
                "Input WC to CenterJoin is of incompatible size");
    EXPECT_EQ(message(P, {wc, num(1), num(-INFINITY)}), p + " requires finite scalar arguments");
  }
}

TEST(PyramidMessages, PredictInTheirOrder) {
  for (const char* P : {"CenterPredict", "TriplePredict"}) {
    const std::string p = P;
    EXPECT_EQ(message(P, {row({1, 2, 3})}, 2), p + " requires two input arguments.");
    EXPECT_EQ(message(P, {row({1, 2, 3}), num(2)}, 0), p + " requires one output argument.");
    EXPECT_EQ(message(P, {Array::of_class(ClassId::Logical, 1, 3), num(2)}),
              p + " requires real double arguments");
    EXPECT_EQ(message(P, {phantom_row(1000000000), num(NAN)}),
              p + " requires arrays of fewer than 2^31 elements");
    EXPECT_EQ(message(P, {row({1, 2}), num(NAN)}), p + " requires finite scalar arguments");
    EXPECT_EQ(message(P, {row({1, 2}), Array::empty()}), p + " requires finite scalar arguments");
    for (double D : {2.0, 2.7})
      for (const Array& c : {row({1, 2}), num(1), Array::empty(), Array::matrix(0, 5)})
        EXPECT_EQ(message(P, {c, num(D)}), p + " requires at least three values for D = 2");
  }
}

#ifdef __linux__
// (Linux only: the limit is set with setrlimit, the use read from /proc.)
// Runs `body` in a child process whose address space is limited to what it
// uses now plus `headroom` bytes, with large blocks mapped and unmapped
// directly so that freed memory is given back. The child exits with 0 when
// every expectation of `body` holds, with the failing line otherwise.
[[noreturn]] void run_limited(std::size_t headroom, const std::function<int()>& body) {
  mallopt(M_MMAP_THRESHOLD, 64 * 1024);
  mallopt(M_TRIM_THRESHOLD, 64 * 1024);
  std::FILE* f = std::fopen("/proc/self/statm", "r");
  std::uintptr_t pages = 0;
  if (f == nullptr || std::fscanf(f, "%lu", &pages) != 1) std::_Exit(100);
  std::fclose(f);
  const rlim_t limit = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + headroom;
  const rlimit rl{limit, limit};
  if (setrlimit(RLIMIT_AS, &rl) != 0) std::_Exit(101);
  std::_Exit(body());
}

void with_memory_limit(std::size_t headroom, const std::function<int()>& body) {
  EXPECT_EXIT(run_limited(headroom, body), testing::ExitedWithCode(0), "");
}

// With n = 3^12 values, X bytes per n-value array.
constexpr std::size_t kN = 531441;
constexpr std::size_t kX = kN * 8;

bool can_allocate(std::size_t bytes) {
  void* p = std::malloc(bytes);
  std::free(p);
  return p != nullptr;
}

TEST(PyramidScratch, RefusedScratchIsReportedAndFreed) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer reserves more address space than the limit allows";
#endif
  if (*TFMEX_TEST_RUNNER != '\0')
    GTEST_SKIP() << "under an emulator the limit binds the emulator too";
  for (const char* p : {"BlockMeanSplit", "BlockMeanJoin", "CenterJoin"})
    plugin(p);  // loaded here, not in the child
  const Array x = row(random_vector(kN, 2)), wc = row(random_vector(2 * kN, 3));
  const Array L = num(1), D = num(2);
  // The host keeps a copy of x (X); the forward pyramid's scratch is one
  // workspace of X + X/3 + X, which does not fit beside it, and nothing is
  // left taken.
  with_memory_limit(kX * 3, [&]() {
    const CallReport r = plugin("BlockMeanSplit").call({&x, &L, &D});
    return r.message == "BlockMeanSplit could not allocate its scratch arrays" &&
                   r.problems().empty() && can_allocate(kX * 2)
               ? 0
               : 1;
  });
  // The scratch fits, the result (2X) does not: the host refuses it, and the
  // scratch goes back to the pool on the way out, where the next call finds
  // it (a scratch kept by the first call would leave no room for a second).
  with_memory_limit(kX * 9 / 2, [&]() {
    const CallReport r = plugin("BlockMeanSplit").call({&x, &L, &D});
    const CallReport again = plugin("BlockMeanSplit").call({&x, &L, &D});
    return r.message == "Out of memory." && again.message == "Out of memory." ? 0 : 1;
  });
  for (const char* P : {"BlockMeanJoin", "CenterJoin"}) {
    with_memory_limit(kX * 5 / 2, [&]() {  // the copy of wc (2X) fits, the prediction (X) not
      const CallReport r = plugin(P).call({&wc, &L, &D});
      return r.message == std::string(P) + " could not allocate its scratch arrays" &&
                     r.problems().empty()
                 ? 0
                 : 1;
    });
  }
}
#endif  // __linux__

}  // namespace
}  // namespace tfmex::test
