// The real-to-real transforms of FFTW as timing peers of the trigonometric
// plug-ins: peer/fftw/<kind>/<n>, one thread, plans made once (FFTW_MEASURE)
// outside the timed loop, out of place. Built only when the library is found.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <random>
#include <vector>

namespace {

void run(benchmark::State& state, fftw_r2r_kind kind) {
  const int n = static_cast<int>(state.range(0));
  double* in = fftw_alloc_real(n);
  double* out = fftw_alloc_real(n);
  fftw_plan p = fftw_plan_r2r_1d(n, in, out, kind, FFTW_MEASURE);
  std::mt19937_64 rng(3);
  std::normal_distribution<double> d;
  for (int i = 0; i < n; ++i) in[i] = d(rng);
  for (auto _ : state) {
    fftw_execute(p);
    benchmark::DoNotOptimize(out);
  }
  state.counters["ns/sample"] = benchmark::Counter(
      n, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  fftw_destroy_plan(p);
  fftw_free(in);
  fftw_free(out);
}

int register_all() {
  const struct {
    const char* name;
    fftw_r2r_kind kind;
  } kinds[] = {{"REDFT10", FFTW_REDFT10}, {"REDFT01", FFTW_REDFT01}, {"RODFT10", FFTW_RODFT10},
               {"RODFT01", FFTW_RODFT01}, {"REDFT11", FFTW_REDFT11}, {"DHT", FFTW_DHT}};
  for (const auto& k : kinds) {
    const fftw_r2r_kind kind = k.kind;
    benchmark::RegisterBenchmark((std::string("peer/fftw/") + k.name).c_str(),
                                 [kind](benchmark::State& s) { run(s, kind); })
        ->Arg(1 << 10)
        ->Arg(1 << 14)
        ->Arg(1 << 17)
        ->Arg(1 << 20)
        ->Unit(benchmark::kMicrosecond);
  }
  return 0;
}

const int registered = register_all();

}  // namespace
