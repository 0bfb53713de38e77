// The biorthogonal transforms and the triadic pyramids and refinements of the
// library: the doubles of the plug-ins, strided and batched layouts that give
// the packed call's doubles and write nothing else, dirty and undersized
// workspaces, threads, and the refusals.
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

#include "support.h"
#include "tfmex/tfmex.hpp"

namespace tfmex::test {
namespace {

using Vec = std::vector<double>;

bool same_bits(const Vec& a, const Vec& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * 8) == 0);
}

Vec scaled(std::initializer_list<double> taps, double divisor) {
  Vec v;
  for (double t : taps) v.push_back(M_SQRT2 * t / divisor);
  return v;
}

const Vec kQmf = scaled({-1, 2, 6, 2, -1}, 8);
const Vec kDqmf = scaled({1, 2, 1}, 4);
const Vec kQmf9 = scaled({3, -6, -16, 38, 90, 38, -16, -6, 3}, 128);

Vec filled(std::size_t n) { return Vec(n, std::numeric_limits<double>::quiet_NaN()); }

Vec plugin_values(const std::string& name, std::initializer_list<Array> args) {
  return run(name, args).values();
}

TEST(LibraryDual, SameDoublesAsThePlugins) {
  // Pairs both transforms take (odd lengths, one longer than the small
  // blocks), then pairs only the analysis takes.
  const std::vector<std::pair<Vec, Vec>> pairs{{kQmf, kDqmf},
                                               {kDqmf, kQmf9},
                                               {random_vector(11, 1), random_vector(7, 2)},
                                               {random_vector(4, 3), random_vector(6, 4)},
                                               {{}, random_vector(3, 5)}};
  for (std::size_t q = 0; q < pairs.size(); ++q) {
    const Taps qmf(pairs[q].first), dqmf(pairs[q].second);
    const Array qa = Array::row(pairs[q].first), da = Array::row(pairs[q].second);
    for (int J : {0, 1, 3, 6, 9}) {
      const int n = 1 << J;
      const int count = J == 0 ? 1 : 3;  // one value per column would read as a row
      const Vec x = random_vector(static_cast<std::size_t>(n) * count, 10 * J + q);
      const Array xa = Array::matrix(n, count, x);
      for (int L = 0; L <= J; ++L) {
        SCOPED_TRACE("pair " + std::to_string(q) + " n=" + std::to_string(n) +
                     " L=" + std::to_string(L));
        Vec w = filled(x.size());
        dual_split(x.data(), w.data(), n, L, qmf, dqmf, Batch::packed(count));
        EXPECT_TRUE(same_bits(w, plugin_values("DualSplit", {xa, Array::scalar(L), qa, da})));
        if (q >= 3) continue;
        // The synthesis of arbitrary coefficients, not only of a split's.
        Vec y = filled(x.size());
        dual_join(x.data(), y.data(), n, L, qmf, dqmf, Batch::packed(count));
        EXPECT_TRUE(same_bits(y, plugin_values("DualJoin", {xa, Array::scalar(L), qa, da})));
      }
    }
  }
}

TEST(LibraryTriadic, SameDoublesAsThePlugins) {
  for (int J = 0; J <= 6; ++J) {
    const std::ptrdiff_t n = static_cast<std::ptrdiff_t>(std::pow(3.0, J));
    Vec x = random_vector(n, 20 + J), wc = random_vector(2 * n, 40 + J);
    for (std::ptrdiff_t i = n / 3; i < n / 2; ++i) x[i] = wc[i] = 0.5;  // the flat paths
    for (int L : {1, 2, J - 1, J, J + 1, J + 7}) {
      if (L < 1) continue;
      for (int D : {0, 2, 3, -1}) {
        SCOPED_TRACE("n=" + std::to_string(n) + " L=" + std::to_string(L) +
                     " D=" + std::to_string(D));
        const Array La = Array::scalar(L), Da = Array::scalar(D);
        Vec w = filled(2 * n);
        block_mean_split(x.data(), w.data(), n, L, D);
        EXPECT_TRUE(same_bits(w, plugin_values("BlockMeanSplit", {Array::row(x), La, Da})));
        Vec y = filled(n);
        block_mean_join(w.data(), y.data(), n, L, D);
        EXPECT_TRUE(same_bits(y, plugin_values("BlockMeanJoin", {Array::row(w), La, Da})));
        y = filled(n);
        center_join(wc.data(), y.data(), n, L, D);
        EXPECT_TRUE(same_bits(y, plugin_values("CenterJoin", {Array::row(wc), La, Da})));
      }
    }
  }
  for (std::ptrdiff_t m : {0, 1, 2, 3, 4, 10, 100}) {
    Vec c = random_vector(m, 60 + m);
    for (std::ptrdiff_t i = 0; i < m / 3; ++i) c[i] = 0.25;
    for (int D : {0, 2, 5, -1}) {
      if (D == 2 && m < 3) continue;
      SCOPED_TRACE("m=" + std::to_string(m) + " D=" + std::to_string(D));
      const Array ca = Array::row(c), Da = Array::scalar(D);
      Vec f = filled(3 * m);
      center_predict(c.data(), f.data(), m, D);
      EXPECT_TRUE(same_bits(f, plugin_values("CenterPredict", {ca, Da})));
      f = filled(3 * m);
      triple_predict(c.data(), f.data(), m, D);
      EXPECT_TRUE(same_bits(f, plugin_values("TriplePredict", {ca, Da})));
    }
  }
}

