// The periodized single stages and image transforms of the library: the same
// doubles as the plug-ins, on packed and on strided batches (every layout
// equal to the packed call, nothing written outside the output), with any
// number of threads and any workspace, and clear refusals of bad arguments.
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

Array filter_arg(const Vec& h) { return h.empty() ? Array::empty() : Array::row(h); }

// A value no transform writes: the places of a buffer outside its vectors
// must still hold it afterwards.
constexpr double kUntouched = -7.25e77;

// A caller's buffer holding `count` items at base[b * distance + offsets],
// allocated around every place the layout reaches, negative offsets included.
struct Buffer {
  Vec data;
  std::ptrdiff_t origin = 0;
  double* base() { return data.data() + origin; }
  const double* base() const { return data.data() + origin; }
};

Buffer buffer_for(std::ptrdiff_t lo, std::ptrdiff_t hi) {
  Buffer b;
  b.data.assign(static_cast<std::size_t>(hi - lo + 1), kUntouched);
  b.origin = -lo;
  return b;
}

// --- single stages ---------------------------------------------------------

struct StageCase {
  const char* plugin;
  bool grow;
  std::function<void(const double*, double*, std::ptrdiff_t, Taps, const Batch&)> call;
};

std::vector<StageCase> stages() {
  return {
      {"HalveCoarse", false,
       [](const double* x, double* y, std::ptrdiff_t n, Taps h, const Batch& b) {
         halve_coarse(x, y, n, h, b);
       }},
      {"HalveDetail", false,
       [](const double* x, double* y, std::ptrdiff_t n, Taps h, const Batch& b) {
         halve_detail(x, y, n, h, b);
       }},
      {"GrowCoarse", true,
       [](const double* x, double* y, std::ptrdiff_t n, Taps h, const Batch& b) {
         grow_coarse(x, y, n, h, b);
       }},
      {"GrowDetail", true,
       [](const double* x, double* y, std::ptrdiff_t n, Taps h, const Batch& b) {
         grow_detail(x, y, n, h, b);
       }},
  };
}

std::ptrdiff_t out_len(const StageCase& s, std::ptrdiff_t n) { return s.grow ? 2 * n : n / 2; }

// The stage on `count` packed vectors.
Vec packed_stage(const StageCase& s, const Vec& x, std::ptrdiff_t n, const Vec& h,
                 std::ptrdiff_t count) {
  Vec y(static_cast<std::size_t>(out_len(s, n) * count), kUntouched);
  s.call(x.data(), y.data(), n, h, Batch::packed(count));
  return y;
}

TEST(LibraryStages, MatchThePluginsBitForBit) {
  unsigned seed = 10;
  for (const StageCase& s : stages())
    for (std::ptrdiff_t n : {1, 2, 4, 16, 256, 4096})
      for (int m : {0, 1, 2, 3, 4, 8, 20}) {
        const Vec x = random_vector(static_cast<std::size_t>(n), ++seed);
        const Vec h = random_vector(static_cast<std::size_t>(m), ++seed);
        const Vec want = run(s.plugin, {Array::row(x), filter_arg(h)}).values();
        EXPECT_TRUE(same_bits(packed_stage(s, x, n, h, 1), want))
            << s.plugin << " n=" << n << " m=" << m;
      }
}

TEST(LibraryStages, OneValueHasNoAnalysisOutputAndNeedsNoOutputPointer) {
  const Vec x{3.0}, h = haar();
  halve_coarse(x.data(), nullptr, 1, h);
  halve_detail(x.data(), nullptr, 1, h);
  Vec y(2);
  grow_coarse(x.data(), y.data(), 1, h);
  EXPECT_EQ(y, (Vec{3.0 * h[0], 3.0 * h[1]}));
}

// Lengths that are even but no power of two: an orthonormal filter's two
// analysis halves grow back into the signal.
TEST(LibraryStages, EvenLengthsRebuildTheSignal) {
  for (std::ptrdiff_t n : {6, 10, 24})
    for (int m : {2, 4, 8}) {
      const Vec h = orthonormal_filter(m, static_cast<unsigned>(m));
      const Vec x = random_vector(static_cast<std::size_t>(n), 3u + static_cast<unsigned>(n));
      Vec a(n / 2), d(n / 2), ya(n), yd(n);
      halve_coarse(x.data(), a.data(), n, h);
      halve_detail(x.data(), d.data(), n, h);
      grow_coarse(a.data(), ya.data(), n / 2, h);
      grow_detail(d.data(), yd.data(), n / 2, h);
      for (std::ptrdiff_t i = 0; i < n; ++i)
        EXPECT_NEAR(ya[i] + yd[i], x[i], 1e-13) << "n=" << n << " m=" << m << " i=" << i;
    }
}

