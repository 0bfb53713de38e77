// One periodized filter-bank stage on every signal of a batch: HalveCoarse,
// HalveDetail, GrowCoarse and GrowDetail.
#include <cstddef>
#include <string>

#include "internal.hpp"
#include "kernels/periodized/periodized.h"
#include "parallel.hpp"
#include "tfmex/periodized.hpp"

namespace tfmex {

namespace {

using namespace tfmex::periodized;

using StageKernel = void (*)(const double* x, int n, const double* f, int m, double* y);

struct Stage {
  const char* fn;
  StageKernel kernel;
  bool highpass;  // filters with g[j] = (-1)^j h[j]
  bool grow;      // synthesis: 2n values out; analysis: n/2
};

constexpr Stage kHalveCoarse{"halve_coarse", downlo, false, false};
constexpr Stage kHalveDetail{"halve_detail", downhi, true, false};
constexpr Stage kGrowCoarse{"grow_coarse", uplo, false, true};
constexpr Stage kGrowDetail{"grow_detail", uphi, true, true};

constexpr std::ptrdiff_t kMaxLength = std::ptrdiff_t{1} << 30;

std::ptrdiff_t out_length(const Stage& st, std::ptrdiff_t n) { return st.grow ? 2 * n : n / 2; }

// The high-pass filter first (when the stage has one), then per part a packed
// copy of the input and of the output of strided signals.
struct Split {
  std::size_t head;    // doubles before the first part
  std::size_t stride;  // doubles per part
  int parts;
};

Split plan_stage(const Stage& st, std::ptrdiff_t n, std::ptrdiff_t m, const Batch& b) {
  const std::ptrdiff_t out = out_length(st, n);
  const std::size_t per =
      static_cast<std::size_t>((b.in.stride != 1 ? n : 0) + (b.out.stride != 1 ? out : 0));
  const int parts = par::parts_for(
      b.count, static_cast<double>(out) * static_cast<double>(b.count) * static_cast<double>(m + 1),
      par::kMinWork);
  return Split{st.highpass ? par::part_stride(static_cast<std::size_t>(m)) : 0,
               per == 0 ? 0 : par::part_stride(per), parts};
}

std::size_t stage_workspace(const Stage& st, std::ptrdiff_t n, Taps h, const Batch& b) {
  const Split s = plan_stage(st, n < 0 ? 0 : n, h.size < 0 ? 0 : h.size, b);
  return s.head + s.stride * s.parts;
}

void run_stage(const Stage& st, const double* x, double* y, std::ptrdiff_t n, Taps h,
               const Batch& b, Workspace* given) {
  if (st.grow) {
    detail::in_range(st.fn, "n", n, 1, kMaxLength);
  } else if (n < 1 || n > kMaxLength || (n != 1 && n % 2 != 0)) {
    detail::refuse(st.fn, "n must be even (or 1) from 1 to 2^30, not " + std::to_string(n));
  }
  detail::check_taps(st.fn, "h", h);
  const std::ptrdiff_t out = out_length(st, n);
  // A signal of one value has no analysis output, so y is never written then.
  detail::check_batch(st.fn, b.count, x, out > 0 ? y : x);
  if (b.count == 0 || out == 0) return;
  const Split s = plan_stage(st, n, h.size, b);
  const std::size_t size = s.head + s.stride * s.parts;
  Workspace own;
  double* ws = size == 0 ? nullptr : detail::workspace(given, own, size);
  const int m = static_cast<int>(h.size);
  const double* f = h.data;
  if (st.highpass) {
    mirrorfilt(h.data, ws, m);
    f = ws;
  }
  const std::ptrdiff_t din = detail::distance(b.in, n), dout = detail::distance(b.out, out);
  const int len = static_cast<int>(n);
  par::run(s.parts, [&](int p) {
    double* in_copy = ws + s.head + s.stride * p;
    double* out_copy = in_copy + (b.in.stride != 1 ? n : 0);
    const std::ptrdiff_t c1 = par::part_begin(b.count, s.parts, p + 1);
    for (std::ptrdiff_t c = par::part_begin(b.count, s.parts, p); c < c1; ++c) {
      const double* src = x + c * din;
      double* dst = y + c * dout;
      if (b.in.stride != 1) {
        detail::gather(src, b.in.stride, in_copy, n);
        src = in_copy;
      }
      st.kernel(src, len, f, m, b.out.stride != 1 ? out_copy : dst);
      if (b.out.stride != 1) detail::scatter(out_copy, dst, b.out.stride, out);
    }
  });
}

}  // namespace

std::size_t halve_detail_workspace(std::ptrdiff_t n, Taps h, const Batch& batch) {
  return stage_workspace(kHalveDetail, n, h, batch);
}
std::size_t grow_detail_workspace(std::ptrdiff_t n, Taps h, const Batch& batch) {
  return stage_workspace(kGrowDetail, n, h, batch);
}

void halve_coarse(const double* x, double* a, std::ptrdiff_t n, Taps h, const Batch& batch) {
  run_stage(kHalveCoarse, x, a, n, h, batch, nullptr);
}
void halve_detail(const double* x, double* d, std::ptrdiff_t n, Taps h, const Batch& batch,
                  Workspace* ws) {
  run_stage(kHalveDetail, x, d, n, h, batch, ws);
}
void grow_coarse(const double* a, double* y, std::ptrdiff_t n, Taps h, const Batch& batch) {
  run_stage(kGrowCoarse, a, y, n, h, batch, nullptr);
}
void grow_detail(const double* d, double* y, std::ptrdiff_t n, Taps h, const Batch& batch,
                 Workspace* ws) {
  run_stage(kGrowDetail, d, y, n, h, batch, ws);
}

}  // namespace tfmex
