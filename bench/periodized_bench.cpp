// Periodized filter kernels: one analysis and one synthesis stage per
// iteration; the third argument 1 forces the portable path instead of the
// widest vector one.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "kernels/periodized/periodized.h"
#include "kernels/vector/vector.h"

namespace {

namespace pk = tfmex::periodized;

std::vector<double> noise(std::size_t n) {
  std::mt19937_64 rng(42);
  std::normal_distribution<double> d;
  std::vector<double> v(n);
  for (double& x : v) x = d(rng);
  return v;
}

// ns per input sample and multiply-adds per second of one stage on n samples.
void set_counters(benchmark::State& state, int n, int m) {
  state.counters["ns/sample"] =
      benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
  state.counters["madd/s"] =
      benchmark::Counter(static_cast<double>(n) * m, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_downlo_downhi(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0)), m = static_cast<int>(state.range(1));
  const auto before = tfmex::vector::limit_path(state.range(2) != 0 ? tfmex::vector::Path::portable
                                                                    : tfmex::vector::Path::avx512);
  const auto x = noise(n), h = noise(m);
  std::vector<double> a(n / 2), d(n / 2);
  for (auto _ : state) {
    pk::downlo(x.data(), n, h.data(), m, a.data());
    pk::downhi(x.data(), n, h.data(), m, d.data());
    benchmark::DoNotOptimize(a.data());
    benchmark::DoNotOptimize(d.data());
  }
  tfmex::vector::limit_path(before);
  set_counters(state, n, m);
}
BENCHMARK(BM_downlo_downhi)
    ->ArgsProduct({{1 << 10, 1 << 14, 1 << 17, 1 << 20}, {2, 4, 8, 20}, {0, 1}});

// Both halves at once (the multilevel analysis path), on the widest path.
void BM_downboth(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0)), m = static_cast<int>(state.range(1));
  const auto before = tfmex::vector::limit_path(state.range(2) != 0 ? tfmex::vector::Path::portable
                                                                    : tfmex::vector::Path::avx512);
  const auto x = noise(n), h = noise(m), g = noise(m);
  std::vector<double> a(n / 2), d(n / 2);
  for (auto _ : state) {
    pk::downboth(x.data(), n, h.data(), g.data(), m, a.data(), d.data());
    benchmark::DoNotOptimize(a.data());
    benchmark::DoNotOptimize(d.data());
  }
  tfmex::vector::limit_path(before);
  set_counters(state, n, m);
}
BENCHMARK(BM_downboth)->ArgsProduct({{1 << 10, 1 << 14, 1 << 17, 1 << 20}, {2, 4, 8, 20}, {0}});

void BM_uplo_uphi(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0)), m = static_cast<int>(state.range(1));
  const auto before = tfmex::vector::limit_path(state.range(2) != 0 ? tfmex::vector::Path::portable
                                                                    : tfmex::vector::Path::avx512);
  const auto a = noise(n / 2), h = noise(m);
  std::vector<double> y1(n), y2(n);
  for (auto _ : state) {
    pk::uplo(a.data(), n / 2, h.data(), m, y1.data());
    pk::uphi(a.data(), n / 2, h.data(), m, y2.data());
    benchmark::DoNotOptimize(y1.data());
    benchmark::DoNotOptimize(y2.data());
  }
  tfmex::vector::limit_path(before);
  set_counters(state, n, m);
}
BENCHMARK(BM_uplo_uphi)->ArgsProduct({{1 << 10, 1 << 14, 1 << 17, 1 << 20}, {2, 4, 8, 20}, {0, 1}});

}  // namespace
