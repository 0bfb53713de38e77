// The redundant transforms as library calls: the doubles of the ShiftSplit,
// ShiftJoin, PacketSplit and PacketJoin plug-ins, on packed and on strided,
// batched layouts and with any number of threads; a refused argument is
// named; a call's workspace stays a few n values however many threads share
// it, and whatever it holds beforehand changes nothing.
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "support.h"
#include "tfmex/tfmex.hpp"

namespace tfmex::test {
namespace {

using Vec = std::vector<double>;

enum class Op { ShiftSplit, ShiftJoin, PacketSplit, PacketJoin };
constexpr Op kOps[] = {Op::ShiftSplit, Op::ShiftJoin, Op::PacketSplit, Op::PacketJoin};

const char* name(Op op) {
  switch (op) {
    case Op::ShiftSplit: return "ShiftSplit";
    case Op::ShiftJoin: return "ShiftJoin";
    case Op::PacketSplit: return "PacketSplit";
    default: return "PacketJoin";
  }
}

bool splits(Op op) { return op == Op::ShiftSplit || op == Op::PacketSplit; }

bool same_bits(const Vec& a, const Vec& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * 8) == 0);
}

int log2i(std::ptrdiff_t n) {
  int J = 0;
  while ((std::ptrdiff_t{1} << J) < n) ++J;
  return J;
}

// One library call of `op` on a table of depth D: a split reads signals and
// writes tables, a join the other way round. ShiftSplit takes its level J - D.
void call_lib(Op op, const double* in, double* out, std::ptrdiff_t n, int D, const Vec& h,
              std::ptrdiff_t count, Strides sig, Strides2 tab, Workspace* ws = nullptr) {
  const Taps taps(h);
  const int J = log2i(n);
  switch (op) {
    case Op::ShiftSplit:
      return shift_split(in, out, n, J - D, taps, VectorToTable{count, sig, tab}, ws);
    case Op::PacketSplit:
      return packet_split(in, out, n, D, taps, VectorToTable{count, sig, tab}, ws);
    case Op::ShiftJoin: return shift_join(in, out, n, D, taps, TableToVector{count, tab, sig}, ws);
    case Op::PacketJoin:
      return packet_join(in, out, n, D, taps, TableToVector{count, tab, sig}, ws);
  }
}

std::size_t workspace_of(Op op, std::ptrdiff_t n, int D, const Vec& h, std::ptrdiff_t count = 1) {
  const int J = log2i(n);
  switch (op) {
    case Op::ShiftSplit: return shift_split_workspace(n, J - D, h, VectorToTable{count, {}, {}});
    case Op::PacketSplit: return packet_split_workspace(n, D, h, VectorToTable{count, {}, {}});
    case Op::ShiftJoin: return shift_join_workspace(n, D, h, TableToVector{count, {}, {}});
    default: return packet_join_workspace(n, D, h, TableToVector{count, {}, {}});
  }
}

// The packed call on one signal (a split) or one n x (D + 1) table (a join).
Vec packed(Op op, const Vec& in, std::ptrdiff_t n, int D, const Vec& h, Workspace* ws = nullptr) {
  Vec out(splits(op) ? static_cast<std::size_t>(n) * (D + 1) : static_cast<std::size_t>(n));
  call_lib(op, in.data(), out.data(), n, D, h, 1, {}, {}, ws);
  return out;
}

// The input of `op`: a signal of n values or a table of n (D + 1).
Vec input(Op op, std::ptrdiff_t n, int D, unsigned seed) {
  return random_vector(static_cast<std::size_t>(splits(op) ? n : n * (D + 1)), seed);
}

// The plug-in's output for the same input.
Vec plugin_result(Op op, const Vec& in, std::ptrdiff_t n, int D, const Vec& h) {
  const auto un = static_cast<std::size_t>(n);
  const Array hf = h.empty() ? Array::empty() : Array::row(h);
  const int J = log2i(n);
  const Array x = Array::column(in);
  if (op == Op::ShiftSplit) return run("ShiftSplit", {x, Array::scalar(J - D), hf}).values();
  if (op == Op::PacketSplit) return run("PacketSplit", {x, Array::scalar(D), hf}).values();
  return run(name(op), {Array::matrix(un, static_cast<std::size_t>(D) + 1, in), hf}).values();
}

