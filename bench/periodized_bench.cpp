// Periodized filter kernels: one analysis and one synthesis stage per
// iteration, and the multilevel plug-ins through the embedded host.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "host/embedded/host.h"
#include "kernels/periodized/periodized.h"

namespace {

namespace pk = tfmex::periodized;

std::vector<double> noise(std::size_t n) {
  std::mt19937_64 rng(42);
  std::normal_distribution<double> d;
  std::vector<double> v(n);
  for (double& x : v) x = d(rng);
  return v;
}

void BM_downlo_downhi(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0)), m = static_cast<int>(state.range(1));
  const auto x = noise(n), h = noise(m);
  std::vector<double> a(n / 2), d(n / 2);
  for (auto _ : state) {
    pk::downlo(x.data(), n, h.data(), m, a.data());
    pk::downhi(x.data(), n, h.data(), m, d.data());
    benchmark::DoNotOptimize(a.data());
    benchmark::DoNotOptimize(d.data());
  }
  state.counters["ns/sample"] = benchmark::Counter(
      static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["madd/s"] = benchmark::Counter(static_cast<double>(n) * m,
                                                benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_downlo_downhi)->ArgsProduct({{1 << 10, 1 << 14, 1 << 17, 1 << 20}, {2, 4, 8, 20}});

void BM_uplo_uphi(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0)), m = static_cast<int>(state.range(1));
  const auto a = noise(n / 2), h = noise(m);
  std::vector<double> y1(n), y2(n);
  for (auto _ : state) {
    pk::uplo(a.data(), n / 2, h.data(), m, y1.data());
    pk::uphi(a.data(), n / 2, h.data(), m, y2.data());
    benchmark::DoNotOptimize(y1.data());
    benchmark::DoNotOptimize(y2.data());
  }
  state.counters["ns/sample"] = benchmark::Counter(
      static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["madd/s"] = benchmark::Counter(static_cast<double>(n) * m,
                                                benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_uplo_uphi)->ArgsProduct({{1 << 10, 1 << 14, 1 << 17, 1 << 20}, {2, 4, 8, 20}});

void BM_CircSplit_gateway(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  static const auto plugin = tfmex::host::Plugin::load("CircSplit", TFMEX_BENCH_MEX_DIR);
  const auto x = tfmex::host::Array::column(noise(n));
  const auto L = tfmex::host::Array::scalar(0);
  const auto h = tfmex::host::Array::row(noise(static_cast<std::size_t>(state.range(1))));
  for (auto _ : state) benchmark::DoNotOptimize(plugin.call({&x, &L, &h}));
  state.counters["ns/sample"] = benchmark::Counter(
      static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CircSplit_gateway)->ArgsProduct({{8, 1 << 10, 1 << 14, 1 << 17, 1 << 20}, {4, 20}});

}  // namespace
