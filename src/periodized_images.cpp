// The multilevel periodized transforms of square images: CircSplit2 and
// CircJoin2.
#include <cstddef>
#include <cstdlib>
#include <string>

#include "image_stages.hpp"
#include "internal.hpp"
#include "kernels/periodized/periodized.h"
#include "parallel.hpp"
#include "tfmex/periodized.hpp"

namespace tfmex {

namespace {

using namespace tfmex::periodized;

// The stages index an image with ints: n * n must fit one.
constexpr std::ptrdiff_t kMaxSide = std::ptrdiff_t{1} << 15;

int image_level(const char* fn, std::ptrdiff_t n) {
  if (n < 1 || n > kMaxSide || (n & (n - 1)) != 0) {
    detail::refuse(fn, "n must be a power of two from 1 to 2^15, not " + std::to_string(n));
  }
  return detail::dyadic(fn, n);
}

// Where the n x n images of a batch lie, the defaults of Strides2 filled in.
struct Layout {
  std::ptrdiff_t rows;
  std::ptrdiff_t cols;
  std::ptrdiff_t distance;
  bool packed;  // column-major with columns n apart: the stages run on it directly
};

Layout layout(const Strides2& s, std::ptrdiff_t n) {
  const std::ptrdiff_t cols = s.cols != 0 ? s.cols : s.rows * n;
  const std::ptrdiff_t outer = std::abs(s.rows) > std::abs(cols) ? s.rows : cols;
  return Layout{s.rows, cols, s.distance != 0 ? s.distance : n * outer, s.rows == 1 && cols == n};
}

// Copies between a strided image and a packed column-major one, in square
// tiles so that neither side is walked with a large stride for long.
constexpr std::ptrdiff_t kTile = 32;

void gather_image(const double* src, const Layout& l, std::ptrdiff_t n, double* dst) {
  for (std::ptrdiff_t c0 = 0; c0 < n; c0 += kTile)
    for (std::ptrdiff_t r0 = 0; r0 < n; r0 += kTile) {
      const std::ptrdiff_t c1 = c0 + kTile < n ? c0 + kTile : n;
      const std::ptrdiff_t r1 = r0 + kTile < n ? r0 + kTile : n;
      for (std::ptrdiff_t c = c0; c < c1; ++c)
        for (std::ptrdiff_t r = r0; r < r1; ++r) dst[r + c * n] = src[r * l.rows + c * l.cols];
    }
}

void scatter_image(const double* src, const Layout& l, std::ptrdiff_t n, double* dst) {
  for (std::ptrdiff_t c0 = 0; c0 < n; c0 += kTile)
    for (std::ptrdiff_t r0 = 0; r0 < n; r0 += kTile) {
      const std::ptrdiff_t c1 = c0 + kTile < n ? c0 + kTile : n;
      const std::ptrdiff_t r1 = r0 + kTile < n ? r0 + kTile : n;
      for (std::ptrdiff_t c = c0; c < c1; ++c)
        for (std::ptrdiff_t r = r0; r < r1; ++r) dst[r * l.rows + c * l.cols] = src[r + c * n];
    }
}

// How a batch of images is split. The high-pass filter comes first, then one
// lane per group of images transformed side by side. A lane holds the room
// of the stages (a copy of the block, n (n + 8) doubles, up to the size of
// workspace the pool keeps between calls, 4096 x 4096; larger images take the
// transposes, with a column of n per part) and, for images not packed
// column-major, a packed copy of the image.
// An image large enough to gain from threads splits its stages over `parts`
// and the images go one after another; smaller ones run a stage on one
// thread and the images go side by side in lanes.
struct ImagePlan {
  std::size_t head;  // doubles before the first lane
  std::size_t room;  // doubles of the stages' room, rounded to a 64-byte multiple
  std::size_t lane;  // doubles per lane
  int lanes;
  int parts;
  bool copy;    // the stages go through a copy of the block
  bool staged;  // every image goes through a packed copy
};

ImagePlan plan_images(std::ptrdiff_t n, std::ptrdiff_t m, const Batch2& b) {
  const std::size_t un = static_cast<std::size_t>(n);
  const double work =
      2.0 * static_cast<double>(n) * static_cast<double>(n) * static_cast<double>(m + 1);
  ImagePlan p{};
  p.head = par::part_stride(static_cast<std::size_t>(m));
  p.parts = par::parts_for(n, work, par::kMinWork);
  p.lanes = p.parts == 1
                ? par::parts_for(b.count, work * static_cast<double>(b.count), par::kMinWork)
                : 1;
  const std::size_t tsize = un * (un + 8);
  p.copy = tsize <= par::kKeepLimit;
  p.room = par::part_stride(p.copy ? tsize : par::part_stride(un) * p.parts);
  p.staged = !layout(b.in, n).packed || !layout(b.out, n).packed;
  p.lane = p.room + (p.staged ? par::part_stride(un * un) : 0);
  return p;
}

using ImageKernel = void (*)(const double*, int, int, int, int, const double*, const double*, int,
                             double*, double*, double*, std::size_t, int);

// Runs `kernel` on every image of the batch.
void run_images(const char* fn, ImageKernel kernel, const double* x, double* y, std::ptrdiff_t n,
                int L, Taps h, const Batch2& b, Workspace* given) {
  const int J = image_level(fn, n);
  detail::in_range(fn, "L", L, 0, J);
  detail::check_taps(fn, "h", h);
  detail::check_batch(fn, b.count, x, y);
  if (b.count == 0) return;
  const ImagePlan p = plan_images(n, h.size, b);
  Workspace own;
  double* ws = detail::workspace(given, own, p.head + p.lane * p.lanes);
  const int m = static_cast<int>(h.size);
  double* g = ws;
  mirrorfilt(h.data, g, m);
  const Layout in = layout(b.in, n), out = layout(b.out, n);
  const int side = static_cast<int>(n);
  const std::size_t stride = par::part_stride(static_cast<std::size_t>(n));
  par::run(p.lanes, [&](int q) {
    double* room = ws + p.head + p.lane * q;
    double* image = room + p.room;
    const std::ptrdiff_t c1 = par::part_begin(b.count, p.lanes, q + 1);
    for (std::ptrdiff_t c = par::part_begin(b.count, p.lanes, q); c < c1; ++c) {
      const double* src = x + c * in.distance;
      double* dst = y + c * out.distance;
      if (!in.packed) {
        gather_image(src, in, n, image);
        src = image;  // the stages then work on the copy in place
      }
      kernel(src, side, side, L, J, g, h.data, m, out.packed ? dst : image, p.copy ? room : nullptr,
             room, stride, p.parts);
      if (!out.packed) scatter_image(image, out, n, dst);
    }
  });
}

}  // namespace

std::size_t circ_split2_workspace(std::ptrdiff_t n, Taps h, const Batch2& batch) {
  // Beyond the sides the transforms take, no call needs a workspace.
  if (n < 1 || n > kMaxSide) return 0;
  const ImagePlan p = plan_images(n, h.size < 0 ? 0 : h.size, batch);
  return p.head + p.lane * p.lanes;
}

std::size_t circ_join2_workspace(std::ptrdiff_t n, Taps h, const Batch2& batch) {
  return circ_split2_workspace(n, h, batch);
}

void circ_split2(const double* x, double* w, std::ptrdiff_t n, int L, Taps h, const Batch2& batch,
                 Workspace* ws) {
  run_images("circ_split2", image::dpwt2, x, w, n, L, h, batch, ws);
}

void circ_join2(const double* w, double* x, std::ptrdiff_t n, int L, Taps h, const Batch2& batch,
                Workspace* ws) {
  run_images("circ_join2", image::idpwt2, w, x, n, L, h, batch, ws);
}

}  // namespace tfmex
