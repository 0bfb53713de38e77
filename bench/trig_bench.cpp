// Trigonometric kernels with their tables built afresh for every call, and
// with the tables built once and read by every call, as the library reads
// them from its table cache.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "kernels/periodized/periodized.h"
#include "kernels/trig/trig.h"
#include "kernels/vector/vector.h"

namespace {

namespace tk = tfmex::trig;

std::vector<double> noise(std::size_t n) {
  std::mt19937_64 rng(7);
  std::normal_distribution<double> d;
  std::vector<double> v(n);
  for (double& x : v) x = d(rng);
  return v;
}

void per_sample(benchmark::State& state, std::size_t n) {
  state.counters["ns/sample"] =
      benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
}

int log2_of(std::size_t n) {
  int J = 0;
  while ((std::size_t{1} << J) < n) ++J;
  return J;
}

// The signal and the Hartley scratch in one 2n workspace, the tables apart;
// with `fresh`, the tables are built before each call.
template <void (*K)(double*, double*, int, const double*)>
void BM_type23(benchmark::State& state, bool fresh) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const int J = log2_of(n);
  const auto x = noise(n);
  std::vector<double> ws(2 * n, 0.0), tables(tk::cosine_table_size(static_cast<int>(n)) + 1);
  tk::cosine_tables(tables.data(), static_cast<int>(n));
  for (auto _ : state) {
    tfmex::periodized::copydouble(x.data(), ws.data(), static_cast<int>(n));
    if (fresh) tk::cosine_tables(tables.data(), static_cast<int>(n));
    K(ws.data(), ws.data() + n, J, tables.data());
    benchmark::DoNotOptimize(ws.data());
  }
  per_sample(state, n);
}

void BM_TrigC2_dct(benchmark::State& s) { BM_type23<tk::dct>(s, true); }
void BM_TrigC3_idct(benchmark::State& s) { BM_type23<tk::idct>(s, true); }
void BM_TrigS2_dst(benchmark::State& s) { BM_type23<tk::dst>(s, true); }
void BM_TrigS3_idst(benchmark::State& s) { BM_type23<tk::idst>(s, true); }
void BM_dct_kept_tables(benchmark::State& s) { BM_type23<tk::dct>(s, false); }

void BM_TrigC4_trigc4(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto x = noise(n);
  std::vector<double> out(n), work(8 * n);
  for (auto _ : state) {
    tk::trigc4(x.data(), out.data(), work.data(), static_cast<int>(n));
    benchmark::DoNotOptimize(out.data());
  }
  per_sample(state, n);
}

void BM_hartley_kept_table(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const int J = log2_of(n);
  const auto x = noise(n);
  std::vector<double> y(n), table(tk::hartley_table_size(static_cast<int>(n)) + 1, 0.0);
  tk::hartley_table(table.data(), static_cast<int>(n));
  for (auto _ : state) {
    tfmex::periodized::copydouble(x.data(), y.data(), static_cast<int>(n));
    tk::hartley(y.data(), J, table.data());
    benchmark::DoNotOptimize(y.data());
  }
  per_sample(state, n);
}

// The same two kernels with the vector loops switched off, and Hartley held to
// its AVX2 loops (identical results).
void BM_hartley_portable(benchmark::State& state) {
  const auto before = tfmex::vector::limit_path(tfmex::vector::Path::portable);
  BM_hartley_kept_table(state);
  tfmex::vector::limit_path(before);
}

void BM_hartley_avx2(benchmark::State& state) {
  const auto before = tfmex::vector::limit_path(tfmex::vector::Path::avx2);
  BM_hartley_kept_table(state);
  tfmex::vector::limit_path(before);
}

void BM_TrigC4_portable(benchmark::State& state) {
  const auto before = tfmex::vector::limit_path(tfmex::vector::Path::portable);
  BM_TrigC4_trigc4(state);
  tfmex::vector::limit_path(before);
}

#define TRIG_SIZES ->Arg(1 << 10)->Arg(1 << 14)->Arg(1 << 17)->Arg(1 << 20)
BENCHMARK(BM_TrigC2_dct) TRIG_SIZES;
BENCHMARK(BM_TrigC3_idct) TRIG_SIZES;
BENCHMARK(BM_TrigS2_dst) TRIG_SIZES;
BENCHMARK(BM_TrigS3_idst) TRIG_SIZES;
BENCHMARK(BM_TrigC4_trigc4) TRIG_SIZES;
BENCHMARK(BM_dct_kept_tables) TRIG_SIZES;
BENCHMARK(BM_hartley_kept_table) TRIG_SIZES;
BENCHMARK(BM_hartley_portable) TRIG_SIZES;
BENCHMARK(BM_hartley_avx2) TRIG_SIZES;
BENCHMARK(BM_TrigC4_portable) TRIG_SIZES;

}  // namespace
