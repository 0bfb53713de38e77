// The multilevel biorthogonal transforms with symmetric filters: DualSplit
// and DualJoin.
#include <cstddef>
#include <string>

#include "internal.hpp"
#include "kernels/centred/centred.h"
#include "kernels/periodized/periodized.h"
#include "parallel.hpp"
#include "tfmex/dual.hpp"

namespace tfmex {

namespace {

using tfmex::centred::downhipbs;
using tfmex::centred::downlopbs;
using tfmex::centred::uphipbs;
using tfmex::centred::uplopbs;
using tfmex::periodized::adddouble;
using tfmex::periodized::copydouble;

// Forward transform of one signal of n values (0 <= L <= J), held in w: J - L
// analysis stages, every stage splitting the current low-pass block in place.
// g (m2 taps) is the high-pass filter, qmf (m1 taps) the low-pass one; work
// holds n values.
void dpwt(double* w, int n, int L, int J, const double* g, const double* qmf, int m1, int m2,
          double* work) {
  int len = n;
  for (int j = J - 1; j >= L; --j) {
    copydouble(w, work, len);
    downlopbs(work, len, qmf, m1, w);
    downhipbs(work, len, g, m2, w + len / 2);
    len /= 2;
  }
}

// Inverse transform of one signal of n values (0 <= L <= J): J - L synthesis
// stages, rebuilding the coarse block in v while the details are read from
// w. gt (m1 taps) is the high-pass filter, dqmf (m2 taps) the low-pass one;
// work0 and work1 hold n values each.
void idpwt(const double* w, int L, int J, const double* gt, const double* dqmf, int m1, int m2,
           double* v, double* work0, double* work1) {
  copydouble(w, v, 1 << L);
  for (int k = L; k < J; ++k) {
    const int e = 1 << k;
    uplopbs(v, e, dqmf, m2, work0);
    uphipbs(w + e, e, gt, m1, work1);
    adddouble(work0, work1, 2 * e, v);
  }
}

// How a batch is split: the mirrored filter first, then per part the
// kernel's scratch and the packed copies strided signals need.
struct Plan {
  std::size_t head;    // doubles before the first part
  std::size_t stride;  // doubles per part
  int parts;
  std::size_t total() const { return head + stride * static_cast<std::size_t>(parts); }
};

Plan plan(std::ptrdiff_t n, std::ptrdiff_t m1, std::ptrdiff_t m2, const Batch& b, bool join) {
  n = n < 0 ? 0 : n;
  m1 = m1 < 0 ? 0 : m1;
  m2 = m2 < 0 ? 0 : m2;
  const std::size_t un = static_cast<std::size_t>(n);
  // The split works in place in its output; the join needs two blocks and
  // reads its input where it lies.
  std::size_t per = join ? 2 * un : un;
  if (join && b.in.stride != 1) per += un;
  if (b.out.stride != 1) per += un;
  const int parts = par::parts_for(b.count,
                                   1.0 * static_cast<double>(n) * static_cast<double>(b.count) *
                                       static_cast<double>(m1 + m2 + 2),
                                   par::kMinWork);
  const std::size_t filter = static_cast<std::size_t>(join ? m1 : m2);
  return Plan{par::part_stride(filter), par::part_stride(per), parts};
}

struct Checked {
  int J;
  int m1, m2;
};

Checked check(const char* fn, const double* in, const double* out, std::ptrdiff_t n, int L,
              Taps qmf, Taps dqmf, const Batch& b) {
  const int J = detail::dyadic(fn, n);
  detail::in_range(fn, "L", L, 0, J);
  detail::check_taps(fn, "qmf", qmf);
  detail::check_taps(fn, "dqmf", dqmf);
  detail::check_batch(fn, b.count, in, out);
  return Checked{J, static_cast<int>(qmf.size), static_cast<int>(dqmf.size)};
}

// The workspace of a call and the parts it allows.
struct Scratch {
  Workspace own;
  double* data = nullptr;
  int parts = 1;