TEST(LibraryRedundant, MatchesThePluginsBitForBit) {
  unsigned seed = 900;
  struct Case {
    std::ptrdiff_t n;
    std::vector<int> taps;
  };
  // The last size splits its stages over the threads.
  const Case cases[] = {{1, {0, 2}},     {2, {0, 1, 3}}, {8, {0, 1, 2, 3, 8, 20}},
                        {64, {2, 6, 9}}, {1024, {4, 8}}, {std::ptrdiff_t{1} << 17, {8}}};
  for (const Case& c : cases) {
    const int J = log2i(c.n);
    for (int m : c.taps) {
      const Vec h = m % 2 == 0 && m > 0 ? orthonormal_filter(m, ++seed) : random_vector(m, ++seed);
      for (int D : {0, 1, J / 2, J}) {
        if (D > J) continue;
        for (Op op : kOps) {
          SCOPED_TRACE(std::string(name(op)) + " n=" + std::to_string(c.n) +
                       " m=" + std::to_string(m) + " D=" + std::to_string(D));
          const Vec in = input(op, c.n, D, ++seed);
          EXPECT_TRUE(same_bits(packed(op, in, c.n, D, h), plugin_result(op, in, c.n, D, h)));
        }
      }
    }
  }
}

// A batch laid out in a buffer: `count` items, item b's element i at
// base + b * distance + i * stride (signals) or (r, c) at base + b * distance
// + r * rows + c * cols (tables); everything else keeps a marker.
struct Buffer {
  Vec data;
  std::ptrdiff_t origin;  // index of element 0 of item 0
};

constexpr double kMarker = -12345.5;

// Room for every index `at` gives for the batch, with the origin placed so
// that negative strides stay inside.
template <class At>
Buffer make_buffer(std::ptrdiff_t count, std::ptrdiff_t n, std::ptrdiff_t ncols, At at) {
  std::ptrdiff_t lo = 0, hi = 0;
  for (std::ptrdiff_t b = 0; b < count; ++b)
    for (std::ptrdiff_t c = 0; c < ncols; ++c)
      for (std::ptrdiff_t r : {std::ptrdiff_t{0}, n - 1}) {
        lo = std::min(lo, at(b, r, c));
        hi = std::max(hi, at(b, r, c));
      }
  return Buffer{Vec(static_cast<std::size_t>(hi - lo + 3), kMarker), 1 - lo};
}