// Strided batches of vectors: input and output layouts each from a list (the
// rows of a column-major matrix, reversed vectors, gaps, vectors in reverse
// order), all against the packed call, with the output's gaps untouched.
struct VecLayout {
  const char* name;
  Strides s;  // distance 0 here: follow one another
};

std::vector<VecLayout> vector_layouts(std::ptrdiff_t count) {
  return {{"packed", {1, 0}},
          {"rows of a column-major matrix", {count, 1}},
          {"stride 3 with gaps", {3, 0}},
          {"reversed values", {-1, 0}},
          {"reversed vectors, stride 2", {2, -1}}};  // distance fixed in place()
}

// The strides for vectors of `len` values (a distance of -1 above stands for
// vectors in reverse order, 2 len + 5 apart).
Strides place(const Strides& s, std::ptrdiff_t len) {
  if (s.distance == -1) return {s.stride, -(2 * len + 5)};
  return s;
}

std::pair<std::ptrdiff_t, std::ptrdiff_t> extent(const Strides& s, std::ptrdiff_t len,
                                                 std::ptrdiff_t count) {
  const std::ptrdiff_t d = s.distance != 0 ? s.distance : len * s.stride;
  std::ptrdiff_t lo = 0, hi = 0;
  for (std::ptrdiff_t b : {std::ptrdiff_t{0}, count - 1})
    for (std::ptrdiff_t i : {std::ptrdiff_t{0}, len - 1}) {
      lo = std::min(lo, b * d + i * s.stride);
      hi = std::max(hi, b * d + i * s.stride);
    }
  return {lo, hi};
}

TEST(LibraryStages, StridedBatchesEqualThePackedCall) {
  const std::ptrdiff_t count = 5;
  for (const StageCase& s : stages())
    for (std::ptrdiff_t n : {2, 16, 64})
      for (int m : {3, 8}) {
        const Vec h = random_vector(static_cast<std::size_t>(m), 40u + static_cast<unsigned>(m));
        const Vec x = random_vector(static_cast<std::size_t>(n * count), 50u);
        const Vec want = packed_stage(s, x, n, h, count);
        const std::ptrdiff_t out = out_len(s, n);
        for (const VecLayout& li : vector_layouts(count))
          for (const VecLayout& lo : vector_layouts(count)) {
            const Strides si = place(li.s, n), so = place(lo.s, out);
            const auto [ilo, ihi] = extent(si, n, count);
            const auto [olo, ohi] = extent(so, out, count);
            Buffer in = buffer_for(ilo, ihi), res = buffer_for(olo, ohi);
            const std::ptrdiff_t di = si.distance != 0 ? si.distance : n * si.stride;
            const std::ptrdiff_t dout = so.distance != 0 ? so.distance : out * so.stride;
            for (std::ptrdiff_t b = 0; b < count; ++b)
              for (std::ptrdiff_t i = 0; i < n; ++i)
                in.base()[b * di + i * si.stride] = x[b * n + i];
            s.call(in.base(), res.base(), n, h, Batch{count, si, so});
            Vec got(want.size());
            for (std::ptrdiff_t b = 0; b < count; ++b)
              for (std::ptrdiff_t i = 0; i < out; ++i) {
                double& v = res.base()[b * dout + i * so.stride];
                got[b * out + i] = v;
                v = kUntouched;
              }
            EXPECT_TRUE(same_bits(got, want))
                << s.plugin << " n=" << n << " m=" << m << " in: " << li.name
                << ", out: " << lo.name;
            for (double v : res.data) ASSERT_EQ(v, kUntouched) << s.plugin << " wrote outside";
          }
      }
}

// --- images ----------------------------------------------------------------

using ImageCall = void (*)(const double*, double*, std::ptrdiff_t, int, Taps, const Batch2&,
                           Workspace*);

struct ImageCase {
  const char* plugin;
  ImageCall call;
};

const ImageCase kImages[] = {{"CircSplit2", circ_split2}, {"CircJoin2", circ_join2}};

std::vector<int> levels(int J) {
  std::vector<int> l{0};
  if (J >= 2) l.push_back(J / 2);
  if (J >= 1) l.push_back(J);
  return l;
}

