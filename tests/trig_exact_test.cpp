// The optimised trigonometric kernels against plain transcriptions of their
// algorithms (trig_reference.h), bit for bit, on every vector path and on the
// portable path: random signals of every length up to 2^16 (and the type-IV
// cosine's vector paths against its portable one up to 2^20), signals with signed zeros,
// huge, tiny and subnormal values, infinities and NaNs, and tables built once
// and read by one call after another.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

#include "kernel_paths.h"
#include "kernels/trig/trig.h"
#include "support.h"
#include "trig_reference.h"

namespace tfmex::test {
namespace {

namespace tk = tfmex::trig;

constexpr int kMaxJ = 16;

// Equal bits, signed zeros and infinities included. The one exception is the
// sign and payload of a NaN: where two NaNs meet, the processor keeps the
// first operand's, and a compiler may swap the operands of an addition or
// multiplication, so even one source compiled twice may differ there. A NaN
// must stand where the transcription has one.
bool same_value(double a, double b) {
  return std::memcmp(&a, &b, sizeof(double)) == 0 || (std::isnan(a) && std::isnan(b));
}

bool same_bits(const std::vector<double>& a, const std::vector<double>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!same_value(a[i], b[i])) return false;
  return true;
}

// First index at which the two differ, for the failure message.
std::string first_difference(const std::vector<double>& got, const std::vector<double>& want) {
  for (std::size_t i = 0; i < got.size() && i < want.size(); ++i)
    if (!same_value(got[i], want[i]))
      return "at " + std::to_string(i) + ": " + std::to_string(got[i]) + " vs " +
             std::to_string(want[i]);
  return "sizes " + std::to_string(got.size()) + " vs " + std::to_string(want.size());
}

#define EXPECT_SAME_BITS(got, want, what) \
  EXPECT_TRUE(same_bits(got, want)) << (what) << " differs " << first_difference(got, want)

// Inputs of several kinds; kind 0 is plain noise, the others mix in values
// where a reordered or skipped operation would show.
std::vector<double> signal(std::size_t n, int kind, unsigned seed) {
  std::vector<double> x = random_vector(n, seed);
  std::mt19937 rng(seed * 31 + kind);
  std::uniform_int_distribution<std::size_t> at(0, n - 1);
  const double inf = std::numeric_limits<double>::infinity();
  const double specials[] = {0.0,    -0.0,      1e300,   -1e300, DBL_MAX / 3,
                             1e-310, -4.9e-324, DBL_MIN, 1e-300, 3.0};
  switch (kind) {
    case 1:  // sprinkled special finite values
      for (std::size_t k = 0; k < n / 3 + 1; ++k) x[at(rng)] = specials[rng() % 10];
      break;
    case 2:  // mostly signed zeros
      for (std::size_t i = 0; i < n; ++i) x[i] = (rng() % 4 == 0) ? x[i] : ((i & 1) ? -0.0 : 0.0);
      break;
    case 3:  // a few infinities and NaNs among noise
      x[at(rng)] = inf;
      x[at(rng)] = -inf;
      x[at(rng)] = std::nan("");
      break;
    case 4:  // all tiny: results deep in the subnormal range
      for (double& v : x) v *= 1e-306;
      break;
    default: break;
  }
  return x;
}

constexpr int kKinds = 5;

// Runs the test body on the portable path, the AVX2 path and the AVX-512
// path, each where the processor has it, restoring the setting afterwards.
template <class F>
void on_both_paths(F body) {
  for (const auto path : tfmex::test::every_path()) {
    tfmex::test::PathGuard guard(path);
    SCOPED_TRACE(std::string(tfmex::vector::path_name(path)) + " path");
    body();
  }
}

TEST(TrigExact, HartleyMatchesStageByStageTransform) {
  on_both_paths([] {
    for (int J = 0; J <= kMaxJ; ++J) {
      const std::size_t n = std::size_t{1} << J;
      for (int kind = 0; kind < kKinds; ++kind) {
        SCOPED_TRACE("n=" + std::to_string(n) + " kind=" + std::to_string(kind));
        const auto x = signal(n, kind, 100 + J);
        auto got = x, want = x;
        const int len = static_cast<int>(n);
        std::vector<double> table(tk::hartley_table_size(len) + 1, 0.0), ww(n / 2 + 8, 0.0);
        tk::hartley_table(table.data(), len);
        tk::hartley(got.data(), J, table.data());
        ref::hartley(want.data(), J, ww.data());
        EXPECT_SAME_BITS(got, want, "hartley");
        // The transcription's table, but for its first value (its length mark).
        if (n >= 8) {
          const std::vector<double> tg(table.begin() + 1, table.end() - 1),
              tw(ww.begin() + 1, ww.begin() + static_cast<std::ptrdiff_t>(tg.size()) + 1);
          EXPECT_SAME_BITS(tg, tw, "table");
        }
        // Again on the same table.
        tk::hartley(got.data(), J, table.data());
        ref::hartley(want.data(), J, ww.data());
        EXPECT_SAME_BITS(got, want, "hartley, the table again");
      }
    }
  });
}

TEST(TrigExact, CosineAndSineKernelsMatchTranscriptions) {
  using K = void (*)(double*, double*, int, const double*);
  using R = void (*)(double*, double*, int, double*);
  const struct {
    const char* name;
    K fast;
    R plain;
  } kernels[] = {{"dct", tk::dct, ref::dct},
                 {"idct", tk::idct, ref::idct},
                 {"dst", tk::dst, ref::dst},
                 {"idst", tk::idst, ref::idst}};
  on_both_paths([&] {
    for (int J = 0; J <= kMaxJ; ++J) {
      const std::size_t n = std::size_t{1} << J;
      for (int kind = 0; kind < kKinds; ++kind) {
        const auto x = signal(n, kind, 200 + J);
        for (const auto& k : kernels) {
          SCOPED_TRACE(std::string(k.name) + " n=" + std::to_string(n) +
                       " kind=" + std::to_string(kind));
          // Signal and scratch in one block, the tables apart; the
          // transcription keeps its tables in its 2n-value workspace.
          const int len = static_cast<int>(n);
          std::vector<double> got(2 * n, 0.0), want(4 * n, 0.0);
          std::vector<double> tables(tk::cosine_table_size(len) + 1, 0.0);
          tk::cosine_tables(tables.data(), len);
          std::copy(x.begin(), x.end(), got.begin());
          std::copy(x.begin(), x.end(), want.begin());
          k.fast(got.data(), got.data() + n, J, tables.data());
          k.plain(want.data(), want.data() + n, J, want.data() + 2 * n);
          const std::vector<double> rg(got.begin(), got.begin() + n),
              rw(want.begin(), want.begin() + n);
          EXPECT_SAME_BITS(rg, rw, "result");
          // The rotation table, and the Hartley table but for the
          // transcription's length mark.
          if (n >= 2) {
            const std::vector<double> tg(tables.begin() + n / 2, tables.begin() + 3 * n / 2),
                tw(want.begin() + 2 * n + n / 2, want.begin() + 2 * n + 3 * n / 2);
            EXPECT_SAME_BITS(tg, tw, "rotation table");
          }
          if (n >= 8) {
            const std::vector<double> hg(tables.begin() + 1, tables.begin() + n / 2 - 3),
                hw(want.begin() + 2 * n + 1, want.begin() + 2 * n + n / 2 - 3);
            EXPECT_SAME_BITS(hg, hw, "Hartley table");
          }
          // A second call on the same tables.
          std::copy(x.begin(), x.end(), got.begin());
          std::copy(x.begin(), x.end(), want.begin());
          k.fast(got.data(), got.data() + n, J, tables.data());
          k.plain(want.data(), want.data() + n, J, want.data() + 2 * n);
          const std::vector<double> sg(got.begin(), got.begin() + n),
              sw(want.begin(), want.begin() + n);
          EXPECT_SAME_BITS(sg, sw, "result, the tables again");
        }
      }
    }
  });
}

// The plug-ins run the widest path the processor has: their results against
// the transcriptions at every dyadic length up to 4096 and a few beyond, where
// the vector loops switch from gathered to copied twiddles and back.
TEST(TrigExact, TypeTwoAndThreePlugInsMatchTranscriptions) {
  using K = void (*)(double*, double*, int, double*);
  const struct {
    const char* name;
    K plain;
  } plugins[] = {
      {"TrigC2", ref::dct}, {"TrigC3", ref::idct}, {"TrigS2", ref::dst}, {"TrigS3", ref::idst}};
  for (int J : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14, 17, 20}) {
    const std::size_t n = std::size_t{1} << J;
    const auto x = signal(n, J % kKinds, 500 + J);
    for (const auto& p : plugins) {
      SCOPED_TRACE(std::string(p.name) + " n=" + std::to_string(n));
      std::vector<double> want(4 * n, 0.0);
      std::copy(x.begin(), x.end(), want.begin());
      p.plain(want.data(), want.data() + n, J, want.data() + 2 * n);
      want.resize(n);
      EXPECT_SAME_BITS(run(p.name, {Array::column(x)}).values(), want, "result");
    }
  }
}