TEST(LibraryRedundant, StridedAndBatchedLayoutsMatchThePackedCall) {
  struct Layout {
    Strides sig;
    Strides2 tab;
  };
  unsigned seed = 1200;
  for (std::ptrdiff_t n : {std::ptrdiff_t{1}, std::ptrdiff_t{16}, std::ptrdiff_t{256}}) {
    const int J = log2i(n);
    for (int D : {0, J > 2 ? 3 : J, J}) {
      const std::ptrdiff_t cols = D + 1;
      const Layout layouts[] = {
          {{1, 0}, {1, 0, 0}},                               // packed, one after another
          {{2, 2 * n + 5}, {1, n + 3, cols * (n + 3) + 7}},  // spaced columns and items
          {{-1, 0}, {cols, 1, 0}},                           // reversed signals, row-major tables
          {{3, 1}, {3 * cols, 3, 1}},                        // items interleaved value by value
          {{1, -n}, {-1, -n, -n * cols}},                    // everything backwards
      };
      for (Op op : kOps) {
        const Vec h = orthonormal_filter(6, ++seed);
        for (std::ptrdiff_t count : {1, 3}) {
          for (const Layout& l : layouts) {
            SCOPED_TRACE(std::string(name(op)) + " n=" + std::to_string(n) + " D=" +
                         std::to_string(D) + " count=" + std::to_string(count) + " stride " +
                         std::to_string(l.sig.stride) + " rows " + std::to_string(l.tab.rows));
            const std::ptrdiff_t dsig = l.sig.distance != 0 ? l.sig.distance : n * l.sig.stride;
            const std::ptrdiff_t tcols = l.tab.cols != 0 ? l.tab.cols : l.tab.rows * n;
            // Tables that follow one another: the longer of their two spans apart.
            const std::ptrdiff_t down = l.tab.rows * n, across = tcols * cols;
            const std::ptrdiff_t dtab = l.tab.distance != 0
                                            ? l.tab.distance
                                            : (std::abs(down) > std::abs(across) ? down : across);
            auto sig_at = [&](std::ptrdiff_t b, std::ptrdiff_t i, std::ptrdiff_t) {
              return b * dsig + i * l.sig.stride;
            };
            auto tab_at = [&](std::ptrdiff_t b, std::ptrdiff_t r, std::ptrdiff_t c) {
              return b * dtab + r * l.tab.rows + c * tcols;
            };
            Buffer s = make_buffer(count, n, 1, sig_at), t = make_buffer(count, n, cols, tab_at);
            Buffer& in = splits(op) ? s : t;
            Buffer& out = splits(op) ? t : s;
            std::vector<Vec> items;
            for (std::ptrdiff_t b = 0; b < count; ++b) {
              items.push_back(input(op, n, D, ++seed));
              for (std::ptrdiff_t c = 0; c < (splits(op) ? 1 : cols); ++c)
                for (std::ptrdiff_t r = 0; r < n; ++r)
                  in.data[in.origin + (splits(op) ? sig_at(b, r, c) : tab_at(b, r, c))] =
                      items.back()[r + c * n];
            }
            const Vec in_before = in.data;
            call_lib(op, in.data.data() + in.origin, out.data.data() + out.origin, n, D, h, count,
                     l.sig, l.tab);
            EXPECT_TRUE(same_bits(in.data, in_before)) << "the input was changed";
            Vec rest = out.data;
            for (std::ptrdiff_t b = 0; b < count; ++b) {
              const Vec want = packed(op, items[b], n, D, h);
              Vec got(want.size());
              for (std::ptrdiff_t c = 0; c < (splits(op) ? cols : 1); ++c)
                for (std::ptrdiff_t r = 0; r < n; ++r) {
                  const std::ptrdiff_t at =
                      out.origin + (splits(op) ? tab_at(b, r, c) : sig_at(b, r, c));
                  got[r + c * n] = out.data[at];
                  rest[at] = kMarker;
                }
              EXPECT_TRUE(same_bits(got, want)) << "item " << b;
            }
            EXPECT_TRUE(same_bits(rest, Vec(rest.size(), kMarker))) << "written outside the items";
          }
        }
      }
    }
  }
}

// One thread or several, over the blocks of one signal's stages or over the
// signals of a batch: the same doubles.
TEST(LibraryRedundant, ThreadsChangeNoBit) {
  // Enough work per stage for each of the four to split it.
  const std::ptrdiff_t n = std::ptrdiff_t{1} << 16;
  const int D = 4;
  const Vec h = orthonormal_filter(32, 77);
  for (Op op : kOps) {
    for (std::ptrdiff_t count : {1, 3}) {
      SCOPED_TRACE(std::string(name(op)) + " count=" + std::to_string(count));
      const std::size_t in_size = (splits(op) ? 1 : D + 1) * static_cast<std::size_t>(n * count);
      const std::size_t out_size = (splits(op) ? D + 1 : 1) * static_cast<std::size_t>(n * count);
      const Vec in = random_vector(in_size, 78);
      std::vector<Vec> results;
      for (int t : {1, 2, 3}) {
        set_threads(t);
        Vec out(out_size);
        call_lib(op, in.data(), out.data(), n, D, h, count, {}, {});
        results.push_back(out);
      }
      set_threads(0);
      EXPECT_TRUE(same_bits(results[0], results[1]));
      EXPECT_TRUE(same_bits(results[0], results[2]));
    }
  }
}

template <class F>
std::string refusal(F&& f) {
  try {
    f();
  } catch (const tfmex::invalid_argument& e) {
    return e.what();
  } catch (const std::exception& e) {
    return std::string("not an invalid_argument: ") + e.what();
  }
  return "accepted";
}