TEST(LibraryImages, MatchThePluginsBitForBit) {
  unsigned seed = 200;
  for (const ImageCase& c : kImages)
    for (int J : {0, 1, 2, 3, 6, 7, 9}) {  // 512 x 512 splits its stages over threads
      const std::ptrdiff_t n = std::ptrdiff_t{1} << J;
      for (int m : {0, 2, 7, 20}) {
        const Vec h = random_vector(static_cast<std::size_t>(m), ++seed);
        const Vec x = random_vector(static_cast<std::size_t>(n * n), ++seed);
        for (int L : levels(J)) {
          if (J == 9 && m != 7) continue;
          const Vec want = run(c.plugin, {Array::matrix(n, n, x), Array::scalar(L), filter_arg(h)})
                               .values();
          Vec got(x.size(), kUntouched);
          c.call(x.data(), got.data(), n, L, h, {}, nullptr);
          EXPECT_TRUE(same_bits(got, want)) << c.plugin << " n=" << n << " m=" << m << " L=" << L;
        }
      }
    }
}

// The layouts of a batch of images; a distance of -1 stands for images in
// reverse order with a gap between them.
struct ImageLayout {
  const char* name;
  Strides2 s;
};

std::vector<ImageLayout> image_layouts(std::ptrdiff_t n) {
  return {{"column-major", {1, 0, 0}},
          {"column-major, spaced images", {1, n, n * n + 3}},
          {"row-major", {n, 1, 0}},
          {"padded columns", {1, n + 3, 0}},
          {"rotated by a half turn", {-1, -n, -1}},
          {"row-major, stride 2, reverse order", {2 * n, 2, -1}}};
}

Strides2 place(const Strides2& s, std::ptrdiff_t n) {
  Strides2 p = s;
  const std::ptrdiff_t cols = s.cols != 0 ? s.cols : s.rows * n;
  if (s.distance == -1) p.distance = -(n * std::max(std::abs(s.rows), std::abs(cols)) + 11);
  return p;
}

std::ptrdiff_t offset(const Strides2& s, std::ptrdiff_t n, std::ptrdiff_t b, std::ptrdiff_t r,
                      std::ptrdiff_t c) {
  const std::ptrdiff_t cols = s.cols != 0 ? s.cols : s.rows * n;
  const std::ptrdiff_t outer = std::abs(s.rows) > std::abs(cols) ? s.rows : cols;
  const std::ptrdiff_t d = s.distance != 0 ? s.distance : n * outer;
  return b * d + r * s.rows + c * cols;
}

Buffer image_buffer(const Strides2& s, std::ptrdiff_t n, std::ptrdiff_t count) {
  std::ptrdiff_t lo = 0, hi = 0;
  for (std::ptrdiff_t b : {std::ptrdiff_t{0}, count - 1})
    for (std::ptrdiff_t r : {std::ptrdiff_t{0}, n - 1})
      for (std::ptrdiff_t c : {std::ptrdiff_t{0}, n - 1}) {
        lo = std::min(lo, offset(s, n, b, r, c));
        hi = std::max(hi, offset(s, n, b, r, c));
      }
  return buffer_for(lo, hi);
}

// Every image of the batch in the given layout against the packed call, for
// every pair of input and output layouts; nothing written outside the output.
void check_image_layouts(const ImageCase& c, std::ptrdiff_t n, int L, const Vec& h,
                         std::ptrdiff_t count) {
  const std::size_t nn = static_cast<std::size_t>(n * n);
  const Vec x =
      random_vector(nn * static_cast<std::size_t>(count), 300u + static_cast<unsigned>(n));
  Vec want(x.size());
  c.call(x.data(), want.data(), n, L, h, Batch2::packed(count), nullptr);
  for (const ImageLayout& li : image_layouts(n))
    for (const ImageLayout& lo : image_layouts(n)) {
      const Strides2 si = place(li.s, n), so = place(lo.s, n);
      Buffer in = image_buffer(si, n, count), out = image_buffer(so, n, count);
      for (std::ptrdiff_t b = 0; b < count; ++b)
        for (std::ptrdiff_t q = 0; q < n; ++q)
          for (std::ptrdiff_t r = 0; r < n; ++r)
            in.base()[offset(si, n, b, r, q)] = x[b * n * n + r + q * n];
      const Vec in_before = in.data;
      c.call(in.base(), out.base(), n, L, h, Batch2{count, si, so}, nullptr);
      Vec got(want.size());
      for (std::ptrdiff_t b = 0; b < count; ++b)
        for (std::ptrdiff_t q = 0; q < n; ++q)
          for (std::ptrdiff_t r = 0; r < n; ++r) {
            double& v = out.base()[offset(so, n, b, r, q)];
            got[b * n * n + r + q * n] = v;
            v = kUntouched;
          }
      const std::string where = std::string(c.plugin) + " n=" + std::to_string(n) +
                                " L=" + std::to_string(L) + " in: " + li.name + ", out: " + lo.name;
      EXPECT_TRUE(same_bits(got, want)) << where;
      EXPECT_TRUE(same_bits(in.data, in_before)) << where << ": the input changed";
      for (double v : out.data) ASSERT_EQ(v, kUntouched) << where << ": wrote outside the images";
    }
}

