// The library's trigonometric transforms and cosine packet tables: the
// doubles of the plug-ins on every vector path; strided and batched signals
// and tables, in place and with 1 to 3 threads, the doubles of packed single
// calls; calls of other lengths between them, on one workspace filled with
// old lengths, or side by side on several threads, change nothing; a call
// whose tables the cache cannot have still gives them (Linux); and the
// refusals name what they refuse.
#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>

#include "kernel_paths.h"
#include "kernels/trig/table_cache.h"
#include "support.h"
#include "tfmex/tfmex.hpp"

namespace tfmex::test {
namespace {

using Vec = std::vector<double>;
using Transform = void (*)(const double*, double*, std::ptrdiff_t, const Batch&, Workspace*);

struct Trig {
  const char* plugin;
  Transform fn;
};
const Trig kTrig[] = {
    {"TrigC2", dct2}, {"TrigC3", dct3}, {"TrigS2", dst2}, {"TrigS3", dst3}, {"TrigC4", dct4}};

bool same(const Vec& a, const Vec& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * 8) == 0;
}

int log2i(std::ptrdiff_t n) {
  int J = 0;
  while ((std::ptrdiff_t{1} << J) < n) ++J;
  return J;
}

// Noise with signed zeros and tiny values among it (no NaN, whose sign the
// vector paths need not keep).
Vec signal(std::ptrdiff_t n, unsigned seed) {
  Vec x = random_vector(static_cast<std::size_t>(n), seed);
  for (std::ptrdiff_t i = 0; i < n; i += 7) x[i] = i % 2 ? -0.0 : 1e-310 * (i % 5);
  return x;
}

Vec transform(Transform fn, const Vec& x, Workspace* ws = nullptr) {
  Vec y(x.size(), -1.0);
  fn(x.data(), y.data(), static_cast<std::ptrdiff_t>(x.size()), {}, ws);
  return y;
}

Vec split(const Vec& x, int D, Workspace* ws = nullptr) {
  Vec t(x.size() * (D + 1), -1.0);
  bell_split(x.data(), t.data(), static_cast<std::ptrdiff_t>(x.size()), D, {}, ws);
  return t;
}

Vec join(const Vec& t, std::ptrdiff_t n, int D, Workspace* ws = nullptr) {
  Vec y(static_cast<std::size_t>(n), -1.0);
  bell_join(t.data(), y.data(), n, D, {}, ws);
  return y;
}

TEST(LibraryTrig, SameDoublesAsThePlugInsOnEveryPath) {
  for (int J : {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 12, 13, 14, 16}) {
    const std::ptrdiff_t n = std::ptrdiff_t{1} << J;
    const Vec x = signal(n, 10 + J);
    // The plug-ins take the widest path; the library here takes each in turn.
    std::vector<Vec> want;
    for (const Trig& t : kTrig) want.push_back(run(t.plugin, {Array::column(x)}).values());
    const std::vector<int> depths = J < 2 ? std::vector<int>{0, J} : std::vector<int>{0, J / 2, J};
    std::vector<Vec> tables, joined;
    for (int D : depths) {
      const Array T = run("BellSplit", {Array::row(x), Array::scalar(D), Array::scalar(0)});
      tables.push_back(T.values());
      joined.push_back(run("BellJoin", {Array::matrix(n, D + 1, tables.back())}).values());
    }
    for (const auto path : every_path()) {
      const PathGuard guard(path);
      SCOPED_TRACE(std::string(vector::path_name(path)) + " n=" + std::to_string(n));
      for (std::size_t k = 0; k < std::size(kTrig); ++k)
        EXPECT_TRUE(same(transform(kTrig[k].fn, x), want[k])) << kTrig[k].plugin;
      for (std::size_t k = 0; k < depths.size(); ++k) {
        EXPECT_TRUE(same(split(x, depths[k]), tables[k])) << "bell_split D=" << depths[k];
        EXPECT_TRUE(same(join(tables[k], n, depths[k]), joined[k])) << "bell_join D=" << depths[k];
      }
    }
  }
}

std::ptrdiff_t spacing(const Strides& s, std::ptrdiff_t n) {
  return s.distance != 0 ? s.distance : n * s.stride;
}

// Signals or tables laid out as a batch describes: element (r, c) of item b
// at origin + b * distance + r * rows + c * cols, the places between holding
// 7.0. Negative strides are laid out from the far end.
struct Laid {
  Vec data;
  std::ptrdiff_t origin = 0, rows, cols, distance;