TEST(LibraryRedundant, RefusedArgumentsAreNamed) {
  const Vec h = haar(), x(64, 1.0);
  Vec out(64 * 8);
  const double* in = x.data();
  double* o = out.data();
  EXPECT_EQ(refusal([&] { shift_split(in, o, 6, 0, h); }),
            "tfmex::shift_split: n must be a power of two from 1 to 2^30, not 6");
  EXPECT_EQ(refusal([&] { packet_join(in, o, 0, 0, h); }),
            "tfmex::packet_join: n must be a power of two from 1 to 2^30, not 0");
  EXPECT_EQ(refusal([&] { shift_join(in, o, std::ptrdiff_t{1} << 31, 0, h); }),
            "tfmex::shift_join: n must be a power of two from 1 to 2^30, not 2147483648");
  EXPECT_EQ(refusal([&] { shift_split(in, o, 8, -1, h); }),
            "tfmex::shift_split: L must be from 0 to 3, not -1");
  EXPECT_EQ(refusal([&] { shift_split(in, o, 8, 4, h); }),
            "tfmex::shift_split: L must be from 0 to 3, not 4");
  EXPECT_EQ(refusal([&] { shift_join(in, o, 8, 4, h); }),
            "tfmex::shift_join: D must be from 0 to 3, not 4");
  EXPECT_EQ(refusal([&] { packet_split(in, o, 8, -1, h); }),
            "tfmex::packet_split: D must be from 0 to 3, not -1");
  EXPECT_EQ(refusal([&] { packet_split(in, o, 8, 2, Taps(h.data(), -1)); }),
            "tfmex::packet_split: h has a negative size");
  EXPECT_EQ(refusal([&] { packet_join(in, o, 8, 2, Taps(nullptr, 2)); }),
            "tfmex::packet_join: h is a null pointer");
  EXPECT_EQ(refusal([&] { shift_join(nullptr, o, 8, 2, h); }),
            "tfmex::shift_join: null input or output pointer");
  EXPECT_EQ(refusal([&] { shift_split(in, nullptr, 8, 2, h); }),
            "tfmex::shift_split: null input or output pointer");
  EXPECT_EQ(refusal([&] {
              packet_join(in, o, 8, 2, h, TableToVector{-1, {}, {}});
            }),
            "tfmex::packet_join: the batch count must not be negative, not -1");
  // An empty batch touches nothing; an empty filter gives zeros, as the plug-ins do.
  EXPECT_EQ(refusal([&] {
              packet_split(nullptr, nullptr, 8, 2, h, VectorToTable{0, {}, {}});
            }),
            "accepted");
  out.assign(out.size(), 1.0);
  EXPECT_EQ(refusal([&] { shift_split(in, o, 8, 1, Taps()); }), "accepted");
  for (int i = 0; i < 8 * 3; ++i) ASSERT_EQ(out[i], 0.0) << i;
}

// The workspace is what the stages need, not what they need per thread; a
// workspace with stale contents or one too small for the call changes
// nothing.
TEST(LibraryRedundant, WorkspaceIsAFewSignalsWhateverTheThreads) {
  const std::ptrdiff_t n = std::ptrdiff_t{1} << 16;
  const int D = 16;
  const Vec h = orthonormal_filter(8, 5);
  const std::size_t vectors[] = {2, 4, 1, 3};  // ShiftSplit, ShiftJoin, PacketSplit, PacketJoin
  for (Op op : kOps) {
    SCOPED_TRACE(name(op));
    const std::size_t most = vectors[static_cast<int>(op)] * static_cast<std::size_t>(n) + 8;
    for (int t : {1, 2, 16}) {
      set_threads(t);
      EXPECT_LE(workspace_of(op, n, D, h), most) << t << " threads";
    }
    const Vec in = input(op, n, D, 6);
    const Vec fresh = packed(op, in, n, D, h);
    set_threads(4);
    Workspace stale(workspace_of(op, n, D, h));
    for (std::size_t i = 0; i < stale.size(); ++i)
      stale.data()[i] = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(same_bits(packed(op, in, n, D, h, &stale), fresh));
    Workspace small(1);
    EXPECT_TRUE(same_bits(packed(op, in, n, D, h, &small), fresh));
    set_threads(0);
  }
}

}  // namespace
}  // namespace tfmex::test
