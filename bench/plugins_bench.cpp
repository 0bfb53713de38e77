// Every plug-in found in the plug-in folder, called two ways:
//   direct/<Plugin>/<size>/<taps>   mexFunction with a host that trusts it
//                                   (what a real host costs: output and
//                                   workspaces created, no checks);
//   checked/<Plugin>/<size>/<taps>  the embedded host's checked call (inputs
//                                   copied and compared, arrays tracked,
//                                   guards checked), at one filter length.
// <size> is n for signals, the side for images; <taps> is 0 where the
// plug-in takes no filter. Counters: ns per sample (per input value) and,
// for the filter-bank plug-ins, multiply-adds per second.
#include <benchmark/benchmark.h>
#include <cstddef>

#include <sys/stat.h>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "host/embedded/host.h"

namespace {

using tfmex::host::Array;
using tfmex::host::Plugin;

std::vector<double> noise(std::size_t n, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::normal_distribution<double> d;
  std::vector<double> v(n);
  for (double& x : v) x = d(rng);
  return v;
}

// A filter of m taps with unit energy, so that values neither grow nor fade
// over twenty stages.
std::vector<double> unit_filter(int m) {
  auto h = noise(static_cast<std::size_t>(m), 100 + m);
  double e = 0;
  for (double v : h) e += v * v;
  for (double& v : h) v /= std::sqrt(e);
  return h;
}

int log2_of(std::size_t n) {
  int J = 0;
  while ((std::size_t{1} << J) < n) ++J;
  return J;
}

bool present(const std::string& name) {
  struct stat st;
  return stat((std::string(TFMEX_BENCH_MEX_DIR) + "/" + name + ".mex").c_str(), &st) == 0;
}

// One benchmark case: the arguments, the samples it counts and its
// multiply-adds per call (0: not counted).
struct Case {
  std::vector<Array> args;
  double samples = 0;
  double madds = 0;
};

using Maker = std::function<Case(std::size_t size, int m)>;

void set_counters(benchmark::State& state, const Case& c) {
  state.counters["ns/sample"] = benchmark::Counter(
      c.samples, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  if (c.madds > 0)
    state.counters["madd/s"] =
        benchmark::Counter(c.madds, benchmark::Counter::kIsIterationInvariantRate);
}

void run_direct(benchmark::State& state, const std::string& name, const Maker& make) {
  const Plugin plugin = Plugin::load(name, TFMEX_BENCH_MEX_DIR);
  const Case c = make(static_cast<std::size_t>(state.range(0)), static_cast<int>(state.range(1)));
  std::vector<const mxArray*> prhs;
  for (const Array& a : c.args) prhs.push_back(a.get());
  try {
    for (auto _ : state) {
      Array out = plugin.call_unchecked(static_cast<int>(prhs.size()), prhs.data());
      benchmark::DoNotOptimize(out.data());
    }
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
  }
  set_counters(state, c);
}

void run_checked(benchmark::State& state, const std::string& name, const Maker& make) {
  const Plugin plugin = Plugin::load(name, TFMEX_BENCH_MEX_DIR);
  const Case c = make(static_cast<std::size_t>(state.range(0)), static_cast<int>(state.range(1)));
  std::vector<const Array*> in;
  for (const Array& a : c.args) in.push_back(&a);
  for (auto _ : state) {
    auto report = plugin.call(in);
    if (!report.ok || !report.problems().empty()) {
      state.SkipWithError((report.message + report.problems()).c_str());
      break;
    }
    benchmark::DoNotOptimize(report.output.data());
  }
  set_counters(state, c);
}

const std::vector<std::ptrdiff_t> kSignal = {1 << 10, 1 << 14, 1 << 17, 1 << 20};
const std::vector<std::ptrdiff_t> kImage = {256, 1024, 2048};
const std::vector<std::ptrdiff_t> kTaps = {2, 4, 8, 20};
const std::vector<std::ptrdiff_t> kTriadic = {729, 19683, 177147, 531441};  // 3^6, 3^9, 3^11, 3^12

// Sum over stages of the outputs times taps, for blocks n, n/2, ... 2.
double pyramid_madds(std::size_t n, int m) { return 2.0 * (static_cast<double>(n) - 1) * m; }

void add(const std::string& name, const std::vector<std::ptrdiff_t>& sizes,
         const std::vector<std::ptrdiff_t>& taps, std::ptrdiff_t checked_taps, Maker make) {
  if (!present(name)) return;
  auto* d = benchmark::RegisterBenchmark(
      ("direct/" + name).c_str(), [name, make](benchmark::State& s) { run_direct(s, name, make); });
  d->ArgsProduct({sizes, taps})->Unit(benchmark::kMicrosecond);
  auto* c = benchmark::RegisterBenchmark(
      ("checked/" + name).c_str(),
      [name, make](benchmark::State& s) { run_checked(s, name, make); });
  std::vector<std::ptrdiff_t> small = sizes;
  c->ArgsProduct({small, {checked_taps}})->Unit(benchmark::kMicrosecond);
}

Array column(std::size_t n, unsigned seed) { return Array::column(noise(n, seed)); }

int register_all() {
  // Multilevel transforms, full depth (L = 0).
  for (const char* name : {"CircSplit", "CircJoin"})
    add(name, kSignal, kTaps, 8, [](std::size_t n, int m) {
      Case c;
      c.args.push_back(column(n, 1));
      c.args.push_back(Array::scalar(0));
      c.args.push_back(Array::row(unit_filter(m)));
      c.samples = static_cast<double>(n);
      c.madds = pyramid_madds(n, m);
      return c;
    });
  for (const char* name : {"DualSplit", "DualJoin"})
    add(name, kSignal, kTaps, 8, [](std::size_t n, int m) {
      Case c;
      c.args.push_back(column(n, 1));
      c.args.push_back(Array::scalar(0));
      c.args.push_back(Array::row(unit_filter(m + 1)));
      c.args.push_back(Array::row(unit_filter(m - 1 > 0 ? m - 1 : 1)));
      c.samples = static_cast<double>(n);
      return c;
    });
  for (const char* name : {"CircSplit2", "CircJoin2"})
    add(name, kImage, kTaps, 8, [](std::size_t n, int m) {
      Case c;
      c.args.push_back(Array::matrix(n, n, noise(n * n, 2)));
      c.args.push_back(Array::scalar(0));
      c.args.push_back(Array::row(unit_filter(m)));
      c.samples = static_cast<double>(n) * n;
      // Columns and rows of every stage: 2 k^2 m for k = n, n/2, ... 2.
      double s = 0;
      for (std::size_t k = n; k >= 2; k /= 2) s += 2.0 * k * k * m;
      c.madds = s;
      return c;
    });
  // One stage.
  for (const char* name : {"HalveCoarse", "HalveDetail", "GrowCoarse", "GrowDetail"})
    add(name, kSignal, kTaps, 8, [name](std::size_t n, int m) {
      Case c;
      const bool grow = name[0] == 'G';
      c.args.push_back(column(grow ? n / 2 : n, 3));
      c.args.push_back(Array::row(unit_filter(m)));
      c.samples = static_cast<double>(n);
      c.madds = static_cast<double>(n) * m / 2;
      return c;
    });
  // Tables, full depth: ShiftSplit takes L = 0, PacketSplit D = J.
  for (const char* name : {"ShiftSplit", "PacketSplit"})
    add(name, kSignal, kTaps, 8, [name](std::size_t n, int m) {
      Case c;
      const int J = log2_of(n);
      const bool shift = name[0] == 'S';
      c.args.push_back(column(n, 4));
      c.args.push_back(Array::scalar(shift ? 0 : J));
      c.args.push_back(Array::row(unit_filter(m)));
      c.samples = static_cast<double>(n);
      c.madds = (shift ? 2.0 : 1.0) * static_cast<double>(n) * m * J;
      return c;
    });
  for (const char* name : {"ShiftJoin", "PacketJoin"})
    add(name, kSignal, kTaps, 8, [name](std::size_t n, int m) {
      Case c;
      const int J = log2_of(n);
      const bool shift = name[0] == 'S';
      // A table made by the matching forward plug-in, so that values stay tame.
      const Plugin fwd = Plugin::load(shift ? "ShiftSplit" : "PacketSplit", TFMEX_BENCH_MEX_DIR);
      const Array x = column(n, 5), level = Array::scalar(shift ? 0 : J),
                  h = Array::row(unit_filter(m));
      auto r = fwd.call({&x, &level, &h});
      c.args.push_back(r.output);
      c.args.push_back(h);
      c.samples = static_cast<double>(n);
      c.madds = (shift ? 2.0 : 1.0) * static_cast<double>(n) * m * J;
      return c;
    });
  // Trigonometric transforms.
  for (const char* name : {"TrigC2", "TrigC3", "TrigS2", "TrigS3", "TrigC4"})
    add(name, kSignal, {0}, 0, [](std::size_t n, int) {
      Case c;
      c.args.push_back(column(n, 6));
      c.samples = static_cast<double>(n);
      return c;
    });
  // Cosine packets, full depth, when present.
  for (const char* name : {"BellSplit", "BellJoin"})
    add(name, kSignal, {0}, 0, [name](std::size_t n, int) {
      Case c;
      const int J = log2_of(n);
      if (name[4] == 'S') {
        c.args.push_back(column(n, 7));
        c.args.push_back(Array::scalar(J));
        c.args.push_back(Array::scalar(0));  // the bell choice, not read
      } else {
        c.args.push_back(Array::matrix(n, static_cast<std::size_t>(J) + 1, noise(n * (J + 1), 7)));
      }
      c.samples = static_cast<double>(n);
      return c;
    });
  // Triadic pyramids and refinements (lengths 3^J, 2 * 3^J for the inverses).
  for (const char* name : {"BlockMeanSplit", "BlockMeanJoin", "CenterJoin"})
    add(name, kTriadic, {0}, 0, [name](std::size_t n, int) {
      Case c;
      const bool join = std::string(name).find("Join") != std::string::npos;
      c.args.push_back(Array::row(noise(join ? 2 * n : n, 8)));
      c.args.push_back(Array::scalar(1));
      c.args.push_back(Array::scalar(2));
      c.samples = static_cast<double>(n);
      return c;
    });
  for (const char* name : {"CenterPredict", "TriplePredict"})
    add(name, kTriadic, {0}, 0, [](std::size_t n, int) {
      Case c;
      c.args.push_back(Array::row(noise(n, 9)));
      c.args.push_back(Array::scalar(2));
      c.samples = static_cast<double>(n);
      return c;
    });
  // The host's own cost: a call at n = 8.
  if (present("CircSplit")) {
    benchmark::RegisterBenchmark("overhead/direct/CircSplit", [](benchmark::State& s) {
      run_direct(s, "CircSplit", [](std::size_t, int) {
        Case c;
        c.args = {column(8, 1), Array::scalar(0), Array::row(unit_filter(4))};
        c.samples = 8;
        return c;
      });
    })->Args({8, 4});
    benchmark::RegisterBenchmark("overhead/checked/CircSplit", [](benchmark::State& s) {
      run_checked(s, "CircSplit", [](std::size_t, int) {
        Case c;
        c.args = {column(8, 1), Array::scalar(0), Array::row(unit_filter(4))};
        c.samples = 8;
        return c;
      });
    })->Args({8, 4});
  }
  return 0;
}

const int registered = register_all();

}  // namespace
