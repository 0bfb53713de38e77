// Complex radix-2 FFT, the real FFT built on it, and the type-IV cosine
// transform as the odd spectral lines of an 8n-point real sequence.
//
// The twiddle factors are advanced by the recurrence
//   wr <- wr + (wr wpr - wi wpi),  wi <- wi + (wi wpr + wr wpi),
// with wpr = -2 sin^2(theta/2) and wpi = sin(theta), so that the sine is
// evaluated twice per pass and never per butterfly.
#include <cstddef>
#include <cstdint>

#include <cmath>

#include "exact_sincos.h"
#include "internal.h"
#include "kernels/vector/lanes.h"
#include "table_cache.h"
#include "trig.h"

namespace tfmex::trig {

namespace {

constexpr double kTwoPi = 6.28318530717959;
using detail::kPi;

inline void advance(double& wr, double& wi, double wpr, double wpi) {
  const double old = wr;
  wr = wr + (wr * wpr - wi * wpi);
  wi = wi + (wi * wpr + old * wpi);
}

inline void swap(double& a, double& b) {
  const double t = a;
  a = b;
  b = t;
}

}  // namespace

void four1(double* data, int nn, int isign) {
  const std::ptrdiff_t n = std::ptrdiff_t{2} * nn;  // doubles
  // Bit reversal of the complex values, j the reversed counter of i (both in
  // doubles, so steps of 2).
  std::ptrdiff_t j = 0;
  for (std::ptrdiff_t i = 0; i < n; i += 2) {
    if (j > i) {
      swap(data[j], data[i]);
      swap(data[j + 1], data[i + 1]);
    }
    std::ptrdiff_t m = nn;
    while (m >= 2 && j >= m) {
      j -= m;
      m >>= 1;
    }
    j += m;
  }
  // Butterfly passes; a block is mmax doubles, its two halves mmax/2 complex values.
  for (std::ptrdiff_t mmax = 2; n > mmax; mmax *= 2) {
    const std::ptrdiff_t istep = 2 * mmax;
    const double theta = isign * kTwoPi / static_cast<double>(mmax);
    const double half_sin = sin_rn(0.5 * theta);
    const double wpr = -2.0 * half_sin * half_sin;
    const double wpi = sin_rn(theta);
    double wr = 1.0, wi = 0.0;
    for (std::ptrdiff_t m = 0; m < mmax; m += 2) {
      for (std::ptrdiff_t i = m; i < n; i += istep) {
        const std::ptrdiff_t k = i + mmax;
        const double tr = wr * data[k] - wi * data[k + 1];
        const double ti = wr * data[k + 1] + wi * data[k];
        data[k] = data[i] - tr;
        data[k + 1] = data[i + 1] - ti;
        data[i] += tr;
        data[i + 1] += ti;
      }
      advance(wr, wi, wpr, wpi);
    }
  }
}

void realft(double* data, int N, int /*isign: forward only*/) {
  const double theta = kPi / static_cast<double>(N / 2);
  four1(data, N / 2, 1);
  const double half_sin = sin_rn(0.5 * theta);
  const double wpr = -2.0 * half_sin * half_sin;
  const double wpi = sin_rn(theta);
  double wr = 1.0 + wpr, wi = wpi;
  const double c1 = 0.5, c2 = -0.5;
  // Split the spectrum of the even/odd pairs into that of the real sequence,
  // position p = 2i against its mirror q = N - 2i.
  for (std::ptrdiff_t i = 1; i < N / 4; ++i) {
    const std::ptrdiff_t p = 2 * i, q = static_cast<std::ptrdiff_t>(N) - 2 * i;
    const double h1r = c1 * (data[p] + data[q]);
    const double h1i = c1 * (data[p + 1] - data[q + 1]);
    const double h2r = -c2 * (data[p + 1] + data[q + 1]);
    const double h2i = c2 * (data[p] - data[q]);
    data[p] = h1r + wr * h2r - wi * h2i;
    data[p + 1] = h1i + wr * h2i + wi * h2r;
    data[q] = h1r - wr * h2r + wi * h2i;
    data[q + 1] = -h1i + wr * h2i + wi * h2r;
    advance(wr, wi, wpr, wpi);
  }
  const double d0 = data[0];
  data[0] = d0 + data[1];
  data[1] = d0 - data[1];
}

// trigc4 through the odd half of the 8n-point embedding.
//
// The embedding is the complex sequence f_k = (0, x[k]) for k < n and (0, 0)
// for n <= k < 4n. Its bit reversal puts x[rev(r)] at the complex positions
// 4r and leaves exact zeros elsewhere, so the reversal and the first two
// passes of four1 are written here directly, with the operations they do on
// the values of x carried out as written (x - 0.0 and x + t, t the product
// of a twiddle with the zero it meets, computed at run time) and those among
// the known zeros replaced by their results.
//
// Only the real parts of the odd lines F_1, F_3, ..., F_{2n-1} are read at
// the end. realft forms them from the four1 outputs at odd complex positions
// i and 4n - i, and from the pass of span 2 on the passes of four1 pair odd
// positions with odd ones: those positions never meet the even ones. So only
// the 2n odd positions are kept, packed (position 2u + 1 at u), and the even
// half of the work is never done. Every kept value meets the same operations
// in the same order as in the full transform, twiddles included: each pass's
// twiddles still come from its own recurrence, run over all its positions,
// of which the odd ones are used.
//
// Layout of work (8n values): the packed sequence in work[0 .. 4n - 1], the
// twiddles of the passes of span 4 .. n complex values behind it (pass by
// pass, (wr, wi) pairs), then those of the realft split at odd i. The
// portable passes run depth first so that a block in the cache is finished
// there; the vector passes (fft_passes.inc) run up to three levels in one
// sweep, blocked for the caches (vector_levels).
//
// trigc4_tables runs the same recurrences once and keeps, besides the pass
// and split twiddles, the odd twiddles of the last pass (which trigc4 uses as
// they come); trigc4_tabled then does the data passes alone, the last one as
// a packed pass like the others.
namespace {

int log2_of(std::ptrdiff_t n) {
  int J = 0;
  while ((std::ptrdiff_t{1} << J) < n) ++J;
  return J;
}

struct Pass {
  double wpr, wpi;
};

// The recurrence constants of the four1 pass whose block is mmax doubles.
Pass pass_constants(std::ptrdiff_t mmax) {
  const double theta = 1 * kTwoPi / static_cast<double>(mmax);
  const double half_sin = sin_rn(0.5 * theta);
  return {-2.0 * half_sin * half_sin, sin_rn(theta)};
}

// The recurrence of the realft split: (wr, wi) at i = 1 and its constants.
struct Split {
  double wr, wi, wpr, wpi;
};

Split split_constants(std::ptrdiff_t n) {
  const double theta = kPi / static_cast<double>(4 * n);
  const double half_sin = sin_rn(0.5 * theta);
  const double wpr = -2.0 * half_sin * half_sin;
  const double wpi = sin_rn(theta);
  return {1.0 + wpr, wpi, wpr, wpi};
}

// The odd twiddles of the passes of packed span 2 .. n/2 (complex span
// 4 .. n), pass after pass. Each recurrence is a serial chain; the longest
// (span n) runs alongside all the others, one after another, so that the
// processor overlaps the two chains.
void pass_twiddles(double* tw, std::ptrdiff_t n) {
  if (n < 4) return;
  const Pass a = pass_constants(2 * n);
  double ar = 1.0, ai = 0.0;
  double* const ao = tw + (n - 4);
  std::ptrdiff_t span = 4, m2 = 0;  // the other chain: complex span, position
  Pass b = pass_constants(2 * span);
  double br = 1.0, bi = 0.0;
  double* bo = tw;
  for (std::ptrdiff_t m = 0; m < n; ++m) {
    if (m & 1) {
      ao[m - 1] = ar;
      ao[m] = ai;
    }
    advance(ar, ai, a.wpr, a.wpi);
    if (span < n) {
      if (m2 & 1) {
        bo[m2 - 1] = br;
        bo[m2] = bi;
      }
      advance(br, bi, b.wpr, b.wpi);
      if (++m2 == span) {
        bo += span;
        span *= 2;
        m2 = 0;
        br = 1.0;
        bi = 0.0;
        if (span < n) b = pass_constants(2 * span);
      }
    }
  }
}

// One radix-2 pass on packed blocks of B complex values at c: partners u and
// u + B/2 with twiddle tw[u] (pairs), t = w f_b, f_b = f_a - t, f_a = f_a + t.
// Kept out of line: inlined into the recursion of passes, GCC makes a slower
// loop of it.
__attribute__((noinline)) void combine_scalar(double* c, std::ptrdiff_t B, const double* tw) {
  const std::ptrdiff_t h = B / 2;
  for (std::ptrdiff_t u = 0; u < h; ++u) {
    double* a = c + 2 * u;
    double* b = c + 2 * (u + h);
    const double wr = tw[2 * u], wi = tw[2 * u + 1];
    const double tr = wr * b[0] - wi * b[1];
    const double ti = wr * b[1] + wi * b[0];
    b[0] = a[0] - tr;
    b[1] = a[1] - ti;
    a[0] += tr;
    a[1] += ti;
  }
}

// The 4-bit reversals of 0 .. 15, for the 16 x 16 tiles of first_passes on
// the vector paths.
constexpr std::ptrdiff_t kReverse4[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};

// The vector passes (fft_passes.inc), built once for each vector path.
#define TFMEX_KERNEL "kernels/trig/fft_passes.inc"
#include "kernels/vector/each_path.inc"

// The builds of fft_passes.inc one call takes on its vector path. The
// AVX-512 path takes AVX2's for the pieces narrower than its vectors (the
// levels h = 2, 4, 8, the reversal tiles, whose positions are four values
// each) and, for the sweeps, wherever the data do not lie within cache lines
// (a wide load across two lines costs more than two narrow ones).
using SweepsFn = void (*)(double*, std::ptrdiff_t, int, int, const double*, std::ptrdiff_t,
                          std::ptrdiff_t);
struct Builds {
  SweepsFn sweeps;         // the path's own width
  SweepsFn narrow_sweeps;  // where the wide ones do not fit
  void (*first3)(double*, std::ptrdiff_t, const double*);
  bool (*tiles)(const double*, double*, int, int, std::ptrdiff_t, std::ptrdiff_t, double, double,
                double, const double*);
  std::ptrdiff_t (*split_rows)(const double*, const double*, double*, std::ptrdiff_t, double,
                               double, double);
};

// The builds of path p (a vector path).
Builds builds_on(vector::Path p) {
#ifdef TFMEX_X86
  if (p == vector::Path::avx512)
    return {avx512::sweeps, avx2::sweeps, avx2::sweep_first3, avx2::tiles, avx512::split_rows};
  return {avx2::sweeps, avx2::sweeps, avx2::sweep_first3, avx2::tiles, avx2::split_rows};
#elif defined(TFMEX_ARM64)
  (void)p;
  return {neon::sweeps, neon::sweeps, neon::sweep_first3, neon::tiles, neon::split_rows};
#else
  (void)p;
  return {};
#endif
}

// Whether this build has a vector path p.
bool vector_on(vector::Path p) {
#if defined(TFMEX_X86) || defined(TFMEX_ARM64)
  return p != vector::Path::portable;
#else
  (void)p;
  return false;
#endif
}

// The packed levels L0 .. top (h = 2^L0 .. 2^top) on count values at c, on
// the builds v, in groups that each read the array once. The levels within
// blocks of 2^(kInner + 1) values (32 KB) finish one such block in sweeps
// over it before the next is read, and those within blocks of 2^(kOuter + 1)
// values (512 KB) likewise. The levels of a later group, from L on, pair
// places that agree modulo 2^L, so they run on kColumns of those classes at
// a time: up to six levels (two sweeps) on 64 runs of kColumns values spaced
// 2^L apart (1 MB), which stay in the cache between the sweeps. Levels 1 .. 3
// take the narrow builds' first levels.
constexpr int kInner = 10, kOuter = 14;
constexpr std::ptrdiff_t kColumns = 1024;

void vector_levels(const Builds& v, double* c, std::ptrdiff_t count, int L0, int top,
                   const double* tw) {
  const SweepsFn sweeps =
      reinterpret_cast<std::uintptr_t>(c) % 64 == 0 ? v.sweeps : v.narrow_sweeps;
  auto group = [&](int from, int to) {
    if (from < L0) from = L0;
    if (to > top) to = top;
    if (from > to) return;
    const std::ptrdiff_t size = std::ptrdiff_t{2} << to, classes = std::ptrdiff_t{1} << from;
    for (std::ptrdiff_t b = 0; b < count; b += size) {
      double* const p = c + 2 * b;
      if (from > kOuter) {
        for (std::ptrdiff_t u = 0; u < classes; u += kColumns)
          sweeps(p, size, from, to, tw, u, u + kColumns);
        continue;
      }
      int L = from;
      if (L == 1 && to >= 3) {
        v.first3(p, size, tw);
        L = 4;
      } else if (L == 1) {
        v.narrow_sweeps(p, size, 1, to, tw, 0, 2);
        L = to + 1;
      }
      if (L <= to) sweeps(p, size, L, to, tw, 0, std::ptrdiff_t{1} << L);
    }
  };
  group(1, kInner);
  group(kInner + 1, kOuter);
  for (int L = kOuter + 1; L <= top; L += 6) group(L, L + 5);
}

// The passes of span 2 .. B/2 (packed) on the block of B packed values at c;
// tw points at the twiddles of the packed span 2 pass, the others follow.
void passes(double* c, std::ptrdiff_t B, const double* tw) {
  if (B <= 2) return;
  passes(c, B / 2, tw);
  passes(c + B, B / 2, tw);
  // Twiddles of this pass: behind those of the spans 2 .. B/4 (B/2 - 2 doubles).
  combine_scalar(c, B, tw + (B - 4));
}

// Reversal and the first two passes of the packed sequence c (4n values)
// from x. After the first pass the odd position 4r + 1 holds (+0, x - 0.0)
// and 4r + 3 holds (+0, +0); the second pass combines them with its twiddle of
// position 1. done(run, len, L) is told of each run of len packed values at
// run as soon as it is finished (while it is still in the cache), L the
// first level (h = 2^L) left to do on it: on the vector paths runs of kRun
// values from n = 2^14 on, else the whole of c at the end. The vector paths'
// tiles do the levels 1 .. 3 too up to n = 2^17, with the twiddles at tw,
// where they can. v is null on the portable path.
constexpr std::ptrdiff_t kRun = 2048;

template <class Done>
void first_passes(const Builds* v, const double* x, double* c, std::ptrdiff_t n, const double* tw,
                  Done done) {
  const detail::C4Start start = detail::trigc4_start();
  const double re_a = start.re_a, re_b = start.re_b, ti = start.ti;
  const int J = log2_of(n);
  if (v != nullptr && J >= 8) {
    // In 16 x 16 tiles of r and its reversal: r splits as (high 4 bits a,
    // middle m, low 4 bits b) and its reversal as (rev b, rev m, rev a), so a
    // tile (one m) reads x in 16 runs of 16 consecutive values and writes c
    // in 16 runs of 16 positions. The tiles of a chunk of consecutive m
    // (kRun / 32 of them, or all) make 16 runs of consecutive r, one for each
    // a, done when the chunk is written. The tiles do the levels 1 .. 3 while
    // x lies in the outer caches (up to 2^17 values, 1 MB); beyond, its reads
    // miss them, and the tiles alone keep more of those misses in flight.
    const int mid = J - 8, high = J - 4;
    const std::ptrdiff_t mids = std::ptrdiff_t{1} << mid;
    const std::ptrdiff_t chunk = mids < kRun / 32 ? mids : kRun / 32;
    const double* const levels_tw = J <= 17 ? tw : nullptr;
    int done_to = 1;
    for (std::ptrdiff_t m0 = 0; m0 < mids; m0 += chunk) {
      done_to = v->tiles(x, c, mid, high, m0, m0 + chunk, re_a, re_b, ti, levels_tw) ? 4 : 1;
      if (chunk == kRun / 32)
        for (std::ptrdiff_t a = 0; a < 16; ++a)
          done(c + 4 * ((a << high) | (m0 << 4)), kRun, done_to);
    }
    if (chunk < kRun / 32) done(c, 2 * n, done_to);
    return;
  }
  // Position r takes x at the reversal of r; the positions are visited in any
  // order, each once.
  auto put = [&](std::ptrdiff_t r, std::ptrdiff_t rev) {
    const double a = x[rev] - 0.0;
    c[4 * r] = re_a;
    c[4 * r + 1] = a + ti;
    c[4 * r + 2] = re_b;
    c[4 * r + 3] = a - ti;
  };
  if (J < 6) {
    std::ptrdiff_t rev = 0;
    for (std::ptrdiff_t r = 0; r < n; ++r) {
      put(r, rev);
      rev = detail::next_reversed(rev, n);
    }
    done(c, 2 * n, 1);
    return;
  }
  // From 64 values on, in 8 x 8 tiles of r and its reversal, which keep the
  // reads of x in 8 cache lines a tile instead of one line a value.
  const int mid = J - 6, high = J - 3;
  for (std::ptrdiff_t m = 0; m < (std::ptrdiff_t{1} << mid); ++m) {
    const std::ptrdiff_t rm =
        static_cast<std::ptrdiff_t>(detail::reverse_bits(static_cast<unsigned>(m), mid));
    for (std::ptrdiff_t a = 0; a < 8; ++a)
      for (std::ptrdiff_t b = 0; b < 8; ++b)
        put((a << high) | (m << 3) | b,
            (detail::kReverse3[b] << high) | (rm << 3) | detail::kReverse3[a]);
  }
  done(c, 2 * n, 1);
}

// The reversal, the first two passes and the packed passes of span
// 2 .. 2^top (0 <= top <= log2 n) on the 2n values of c. On the vector paths
// the levels within the first blocks run on each run of the reversal as it
// is written.
void reversal_and_passes(const Builds* v, const double* x, double* c, std::ptrdiff_t n, int top,
                         const double* tw) {
  const auto nothing = [](double*, std::ptrdiff_t, int) {};
  if (top < 1) {
    first_passes(v, x, c, n, tw, nothing);
    return;
  }
  if (v != nullptr) {
    const int inner = top < kInner ? top : kInner;
    const std::ptrdiff_t size = std::ptrdiff_t{2} << inner;
    first_passes(v, x, c, n, tw, [&](double* run, std::ptrdiff_t len, int from) {
      for (std::ptrdiff_t b = 0; b < len; b += size)
        vector_levels(*v, run + 2 * b, size, from, inner, tw);
    });
    vector_levels(*v, c, 2 * n, inner + 1, top, tw);
    return;
  }
  first_passes(v, x, c, n, tw, nothing);
  const std::ptrdiff_t size = std::ptrdiff_t{2} << top;
  for (std::ptrdiff_t b = 0; b < 2 * n; b += size) passes(c + 2 * b, size, tw);
}

// The realft split at i = 2j + 1 against its mirror 4n - i (packed 2n - 1 - j),
// real part only: out[j] = sqrt(2/n) Re F_{2j+1}.
void split_out(const Builds* v, const double* c, const double* split, double* out,
               std::ptrdiff_t n) {
  const double c1 = 0.5, c2 = -0.5;
  const double scale = std::sqrt(2.0 / n);
  std::ptrdiff_t j = 0;
  if (v != nullptr) j = v->split_rows(c, split, out, n, c1, c2, scale);
  for (; j < n; ++j) {
    const double* p = c + 2 * j;
    const double* q = c + 2 * (2 * n - 1 - j);
    const double wr = split[2 * j], wi = split[2 * j + 1];
    const double h1r = c1 * (p[0] + q[0]);
    const double h2r = -c2 * (p[1] + q[1]);
    const double h2i = c2 * (p[0] - q[0]);
    out[j] = scale * (h1r + wr * h2r - wi * h2i);
  }
}

// Offsets in the tables of trigc4_tables: the pass twiddles, then the odd
// twiddles of the last pass, then those of the split.
std::ptrdiff_t last_at(std::ptrdiff_t n) { return n >= 2 ? 2 * n - 4 : 0; }
std::ptrdiff_t split_at(std::ptrdiff_t n) { return last_at(n) + (n >= 2 ? 2 * n : 0); }

}  // namespace

namespace detail {

// The first pass leaves (+0, x - 0.0) at odd positions and (+0, +0) at the
// others, which the second pass meets with its twiddle of position 1.
// They depend on nothing, so they are made once.
C4Start trigc4_start() {
  static const C4Start start = [] {
    const Pass p2 = pass_constants(4);
    double w1r = 1.0, w1i = 0.0;
    advance(w1r, w1i, p2.wpr, p2.wpi);
    const double zero = 0.0;
    const double tr = w1r * zero - w1i * zero;
    const double ti = w1r * zero + w1i * zero;
    return C4Start{zero + tr, zero - tr, ti};
  }();
  return start;
}

std::ptrdiff_t trigc4_split_at(std::ptrdiff_t n) { return split_at(n); }

}  // namespace detail

void trigc4(const double* x, double* out, double* work, int n_) {
  const std::ptrdiff_t n = n_;
  double* const c = work;                               // 2n packed complex values
  double* const tw = work + 4 * n;                      // spans 2 .. n/2 packed: 2n - 4 doubles
  double* const split = tw + (n >= 2 ? 2 * n - 4 : 0);  // realft twiddles at odd i: 2n doubles
  const vector::Path path = vector::path();
  const Builds builds = builds_on(path);
  const Builds* const v = vector_on(path) ? &builds : nullptr;
  pass_twiddles(tw, n);

  reversal_and_passes(v, x, c, n, log2_of(n) - 1, tw);

  // The last pass (span n packed) with its recurrence run alongside.
  if (n >= 2) {
    const Pass p = pass_constants(4 * n);
    double wr = 1.0, wi = 0.0;
    Split sp = split_constants(n);
    for (std::ptrdiff_t m = 0; m < 2 * n; ++m) {
      if (m & 1) {
        double* a = c + (m - 1);
        double* b = a + 2 * n;
        const double tr = wr * b[0] - wi * b[1];
        const double ti = wr * b[1] + wi * b[0];
        b[0] = a[0] - tr;
        b[1] = a[1] - ti;
        a[0] += tr;
        a[1] += ti;
      } else if (m < 2 * n - 1) {
        split[m] = sp.wr;  // i = m + 1
        split[m + 1] = sp.wi;
      }
      advance(wr, wi, p.wpr, p.wpi);
      advance(sp.wr, sp.wi, sp.wpr, sp.wpi);
    }
  } else {
    const Split sp = split_constants(n);
    split[0] = sp.wr;
    split[1] = sp.wi;
  }

  split_out(v, c, split, out, n);
}

void trigc4_tables(double* tables, int n_) {
  const std::ptrdiff_t n = n_;
  pass_twiddles(tables, n);
  double* const last = tables + last_at(n);
  double* const split = tables + split_at(n);
  if (n < 2) {
    const Split sp = split_constants(n);
    split[0] = sp.wr;
    split[1] = sp.wi;
    return;
  }
  // The two recurrences of the last loop of trigc4, kept instead of used.
  const Pass p = pass_constants(4 * n);
  double wr = 1.0, wi = 0.0;
  Split sp = split_constants(n);
  for (std::ptrdiff_t m = 0; m < 2 * n; ++m) {
    if (m & 1) {
      last[m - 1] = wr;
      last[m] = wi;
    } else if (m < 2 * n - 1) {
      split[m] = sp.wr;
      split[m + 1] = sp.wi;
    }
    advance(wr, wi, p.wpr, p.wpi);
    advance(sp.wr, sp.wi, sp.wpr, sp.wpi);
  }
}

void trigc4_tabled(const double* x, double* out, double* work, const double* tables, int n_) {
  const std::ptrdiff_t n = n_;
  double* const c = work;
  // The last pass (packed partners u and u + n, twiddle of odd position
  // 2u + 1) has its twiddles at last_at(n) = 2n - 4, where the pass after
  // span n/2 would have them, so it runs as one more level of the others.
  const vector::Path path = vector::path();
  const Builds builds = builds_on(path);
  const Builds* const v = vector_on(path) ? &builds : nullptr;
  reversal_and_passes(v, x, c, n, log2_of(n), tables);
  split_out(v, c, tables + split_at(n), out, n);
}

const double* shared_trigc4_tables(int n, double* room, SharedTable* holder) {
  *holder = shared_table(trigc4_tables, n, trigc4_table_size(n));
  if (*holder) return (*holder)->data();
  trigc4_tables(room, n);
  return room;
}

}  // namespace tfmex::trig