// A batch of `count` vectors of `len` values at the given strides, in a
// buffer that holds them and nothing else of use: value i of vector k at
// buf[origin + k * distance + i * stride].
struct Layout {
  std::ptrdiff_t len, count;
  Strides s;
  Vec buf;
  std::ptrdiff_t origin = 0;

  Layout(std::ptrdiff_t l, std::ptrdiff_t c, Strides st, double fill) : len(l), count(c), s(st) {
    const std::ptrdiff_t d = s.distance != 0 ? s.distance : len * s.stride;
    std::ptrdiff_t lo = 0, hi = 0;
    for (std::ptrdiff_t k : {std::ptrdiff_t{0}, count - 1})
      for (std::ptrdiff_t i : {std::ptrdiff_t{0}, len - 1}) {
        lo = std::min(lo, k * d + i * s.stride);
        hi = std::max(hi, k * d + i * s.stride);
      }
    buf.assign(static_cast<std::size_t>(hi - lo + 1), fill);
    origin = -lo;
  }
  std::ptrdiff_t distance() const { return s.distance != 0 ? s.distance : len * s.stride; }
  double& at(std::ptrdiff_t k, std::ptrdiff_t i) {
    return buf[static_cast<std::size_t>(origin + k * distance() + i * s.stride)];
  }
  double* data() { return buf.data() + origin; }
  // The packed vectors, one after another.
  Vec packed() {
    Vec v;
    for (std::ptrdiff_t k = 0; k < count; ++k)
      for (std::ptrdiff_t i = 0; i < len; ++i) v.push_back(at(k, i));
    return v;
  }
  void place(const Vec& v) {
    for (std::ptrdiff_t k = 0; k < count; ++k)
      for (std::ptrdiff_t i = 0; i < len; ++i) at(k, i) = v[k * len + i];
  }
};

// One transform of the library on a batch: (in, out, batch, workspace).
struct Transform {
  std::string name;
  std::ptrdiff_t in_len, out_len;
  std::function<void(const double*, double*, const Batch&, Workspace*)> call;
  std::function<std::size_t(const Batch&)> workspace;
};

using Pyramid = void (*)(const double*, double*, std::ptrdiff_t, int, int, const Batch&,
                         Workspace*);
using PyramidSize = std::size_t (*)(std::ptrdiff_t, int, const Batch&);
using Predict = void (*)(const double*, double*, std::ptrdiff_t, int, const Batch&, Workspace*);
using PredictSize = std::size_t (*)(std::ptrdiff_t, const Batch&);

