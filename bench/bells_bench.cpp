// The cosine packet plug-ins through the embedded host: BellSplit (bellsplit)
// and BellJoin (cpsynthesis) for n = 2^10 .. 2^20 at depths 0, J/2 and J.
// Each level costs a set of type-IV cosine transforms whose lengths sum to n,
// so the time per sample grows with D + 1; the largest runs take one or a few
// iterations.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "host/embedded/host.h"

namespace {

using tfmex::host::Array;
using tfmex::host::Plugin;

std::vector<double> noise(std::size_t n) {
  std::mt19937_64 rng(11);
  std::normal_distribution<double> d;
  std::vector<double> v(n);
  for (double& x : v) x = d(rng);
  return v;
}

const Plugin& plugin(const char* name) {
  static const Plugin split = Plugin::load("BellSplit", TFMEX_BENCH_MEX_DIR);
  static const Plugin join = Plugin::load("BellJoin", TFMEX_BENCH_MEX_DIR);
  return name[4] == 'S' ? split : join;
}

void per_sample(benchmark::State& state, std::size_t n) {
  state.counters["ns/sample"] = benchmark::Counter(
      static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_BellSplit(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const Array x = Array::row(noise(n)), D = Array::scalar(static_cast<double>(state.range(1)));
  const Array bell = Array::scalar(0);
  for (auto _ : state) {
    auto r = plugin("BellSplit").call({&x, &D, &bell});
    if (!r.ok) state.SkipWithError(r.message.c_str());
    benchmark::DoNotOptimize(r);
  }
  per_sample(state, n);
}

void BM_BellJoin(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const Array x = Array::row(noise(n)), D = Array::scalar(static_cast<double>(state.range(1)));
  const Array bell = Array::scalar(0);
  const Array table = plugin("BellSplit").call({&x, &D, &bell}).output;
  for (auto _ : state) {
    auto r = plugin("BellJoin").call({&table});
    if (!r.ok) state.SkipWithError(r.message.c_str());
    benchmark::DoNotOptimize(r);
  }
  per_sample(state, n);
}

// n = 2^10, 2^12, .. 2^20 with D = 0, J/2 and J.
void sizes(benchmark::internal::Benchmark* b) {
  b->ArgNames({"n", "D"});
  for (int J = 10; J <= 20; J += 2)
    for (int D : {0, J / 2, J}) b->Args({1L << J, D});
  b->MinTime(0.05)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_BellSplit)->Apply(sizes);
BENCHMARK(BM_BellJoin)->Apply(sizes);

}  // namespace