  Laid(std::ptrdiff_t count, std::ptrdiff_t nr, std::ptrdiff_t nc, std::ptrdiff_t r,
       std::ptrdiff_t c, std::ptrdiff_t d)
      : rows(r), cols(c), distance(d) {
    std::ptrdiff_t lo = 0, hi = 0;
    for (std::ptrdiff_t b : {std::ptrdiff_t{0}, count - 1})
      for (std::ptrdiff_t i : {std::ptrdiff_t{0}, nr - 1})
        for (std::ptrdiff_t j : {std::ptrdiff_t{0}, nc - 1}) {
          lo = std::min(lo, b * d + i * r + j * c);
          hi = std::max(hi, b * d + i * r + j * c);
        }
    origin = -lo;
    data.assign(static_cast<std::size_t>(hi - lo + 1), 7.0);
  }
  double& at(std::ptrdiff_t b, std::ptrdiff_t i, std::ptrdiff_t j = 0) {
    return data[origin + b * distance + i * rows + j * cols];
  }
  double* base() { return data.data() + origin; }
};

// Batches go through the vector paths in groups of signals, one per lane, the
// signals left over one by one: 23 signals leave some over on every path and
// with either number of threads.
TEST(LibraryTrig, StridedBatchedAndInPlaceGiveThePackedDoubles) {
  const std::ptrdiff_t count = 23;
  for (const auto path : every_path())
    for (int threads : {1, 3}) {
      const PathGuard guard(path);
      SCOPED_TRACE(vector::path_name(path));
      set_threads(threads);
      for (std::ptrdiff_t n : {1, 2, 8, 64, 4096}) {
        std::vector<Vec> x;
        for (std::ptrdiff_t b = 0; b < count; ++b) x.push_back(signal(n, 100 + b));
        for (const Trig& t : kTrig) {
          SCOPED_TRACE(std::string(t.plugin) + " n=" + std::to_string(n));
          std::vector<Vec> want;
          for (const Vec& v : x) want.push_back(transform(t.fn, v));
          // Packed; the rows of a column-major matrix; reversed signals into
          // spread ones; every other value into packed signals with gaps.
          const Strides layouts[][2] = {{{1, 0}, {1, 0}},
                                        {{count, 1}, {count, 1}},
                                        {{-1, n + 3}, {3, 3 * n + 1}},
                                        {{2, 0}, {1, n + 5}}};
          for (const auto& l : layouts) {
            Laid in(count, n, 1, l[0].stride, 0, spacing(l[0], n));
            Laid out(count, n, 1, l[1].stride, 0, spacing(l[1], n));
            for (std::ptrdiff_t b = 0; b < count; ++b)
              for (std::ptrdiff_t i = 0; i < n; ++i) in.at(b, i) = x[b][i];
            t.fn(in.base(), out.base(), n, Batch{count, l[0], l[1]}, nullptr);
            const Vec got = out.data;  // the gaps as they were, the signals transformed
            for (std::ptrdiff_t b = 0; b < count; ++b)
              for (std::ptrdiff_t i = 0; i < n; ++i) out.at(b, i) = want[b][i];
            EXPECT_TRUE(same(got, out.data)) << "strides " << l[0].stride << ", " << l[1].stride;
            // In place, with the input's strides.
            t.fn(in.base(), in.base(), n, Batch{count, l[0], l[0]}, nullptr);
            const Vec inplace = in.data;
            for (std::ptrdiff_t b = 0; b < count; ++b)
              for (std::ptrdiff_t i = 0; i < n; ++i) in.at(b, i) = want[b][i];
            EXPECT_TRUE(same(in.data, inplace)) << "in place, stride " << l[0].stride;
          }
          t.fn(nullptr, nullptr, n, Batch{0, {}, {}}, nullptr);  // no signals: nothing to do
        }
      }
    }
  set_threads(0);
}

TEST(LibraryTrig, StridedAndBatchedTablesGiveThePackedDoubles) {
  // Four signals (each part takes whole signals) and two (the blocks of a
  // level are split), long enough for the threads to be used.
  for (int threads : {1, 2, 3}) {
    set_threads(threads);
    for (std::ptrdiff_t count : {2, 4}) {
      const std::ptrdiff_t n = std::ptrdiff_t{1} << 15;
      const int D = 3;
      std::vector<Vec> x, t, tw, yw;
      for (std::ptrdiff_t b = 0; b < count; ++b) {
        x.push_back(signal(n, 200 + b));
        t.push_back(signal(n * (D + 1), 300 + b));
        tw.push_back(split(x[b], D));
        yw.push_back(join(t[b], n, D));
      }
      SCOPED_TRACE(std::to_string(threads) + " threads, " + std::to_string(count) + " signals");
      // Signals every other value; tables row by row, a gap between them.
      Laid xs(count, n, 1, 2, 0, 2 * n + 1), ys(count, n, 1, -3, 0, 3 * n);
      Laid ts(count, n, D + 1, D + 1, 1, (D + 1) * n + 2), tt = ts;
      for (std::ptrdiff_t b = 0; b < count; ++b)
        for (std::ptrdiff_t i = 0; i < n; ++i) {
          xs.at(b, i) = x[b][i];
          for (int d = 0; d <= D; ++d) tt.at(b, i, d) = t[b][d * n + i];
        }
      const Strides2 rowwise{D + 1, 1, (D + 1) * n + 2};
      bell_split(xs.base(), ts.base(), n, D, VectorToTable{count, {2, 2 * n + 1}, rowwise});
      bell_join(tt.base(), ys.base(), n, D, TableToVector{count, rowwise, {-3, 3 * n}});
      const Vec split_got = ts.data, join_got = ys.data;
      for (std::ptrdiff_t b = 0; b < count; ++b)
        for (std::ptrdiff_t i = 0; i < n; ++i) {
          ys.at(b, i) = yw[b][i];
          for (int d = 0; d <= D; ++d) ts.at(b, i, d) = tw[b][d * n + i];
        }
      EXPECT_TRUE(same(split_got, ts.data)) << "bell_split";
      EXPECT_TRUE(same(join_got, ys.data)) << "bell_join";
      // Packed tables, one after another.
      Vec packed(count * n * (D + 1)), back(count * n);
      Vec flat;
      for (const Vec& v : x) flat.insert(flat.end(), v.begin(), v.end());
      bell_split(flat.data(), packed.data(), n, D, VectorToTable{count, {}, {}});
      bell_join(packed.data(), back.data(), n, D, TableToVector{count, {}, {}});
      for (std::ptrdiff_t b = 0; b < count; ++b) {
        const auto at = packed.begin() + b * n * (D + 1);
        EXPECT_TRUE(same(Vec(at, at + n * (D + 1)), tw[b]));
        EXPECT_TRUE(same(Vec(back.begin() + b * n, back.begin() + (b + 1) * n), join(tw[b], n, D)));
      }
      // Row-major tables one after another (distance 0): n (D + 1) values apart.
      Vec rows(count * n * (D + 1));
      bell_split(flat.data(), rows.data(), n, D, VectorToTable{count, {}, {D + 1, 1, 0}});
      bool transposed = true;
      for (std::ptrdiff_t b = 0; b < count; ++b)
        for (std::ptrdiff_t i = 0; i < n; ++i)
          for (int d = 0; d <= D; ++d)
            transposed = transposed && std::memcmp(&rows[b * n * (D + 1) + i * (D + 1) + d],
                                                   &tw[b][d * n + i], sizeof(double)) == 0;
      EXPECT_TRUE(transposed) << "row-major tables at distance 0";
    }
  }
  set_threads(0);
}

// Every transform of the library on one signal of length n, as one vector.
Vec everything(std::ptrdiff_t n, Workspace* ws) {
  const Vec x = signal(n, 400 + log2i(n));
  const int D = log2i(n) / 2;
  Vec all = split(x, D, ws);
  const Vec y = join(all, n, D, ws);
  all.insert(all.end(), y.begin(), y.end());
  for (const Trig& t : kTrig) {
    const Vec v = transform(t.fn, x, ws);
    all.insert(all.end(), v.begin(), v.end());
  }
  return all;
}

TEST(LibraryTrig, OtherLengthsBetweenCallsChangeNothing) {
  const std::ptrdiff_t lengths[] = {1, 2, 4, 8, 16, 256, 1024, 8192};
  std::vector<Vec> want;
  for (std::ptrdiff_t n : lengths) want.push_back(everything(n, nullptr));
  // One workspace for every call, filled before each with the length of
  // the call (what a table kept in it would be marked with) or of another.
  Workspace ws(std::max(
      {trig_workspace(8192), bell_split_workspace(8192, 6), bell_join_workspace(8192, 6)}));
  for (int round = 0; round < 3; ++round)
    for (std::size_t k = 0; k < std::size(lengths); ++k) {
      const std::size_t i = (k * 5 + round) % std::size(lengths);
      const std::size_t other = round == 1 ? i : (i + 1) % std::size(lengths);
      const double fill = static_cast<double>(lengths[other]);
      std::fill(ws.data(), ws.data() + ws.size(), fill);
      EXPECT_TRUE(same(everything(lengths[i], &ws), want[i])) << lengths[i] << " round " << round;
    }
  // A workspace too small for a call gives way to one from the pool.
  Workspace small(1);
  EXPECT_TRUE(same(everything(1024, &small), want[6]));
  // Side by side on four threads, each going through the lengths in its own order.
  std::vector<int> wrong(4, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      Workspace own;
      for (int pass = 0; pass < 3; ++pass)
        for (std::size_t k = 0; k < std::size(lengths); ++k) {
          const std::size_t i = (k * (2 * t + 1) + pass) % std::size(lengths);
          if (!same(everything(lengths[i], pass == 1 ? &own : nullptr), want[i])) ++wrong[t];
        }
    });
  for (auto& th : threads) th.join();
  for (int t = 0; t < 4; ++t) EXPECT_EQ(wrong[t], 0) << "thread " << t;
}