TEST(LibraryImages, StridedBatchesEqualThePackedCall) {
  const Vec h = orthonormal_filter(8, 4);
  for (const ImageCase& c : kImages) {
    check_image_layouts(c, 1, 0, h, 3);
    check_image_layouts(c, 8, 0, h, 3);
    check_image_layouts(c, 32, 2, random_vector(5, 9), 4);
  }
}

TEST(LibraryImages, ABatchEqualsOneCallPerImage) {
  const std::ptrdiff_t n = 64, count = 6;
  const Vec h = orthonormal_filter(20, 12);
  const Vec x = random_vector(static_cast<std::size_t>(n * n * count), 13);
  for (const ImageCase& c : kImages) {
    Vec batch(x.size()), one(x.size());
    c.call(x.data(), batch.data(), n, 1, h, Batch2::packed(count), nullptr);
    for (std::ptrdiff_t b = 0; b < count; ++b)
      c.call(x.data() + b * n * n, one.data() + b * n * n, n, 1, h, {}, nullptr);
    EXPECT_TRUE(same_bits(batch, one)) << c.plugin;
  }
}

// --- threads and workspaces -------------------------------------------------

struct ThreadsGuard {
  ~ThreadsGuard() { set_threads(0); }
};

TEST(LibraryPeriodized, ThreadsOnAndOffGiveTheSameBits) {
  const ThreadsGuard restore;
  const Vec h = orthonormal_filter(8, 21);
  const std::ptrdiff_t n = 16384, count = 64;  // enough work to split the batch
  const Vec x = random_vector(static_cast<std::size_t>(n * count), 22);
  const std::ptrdiff_t big = 512, small = 32, images = 300;
  const Vec X = random_vector(static_cast<std::size_t>(big * big), 23);
  const Vec S = random_vector(static_cast<std::size_t>(small * small * images), 24);
  const Batch2 row_major{images, {small, 1, 0}, {small, 1, 0}};
  const auto results = [&] {
    std::vector<Vec> r;
    for (const StageCase& s : stages()) {
      r.push_back(packed_stage(s, x, s.grow ? n / 2 : n, h, count));
      Vec y(static_cast<std::size_t>(out_len(s, n) * count));
      s.call(x.data(), y.data(), n, h, Batch{count, {1, n}, {count, 1}});  // out: rows
      r.push_back(y);
    }
    for (const ImageCase& c : kImages) {
      Vec w(X.size()), v(S.size()), u(S.size());
      c.call(X.data(), w.data(), big, 0, h, {}, nullptr);
      c.call(S.data(), v.data(), small, 1, h, Batch2::packed(images), nullptr);
      c.call(S.data(), u.data(), small, 1, h, row_major, nullptr);
      r.insert(r.end(), {w, v, u});
    }
    return r;
  };
  set_threads(1);
  const std::vector<Vec> serial = results();
  for (int t : {2, 3}) {
    set_threads(t);
    const std::vector<Vec> threaded = results();
    for (std::size_t i = 0; i < serial.size(); ++i)
      EXPECT_TRUE(same_bits(threaded[i], serial[i])) << "result " << i << " with " << t;
  }
}