  Scratch(Workspace* given, const Plan& p) {
    data = detail::workspace(given, own, p.total());
    const std::size_t have = given != nullptr && data == given->data() ? given->size() : own.size();
    parts = par::parts_within(have, p.head, p.stride, p.parts);
  }
};

}  // namespace

std::size_t dual_split_workspace(std::ptrdiff_t n, Taps qmf, Taps dqmf, const Batch& batch) {
  return plan(n, qmf.size, dqmf.size, batch, false).total();
}

std::size_t dual_join_workspace(std::ptrdiff_t n, Taps qmf, Taps dqmf, const Batch& batch) {
  return plan(n, qmf.size, dqmf.size, batch, true).total();
}

void dual_split(const double* x, double* w, std::ptrdiff_t n, int L, Taps qmf, Taps dqmf,
                const Batch& batch, Workspace* ws) {
  const char* fn = "dual_split";
  const Checked c = check(fn, x, w, n, L, qmf, dqmf, batch);
  if (batch.count == 0) return;
  const Plan p = plan(n, qmf.size, dqmf.size, batch, false);
  Scratch s(ws, p);
  double* g = s.data;
  tfmex::centred::mirrorsymmfilt(dqmf.data, g, c.m2);
  const std::ptrdiff_t din = detail::distance(batch.in, n), dout = detail::distance(batch.out, n);
  const int len = static_cast<int>(n);
  const bool out_strided = batch.out.stride != 1;
  par::run(s.parts, [&](int part) {
    double* work = s.data + p.head + p.stride * part;
    double* out_copy = work + n;
    const std::ptrdiff_t k1 = par::part_begin(batch.count, s.parts, part + 1);
    for (std::ptrdiff_t k = par::part_begin(batch.count, s.parts, part); k < k1; ++k) {
      const double* src = x + k * din;
      double* dst = w + k * dout;
      double* v = out_strided ? out_copy : dst;
      if (batch.in.stride == 1) copydouble(src, v, len);
      else detail::gather(src, batch.in.stride, v, n);
      dpwt(v, len, L, c.J, g, qmf.data, c.m1, c.m2, work);
      if (out_strided) detail::scatter(v, dst, batch.out.stride, n);
    }
  });
}

void dual_join(const double* w, double* y, std::ptrdiff_t n, int L, Taps qmf, Taps dqmf,
               const Batch& batch, Workspace* ws) {
  const char* fn = "dual_join";
  const Checked c = check(fn, w, y, n, L, qmf, dqmf, batch);
  // The up kernels centre each filter on its middle tap: an even length (an
  // empty filter included) has none.
  if (c.m1 % 2 != 1)
    detail::refuse(fn, "qmf must have an odd number of taps, not " + std::to_string(c.m1));
  if (c.m2 % 2 != 1)
    detail::refuse(fn, "dqmf must have an odd number of taps, not " + std::to_string(c.m2));
  if (batch.count == 0) return;
  const Plan p = plan(n, qmf.size, dqmf.size, batch, true);
  Scratch s(ws, p);
  double* gt = s.data;
  tfmex::centred::mirrorsymmfilt(qmf.data, gt, c.m1);
  const std::ptrdiff_t din = detail::distance(batch.in, n), dout = detail::distance(batch.out, n);
  const bool in_strided = batch.in.stride != 1, out_strided = batch.out.stride != 1;
  par::run(s.parts, [&](int part) {
    double* work0 = s.data + p.head + p.stride * part;
    double* work1 = work0 + n;
    double* in_copy = work1 + n;
    double* out_copy = in_copy + (in_strided ? n : 0);
    const std::ptrdiff_t k1 = par::part_begin(batch.count, s.parts, part + 1);
    for (std::ptrdiff_t k = par::part_begin(batch.count, s.parts, part); k < k1; ++k) {
      const double* src = w + k * din;
      double* dst = y + k * dout;
      if (in_strided) {
        detail::gather(src, batch.in.stride, in_copy, n);
        src = in_copy;
      }
      double* v = out_strided ? out_copy : dst;
      idpwt(src, L, c.J, gt, dqmf.data, c.m1, c.m2, v, work0, work1);
      if (out_strided) detail::scatter(v, dst, batch.out.stride, n);
    }
  });
}

}  // namespace tfmex