std::string refusal(const std::function<void()>& call) {
  try {
    call();
  } catch (const tfmex::invalid_argument& e) {
    return e.what();
  }
  return "accepted";
}

TEST(LibraryTrig, RefusalsNameTheArgument) {
  double v[8] = {};
  using P = std::ptrdiff_t;
  for (P n : {P{0}, P{3}, P{-4}, P{1} << 31})
    EXPECT_EQ(refusal([&] { dct2(v, v, n); }),
              "tfmex::dct2: n must be a power of two from 1 to 2^30, not " + std::to_string(n));
  EXPECT_EQ(refusal([&] { dct4(v, v, 6); }),
            "tfmex::dct4: n must be a power of two from 1 to 2^30, not 6");
  EXPECT_EQ(refusal([&] {
              dst3(v, v, 8, Batch{-1, {}, {}});
            }),
            "tfmex::dst3: the batch count must not be negative, not -1");
  EXPECT_EQ(refusal([&] { dct3(nullptr, v, 8); }), "tfmex::dct3: null input or output pointer");
  EXPECT_EQ(refusal([&] { dst2(v, nullptr, 8); }), "tfmex::dst2: null input or output pointer");
  double t[32] = {};
  EXPECT_EQ(refusal([&] { bell_split(v, t, 8, 4); }),
            "tfmex::bell_split: D must be from 0 to 3, not 4");
  EXPECT_EQ(refusal([&] { bell_split(v, t, 8, -1); }),
            "tfmex::bell_split: D must be from 0 to 3, not -1");
  EXPECT_EQ(refusal([&] { bell_split(v, t, 12, 1); }),
            "tfmex::bell_split: n must be a power of two from 1 to 2^30, not 12");
  EXPECT_EQ(refusal([&] { bell_join(t, v, 8, 9); }),
            "tfmex::bell_join: D must be from 0 to 3, not 9");
  EXPECT_EQ(refusal([&] { bell_join(nullptr, v, 8, 1); }),
            "tfmex::bell_join: null input or output pointer");
  EXPECT_EQ(refusal([&] {
              bell_join(t, v, 8, 1, TableToVector{-2, {}, {}});
            }),
            "tfmex::bell_join: the batch count must not be negative, not -2");
  // The sizes of calls that would be refused are still sizes.
  EXPECT_EQ(trig_workspace(-5), trig_workspace(0));
  EXPECT_EQ(bell_join_workspace(-8, -1), bell_join_workspace(0, 0));
}