TEST(TrigExact, Four1AndRealftMatchTranscriptions) {
  on_both_paths([] {
    for (int J = 0; J <= kMaxJ; ++J) {
      const int nn = 1 << J;
      for (int kind = 0; kind < kKinds; ++kind) {
        SCOPED_TRACE("nn=" + std::to_string(nn) + " kind=" + std::to_string(kind));
        const auto f = signal(2 * static_cast<std::size_t>(nn), kind, 300 + J);
        for (int isign : {1, -1}) {
          auto got = f, want = f;
          tk::four1(got.data(), nn, isign);
          ref::four1(want.data(), nn, isign);
          EXPECT_SAME_BITS(got, want, "four1 isign " + std::to_string(isign));
        }
        if (2 * nn >= 4) {
          auto got = f, want = f;
          tk::realft(got.data(), 2 * nn, 1);
          ref::realft(want.data(), 2 * nn, 1);
          EXPECT_SAME_BITS(got, want, "realft");
        }
      }
    }
  });
}

TEST(TrigExact, TypeFourCosineMatchesTheFullEmbedding) {
  on_both_paths([] {
    for (int J = 0; J <= kMaxJ; ++J) {
      const std::size_t n = std::size_t{1} << J;
      for (int kind = 0; kind < kKinds; ++kind) {
        SCOPED_TRACE("n=" + std::to_string(n) + " kind=" + std::to_string(kind));
        const auto x = signal(n, kind, 400 + J);
        std::vector<double> got(n, -1.0), want(n), wg(8 * n, 5.0), ww(8 * n);
        tk::trigc4(x.data(), got.data(), wg.data(), static_cast<int>(n));
        ref::trigc4(x.data(), want.data(), ww.data(), static_cast<int>(n));
        EXPECT_SAME_BITS(got, want, "trigc4");
        // In place, as the cosine packet kernels may call it.
        auto inplace = x;
        tk::trigc4(inplace.data(), inplace.data(), wg.data(), static_cast<int>(n));
        EXPECT_SAME_BITS(inplace, want, "trigc4 in place");
        // In two steps, the tables kept over a second signal and in place.
        std::vector<double> tables(6 * n, 5.0), work(4 * n, 5.0), twice(n, -1.0);
        tk::trigc4_tables(tables.data(), static_cast<int>(n));
        tk::trigc4_tabled(x.data(), twice.data(), work.data(), tables.data(), static_cast<int>(n));
        EXPECT_SAME_BITS(twice, want, "trigc4_tabled");
        const auto other = signal(n, (kind + 1) % kKinds, 500 + J);
        std::vector<double> other_want(n);
        ref::trigc4(other.data(), other_want.data(), ww.data(), static_cast<int>(n));
        twice = other;
        tk::trigc4_tabled(twice.data(), twice.data(), work.data(), tables.data(),
                          static_cast<int>(n));
        EXPECT_SAME_BITS(twice, other_want, "trigc4_tabled again, in place");
      }
    }
  });
}

