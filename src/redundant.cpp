// The redundant transforms of signals into level tables and back: ShiftSplit,
// ShiftJoin, PacketSplit and PacketJoin.
//
// Every stage works on the 2^t blocks of n / 2^t values of one column; the
// blocks of a stage are independent and are split over the threads, each part
// with its own scratch of a few block lengths, so that a stage's scratch is a
// few n values however many threads run it. A batch of several signals is
// split over the threads signal by signal instead. A table whose rows are not
// adjacent (rows != 1) is worked on one packed column at a time.
#include <cstddef>
#include <cstdlib>
#include <utility>

#include "internal.hpp"
#include "kernels/periodized/periodized.h"
#include "parallel.hpp"
#include "tfmex/redundant.hpp"

namespace tfmex {

namespace {

using namespace tfmex::periodized;

// dst = src circularly shifted right by one: dst[0] = src[k-1], dst[t] = src[t-1].
void rshift(const double* src, double* dst, int k) {
  if (k <= 0) return;
  dst[0] = src[k - 1];
  for (int t = 1; t < k; ++t) dst[t] = src[t - 1];
}

// dst = src circularly shifted left by one: dst[k-1] = src[0], dst[t] = src[t+1].
void lshift(const double* src, double* dst, int k) {
  if (k <= 0) return;
  for (int t = 0; t < k - 1; ++t) dst[t] = src[t + 1];
  dst[k - 1] = src[0];
}

// v[t] = 0.5 * v[t], t = 0 .. k-1.
void half(double* v, int k) {
  for (int t = 0; t < k; ++t) v[t] = 0.5 * v[t];
}

// The filters of a call: g the high-pass one, h the low-pass one, m taps each.
struct Filters {
  const double* g;
  const double* h;
  int m;
};

// Doubles a part takes at a stage whose blocks hold e values: `width` vectors
// of e values, rounded up to keep every part on a 64-byte boundary.
std::size_t piece(int width, std::ptrdiff_t e) {
  return par::part_stride(static_cast<std::size_t>(width) * static_cast<std::size_t>(e));
}

// The parts of a stage of `blocks` blocks when the call allows `parts`.
int stage_parts(std::ptrdiff_t blocks, int parts) {
  return blocks < parts ? static_cast<int>(blocks) : parts;
}

// The most scratch any of the D stages takes: stage t has 2^t blocks of
// n / 2^t values, and up to `parts` parts of `width` block lengths each (at
// most width * n in all, whatever `parts` is).
std::size_t stages_scratch(int width, std::ptrdiff_t n, int D, int parts) {
  std::size_t most = 0;
  for (int t = 0; t < D; ++t) {
    const std::size_t k =
        static_cast<std::size_t>(stage_parts(std::ptrdiff_t{1} << t, parts)) * piece(width, n >> t);
    if (k > most) most = k;
  }
  return most;
}

// One stage of the translation-invariant transform: each of the c blocks of e
// values of column 0 (a) is replaced by the low-pass halves of itself and of
// its right shift, whose high-pass halves go to the same rows of det.
void tiwt_stage(double* a, double* det, int e, std::ptrdiff_t c, const Filters& f, double* work,
                int parts) {
  const int half_e = e / 2;
  const std::size_t each = piece(2, e);
  const int level_parts = stage_parts(c, parts);
  par::run(level_parts, [&](int p) {
    double* w0 = work + each * p;
    double* w1 = w0 + e;
    const std::ptrdiff_t j1 = par::part_begin(c, level_parts, p + 1);
    for (std::ptrdiff_t j = par::part_begin(c, level_parts, p); j < j1; ++j) {
      const std::ptrdiff_t at = j * e;
      copydouble(a + at, w0, e);
      rshift(w0, w1, e);
      // Both halves of both paths go straight to their places in the table.
      downboth(w0, e, f.h, f.g, f.m, a + at, det + at);
      downboth(w1, e, f.h, f.g, f.m, a + at + half_e, det + at + half_e);
    }
  });
}

// One stage of its inverse: each of the c parent blocks of e values of y is
// rebuilt from both children (coarse halves in y, details in det), the
// shifted one shifted back, and the two are averaged.
void tiwt_synthesis_stage(double* y, const double* det, int e, std::ptrdiff_t c, const Filters& f,
                          double* work, int parts) {
  const int l = e / 2;
  const std::ptrdiff_t E = e, hl = l;
  const std::size_t each = piece(4, e);
  const int level_parts = stage_parts(c, parts);
  par::run(level_parts, [&](int p) {
    double* const base = work + each * p;
    double* const w[6] = {base,         base + E,         base + 2 * E, base + 2 * E + hl,
                          base + 3 * E, base + 3 * E + hl};
    const std::ptrdiff_t k1 = par::part_begin(c, level_parts, p + 1);
    for (std::ptrdiff_t k = par::part_begin(c, level_parts, p); k < k1; ++k) {
      const std::ptrdiff_t at = k * e;
      double* Y = y + at;
      copydouble(det + at, w[2], l);      // detail of child 2k (unshifted)
      copydouble(det + at + l, w[3], l);  // detail of child 2k + 1 (shifted)
      copydouble(Y, w[4], l);             // coarse of child 2k
      copydouble(Y + l, w[5], l);         // coarse of child 2k + 1
      uplo(w[4], l, f.h, f.m, w[1]);
      copydouble(w[1], Y, e);
      uplo(w[5], l, f.h, f.m, w[1]);
      lshift(w[1], w[0], e);
      copyadd(w[0], Y, e);
      uphi(w[2], l, f.g, f.m, w[1]);
      copyadd(w[1], Y, e);
      uphi(w[3], l, f.g, f.m, w[1]);
      lshift(w[1], w[0], e);
      copyadd(w[0], Y, e);
      half(Y, e);
    }
  });
}

// One stage of the packet table: each of the c packets of e values of the
// parent column is split into its low-pass and high-pass children in child.
void wpd_stage(const double* parent, double* child, int e, std::ptrdiff_t c, const Filters& f,
               double* work, int parts) {
  const int half_e = e / 2;
  const std::size_t each = piece(1, e);
  const int level_parts = stage_parts(c, parts);
  par::run(level_parts, [&](int p) {
    double* w0 = work + each * p;
    const std::ptrdiff_t j1 = par::part_begin(c, level_parts, p + 1);
    for (std::ptrdiff_t j = par::part_begin(c, level_parts, p); j < j1; ++j) {
      copydouble(parent + j * e, w0, e);
      const std::ptrdiff_t lo = 2 * j + (j % 2);
      const std::ptrdiff_t hi = 2 * j + 1 - (j % 2);
      downboth(w0, e, f.h, f.g, f.m, child + lo * half_e, child + hi * half_e);
    }
  });
}

// One stage of the packet synthesis: packet k (c values) of y becomes packet
// k of column plus the syntheses of its two children, which lie in the same
// c values of y.
void wpsynthesis_stage(double* y, const double* column, int c, std::ptrdiff_t count,
                       const Filters& f, double* work, int parts) {
  const int e = c / 2;
  const std::size_t each = piece(3, c);
  const int level_parts = stage_parts(count, parts);
  par::run(level_parts, [&](int p) {
    double* w0 = work + each * p;
    double* w1 = w0 + c;
    double* w2 = w1 + c;
    const std::ptrdiff_t k1 = par::part_begin(count, level_parts, p + 1);
    for (std::ptrdiff_t k = par::part_begin(count, level_parts, p); k < k1; ++k) {
      const std::ptrdiff_t at = k * c;
      const std::ptrdiff_t lo = 2 * k + (k % 2);
      const std::ptrdiff_t hi = 2 * k + 1 - (k % 2);
      copydouble(column + at, w0, c);
      uplo(y + lo * e, e, f.h, f.m, w1);
      uphi(y + hi * e, e, f.g, f.m, w2);
      copyadd(w1, w0, c);
      copyadd(w2, w0, c);
      copydouble(w0, y + at, c);
    }
  });
}

// Where the tables of a batch lie, the defaults of Strides2 filled in: tables
// that follow one another are as far apart as the longer of a table's n rows
// and its D + 1 columns spans. A table of adjacent rows is worked on in place,
// column by column.
struct Table {
  std::ptrdiff_t rows;
  std::ptrdiff_t cols;
  std::ptrdiff_t distance;
  bool direct;
};

Table table_layout(const Strides2& s, std::ptrdiff_t n, int D) {
  const detail::TableStrides t = detail::table_strides(s, n, D + 1);
  return Table{t.rows, t.cols, t.distance, s.rows == 1};
}

// The four transforms differ in their stages, the scratch vectors a part
// takes per block length, the packed columns a table of separate rows needs,
// and the work a stage costs per signal value and filter tap.
enum class Kind { ShiftSplit, ShiftJoin, PacketSplit, PacketJoin };

int width(Kind k) {
  switch (k) {
    case Kind::ShiftSplit: return 2;
    case Kind::ShiftJoin: return 4;
    case Kind::PacketSplit: return 1;
    default: return 3;
  }
}

double stage_work(Kind k) {
  switch (k) {
    case Kind::ShiftSplit: return 2.0;
    case Kind::ShiftJoin: return 4.0;
    case Kind::PacketSplit: return 1.0;
    default: return 2.0;
  }
}

// Packed vectors of n values a signal needs besides the stages' scratch: a
// split into a table of separate rows keeps its current and its next column
// packed; a join gathers each column of such a table, and writes a strided
// signal through a packed one.
int packed_vectors(Kind k, bool direct_table, bool unit_signal) {
  const bool split = k == Kind::ShiftSplit || k == Kind::PacketSplit;
  if (split) return direct_table ? 0 : 2;
  return (direct_table ? 0 : 1) + (unit_signal ? 0 : 1);
}

// How a call splits its workspace: g first, then per part (one part per
// group of signals) the signals' packed vectors and the stages' scratch.
struct Plan {
  std::size_t head;
  std::size_t per;
  int outer;  // parts over the signals of the batch
  int inner;  // parts over the blocks of a stage
  std::size_t total() const { return head + per * static_cast<std::size_t>(outer); }
};

Plan plan(Kind kind, std::ptrdiff_t n, int D, std::ptrdiff_t m, std::ptrdiff_t count, int vectors) {
  const std::size_t head = par::part_stride(static_cast<std::size_t>(m));
  const std::size_t packed =
      static_cast<std::size_t>(vectors) * par::part_stride(static_cast<std::size_t>(n));
  const double per_stage = stage_work(kind) * static_cast<double>(n) * static_cast<double>(m + 1);
  if (count <= 1) {
    // The threads share the blocks of every stage, as many as the last one
    // has but one.
    const int inner =
        par::parts_for(std::ptrdiff_t{1} << (D > 0 ? D - 1 : 0), per_stage, par::kMinWork);
    return Plan{head, packed + stages_scratch(width(kind), n, D, inner), 1, inner};
  }
  const int outer = par::parts_for(
      count, per_stage * static_cast<double>(D) * static_cast<double>(count), par::kMinWork);
  return Plan{head, par::part_stride(packed + stages_scratch(width(kind), n, D, 1)), outer, 1};
}

// The plan for a workspace query, whose arguments may be out of range: n
// within 0 .. 2^30 and the depth within 0 .. log2(n).
Plan query(Kind kind, std::ptrdiff_t n, int D, std::ptrdiff_t m, std::ptrdiff_t count,
           const Strides2& table, const Strides& signal) {
  constexpr std::ptrdiff_t kMax = std::ptrdiff_t{1} << 30;
  n = n < 0 ? 0 : (n > kMax ? kMax : n);
  int J = 0;
  while ((std::ptrdiff_t{1} << J) < n) ++J;
  D = D < 0 ? 0 : (D > J ? J : D);
  return plan(kind, n, D, m < 0 ? 0 : m, count,
              packed_vectors(kind, table.rows == 1, signal.stride == 1));
}

// One signal's split into a table (x with stride xs; column d of the table at
// T + d * cols, its rows `rows` apart). `work` holds the plan's `per` doubles.
void split_one(Kind kind, const double* x, std::ptrdiff_t xs, double* T, const Table& t, int n,
               int D, const Filters& f, double* work, int parts) {
  const std::size_t un = par::part_stride(static_cast<std::size_t>(n));
  double* cur = T;         // the column the next stage reads
  double* next = nullptr;  // where it writes, when the table is not worked on in place
  if (!t.direct) {
    cur = work;
    next = work + un;
    work += 2 * un;
  }
  detail::gather(x, xs, cur, n);
  if (kind == Kind::PacketSplit && !t.direct) detail::scatter(cur, T, t.rows, n);
  std::ptrdiff_t e = n, c = 1;
  for (int d = 1; d <= D; ++d) {
    double* column = T + d * t.cols;
    double* out = t.direct ? column : next;
    if (kind == Kind::ShiftSplit) {
      tiwt_stage(cur, out, static_cast<int>(e), c, f, work, parts);
    } else {
      wpd_stage(cur, out, static_cast<int>(e), c, f, work, parts);
    }
    if (!t.direct) detail::scatter(out, column, t.rows, n);
    if (kind == Kind::PacketSplit) {
      if (t.direct) {
        cur = column;
      } else {
        std::swap(cur, next);
      }
    }
    e /= 2;
    c *= 2;
  }
  if (kind == Kind::ShiftSplit && !t.direct) detail::scatter(cur, T, t.rows, n);
}

// One table's join into a signal (y with stride ys).
void join_one(Kind kind, const double* T, const Table& t, double* y, std::ptrdiff_t ys, int n,
              int D, const Filters& f, double* work, int parts) {
  const std::size_t un = par::part_stride(static_cast<std::size_t>(n));
  double* out = y;
  if (ys != 1) {
    out = work;
    work += un;
  }
  double* packed = nullptr;  // a column of a table of separate rows
  if (!t.direct) {
    packed = work;
    work += un;
  }
  // The column a stage reads, packed.
  auto column = [&](int d) -> const double* {
    const double* at = T + d * t.cols;
    if (t.direct) return at;
    detail::gather(at, t.rows, packed, n);
    return packed;
  };
  if (kind == Kind::ShiftJoin) {
    const double* first = column(0);
    copydouble(first, out, n);
    for (int s = D; s >= 1; --s) {
      const double* det = column(s);
      tiwt_synthesis_stage(out, det, n >> (s - 1), std::ptrdiff_t{1} << (s - 1), f, work, parts);
    }
  } else {
    const double* last = column(D);
    copydouble(last, out, n);
    for (int i = D - 1; i >= 0; --i) {
      const double* col = column(i);
      wpsynthesis_stage(out, col, n >> i, std::ptrdiff_t{1} << i, f, work, parts);
    }
  }
  if (ys != 1) detail::scatter(out, y, ys, n);
}

// Checks a call, takes its workspace and runs it on every signal (a split)
// or table (a join) of the batch.
void run(const char* fn, Kind kind, const double* in, double* out, std::ptrdiff_t n, int D,
         const char* depth_name, int depth, Taps h, std::ptrdiff_t count, const Strides& signal,
         const Strides2& table, Workspace* given) {
  const int J = detail::dyadic(fn, n);
  detail::in_range(fn, depth_name, depth, 0, J);
  detail::check_taps(fn, "h", h);
  detail::check_batch(fn, count, in, out);
  if (count == 0) return;
  const bool split = kind == Kind::ShiftSplit || kind == Kind::PacketSplit;
  const Table t = table_layout(table, n, D);
  const Plan p =
      plan(kind, n, D, h.size, count, packed_vectors(kind, t.direct, signal.stride == 1));
  Workspace own;
  double* ws = detail::workspace(given, own, p.total());
  const Filters f{ws, h.data, static_cast<int>(h.size)};
  mirrorfilt(h.data, ws, f.m);
  const std::ptrdiff_t dsig = detail::distance(signal, n);
  const int len = static_cast<int>(n);
  par::run(p.outer, [&](int part) {
    double* work = ws + p.head + p.per * static_cast<std::size_t>(part);
    const std::ptrdiff_t c1 = par::part_begin(count, p.outer, part + 1);
    for (std::ptrdiff_t c = par::part_begin(count, p.outer, part); c < c1; ++c) {
      if (split) {
        split_one(kind, in + c * dsig, signal.stride, out + c * t.distance, t, len, D, f, work,
                  p.inner);
      } else {
        join_one(kind, in + c * t.distance, t, out + c * dsig, signal.stride, len, D, f, work,
                 p.inner);
      }
    }
  });
}

// The depth of a table of n = 2^J rows made to level L (J - L), or -1 when n
// is no power of two (the call then refuses n before it looks at L).
int depth_of(std::ptrdiff_t n, int L) {
  if (n < 1 || (n & (n - 1)) != 0) return -1;
  int J = 0;
  while ((std::ptrdiff_t{1} << J) < n) ++J;
  return J - L;
}

}  // namespace

std::size_t shift_split_workspace(std::ptrdiff_t n, int L, Taps h, const VectorToTable& batch) {
  const int D = depth_of(n, L);
  return query(Kind::ShiftSplit, n, D, h.size, batch.count, batch.out, batch.in).total();
}

void shift_split(const double* x, double* table, std::ptrdiff_t n, int L, Taps h,
                 const VectorToTable& batch, Workspace* ws) {
  run("shift_split", Kind::ShiftSplit, x, table, n, depth_of(n, L), "L", L, h, batch.count,
      batch.in, batch.out, ws);
}

std::size_t shift_join_workspace(std::ptrdiff_t n, int D, Taps h, const TableToVector& batch) {
  return query(Kind::ShiftJoin, n, D, h.size, batch.count, batch.in, batch.out).total();
}

void shift_join(const double* table, double* y, std::ptrdiff_t n, int D, Taps h,
                const TableToVector& batch, Workspace* ws) {
  run("shift_join", Kind::ShiftJoin, table, y, n, D, "D", D, h, batch.count, batch.out, batch.in,
      ws);
}

std::size_t packet_split_workspace(std::ptrdiff_t n, int D, Taps h, const VectorToTable& batch) {
  return query(Kind::PacketSplit, n, D, h.size, batch.count, batch.out, batch.in).total();
}

void packet_split(const double* x, double* table, std::ptrdiff_t n, int D, Taps h,
                  const VectorToTable& batch, Workspace* ws) {
  run("packet_split", Kind::PacketSplit, x, table, n, D, "D", D, h, batch.count, batch.in,
      batch.out, ws);
}

std::size_t packet_join_workspace(std::ptrdiff_t n, int D, Taps h, const TableToVector& batch) {
  return query(Kind::PacketJoin, n, D, h.size, batch.count, batch.in, batch.out).total();
}

void packet_join(const double* table, double* y, std::ptrdiff_t n, int D, Taps h,
                 const TableToVector& batch, Workspace* ws) {
  run("packet_join", Kind::PacketJoin, table, y, n, D, "D", D, h, batch.count, batch.out, batch.in,
      ws);
}

}  // namespace tfmex
