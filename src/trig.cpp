// The trigonometric transforms of signals: the cosine and sine transforms of
// types II and III (TrigC2, TrigC3, TrigS2, TrigS3), the type-IV cosine
// transform (TrigC4), and the cosine packet tables (BellSplit, BellJoin).
//
// Every table a call reads (rotations, twiddles, the bell) is an immutable
// object from the table cache, fetched once per call and shared by all the
// signals and threads of the call. When the cache cannot have one, the
// cosine tables are built in the workspace's head, and the type-IV cosine
// transform makes its twiddles itself in its 8n values of scratch (the same
// doubles as with the cached tables), so a call that has its workspace needs
// no other memory.
#include <algorithm>
#include <cstddef>
#include <cstdlib>

#include "internal.hpp"
#include "kernels/bells/bells.h"
#include "kernels/periodized/periodized.h"
#include "kernels/trig/batched.h"
#include "kernels/trig/trig.h"
#include "parallel.hpp"
#include "tfmex/trig.hpp"

namespace tfmex {

namespace {

using trig::SharedTable;

// How a call's workspace is split: a head shared by every part, then the
// parts, `stride` doubles each (both multiples of 64 bytes).
struct Plan {
  std::size_t head;
  std::size_t stride;
  int parts;

  std::size_t size() const { return head + stride * static_cast<std::size_t>(parts); }
};

// The workspace a call uses (the caller's when it is large enough, else one
// from the pool) and the parts that fit in it.
struct Scratch {
  Workspace own;
  double* data = nullptr;
  int parts = 1;

  Scratch(Workspace* given, const Plan& plan) {
    data = detail::workspace(given, own, plan.size());
    const std::size_t have = given != nullptr && data == given->data() ? given->size() : own.size();
    parts = par::parts_within(have, plan.head, plan.stride, plan.parts);
  }
  double* part(const Plan& plan, int p) const {
    return data + plan.head + plan.stride * static_cast<std::size_t>(p);
  }
};

int log2_of(std::ptrdiff_t n) {
  int J = 0;
  while ((std::ptrdiff_t{1} << J) < n) ++J;
  return J;
}

// ---- Types II and III ----------------------------------------------------

using CosineKernel = void (*)(double*, double*, int, const double*);

// The head holds room for the tables; a part holds the kernel's n values of
// scratch and, for a strided output, the packed signal the kernel transforms
// in place (else it transforms the output itself), or the room of a group of
// `width` signals transformed together, one per vector lane, when that is
// larger.
Plan plan_cosine(std::ptrdiff_t n, const Batch& b, int width) {
  const std::size_t un = static_cast<std::size_t>(n);
  const std::size_t tables = un >= 2 ? 3 * un / 2 : 0;  // trig::cosine_table_size
  const std::size_t single = un + (b.out.stride != 1 ? un : 0);
  const std::size_t group = width > 1 ? un * static_cast<std::size_t>(width) : 0;
  const std::size_t per = single > group ? single : group;
  const double work =
      2.0 * static_cast<double>(n) * (log2_of(n) + 1) * static_cast<double>(b.count);
  return Plan{par::part_stride(tables), par::part_stride(per),
              par::parts_for(b.count, work, par::kMinWork)};
}

// A batch goes through the kernel in groups of as many signals as the
// vector path has lanes (trig/batched.h), the signals left over one by one;
// both give the same doubles, so the parts may take the signals in chunks
// as they come.
void run_cosine(const char* fn, CosineKernel kernel, trig::CosineKind kind, const double* x,
                double* y, std::ptrdiff_t n, const Batch& b, Workspace* given) {
  const int J = detail::dyadic(fn, n);
  detail::check_batch(fn, b.count, x, y);
  if (b.count == 0) return;
  const vector::Path path = vector::path();
  const int width = n >= 2 && b.count >= 2 ? trig::group_width(path) : 1;
  const Plan plan = plan_cosine(n, b, width);
  const Scratch ws(given, plan);
  SharedTable held;
  const double* const tables = trig::shared_cosine_tables(static_cast<int>(n), ws.data, &held);
  const std::ptrdiff_t din = detail::distance(b.in, n), dout = detail::distance(b.out, n);
  par::Chunks chunks(b.count, ws.parts, width);
  par::run(ws.parts, [&](int p) {
    double* const scratch = ws.part(plan, p);
    double* const packed = scratch + n;
    std::ptrdiff_t c, c1;
    while (chunks.next(c, c1)) {
      for (; width > 1 && c + width <= c1; c += width)
        trig::cosine_group(path, kind, x + c * din, din, b.in.stride, y + c * dout, dout,
                           b.out.stride, J, tables, scratch);
      for (; c < c1; ++c) {
        const double* const src = x + c * din;
        double* const dst = y + c * dout;
        double* const v = b.out.stride != 1 ? packed : dst;
        if (src != v) detail::gather(src, b.in.stride, v, n);
        kernel(v, scratch, J, tables);
        if (v != dst) detail::scatter(v, dst, b.out.stride, n);
      }
    }
  });
}

// ---- Type IV -------------------------------------------------------------

// A part holds trigc4's 8n values of scratch (trigc4_tabled uses the first
// 4n) and, for strided signals, one packed copy transformed in place, or
// the 5n values of each of a group of `width` signals transformed together
// (trig/batched.h) when that is larger.
Plan plan_dct4(std::ptrdiff_t n, const Batch& b, int width) {
  const std::size_t un = static_cast<std::size_t>(n);
  const bool strided = b.in.stride != 1 || b.out.stride != 1;
  const std::size_t single = 8 * un + (strided ? un : 0);
  const std::size_t group = width > 1 ? 5 * un * static_cast<std::size_t>(width) : 0;
  const double work =
      8.0 * static_cast<double>(n) * (log2_of(n) + 1) * static_cast<double>(b.count);
  return Plan{0, par::part_stride(single > group ? single : group),
              par::parts_for(b.count, work, par::kMinWork)};
}

// trigc4 with the cached tables, or making them in its scratch (8f values)
// when there are none: the same doubles.
inline void cosine4(const double* x, double* out, double* scratch, const double* tables, int f) {
  if (tables != nullptr) {
    trig::trigc4_tabled(x, out, scratch, tables, f);
  } else {
    trig::trigc4(x, out, scratch, f);
  }
}

// The cached tables of trigc4 for f, kept by *held; null when the cache
// cannot have them.
const double* trigc4_tables(int f, SharedTable* held) {
  *held = trig::shared_table(trig::trigc4_tables, f, trig::trigc4_table_size(f));
  return *held ? (*held)->data() : nullptr;
}

// ---- Cosine packets ------------------------------------------------------

// Where the columns of a batch's tables lie: element (r, c) of table b at
// b * distance + r * rows + c * cols.
struct Columns {
  std::ptrdiff_t rows, cols, distance;
};

Columns columns(const Strides2& s, std::ptrdiff_t n, int D) {
  const detail::TableStrides t = detail::table_strides(s, n, D + 1);
  return Columns{t.rows, t.cols, t.distance};
}

// The tables of one call: the bell (bp, bm; room for it in the head when the
// cache cannot have it) and each level's cosine twiddles (null: made by
// trigc4 itself).
struct Packets {
  int n, D, m;
  const double* bp = nullptr;
  const double* bm = nullptr;
  const double* tables[31] = {};
  SharedTable held[32];