std::vector<Transform> transforms(std::ptrdiff_t n2, std::ptrdiff_t n3) {
  const Taps qmf(kQmf9), dqmf(kDqmf);
  const int L2 = n2 >= 4 ? 2 : 0, L1 = n2 >= 2 ? 1 : 0;
  std::vector<Transform> t{{"dual_split", n2, n2,
                            [=](const double* x, double* y, const Batch& b, Workspace* ws) {
                              dual_split(x, y, n2, L2, qmf, dqmf, b, ws);
                            },
                            [=](const Batch& b) { return dual_split_workspace(n2, qmf, dqmf, b); }},
                           {"dual_join", n2, n2,
                            [=](const double* x, double* y, const Batch& b, Workspace* ws) {
                              dual_join(x, y, n2, L1, qmf, dqmf, b, ws);
                            },
                            [=](const Batch& b) { return dual_join_workspace(n2, qmf, dqmf, b); }}};
  auto pyramid = [&](const std::string& name, Pyramid f, PyramidSize size, int L, int D,
                     bool split) {
    t.push_back({name + " L=" + std::to_string(L) + " D=" + std::to_string(D), split ? n3 : 2 * n3,
                 split ? 2 * n3 : n3,
                 [=](const double* x, double* y, const Batch& b, Workspace* ws) {
                   f(x, y, n3, L, D, b, ws);
                 },
                 [=](const Batch& b) { return size(n3, L, b); }});
  };
  auto predict = [&](const std::string& name, Predict f, PredictSize size, int D) {
    t.push_back(
        {name + " D=" + std::to_string(D), n3, 3 * n3,
         [=](const double* x, double* y, const Batch& b, Workspace* ws) { f(x, y, n3, D, b, ws); },
         [=](const Batch& b) { return size(n3, b); }});
  };
  for (int D : {2, 5}) {  // 5 predicts zero: no kernel writes the prediction
    pyramid("block_mean_split", block_mean_split, block_mean_split_workspace, 1, D, true);
    pyramid("block_mean_join", block_mean_join, block_mean_join_workspace, 2, D, false);
    pyramid("center_join", center_join, center_join_workspace, 1, D, false);
    predict("center_predict", center_predict, center_predict_workspace, D);
    predict("triple_predict", triple_predict, triple_predict_workspace, D);
  }
  // The coarse part as the whole signal: the split's second half is zeros.
  pyramid("block_mean_split", block_mean_split, block_mean_split_workspace, 9, 2, true);
  return t;
}

struct Strided {
  const char* what;
  Strides in, out;
};

// Every layout, the packed one with gaps between the vectors, interleaved
// vectors (the rows of a column-major matrix) and negative strides.
std::vector<Strided> layouts(std::ptrdiff_t count, std::ptrdiff_t in_len, std::ptrdiff_t out_len) {
  return {{"strided", {2, 0}, {3, 0}},
          {"gaps", {1, in_len + 5}, {1, out_len + 3}},
          {"interleaved", {count, 1}, {count, 1}},
          {"backwards", {-1, -in_len - 2}, {-2, 0}},
          {"strided in", {3, 0}, {1, 0}},
          {"strided out", {1, 0}, {-1, 0}}};
}

constexpr double kUntouched = 1234.5;

// Runs every transform on `count` vectors in every layout, with the pooled
// workspace, a dirty one of the size asked for and one too small, and
// compares the results with the packed call; nothing but the outputs may be
// written.
void check_layouts(std::ptrdiff_t n2, std::ptrdiff_t n3, std::ptrdiff_t count) {
  for (const Transform& t : transforms(n2, n3)) {
    const Vec in = random_vector(t.in_len * count, 7);
    Vec want = filled(t.out_len * count);
    t.call(in.data(), want.data(), Batch::packed(count), nullptr);
    for (const Strided& l : layouts(count, t.in_len, t.out_len)) {
      SCOPED_TRACE(t.name + " " + l.what + " count=" + std::to_string(count));
      const Batch b{count, l.in, l.out};
      for (int variant = 0; variant < 3; ++variant) {
        Layout src(t.in_len, count, l.in, kUntouched), dst(t.out_len, count, l.out, kUntouched);
        src.place(in);
        const Vec src_before = src.buf;
        Workspace dirty(variant == 1 ? t.workspace(b) : 1);
        for (std::size_t i = 0; i < dirty.size(); ++i) dirty.data()[i] = NAN;
        t.call(src.data(), dst.data(), b, variant == 0 ? nullptr : &dirty);
        EXPECT_TRUE(same_bits(dst.packed(), want)) << "variant " << variant;
        EXPECT_TRUE(same_bits(src.buf, src_before)) << "the input was written";
        // Every output place written, nothing else.
        dst.place(Vec(t.out_len * count, kUntouched));
        std::size_t written = 0;
        for (double v : dst.buf) written += v != kUntouched;
        EXPECT_EQ(written, 0u) << "a place outside the outputs was written";
      }
    }
  }
}

TEST(LibraryLayouts, StridedAndBatchedEqualThePackedCall) {
  check_layouts(16, 27, 3);
  check_layouts(1, 3, 2);
}

TEST(LibraryLayouts, ThreadsGiveTheDoublesOfOneThread) {
  // Batches large enough to be split over the threads.
  const std::ptrdiff_t count = 256;
  for (const Transform& t : transforms(1024, 729)) {
    SCOPED_TRACE(t.name);
    const Vec in = random_vector(t.in_len * count, 9);
    const Batch b{count, {1, t.in_len + 1}, {2, 0}};
    Layout src(t.in_len, count, b.in, 0.0);
    src.place(in);
    std::vector<Vec> got;
    for (int threads : {1, 3}) {
      set_threads(threads);
      Vec packed = filled(t.out_len * count);
      t.call(in.data(), packed.data(), Batch::packed(count), nullptr);
      Layout dst(t.out_len, count, b.out, kUntouched);
      t.call(src.data(), dst.data(), b, nullptr);
      EXPECT_TRUE(same_bits(dst.packed(), packed));
      got.push_back(packed);
    }
    EXPECT_TRUE(same_bits(got[0], got[1]));
  }
  set_threads(0);
}