TEST(TrigExact, AlignedScratchStaysInsideItsWorkspace) {
  // A workspace of exactly 8n values at each offset from a 32-byte boundary,
  // fenced by sentinels: trigc4 from trigc4_scratch, and the tabled form for
  // the blocks of half the length with its tables behind, write nothing
  // outside it and give the doubles of trigc4.
  for (int J = 0; J <= 12; ++J) {
    const int n = 1 << J;
    const auto x = signal(n, 0, 700 + J);
    std::vector<double> want(n), ww(8 * n);
    tk::trigc4(x.data(), want.data(), ww.data(), n);
    for (int offset = 0; offset < 4; ++offset) {
      SCOPED_TRACE("n=" + std::to_string(n) + " offset=" + std::to_string(offset));
      std::vector<double> buffer(8 * n + 16, 7.0);
      auto* first = reinterpret_cast<double*>(
          (reinterpret_cast<std::uintptr_t>(buffer.data()) + 31) / 32 * 32);
      double* work = first + offset;
      std::fill(buffer.begin(), buffer.end(), 7.0);
      double* scratch = tk::trigc4_scratch(work, n);
      if (n >= 2) {
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(scratch) % 32, 0u);
      } else {
        EXPECT_EQ(scratch, work);
      }
      std::vector<double> got(n);
      tk::trigc4(x.data(), got.data(), scratch, n);
      EXPECT_SAME_BITS(got, want, "trigc4 from the aligned scratch");
      if (n >= 2) {
        const int f = n / 2;
        tk::trigc4_tables(scratch + 4 * f, f);
        tk::trigc4_tabled(x.data(), got.data(), scratch, scratch + 4 * f, f);
        std::vector<double> half(f), wh(8 * f);
        tk::trigc4(x.data(), half.data(), wh.data(), f);
        got.resize(f);
        EXPECT_SAME_BITS(got, half, "trigc4_tabled from the aligned scratch");
      }
      for (double* p = buffer.data(); p < work; ++p) EXPECT_EQ(*p, 7.0);
      for (double* p = work + 8 * n; p < buffer.data() + buffer.size(); ++p) EXPECT_EQ(*p, 7.0);
    }
  }
}