  Packets(int n_, int D_, double* bell_room) : n(n_), D(D_), m((n_ >> D_) / 2) {
    const double* bell = bells::shared_bell(m, bell_room, &held[31]);
    bp = bell;
    bm = bell + (m > 0 ? m : 0);
    for (int d = 0; d <= D; ++d) tables[d] = trigc4_tables(n >> d, &held[d]);
  }
};

// A call over a batch of signals runs in one of two ways: with more signals
// than threads, each part takes whole signals one after another; else the
// signals come one after another and the blocks of each level are split over
// the parts, as for a single signal. A level costs some 64 steps per value
// (folding, the transform's passes), whatever its block length.
//
// A part holds trigc4's 8n values of scratch and the part's own buffers (for
// the split the folded block and the edge buffer, for the join the
// transformed block). Each signal has its buffers too: in the part when the
// parts take whole signals, else once, in the head after the bell's room.
struct PacketPlan {
  Plan plan;
  bool by_signal;
  std::size_t signal_at;  // where a signal's buffers start, in its part or in the head
};

PacketPlan plan_packets(std::ptrdiff_t n, int D, std::ptrdiff_t count, std::size_t own,
                        std::size_t per_signal) {
  const std::size_t un = static_cast<std::size_t>(n);
  const std::size_t bell = par::part_stride(un);  // 2m <= n values
  const std::size_t part = 8 * un + own;
  const bool by_signal = count > 1 && count >= threads();
  const double level = 64.0 * static_cast<double>(n);
  if (by_signal) {
    const int parts =
        par::parts_for(count, level * (D + 1) * static_cast<double>(count), par::kMinWork);
    return PacketPlan{Plan{bell, par::part_stride(part + per_signal), parts}, true, part};
  }
  const int parts = par::parts_for(std::ptrdiff_t{1} << D, level, par::kMinWork);
  return PacketPlan{Plan{bell + par::part_stride(per_signal), par::part_stride(part), parts}, false,
                    bell};
}

// Own buffers of a part and a signal's buffers, in doubles.
std::size_t split_own(std::ptrdiff_t n) { return 2 * static_cast<std::size_t>(n); }
std::size_t split_signal(std::ptrdiff_t n, const VectorToTable& b) {
  const std::size_t un = static_cast<std::size_t>(n);
  return (b.in.stride != 1 ? un : 0) + (b.out.rows != 1 ? un : 0);
}
std::size_t join_own(std::ptrdiff_t n) { return static_cast<std::size_t>(n); }
std::size_t join_signal(std::ptrdiff_t n, const TableToVector& b) {
  const std::size_t un = static_cast<std::size_t>(n);
  return 4 * un + (b.in.rows != 1 ? un : 0) + (b.out.stride != 1 ? un : 0);
}

// The parts the e = 2^d blocks of level d are split into (at most `parts`),
// and the first block of part p.
struct Blocks {
  int parts;
  std::ptrdiff_t e;
  std::ptrdiff_t begin(int p) const { return par::part_begin(e, parts, p); }
};

Blocks level_blocks(int d, int parts) {
  const std::ptrdiff_t e = std::ptrdiff_t{1} << d;
  return Blocks{e < parts ? static_cast<int>(e) : parts, e};
}

// Columns 0 .. D of the table of the signal x (n packed values): column d at
// table + d * cols when its rows are packed, else made in colbuf and put in
// place after its level. Every level is made from x itself; the blocks of a
// level are split over `parts` parts of the workspace from `work` on.
void split_signal_table(const double* x, double* table, const Columns& t, double* colbuf,
                        const Packets& pk, double* work, std::size_t stride, int parts) {
  const int n = pk.n, m = pk.m;
  const double *bp = pk.bp, *bm = pk.bm;
  for (int d = pk.D; d >= 0; --d) {
    const int f = n >> d;
    const Blocks blocks = level_blocks(d, parts);
    double* const column = t.rows == 1 ? table + d * t.cols : colbuf;
    const double* const tables = pk.tables[d];
    par::run(blocks.parts, [&](int p) {
      double* const scratch = work + stride * static_cast<std::size_t>(p);
      double* const block = scratch + std::ptrdiff_t{8} * n;
      double* const edge = block + n;
      const std::ptrdiff_t e = blocks.e, i1 = blocks.begin(p + 1);
      for (std::ptrdiff_t i = blocks.begin(p); i < i1; ++i) {
        const std::ptrdiff_t s = i * f;
        // An end block's missing neighbour is the edge buffer; a single
        // block has both of its sides written there, at its two ends.
        const double* left = edge;
        const double* right = edge;
        if (i == 0) {
          bells::edgefold(1, x, edge, f, m, bp, bm);
        } else {
          left = x + (s - f);
        }
        if (i == e - 1) {
          bells::edgefold(2, x + s, edge, f, m, bp, bm);
        } else {
          right = x + (s + f);
        }
        bells::fold(x + s, left, right, bp, bm, m, f, block);
        cosine4(block, column + s, scratch, tables, f);
      }
    });
    if (t.rows != 1) detail::scatter(colbuf, table + d * t.cols, t.rows, n);
  }
}

// out (n packed values) = the sum over d = 0 .. D of the inverse of level d
// applied to column d of the table (read where split_signal_table writes
// it, through colbuf when its rows are strided). acc, main, lspill and
// rspill hold n values each, block i's share at i f.
//
// A level runs in two steps, each split over `parts` parts by blocks: every
// block is transformed and unfolded into its shares of main and the spills;
// then every block's own f places of the sum are formed from zero by exactly
// the additions, in exactly the order, that unfolding the blocks one after
// another makes there (the previous block's right spill, the block itself,
// the outer ends or the next block's left spill), so the doubles do not
// depend on the split. The first level is summed in out itself: adding it to
// a zeroed out would give the same doubles, as a level's sum starts from
// +0.0, so no value of it is -0.0, and 0.0 + v is v for every other v (a NaN
// included).
void join_signal_table(const double* table, const Columns& t, double* colbuf, double* out,
                       double* acc, double* main, double* lspill, double* rspill, const Packets& pk,
                       double* work, std::size_t stride, int parts) {
  using bells::edgeadd;
  using bells::edgeunfold;
  using periodized::copyadd;
  const int n = pk.n, m = pk.m, D = pk.D;
  const double *bp = pk.bp, *bm = pk.bm;
  for (int d = D; d >= 0; --d) {
    const int f = n >> d;
    const Blocks blocks = level_blocks(d, parts);
    const double* column = table + d * t.cols;
    if (t.rows != 1) {
      detail::gather(column, t.rows, colbuf, n);
      column = colbuf;
    }
    double* const sum = d == D ? out : acc;
    const double* const tables = pk.tables[d];
    par::run(blocks.parts, [&](int p) {
      double* const scratch = work + stride * static_cast<std::size_t>(p);
      double* const y = scratch + std::ptrdiff_t{8} * n;
      const std::ptrdiff_t i1 = blocks.begin(p + 1);
      for (std::ptrdiff_t i = blocks.begin(p); i < i1; ++i) {
        const std::ptrdiff_t s = i * f;
        cosine4(column + s, y, scratch, tables, f);
        bells::unfold(y, main + s, lspill + s, rspill + s, f, m, bp, bm);
      }
    });
    par::run(blocks.parts, [&](int p) {
      const std::ptrdiff_t e = blocks.e, i1 = blocks.begin(p + 1);
      for (std::ptrdiff_t i = blocks.begin(p); i < i1; ++i) {
        const std::ptrdiff_t s = i * f;
        bells::fillzeros(sum + s, f);
        if (i > 0) edgeadd(2, rspill + (s - f), sum + s, f, m);
        copyadd(main + s, sum + s, f);
        if (i == 0) edgeunfold(1, sum, f, m, bp);
        if (i == e - 1) {
          edgeunfold(2, sum + s, f, m, bp);
        } else {
          edgeadd(1, lspill + (s + f), sum + s, f, m);
        }
        if (d != D) copyadd(acc + s, out + s, f);
      }
    });
  }
}

void check_packets(const char* fn, std::ptrdiff_t n, int D, std::ptrdiff_t count, const void* in,
                   const void* out) {
  const int J = detail::dyadic(fn, n);
  detail::in_range(fn, "D", D, 0, J);
  detail::check_batch(fn, count, in, out);
}

}  // namespace

std::size_t trig_workspace(std::ptrdiff_t n, const Batch& batch) {
  if (n < 0) n = 0;
  const int width = trig::group_width(vector::widest_path());
  return std::max(plan_cosine(n, batch, width).size(), plan_dct4(n, batch, width).size());
}

void dct2(const double* x, double* y, std::ptrdiff_t n, const Batch& batch, Workspace* ws) {
  run_cosine("dct2", trig::dct, trig::CosineKind::dct, x, y, n, batch, ws);
}

void dct3(const double* x, double* y, std::ptrdiff_t n, const Batch& batch, Workspace* ws) {
  run_cosine("dct3", trig::idct, trig::CosineKind::idct, x, y, n, batch, ws);
}

void dst2(const double* x, double* y, std::ptrdiff_t n, const Batch& batch, Workspace* ws) {
  run_cosine("dst2", trig::dst, trig::CosineKind::dst, x, y, n, batch, ws);
}

void dst3(const double* x, double* y, std::ptrdiff_t n, const Batch& batch, Workspace* ws) {
  run_cosine("dst3", trig::idst, trig::CosineKind::idst, x, y, n, batch, ws);
}

void dct4(const double* x, double* y, std::ptrdiff_t n, const Batch& b, Workspace* given) {
  const int J = detail::dyadic("dct4", n);
  detail::check_batch("dct4", b.count, x, y);
  if (b.count == 0) return;
  const int len = static_cast<int>(n);
  SharedTable held;
  const double* const tables = trigc4_tables(len, &held);
  // Groups of signals, one per vector lane, take the cached tables; without
  // them every signal goes alone.
  const vector::Path path = vector::path();
  const int width = n >= 2 && b.count >= 2 && tables != nullptr ? trig::group_width(path) : 1;
  const Plan plan = plan_dct4(n, b, width);
  const Scratch ws(given, plan);
  const bool strided = b.in.stride != 1 || b.out.stride != 1;
  const std::ptrdiff_t din = detail::distance(b.in, n), dout = detail::distance(b.out, n);
  par::Chunks chunks(b.count, ws.parts, width);
  par::run(ws.parts, [&](int p) {
    double* const scratch = ws.part(plan, p);
    double* const packed = scratch + std::ptrdiff_t{8} * n;
    std::ptrdiff_t c, c1;
    while (chunks.next(c, c1)) {
      for (; width > 1 && c + width <= c1; c += width)
        trig::cosine4_group(path, x + c * din, din, b.in.stride, y + c * dout, dout, b.out.stride,
                            J, tables, scratch);
      for (; c < c1; ++c) {
        const double* src = x + c * din;
        double* const dst = y + c * dout;
        if (!strided) {
          cosine4(src, dst, scratch, tables, len);
          continue;
        }
        detail::gather(src, b.in.stride, packed, n);
        cosine4(packed, packed, scratch, tables, len);
        detail::scatter(packed, dst, b.out.stride, n);
      }
    }
  });
}

namespace {

// Runs one(c, work, parts, buffers) for each signal c of a cosine packet
// call: the parts taking whole signals in chunks as they ask, or the signals
// one after another, each split over every part.
template <class One>
void each_signal(const PacketPlan& pp, const Scratch& ws, std::ptrdiff_t count, One&& one) {
  const Plan& plan = pp.plan;
  if (pp.by_signal) {
    par::Chunks chunks(count, ws.parts, 1);
    par::run(ws.parts, [&](int p) {
      double* const work = ws.part(plan, p);
      std::ptrdiff_t c0, c1;
      while (chunks.next(c0, c1))
        for (std::ptrdiff_t c = c0; c < c1; ++c) one(c, work, 1, work + pp.signal_at);
    });
    return;
  }
  for (std::ptrdiff_t c = 0; c < count; ++c)
    one(c, ws.part(plan, 0), ws.parts, ws.data + pp.signal_at);
}

}  // namespace

std::size_t bell_split_workspace(std::ptrdiff_t n, int D, const VectorToTable& batch) {
  if (n < 0) n = 0;
  D = std::clamp(D, 0, 30);
  return plan_packets(n, D, batch.count, split_own(n), split_signal(n, batch)).plan.size();
}

void bell_split(const double* x, double* table, std::ptrdiff_t n, int D, const VectorToTable& b,
                Workspace* given) {
  check_packets("bell_split", n, D, b.count, x, table);
  if (b.count == 0) return;
  const PacketPlan pp = plan_packets(n, D, b.count, split_own(n), split_signal(n, b));
  const Plan& plan = pp.plan;
  const Scratch ws(given, plan);
  const Packets pk(static_cast<int>(n), D, ws.data);
  const Columns t = columns(b.out, n, D);
  const std::ptrdiff_t din = detail::distance(b.in, n);
  // A signal's buffers: the packed signal (strided input), the column being
  // made (strided rows).
  auto one = [&](std::ptrdiff_t c, double* work, int parts, double* buffers) {
    const double* src = x + c * din;
    if (b.in.stride != 1) {
      detail::gather(src, b.in.stride, buffers, n);
      src = buffers;
      buffers += n;
    }
    split_signal_table(src, table + c * t.distance, t, buffers, pk, work, plan.stride, parts);
  };
  each_signal(pp, ws, b.count, one);
}

std::size_t bell_join_workspace(std::ptrdiff_t n, int D, const TableToVector& batch) {
  if (n < 0) n = 0;
  D = std::clamp(D, 0, 30);
  return plan_packets(n, D, batch.count, join_own(n), join_signal(n, batch)).plan.size();
}

void bell_join(const double* table, double* y, std::ptrdiff_t n, int D, const TableToVector& b,
               Workspace* given) {
  check_packets("bell_join", n, D, b.count, table, y);
  if (b.count == 0) return;
  const PacketPlan pp = plan_packets(n, D, b.count, join_own(n), join_signal(n, b));
  const Plan& plan = pp.plan;
  const Scratch ws(given, plan);
  const Packets pk(static_cast<int>(n), D, ws.data);
  const Columns t = columns(b.in, n, D);
  const std::ptrdiff_t dout = detail::distance(b.out, n);
  // A signal's buffers: the level accumulator, the unfolded blocks and their
  // two spills, then the column being read (strided rows) and the signal
  // being made (strided output).
  auto one = [&](std::ptrdiff_t c, double* work, int parts, double* buffers) {
    double* const acc = buffers;
    double* const main = acc + n;
    double* const lspill = main + n;
    double* const rspill = lspill + n;
    double* next = rspill + n;
    double* colbuf = nullptr;
    if (b.in.rows != 1) {
      colbuf = next;
      next += n;
    }
    double* const dst = y + c * dout;
    double* const out = b.out.stride != 1 ? next : dst;
    join_signal_table(table + c * t.distance, t, colbuf, out, acc, main, lspill, rspill, pk, work,
                      plan.stride, parts);
    if (out != dst) detail::scatter(out, dst, b.out.stride, n);
  };
  each_signal(pp, ws, b.count, one);
}

}  // namespace tfmex