// The message of the invalid_argument `f` throws, or "accepted".
std::string refusal(const std::function<void()>& f) {
  try {
    f();
  } catch (const tfmex::invalid_argument& e) {
    return e.what();
  }
  return "accepted";
}

TEST(LibraryRefusals, TheMessageNamesTheArgument) {
  Vec x(243, 1.0), y(243);
  const Taps q(kQmf), d(kDqmf), even(kQmf.data(), 4);
  const std::string pow3 = "n must be a power of three from 1 to 3^18, not ";
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[&] { dual_split(x.data(), y.data(), 6, 0, q, d); },
       "tfmex::dual_split: n must be a power of two from 1 to 2^30, not 6"},
      {[&] { dual_join(x.data(), y.data(), std::ptrdiff_t{1} << 31, 0, q, d); },
       "tfmex::dual_join: n must be a power of two from 1 to 2^30, not 2147483648"},
      {[&] { dual_split(x.data(), y.data(), 8, 4, q, d); },
       "tfmex::dual_split: L must be from 0 to 3, not 4"},
      {[&] { dual_join(x.data(), y.data(), 8, -1, q, d); },
       "tfmex::dual_join: L must be from 0 to 3, not -1"},
      {[&] { dual_split(nullptr, y.data(), 8, 1, q, d); },
       "tfmex::dual_split: null input or output pointer"},
      {[&] { dual_split(x.data(), y.data(), 8, 1, Taps(nullptr, 3), d); },
       "tfmex::dual_split: qmf is a null pointer"},
      // The synthesis centres its filters on their middle tap.
      {[&] { dual_join(x.data(), y.data(), 8, 1, even, d); },
       "tfmex::dual_join: qmf must have an odd number of taps, not 4"},
      {[&] { dual_join(x.data(), y.data(), 8, 1, q, Taps()); },
       "tfmex::dual_join: dqmf must have an odd number of taps, not 0"},
      {[&] { block_mean_split(x.data(), y.data(), 6, 1, 2); },
       "tfmex::block_mean_split: " + pow3 + "6"},
      {[&] { block_mean_join(x.data(), y.data(), 0, 1, 2); },
       "tfmex::block_mean_join: " + pow3 + "0"},
      // 3^19: its pyramid would not index as an int.
      {[&] { center_join(x.data(), y.data(), 1162261467, 1, 2); },
       "tfmex::center_join: " + pow3 + "1162261467"},
      {[&] { block_mean_join(x.data(), y.data(), 27, 0, 2); },
       "tfmex::block_mean_join: L must be at least 1, not 0"},
      {[&] { center_join(nullptr, y.data(), 9, 1, 2); },
       "tfmex::center_join: null input or output pointer"},
      {[&] {
         block_mean_split(x.data(), y.data(), 9, 1, 2, Batch{-1, {}, {}});
       },
       "tfmex::block_mean_split: the batch count must not be negative, not -1"},
      {[&] { center_predict(x.data(), y.data(), -1, 0); },
       "tfmex::center_predict: m must be from 0 to 715827882, not -1"},
      {[&] { triple_predict(x.data(), y.data(), 715827883, 0); },
       "tfmex::triple_predict: m must be from 0 to 715827882, not 715827883"},
      {[&] { center_predict(x.data(), y.data(), 2, 2); },
       "tfmex::center_predict: m must be at least 3 for D = 2, not 2"},
      {[&] { triple_predict(x.data(), nullptr, 3, 0); },
       "tfmex::triple_predict: null input or output pointer"},
      // The analysis takes any filter; empty batches and vectors touch no pointer.
      {[&] { dual_split(x.data(), y.data(), 8, 1, even, Taps()); }, "accepted"},
      {[&] { dual_join(nullptr, nullptr, 8, 1, q, d, Batch::packed(0)); }, "accepted"},
      {[&] { block_mean_split(nullptr, nullptr, 9, 1, 2, Batch::packed(0)); }, "accepted"},
      {[&] { triple_predict(nullptr, nullptr, 0, 0); }, "accepted"}};
  for (const auto& [call, text] : cases) EXPECT_EQ(refusal(call), text);
}

}  // namespace
}  // namespace tfmex::test
