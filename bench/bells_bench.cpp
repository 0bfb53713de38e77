// The cosine packet plug-ins, BellSplit (bellsplit) and BellJoin
// (cpsynthesis), against the type-IV cosine transform they are built on.
//
// A table of depth D costs D + 1 levels, each a set of trigc4 calls whose
// lengths sum to n, so the yardstick of a call is D + 1 calls of the plug-in
// TrigC4 at length n: BM_BellRef_TrigC4/n times one of them, made the same
// way. bench/table.py sets the two side by side.
//
// Every plug-in is called as a real host calls it (output and workspace
// created and zero-filled, no checks of the host's own), after one untimed
// call: the largest runs take one or two iterations, and without that call
// the first would fault in its fresh workspace page by page (bench/run keeps
// freed arrays in the heap, so later calls reuse them).
#include <benchmark/benchmark.h>
#include <cstddef>

#include <exception>
#include <random>
#include <string>
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

const Plugin& plugin(const std::string& name) {
  static const Plugin split = Plugin::load("BellSplit", TFMEX_BENCH_MEX_DIR);
  static const Plugin join = Plugin::load("BellJoin", TFMEX_BENCH_MEX_DIR);
  static const Plugin c4 = Plugin::load("TrigC4", TFMEX_BENCH_MEX_DIR);
  return name == "BellSplit" ? split : name == "BellJoin" ? join : c4;
}

void per_sample(benchmark::State& state, std::size_t n) {
  state.counters["ns/sample"] =
      benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
}

// One untimed call, then the timed ones.
void run(benchmark::State& state, const std::string& name, const std::vector<const mxArray*>& in,
         std::size_t n) {
  const Plugin& p = plugin(name);
  const int nrhs = static_cast<int>(in.size());
  try {
    benchmark::DoNotOptimize(p.call_unchecked(nrhs, in.data()).data());
    for (auto _ : state) {
      Array out = p.call_unchecked(nrhs, in.data());
      benchmark::DoNotOptimize(out.data());
    }
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
  }
  per_sample(state, n);
}

void BM_BellSplit(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const Array x = Array::row(noise(n)), D = Array::scalar(static_cast<double>(state.range(1)));
  const Array bell = Array::scalar(0);
  run(state, "BellSplit", {x.get(), D.get(), bell.get()}, n);
}

void BM_BellJoin(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const Array x = Array::row(noise(n)), D = Array::scalar(static_cast<double>(state.range(1)));
  const Array bell = Array::scalar(0);
  const Array table = plugin("BellSplit").call({&x, &D, &bell}).output;
  run(state, "BellJoin", {table.get()}, n);
}

void BM_BellRef_TrigC4(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const Array x = Array::row(noise(n));
  run(state, "TrigC4", {x.get()}, n);
}

constexpr int kLogSizes[] = {10, 14, 17, 20};

// n = 2^10, 2^14, 2^17, 2^20 with D = 0, 1, J/2 and J.
void sizes(benchmark::internal::Benchmark* b) {
  b->ArgNames({"n", "D"});
  for (int J : kLogSizes)
    for (int D : {0, 1, J / 2, J}) b->Args({std::ptrdiff_t{1} << J, D});
  b->MinTime(0.05)->Unit(benchmark::kMillisecond);
}

void ref_sizes(benchmark::internal::Benchmark* b) {
  b->ArgNames({"n"});
  for (int J : kLogSizes) b->Arg(std::ptrdiff_t{1} << J);
  b->MinTime(0.05)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_BellSplit)->Apply(sizes);
BENCHMARK(BM_BellJoin)->Apply(sizes);
BENCHMARK(BM_BellRef_TrigC4)->Apply(ref_sizes);

}  // namespace