#ifdef __linux__
// In a child process whose memory is used up, calls given their workspaces
// beforehand, on lengths the cache does not hold (it is filled with other
// tables first), make their tables without it: the plug-ins' doubles, and
// nothing kept.
void numbered(double* out, int n) {
  for (int i = 0; i < (1 << 20); ++i) out[i] = n + i;
}

[[noreturn]] void without_the_cache(const std::vector<Vec>& want, std::ptrdiff_t n, int D,
                                    const Vec& x) {
  set_threads(1);
  for (int k = 0; k < 9; ++k) trig::shared_table(numbered, -1 - k, std::size_t{1} << 20);
  std::vector<Workspace> ws;
  std::vector<Vec> got;
  for (std::size_t k = 0; k < std::size(kTrig); ++k) {
    ws.emplace_back(trig_workspace(n));
    got.emplace_back(n);
  }
  Workspace wsplit(bell_split_workspace(n, D)), wjoin(bell_join_workspace(n, D));
  Vec table(n * (D + 1)), back(n);
  std::FILE* f = std::fopen("/proc/self/statm", "r");
  unsigned long pages = 0;
  if (f == nullptr || std::fscanf(f, "%lu", &pages) != 1) std::_Exit(100);
  std::fclose(f);
  const rlim_t limit = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (1u << 20);
  const rlimit rl{limit, limit};
  std::vector<void*> hog;
  hog.reserve(1 << 16);
  if (setrlimit(RLIMIT_AS, &rl) != 0) std::_Exit(101);
  // What the heap still has free goes too, all but small blocks.
  for (std::size_t size = std::size_t{1} << 30; size >= 4096; size /= 2)
    while (hog.size() < hog.capacity())
      if (void* p = std::malloc(size)) {
        hog.push_back(p);
      } else {
        break;
      }
  const std::size_t held = trig::table_cache_bytes();
  // The exit code tells the first thing that went wrong.
  for (std::size_t k = 0; k < std::size(kTrig); ++k) {
    kTrig[k].fn(x.data(), got[k].data(), n, {}, &ws[k]);
    if (!same(got[k], want[k])) std::_Exit(static_cast<int>(k) + 2);
  }
  bell_split(x.data(), table.data(), n, D, {}, &wsplit);
  if (!same(table, want[5])) std::_Exit(7);
  bell_join(table.data(), back.data(), n, D, {}, &wjoin);
  if (!same(back, want[6])) std::_Exit(8);
  std::_Exit(trig::table_cache_bytes() == held ? 0 : 9);
}

TEST(LibraryTrig, CallsWithTheirWorkspacesNeedNoMemoryForTables) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizers reserve more address space than the limit allows";
#endif
  if (*TFMEX_TEST_RUNNER != '\0') GTEST_SKIP() << "under an emulator the limit binds it too";
  // The smallest table here is the bell's, 2 MiB.
  const std::ptrdiff_t n = std::ptrdiff_t{1} << 19;
  const int D = 1;
  const Vec x = signal(n, 500);
  std::vector<Vec> want;
  for (const Trig& t : kTrig) want.push_back(run(t.plugin, {Array::row(x)}).values());
  want.push_back(run("BellSplit", {Array::row(x), Array::scalar(D), Array::scalar(0)}).values());
  want.push_back(run("BellJoin", {Array::matrix(n, D + 1, want.back())}).values());
  EXPECT_EXIT(without_the_cache(want, n, D, x), testing::ExitedWithCode(0), "");
}
#endif  // __linux__

}  // namespace
}  // namespace tfmex::test
