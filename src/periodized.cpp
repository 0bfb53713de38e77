// The multilevel periodized transforms of signals: CircSplit and CircJoin.
#include <cstddef>

#include "internal.hpp"
#include "kernels/periodized/periodized.h"
#include "parallel.hpp"
#include "tfmex/periodized.hpp"

namespace tfmex {

namespace {

using namespace tfmex::periodized;

// Forward transform of one signal of n = 2^J values to level L: J - L
// analysis stages. The first stage reads the signal itself; every stage
// writes its details straight to their place in wc and its low-pass half to
// tmp, just after the block it reads (n/2 + n/4 + ... < n values in all),
// except the last stage, whose low-pass half is the coarse part of wc. g is
// the high-pass filter, h the low-pass one; tmp holds n values.
void dpwt(const double* x, int n, int L, int J, const double* g, const double* h, int m, double* wc,
          double* tmp) {
  if (L >= J) {
    copydouble(x, wc, n);
    return;
  }
  const double* in = x;
  double* lo = tmp;
  for (int j = J - 1; j >= L; --j) {
    const int k = 1 << (j + 1);
    double* dst = j == L ? wc : lo;
    downboth(in, k, h, g, m, dst, wc + k / 2);
    in = dst;
    lo += k / 2;
  }
}

// Inverse transform of one signal (0 <= L <= J): J - L synthesis stages. The
// first stage reads the coarse block straight from wc; the stages then write
// alternately to tmp and to x, chosen so that the last one writes x, and
// every stage reads the block the one before it wrote. The stage before the
// last writes n/2 values, the most tmp holds.
void idpwt(const double* wc, int n, int L, int J, const double* g, const double* h, int m,
           double* x, double* tmp) {
  const int stages = J - L;
  if (stages <= 0) {
    copydouble(wc, x, n);
    return;
  }
  const double* in = wc;
  int k = 1 << L;
  for (int t = 0; t < stages; ++t) {
    double* out = (stages - 1 - t) % 2 == 0 ? x : tmp;
    upboth(in, wc + k, k, h, g, m, out);
    in = out;
    k *= 2;
  }
}

// How a batch of signals is split: the high-pass filter first, then per part
// the kernel's n values of scratch and, for strided signals, a packed copy of
// the input and of the output.
struct Split {
  std::size_t head;    // doubles before the first part
  std::size_t stride;  // doubles per part
  int parts;
};

Split plan_signals(std::ptrdiff_t n, std::ptrdiff_t m, const Batch& b) {
  const std::size_t un = static_cast<std::size_t>(n);
  const std::size_t per = un + (b.in.stride != 1 ? un : 0) + (b.out.stride != 1 ? un : 0);
  const int parts = par::parts_for(
      b.count,
      2.0 * static_cast<double>(n) * static_cast<double>(b.count) * static_cast<double>(m + 1),
      par::kMinWork);
  return Split{par::part_stride(static_cast<std::size_t>(m)), par::part_stride(per), parts};
}

using SignalKernel = void (*)(const double*, int, int, int, const double*, const double*, int,
                              double*, double*);

// Runs `kernel` on every signal of the batch, split over the threads.
void run_signals(const char* fn, SignalKernel kernel, const double* x, double* y, std::ptrdiff_t n,
                 int L, Taps h, const Batch& b, Workspace* given) {
  const int J = detail::dyadic(fn, n);
  detail::in_range(fn, "L", L, 0, J);
  detail::check_taps(fn, "h", h);
  detail::check_batch(fn, b.count, x, y);
  if (b.count == 0) return;
  const Split s = plan_signals(n, h.size, b);
  Workspace own;
  double* ws = detail::workspace(given, own, s.head + s.stride * s.parts);
  const int parts =
      par::parts_within(given != nullptr && ws == given->data() ? given->size() : own.size(),
                        s.head, s.stride, s.parts);
  const int m = static_cast<int>(h.size);
  double* g = ws;
  mirrorfilt(h.data, g, m);
  const std::ptrdiff_t din = detail::distance(b.in, n), dout = detail::distance(b.out, n);
  const int len = static_cast<int>(n);
  par::run(parts, [&](int p) {
    double* tmp = ws + s.head + s.stride * p;
    double* in_copy = tmp + n;
    double* out_copy = in_copy + (b.in.stride != 1 ? n : 0);
    const std::ptrdiff_t c1 = par::part_begin(b.count, parts, p + 1);
    for (std::ptrdiff_t c = par::part_begin(b.count, parts, p); c < c1; ++c) {
      const double* src = x + c * din;
      double* dst = y + c * dout;
      if (b.in.stride != 1) {
        detail::gather(src, b.in.stride, in_copy, n);
        src = in_copy;
      }
      double* out = b.out.stride != 1 ? out_copy : dst;
      kernel(src, len, L, J, g, h.data, m, out, tmp);
      if (b.out.stride != 1) detail::scatter(out_copy, dst, b.out.stride, n);
    }
  });
}

}  // namespace

std::size_t circ_split_workspace(std::ptrdiff_t n, Taps h, const Batch& batch) {
  const Split s = plan_signals(n < 0 ? 0 : n, h.size < 0 ? 0 : h.size, batch);
  return s.head + s.stride * s.parts;
}

std::size_t circ_join_workspace(std::ptrdiff_t n, Taps h, const Batch& batch) {
  return circ_split_workspace(n, h, batch);
}

void circ_split(const double* x, double* wc, std::ptrdiff_t n, int L, Taps h, const Batch& batch,
                Workspace* ws) {
  run_signals("circ_split", dpwt, x, wc, n, L, h, batch, ws);
}

void circ_join(const double* wc, double* x, std::ptrdiff_t n, int L, Taps h, const Batch& batch,
               Workspace* ws) {
  run_signals("circ_join", idpwt, wc, x, n, L, h, batch, ws);
}

}  // namespace tfmex
