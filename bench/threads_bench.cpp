// The gain of two threads over one through the embedded host, for every
// plug-in that splits its work: threads/<case>/<t> times the direct call with
// TFMEX_THREADS = t (wall clock). The cases are those of the Octave section
// of bench/run, so the two hosts can be compared.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "host/embedded/host.h"

namespace {

using tfmex::host::Array;
using tfmex::host::Plugin;

std::vector<double> normal(std::size_t n, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::normal_distribution<double> d;
  std::vector<double> v(n);
  for (double& x : v) x = d(rng);
  return v;
}

Array filter(int m, unsigned seed) {
  std::vector<double> h = normal(static_cast<std::size_t>(m), seed);
  double e = 0;
  for (double v : h) e += v * v;
  for (double& v : h) v /= std::sqrt(e);
  return Array::row(h);
}

Array output_of(const std::string& name, const std::vector<Array>& args) {
  const Plugin p = Plugin::load(name, TFMEX_BENCH_MEX_DIR);
  std::vector<const mxArray*> prhs;
  for (const Array& a : args) prhs.push_back(a.get());
  return p.call_unchecked(static_cast<int>(prhs.size()), prhs.data());
}

struct ThreadCase {
  const char* label;
  const char* plugin;
  std::vector<Array> (*args)();
};

const Array& image() {
  static const Array a = Array::matrix(2048, 2048, normal(2048 * 2048, 1));
  return a;
}
const Array& columns() {
  static const Array a = Array::matrix(1 << 16, 64, normal((1 << 16) * 64, 2));
  return a;
}
const Array& signal() {
  static const Array a = Array::column(normal(1 << 20, 3));
  return a;
}

const ThreadCase kCases[] = {
    {"CircSplit2 2048^2", "CircSplit2",
     [] {
       return std::vector<Array>{image(), Array::scalar(0), filter(8, 4)};
     }},
    {"CircJoin2 2048^2", "CircJoin2",
     [] {
       return std::vector<Array>{image(), Array::scalar(0), filter(8, 4)};
     }},
    {"CircSplit 2^16x64", "CircSplit",
     [] {
       return std::vector<Array>{columns(), Array::scalar(0), filter(8, 4)};
     }},
    {"CircJoin 2^16x64", "CircJoin",
     [] {
       return std::vector<Array>{columns(), Array::scalar(0), filter(8, 4)};
     }},
    {"DualSplit 2^16x64", "DualSplit",
     [] {
       return std::vector<Array>{columns(), Array::scalar(0), filter(9, 5), filter(7, 6)};
     }},
    {"DualJoin 2^16x64", "DualJoin",
     [] {
       return std::vector<Array>{columns(), Array::scalar(0), filter(9, 5), filter(7, 6)};
     }},
    {"ShiftSplit 2^20 D=20", "ShiftSplit",
     [] {
       return std::vector<Array>{signal(), Array::scalar(0), filter(8, 4)};
     }},
    {"ShiftJoin 2^20 D=20", "ShiftJoin",
     [] {
       return std::vector<Array>{
           output_of("ShiftSplit", {signal(), Array::scalar(0), filter(8, 4)}), filter(8, 4)};
     }},
    {"PacketSplit 2^20 D=20", "PacketSplit",
     [] {
       return std::vector<Array>{signal(), Array::scalar(20), filter(8, 4)};
     }},
    {"PacketJoin 2^20 D=20", "PacketJoin",
     [] {
       return std::vector<Array>{
           output_of("PacketSplit", {signal(), Array::scalar(20), filter(8, 4)}), filter(8, 4)};
     }},
    {"BellSplit 2^20 D=10", "BellSplit",
     [] {
       return std::vector<Array>{signal(), Array::scalar(10), Array::scalar(0)};
     }},
    {"BellJoin 2^20 D=10", "BellJoin",
     [] {
       return std::vector<Array>{
           output_of("BellSplit", {signal(), Array::scalar(10), Array::scalar(0)})};
     }},
};

void run(benchmark::State& state, const ThreadCase& c, int threads) {
  const char* before = std::getenv("TFMEX_THREADS");
  const std::string saved = before != nullptr ? before : "";
  setenv("TFMEX_THREADS", std::to_string(threads).c_str(), 1);
  const Plugin plugin = Plugin::load(c.plugin, TFMEX_BENCH_MEX_DIR);
  const std::vector<Array> args = c.args();
  std::vector<const mxArray*> prhs;
  for (const Array& a : args) prhs.push_back(a.get());
  for (auto _ : state) {
    Array out = plugin.call_unchecked(static_cast<int>(prhs.size()), prhs.data());
    benchmark::DoNotOptimize(out.data());
  }
  if (before != nullptr) {
    setenv("TFMEX_THREADS", saved.c_str(), 1);
  } else {
    unsetenv("TFMEX_THREADS");
  }
}

int register_all() {
  for (const ThreadCase& c : kCases)
    for (int t : {1, 2})
      benchmark::RegisterBenchmark(
          (std::string("threads/") + c.label + "/" + std::to_string(t)).c_str(),
          [&c, t](benchmark::State& s) { run(s, c, t); })
          ->UseRealTime()
          ->Unit(benchmark::kMillisecond);
  return 0;
}

const int registered = register_all();

}  // namespace
