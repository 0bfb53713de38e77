// The interpolating pyramids on signals of 3^J values (BlockMeanSplit,
// BlockMeanJoin, CenterJoin) and the refinement rules on their own
// (CenterPredict, TriplePredict).
#include <cstddef>
#include <string>

#include "internal.hpp"
#include "kernels/refinement/refinement.h"
#include "parallel.hpp"
#include "tfmex/triadic.hpp"

namespace tfmex {

namespace {

using namespace tfmex::refinement;

// The pyramid kernels index the 2n values of a pyramid with an int: n stops at
// 3^18.
constexpr int kMaxLevels = 18;

// J with 3^J = n, else a refusal naming n.
int pyramid_levels(const char* fn, std::ptrdiff_t n) {
  std::ptrdiff_t k = 1;
  int J = 0;
  while (k < n && J < kMaxLevels) {
    k *= 3;
    ++J;
  }
  if (n < 1 || k != n) {
    detail::refuse(fn, "n must be a power of three from 1 to 3^18, not " + std::to_string(n));
  }
  return J;
}

void fill_zero(double* v, std::ptrdiff_t stride, std::ptrdiff_t n) {
  for (std::ptrdiff_t i = 0; i < n; ++i) v[i * stride] = 0.0;
}

std::ptrdiff_t power3(int k) {
  std::ptrdiff_t p = 1;
  for (int i = 0; i < k; ++i) p *= 3;
  return p;
}

// The places of a pyramid (2n values, L <= J) that no level writes: between
// the coarse block and the first level's differences and between the levels,
// or the second half when the coarse part is the whole signal.
void zero_gaps(double* wc, std::ptrdiff_t n, int L, int J) {
  if (L >= J) {
    fill_zero(wc + n, 1, n);
    return;
  }
  fill_zero(wc + power3(L), 1, 2 * power3(L));
  for (int b = L + 1; b < J; ++b) fill_zero(wc + 2 * power3(b), 1, power3(b));
}

// Forward pyramid of x (n = 3^J values) into wc (2n values), whose gaps are
// left as they are. cur (n), next (n/3) and pred (n) are scratch; pred must
// start zero-filled, since a degree other than 0 and 2 never writes it.
void fwtave(const double* x, int L, int D, double* wc, int n, int J, double* cur, double* next,
            double* pred) {
  if (L >= J) {
    // The coarse part is the signal itself (scale 1).
    copydouble(x, 0, wc, n);
    return;
  }
  copydouble(x, 0, cur, n);
  for (int b = J; b >= L + 1; --b) {
    const int m = pow3(b - 1);
    for (int i = 0; i < m; ++i) next[i] = ((cur[3 * i] + cur[3 * i + 1]) + cur[3 * i + 2]) / 3;
    AveRefineSeq(next, pred, m, D);
    const double s = level_scale(J, b);
    const int k = pow3(b);
    for (int j = 0; j < k; ++j) wc[k + j] = (cur[j] - pred[j]) * s;
    copydouble(next, 0, cur, m);
  }
  const double s = level_scale(J, L);
  const int k = pow3(L);
  for (int i = 0; i < k; ++i) wc[i] = cur[i] * s;
}

// Sequence refinement: c (m values) into f (3m values) with degree D.
using Refinement = void (*)(const double* c, double* f, int m, int D);

// The level loop of the inverse pyramids: x (3^J values) rebuilt from the
// coarse values divided by their scale, then at every finer level the
// prediction `refine` makes from the level below plus the stored difference
// divided by its scale (division first, then addition). pred (3^J values) is
// scratch, zero-filled for a degree other than 0 and 2; L <= J.
void inverse_pyramid(const double* wc, int L, int D, double* x, int J, double* pred,
                     Refinement refine) {
  const double sL = level_scale(J, L);
  const int k = pow3(L);
  for (int i = 0; i < k; ++i) x[i] = wc[i] / sL;
  for (int b = L + 1; b <= J; ++b) {
    refine(x, pred, pow3(b - 1), D);
    const double s = level_scale(J, b);
    const int kb = pow3(b);
    for (int j = 0; j < kb; ++j) x[j] = wc[kb + j] / s + pred[j];
  }
}

bool predicts(int D) { return D == 0 || D == 2; }

// The work of one value of a pyramid or a refinement, in filter taps: what
// parts_for weighs against the cost of waking the threads.
constexpr double kWorkPerValue = 16.0;

// Per part: the kernel's scratch, then packed copies of strided signals.
struct Plan {
  std::size_t stride;  // doubles per part
  int parts;
  std::size_t total() const { return stride * static_cast<std::size_t>(parts); }
};

Plan plan(std::size_t kernel, std::size_t in_len, std::size_t out_len, std::ptrdiff_t values,
          const Batch& b) {
  std::size_t per = kernel;
  if (b.in.stride != 1) per += in_len;
  if (b.out.stride != 1) per += out_len;
  const int parts = par::parts_for(
      b.count, kWorkPerValue * static_cast<double>(values) * static_cast<double>(b.count),
      par::kMinWork);
  return Plan{par::part_stride(per), parts};
}

// The pyramids' scratch: cur, next and pred for the forward one, pred for the
// inverses, none when the coarse part is the whole signal.
std::size_t pyramid_scratch(std::size_t n, int L, bool forward) {
  int J = 0;
  for (std::size_t k = 1; k < n && J < kMaxLevels; k *= 3) ++J;
  if (L >= J) return 0;
  return forward ? n + n / 3 + n : n;
}

Plan plan_split(std::ptrdiff_t n, int L, const Batch& b) {
  const std::size_t un = n < 0 ? 0 : static_cast<std::size_t>(n);
  return plan(pyramid_scratch(un, L, true), un, 2 * un, n, b);
}
Plan plan_join(std::ptrdiff_t n, int L, const Batch& b) {
  const std::size_t un = n < 0 ? 0 : static_cast<std::size_t>(n);
  return plan(pyramid_scratch(un, L, false), 2 * un, un, n, b);
}
Plan plan_predict(std::ptrdiff_t m, const Batch& b) {
  const std::size_t um = m < 0 ? 0 : static_cast<std::size_t>(m);
  return plan(0, um, 3 * um, m, b);
}

// Runs body(part, parts, scratch) over the parts of a batch, each with its
// own piece of the workspace (none is taken when the plan needs none).
template <class Body>
void run_parts(const Plan& p, Workspace* given, Body&& body) {
  if (p.stride == 0) {
    par::run(p.parts, [&](int part) { body(part, p.parts, nullptr); });
    return;
  }
  Workspace own;
  double* ws = detail::workspace(given, own, p.total());
  const std::size_t have = given != nullptr && ws == given->data() ? given->size() : own.size();
  const int parts = par::parts_within(have, 0, p.stride, p.parts);
  par::run(parts, [&](int part) { body(part, parts, ws + p.stride * part); });
}

// Checks shared by the pyramids; returns J and bounds L to J.
int check_pyramid(const char* fn, const double* in, const double* out, std::ptrdiff_t n, int& L,
                  const Batch& b) {
  const int J = pyramid_levels(fn, n);
  if (L < 1) detail::refuse(fn, "L must be at least 1, not " + std::to_string(L));
  detail::check_batch(fn, b.count, in, out);
  if (L > J) L = J;
  return J;
}

void join(const char* fn, Refinement refine, const double* wc, double* x, std::ptrdiff_t n, int L,
          int D, const Batch& batch, Workspace* ws) {
  const int J = check_pyramid(fn, wc, x, n, L, batch);
  if (batch.count == 0) return;
  const Plan p = plan_join(n, L, batch);
  const std::ptrdiff_t din = detail::distance(batch.in, 2 * n);
  const std::ptrdiff_t dout = detail::distance(batch.out, n);
  const bool in_strided = batch.in.stride != 1, out_strided = batch.out.stride != 1;
  const std::ptrdiff_t kernel = L < J ? n : 0;
  run_parts(p, ws, [&](int part, int parts, double* scratch) {
    double* pred = kernel > 0 ? scratch : nullptr;
    double* in_copy = in_strided ? scratch + kernel : nullptr;
    double* out_copy = out_strided ? scratch + kernel + (in_strided ? 2 * n : 0) : nullptr;
    if (kernel > 0 && !predicts(D)) fill_zero(pred, 1, n);
    const std::ptrdiff_t k1 = par::part_begin(batch.count, parts, part + 1);
    for (std::ptrdiff_t k = par::part_begin(batch.count, parts, part); k < k1; ++k) {
      const double* src = wc + k * din;
      double* dst = x + k * dout;
      if (in_strided) {
        detail::gather(src, batch.in.stride, in_copy, 2 * n);
        src = in_copy;
      }
      double* v = out_strided ? out_copy : dst;
      inverse_pyramid(src, L, D, v, J, pred, refine);
      if (out_strided) detail::scatter(v, dst, batch.out.stride, n);
    }
  });
}

void predict(const char* fn, Refinement refine, const double* c, double* f, std::ptrdiff_t m, int D,
             const Batch& batch, Workspace* ws) {
  detail::in_range(fn, "m", m, 0, 715827882);  // 3m values still index as an int
  if (D == 2 && m < 3) {
    detail::refuse(fn, "m must be at least 3 for D = 2, not " + std::to_string(m));
  }
  // Empty vectors are neither read nor written: their pointers may be null.
  if (batch.count < 0 || m > 0) detail::check_batch(fn, batch.count, c, f);
  if (m == 0 || batch.count == 0) return;
  const std::ptrdiff_t dout = detail::distance(batch.out, 3 * m);
  if (!predicts(D)) {
    // Any other degree predicts zero.
    for (std::ptrdiff_t k = 0; k < batch.count; ++k)
      fill_zero(f + k * dout, batch.out.stride, 3 * m);
    return;
  }
  const Plan p = plan_predict(m, batch);
  const std::ptrdiff_t din = detail::distance(batch.in, m);
  const bool in_strided = batch.in.stride != 1, out_strided = batch.out.stride != 1;
  const int len = static_cast<int>(m);
  run_parts(p, ws, [&](int part, int parts, double* scratch) {
    double* in_copy = in_strided ? scratch : nullptr;
    double* out_copy = out_strided ? scratch + (in_strided ? m : 0) : nullptr;
    const std::ptrdiff_t k1 = par::part_begin(batch.count, parts, part + 1);
    for (std::ptrdiff_t k = par::part_begin(batch.count, parts, part); k < k1; ++k) {
      const double* src = c + k * din;
      double* dst = f + k * dout;
      if (in_strided) {
        detail::gather(src, batch.in.stride, in_copy, m);
        src = in_copy;
      }
      double* v = out_strided ? out_copy : dst;
      refine(src, v, len, D);
      if (out_strided) detail::scatter(v, dst, batch.out.stride, 3 * m);
    }
  });
}

}  // namespace

std::size_t block_mean_split_workspace(std::ptrdiff_t n, int L, const Batch& batch) {
  return plan_split(n, L, batch).total();
}
std::size_t block_mean_join_workspace(std::ptrdiff_t n, int L, const Batch& batch) {
  return plan_join(n, L, batch).total();
}
std::size_t center_join_workspace(std::ptrdiff_t n, int L, const Batch& batch) {
  return plan_join(n, L, batch).total();
}
std::size_t center_predict_workspace(std::ptrdiff_t m, const Batch& batch) {
  return plan_predict(m, batch).total();
}
std::size_t triple_predict_workspace(std::ptrdiff_t m, const Batch& batch) {
  return plan_predict(m, batch).total();
}

void block_mean_split(const double* x, double* wc, std::ptrdiff_t n, int L, int D,
                      const Batch& batch, Workspace* ws) {
  const char* fn = "block_mean_split";
  const int J = check_pyramid(fn, x, wc, n, L, batch);
  if (batch.count == 0) return;
  const Plan p = plan_split(n, L, batch);
  const std::ptrdiff_t din = detail::distance(batch.in, n);
  const std::ptrdiff_t dout = detail::distance(batch.out, 2 * n);
  const bool in_strided = batch.in.stride != 1, out_strided = batch.out.stride != 1;
  const std::ptrdiff_t kernel = L < J ? n + n / 3 + n : 0;
  const int len = static_cast<int>(n);
  run_parts(p, ws, [&](int part, int parts, double* scratch) {
    double* cur = kernel > 0 ? scratch : nullptr;
    double* next = kernel > 0 ? cur + n : nullptr;
    double* pred = kernel > 0 ? next + n / 3 : nullptr;
    double* in_copy = in_strided ? scratch + kernel : nullptr;
    double* out_copy = out_strided ? scratch + kernel + (in_strided ? n : 0) : nullptr;
    if (kernel > 0 && !predicts(D)) fill_zero(pred, 1, n);
    const std::ptrdiff_t k1 = par::part_begin(batch.count, parts, part + 1);
    for (std::ptrdiff_t k = par::part_begin(batch.count, parts, part); k < k1; ++k) {
      const double* src = x + k * din;
      double* dst = wc + k * dout;
      if (in_strided) {
        detail::gather(src, batch.in.stride, in_copy, n);
        src = in_copy;
      }
      double* v = out_strided ? out_copy : dst;
      zero_gaps(v, n, L, J);
      fwtave(src, L, D, v, len, J, cur, next, pred);
      if (out_strided) detail::scatter(v, dst, batch.out.stride, 2 * n);
    }
  });
}

void block_mean_join(const double* wc, double* x, std::ptrdiff_t n, int L, int D,
                     const Batch& batch, Workspace* ws) {
  join("block_mean_join", AveRefineSeq, wc, x, n, L, D, batch, ws);
}

void center_join(const double* wc, double* x, std::ptrdiff_t n, int L, int D, const Batch& batch,
                 Workspace* ws) {
  join("center_join", CenterPredict, wc, x, n, L, D, batch, ws);
}

void center_predict(const double* c, double* f, std::ptrdiff_t m, int D, const Batch& batch,
                    Workspace* ws) {
  predict("center_predict", tfmex::refinement::CenterPredict, c, f, m, D, batch, ws);
}

void triple_predict(const double* c, double* f, std::ptrdiff_t m, int D, const Batch& batch,
                    Workspace* ws) {
  predict("triple_predict", tfmex::refinement::TriplePredict, c, f, m, D, batch, ws);
}

}  // namespace tfmex