TEST(LibraryPeriodized, AnyWorkspaceGivesTheSameBits) {
  const Vec h = orthonormal_filter(6, 31);
  const std::ptrdiff_t n = 64, count = 3;
  const Vec x = random_vector(static_cast<std::size_t>(n * n * count), 32);
  const Batch2 layouts[] = {Batch2::packed(count), Batch2{count, {n, 1, 0}, {1, n + 1, 0}}};
  for (const Batch2& b : layouts) {
    const std::size_t out_size = static_cast<std::size_t>(n * (n + 1) * count);  // padded columns
    Vec want(out_size);
    circ_split2(x.data(), want.data(), n, 2, h, b, nullptr);
    Workspace exact(circ_split2_workspace(n, h, b)), tiny(1);
    for (std::size_t i = 0; i < exact.size(); ++i) exact.data()[i] = std::nan("");
    for (Workspace* ws : {&exact, &tiny}) {
      Vec got(out_size);
      circ_split2(x.data(), got.data(), n, 2, h, b, ws);
      EXPECT_TRUE(same_bits(got, want)) << "workspace of " << ws->size();
    }
  }
  // The detail stages keep g in theirs.
  const Vec v = random_vector(256, 33);
  Workspace ws(halve_detail_workspace(256, h));
  for (std::size_t i = 0; i < ws.size(); ++i) ws.data()[i] = 1e300;
  Vec d(128), want(128);
  halve_detail(v.data(), want.data(), 256, h);
  halve_detail(v.data(), d.data(), 256, h, {}, &ws);
  EXPECT_TRUE(same_bits(d, want));
  EXPECT_GE(grow_detail_workspace(128, h), h.size());
}

// --- refusals ---------------------------------------------------------------

void expect_refusal(const std::function<void()>& f, const std::string& text) {
  try {
    f();
    ADD_FAILURE() << "accepted; expected: " << text;
  } catch (const tfmex::invalid_argument& e) {
    EXPECT_NE(std::string(e.what()).find(text), std::string::npos) << e.what();
  }
}

TEST(LibraryPeriodized, RefusesBadArgumentsClearly) {
  const Vec h = haar();
  Vec x(1 << 12, 1.0), y(1 << 12);
  const double* px = x.data();
  double* py = y.data();
  for (std::ptrdiff_t n : std::vector<std::ptrdiff_t>{0, 3, 7, -2, (1 << 30) + 2}) {
    expect_refusal([&] { halve_coarse(px, py, n, h); },
                   "tfmex::halve_coarse: n must be even (or 1) from 1 to 2^30, not " +
                       std::to_string(n));
  }
  expect_refusal([&] { halve_detail(px, py, 5, h); }, "tfmex::halve_detail: n must be even");
  for (std::ptrdiff_t n : std::vector<std::ptrdiff_t>{0, -1, (1 << 30) + 1})
    expect_refusal([&] { grow_detail(px, py, n, h); },
                   "tfmex::grow_detail: n must be from 1 to 1073741824, not " + std::to_string(n));
  expect_refusal([&] { grow_coarse(nullptr, py, 4, h); },
                 "tfmex::grow_coarse: null input or output pointer");
  expect_refusal([&] { halve_coarse(px, nullptr, 4, h); },
                 "tfmex::halve_coarse: null input or output pointer");
  expect_refusal([&] { halve_detail(px, py, 4, Taps(nullptr, 2)); },
                 "tfmex::halve_detail: h is a null pointer");
  expect_refusal([&] { grow_coarse(px, py, 4, h, Batch{-1, {}, {}}); },
                 "tfmex::grow_coarse: the batch count must not be negative, not -1");
  // An empty batch reads and writes nothing.
  halve_detail(nullptr, nullptr, 4, h, Batch::packed(0));
  for (std::ptrdiff_t n : std::vector<std::ptrdiff_t>{0, 3, 12, 1 << 16}) {
    expect_refusal([&] { circ_split2(px, py, n, 0, h, {}, nullptr); },
                   "tfmex::circ_split2: n must be a power of two from 1 to 2^15, not " +
                       std::to_string(n));
  }
  for (int L : {-1, 5})
    expect_refusal([&] { circ_join2(px, py, 16, L, h, {}, nullptr); },
                   "tfmex::circ_join2: L must be from 0 to 4, not " + std::to_string(L));
  expect_refusal([&] { circ_join2(px, nullptr, 16, 1, h, {}, nullptr); },
                 "tfmex::circ_join2: null input or output pointer");
  expect_refusal([&] { circ_split2(nullptr, py, 16, 1, h, {}, nullptr); },
                 "tfmex::circ_split2: null input or output pointer");
  expect_refusal([&] { circ_split2(px, py, 16, 1, Taps(h.data(), -1), {}, nullptr); },
                 "tfmex::circ_split2: h has a negative size");
  circ_join2(nullptr, nullptr, 16, 1, h, Batch2::packed(0), nullptr);
  EXPECT_EQ(circ_split2_workspace(std::ptrdiff_t{1} << 40, h), 0u);
}

}  // namespace
}  // namespace tfmex::test
