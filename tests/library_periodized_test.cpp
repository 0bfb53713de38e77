// The periodized single stages and image transforms of the library: the
// plug-ins' doubles; every strided layout equal to one packed call per item,
// with nothing written outside the output; threads and workspaces changing no
// bit; clear refusals.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>

#include "support.h"
#include "tfmex/tfmex.hpp"

namespace tfmex::test {
namespace {

using Vec = std::vector<double>;
using P = std::ptrdiff_t;

bool same_bits(const Vec& a, const Vec& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * 8) == 0);
}
Array filter_arg(const Vec& h) { return h.empty() ? Array::empty() : Array::row(h); }
constexpr double kUntouched = -7.25e77;  // what the places between outputs keep

using StageFn = void (*)(const double*, double*, P, Taps, const Batch&);
struct StageCase {
  const char* plugin;
  bool grow;
  StageFn call;
};
// halve_detail and grow_detail with their default workspace.
const StageCase kStages[] = {
    {"HalveCoarse", false,
     [](auto x, auto y, P n, Taps h, auto& b) { halve_coarse(x, y, n, h, b); }},
    {"HalveDetail", false,
     [](auto x, auto y, P n, Taps h, auto& b) { halve_detail(x, y, n, h, b); }},
    {"GrowCoarse", true, [](auto x, auto y, P n, Taps h, auto& b) { grow_coarse(x, y, n, h, b); }},
    {"GrowDetail", true, [](auto x, auto y, P n, Taps h, auto& b) { grow_detail(x, y, n, h, b); }}};
P out_len(const StageCase& s, P n) { return s.grow ? 2 * n : n / 2; }

using ImageFn = void (*)(const double*, double*, P, int, Taps, const Batch2&, Workspace*);
const std::pair<const char*, ImageFn> kImages[] = {{"CircSplit2", circ_split2},
                                                   {"CircJoin2", circ_join2}};

TEST(LibraryPeriodized, MatchesThePluginsBitForBit) {
  unsigned seed = 10;
  for (const StageCase& s : kStages)
    for (P n : {1, 2, 16, 4096})
      for (int m : {0, 1, 3, 8, 20}) {
        const Vec x = random_vector(n, ++seed), h = random_vector(m, ++seed);
        Vec y(out_len(s, n));
        s.call(x.data(), y.data(), n, h, {});
        EXPECT_TRUE(same_bits(y, run(s.plugin, {Array::row(x), filter_arg(h)}).values()))
            << s.plugin << " n=" << n << " m=" << m;
      }
  for (const auto& [plugin, call] : kImages)
    for (int J : {0, 1, 3, 6, 9}) {  // 512 x 512 splits its stages over threads
      const P n = P{1} << J;
      for (int m : {0, 2, 7, 20})
        for (int L : {0, J / 2, J}) {
          const Vec h = random_vector(m, ++seed), x = random_vector(n * n, ++seed);
          Vec w(x.size());
          call(x.data(), w.data(), n, L, h, {}, nullptr);
          EXPECT_TRUE(same_bits(
              w, run(plugin, {Array::matrix(n, n, x), Array::scalar(L), filter_arg(h)}).values()))
              << plugin << " n=" << n << " m=" << m << " L=" << L;
        }
    }
}

// Item b of a batch at base[b * distance + offset(i)], in a buffer spanning
// every place the layout reaches (negative strides included).
struct Placed {
  Vec data;
  P origin = 0;
  double* base() { return data.data() + origin; }
};
Placed placed(const std::vector<P>& offsets) {
  const auto [lo, hi] = std::minmax_element(offsets.begin(), offsets.end());
  return Placed{Vec(static_cast<std::size_t>(*hi - *lo + 1), kUntouched), -*lo};
}

// Offsets of `count` vectors of `len` values, or of n x n images.
std::vector<P> offsets(const Strides& s, P len, P count) {
  std::vector<P> o;
  for (P b = 0; b < count; ++b)
    for (P i = 0; i < len; ++i)
      o.push_back(b * (s.distance ? s.distance : len * s.stride) + i * s.stride);
  return o;
}
std::vector<P> offsets(const Strides2& s, P n, P count) {
  const P cols = s.cols ? s.cols : s.rows * n;
  const P d = s.distance ? s.distance : n * (std::abs(s.rows) > std::abs(cols) ? s.rows : cols);
  std::vector<P> o;
  for (P b = 0; b < count; ++b)
    for (P c = 0; c < n; ++c)
      for (P r = 0; r < n; ++r) o.push_back(b * d + r * s.rows + c * cols);
  return o;
}