TEST(TrigExact, TypeFourCosineVectorPassesAgreeBeyondTheTranscriptionLengths) {
  // The vector paths run the reversal with the passes of the first 32 KB
  // blocks from n = 2^14 on, and sweep three levels at once over the whole
  // array from 2^17 on; here each path, in both forms, against the portable
  // path (itself held to the transcription above up to 2^16), on a
  // workspace of exactly the size the form needs, on a 64-byte boundary (the
  // AVX-512 sweeps) and one value past it (AVX2 sweeps on either vector
  // path), fenced by sentinels.
  for (int J : {13, 14, 17, 18, 20}) {
    const int n = 1 << J;
    const auto N = static_cast<std::size_t>(n);
    std::vector<double> tables(tk::trigc4_table_size(n));
    tk::trigc4_tables(tables.data(), n);
    for (int kind : {0, 3}) {
      const auto x = signal(N, kind, 800 + J);
      std::vector<double> want(N), ww(8 * N);
      {
        PathGuard portable(KernelPath::portable);
        tk::trigc4(x.data(), want.data(), ww.data(), n);
      }
      for (const auto path : every_path()) {
        PathGuard guard(path);
        SCOPED_TRACE(std::string(tfmex::vector::path_name(path)) + " path, n=" + std::to_string(n) +
                     " kind=" + std::to_string(kind));
        for (const bool tabled : {false, true}) {
          for (const int offset : {0, 1}) {
            SCOPED_TRACE(offset ? "off a 64-byte boundary" : "on a 64-byte boundary");
            const std::size_t size = (tabled ? 4 : 8) * N;
            std::vector<double> buffer(size + 32, 7.0);
            auto* work = reinterpret_cast<double*>(
                             (reinterpret_cast<std::uintptr_t>(buffer.data()) + 63) / 64 * 64) +
                         offset;
            std::vector<double> got(N, -1.0);
            if (tabled) {
              tk::trigc4_tabled(x.data(), got.data(), work, tables.data(), n);
            } else {
              tk::trigc4(x.data(), got.data(), work, n);
            }
            EXPECT_SAME_BITS(got, want, tabled ? "trigc4_tabled" : "trigc4");
            std::size_t outside = 0;
            for (double* p = buffer.data(); p < work; ++p) outside += *p != 7.0;
            for (double* p = work + size; p < buffer.data() + buffer.size(); ++p)
              outside += *p != 7.0;
            EXPECT_EQ(outside, 0u) << "values written outside the workspace";
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace tfmex::test