// Runs `call` from packed `x` laid out as `in` into a buffer laid out as
// `out`; returns the outputs packed, after checking the rest is untouched.
template <class S>
Vec through(const Vec& x, const S& in, P in_len, const S& out, P out_len, P count,
            const std::function<void(const double*, double*)>& call) {
  const std::vector<P> oi = offsets(in, in_len, count), oo = offsets(out, out_len, count);
  Placed a = placed(oi), b = placed(oo);
  for (std::size_t i = 0; i < oi.size(); ++i) a.base()[oi[i]] = x[i];
  const Vec before = a.data;
  call(a.base(), b.base());
  EXPECT_TRUE(same_bits(a.data, before)) << "the input changed";
  Vec y(oo.size());
  for (std::size_t i = 0; i < oo.size(); ++i) y[i] = std::exchange(b.base()[oo[i]], kUntouched);
  for (double v : b.data) EXPECT_EQ(v, kUntouched) << "written outside the outputs";
  return y;
}

TEST(LibraryPeriodized, StridedBatchesEqualOnePackedCallPerItem) {
  const P count = 3;
  const Vec h = orthonormal_filter(8, 4);
  // Packed, rows of a column-major matrix, gaps, reversed values, vectors in
  // reverse order.
  const auto vec_layouts = [&](P len) {
    return std::vector<Strides>{{1, 0}, {count, 1}, {3, 0}, {-1, 0}, {2, -(2 * len + 5)}};
  };
  for (const StageCase& s : kStages)
    for (P n : {2, 64}) {
      const P out = out_len(s, n);
      const Vec x = random_vector(n * count, 50);
      Vec want(out * count);
      for (P b = 0; b < count; ++b) s.call(x.data() + b * n, want.data() + b * out, n, h, {});
      for (const Strides& si : vec_layouts(n))
        for (const Strides& so : vec_layouts(out))
          EXPECT_TRUE(same_bits(through(x, si, n, so, out, count,
                                        [&](auto a, auto y) {
                                          s.call(a, y, n, h, Batch{count, si, so});
                                        }),
                                want))
              << s.plugin << " n=" << n << " in " << si.stride << "," << si.distance << " out "
              << so.stride << "," << so.distance;
    }
  for (const auto& [plugin, call] : kImages)
    for (P n : {1, 8, 32}) {
      // Column-major (spaced), row-major, padded columns, a half turn,
      // row-major with stride 2 in reverse order.
      const std::vector<Strides2> layouts{
          {1, 0, 0},     {1, n, n * n + 3},     {n, 1, 0},
          {1, n + 3, 0}, {-1, -n, -n * n - 11}, {2 * n, 2, -2 * n * n - 7}};
      const Vec x = random_vector(n * n * count, 60);
      const int L = n > 1 ? 1 : 0;
      Vec want(x.size());
      for (P b = 0; b < count; ++b)
        call(x.data() + b * n * n, want.data() + b * n * n, n, L, h, {}, nullptr);
      for (const Strides2& si : layouts)
        for (const Strides2& so : layouts) {
          const Batch2 batch{count, si, so};
          Workspace ws(circ_split2_workspace(n, h, batch));
          std::fill(ws.data(), ws.data() + ws.size(), std::nan(""));
          EXPECT_TRUE(same_bits(through(x, si, n, so, n, count,
                                        [&](auto a, auto y) { call(a, y, n, L, h, batch, &ws); }),
                                want))
              << plugin << " n=" << n << " in " << si.rows << "," << si.cols << " out " << so.rows
              << "," << so.cols;
        }
    }
}

TEST(LibraryPeriodized, ThreadsOnAndOffGiveTheSameBits) {
  const Vec h = orthonormal_filter(8, 21);
  const P n = 16384, count = 64, big = 512, small = 32, images = 300;
  const Vec x = random_vector(n * count, 22), X = random_vector(big * big, 23);
  const Vec S = random_vector(small * small * images, 24);
  const auto results = [&] {
    std::vector<Vec> r;
    for (const StageCase& s : kStages) {  // the batch split over the threads
      r.emplace_back(out_len(s, n) * count);
      s.call(x.data(), r.back().data(), s.grow ? n / 2 : n, h, Batch{count, {1, n}, {count, 1}});
    }
    for (const auto& [plugin, call] : kImages) {  // the stages, then the images split
      r.emplace_back(X.size());
      call(X.data(), r.back().data(), big, 0, h, {}, nullptr);
      r.emplace_back(S.size());
      call(S.data(), r.back().data(), small, 1, h, Batch2{images, {small, 1, 0}, {}}, nullptr);
    }
    return r;
  };
  set_threads(1);
  const std::vector<Vec> serial = results();
  set_threads(3);
  const std::vector<Vec> threaded = results();
  set_threads(0);
  for (std::size_t i = 0; i < serial.size(); ++i)
    EXPECT_TRUE(same_bits(threaded[i], serial[i])) << i;
}

#define EXPECT_REFUSAL(call, text)                       \
  try {                                                  \
    call;                                                \
    ADD_FAILURE() << "accepted: " #call;                 \
  } catch (const tfmex::invalid_argument& e) {           \
    EXPECT_EQ(std::string(e.what()), std::string(text)); \
  }

TEST(LibraryPeriodized, RefusesBadArgumentsClearly) {
  const Vec h = haar();
  Vec x(4096, 1.0), y(4096);
  const double* px = x.data();
  double* py = y.data();
  for (P n : {P{0}, P{7}, P{-2}, (P{1} << 30) + 2})
    EXPECT_REFUSAL(
        halve_detail(px, py, n, h),
        "tfmex::halve_detail: n must be even (or 1) from 1 to 2^30, not " + std::to_string(n));
  EXPECT_REFUSAL(grow_coarse(px, py, 0, h),
                 "tfmex::grow_coarse: n must be from 1 to 1073741824, not 0");
  EXPECT_REFUSAL(grow_detail(nullptr, py, 4, h),
                 "tfmex::grow_detail: null input or output pointer");
  EXPECT_REFUSAL(halve_coarse(px, py, 4, Taps(nullptr, 2)),
                 "tfmex::halve_coarse: h is a null pointer");
  for (P n : {P{0}, P{12}, P{1} << 16})
    EXPECT_REFUSAL(
        circ_split2(px, py, n, 0, h),
        "tfmex::circ_split2: n must be a power of two from 1 to 2^15, not " + std::to_string(n));
  EXPECT_REFUSAL(circ_join2(px, py, 16, 5, h), "tfmex::circ_join2: L must be from 0 to 4, not 5");
  EXPECT_REFUSAL(circ_join2(px, nullptr, 16, 1, h),
                 "tfmex::circ_join2: null input or output pointer");
  // One value has no analysis output (no pointer needed); an empty batch
  // reads and writes nothing.
  halve_coarse(px, nullptr, 1, h);
  halve_detail(nullptr, nullptr, 4, h, Batch::packed(0));
  circ_split2(nullptr, nullptr, 16, 1, h, Batch2::packed(0));
}

// Even lengths that are no power of two are taken: an orthonormal filter's
// two halves grow back into the signal.
TEST(LibraryPeriodized, EvenLengthsRebuildTheSignal) {
  for (P n : {6, 24}) {
    const Vec h = orthonormal_filter(4, 3), x = random_vector(n, 5);
    Vec a(n / 2), d(n / 2), ya(n), yd(n);
    halve_coarse(x.data(), a.data(), n, h);
    halve_detail(x.data(), d.data(), n, h);
    grow_coarse(a.data(), ya.data(), n / 2, h);
    grow_detail(d.data(), yd.data(), n / 2, h);
    for (P i = 0; i < n; ++i) EXPECT_NEAR(ya[i] + yd[i], x[i], 1e-13) << "n=" << n;
  }
}

}  // namespace
}  // namespace tfmex::test
