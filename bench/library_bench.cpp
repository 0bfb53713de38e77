// Every transform called through the library on memory the benchmark owns:
//   library/<Plugin>/<size>/<taps>   the library function under the plug-in
//                                    (the arguments of direct/<Plugin>, one
//                                    signal or image, output kept between
//                                    iterations as a caller would keep it);
//   overhead/library/<Plugin>        the same at n = 8.
// bench/table.py sets each against direct/<Plugin>, the plug-in's own call.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstddef>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "tfmex/tfmex.hpp"

namespace {

std::vector<double> noise(std::size_t n, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::normal_distribution<double> d;
  std::vector<double> v(n);
  for (double& x : v) x = d(rng);
  return v;
}

std::vector<double> unit_filter(int m) {
  auto h = noise(static_cast<std::size_t>(m), 100 + m);
  double e = 0;
  for (double v : h) e += v * v;
  for (double& v : h) v /= std::sqrt(e);
  return h;
}

int log_of(std::ptrdiff_t n, int base) {
  int J = 0;
  for (std::ptrdiff_t k = 1; k < n; k *= base) ++J;
  return J;
}

// What one case computes: y from x, both sized by the case.
struct Case {
  std::vector<double> x, y;
  std::function<void(const double*, double*)> run;
};

using Maker = std::function<Case(std::ptrdiff_t n, int m)>;

void add(const std::string& name, std::ptrdiff_t size, int taps, Maker make) {
  for (const bool small : {false, true}) {
    const std::string label =
        small ? "overhead/library/" + name
              : "library/" + name + "/" + std::to_string(size) + "/" + std::to_string(taps);
    const std::ptrdiff_t n =
        small
            ? (name.find("Center") == 0 || name.find("Block") == 0 || name.find("Triple") == 0
                   ? 9
                   : (name.find('2') != std::string::npos && name.find("Trig") == std::string::npos
                          ? 4
                          : 8))
            : size;
    // The plug-ins' overhead cases use 4 taps.
    const int m = small && taps > 0 ? 4 : taps;
    benchmark::RegisterBenchmark(label.c_str(), [make, n, m](benchmark::State& s) {
      Case c = make(n, m);
      try {
        for (auto _ : s) {
          c.run(c.x.data(), c.y.data());
          benchmark::DoNotOptimize(c.y.data());
          benchmark::ClobberMemory();
        }
      } catch (const std::exception& e) {
        s.SkipWithError(e.what());
      }
    })->Unit(benchmark::kMicrosecond);
  }
}

int register_all() {
  using namespace tfmex;
  constexpr std::ptrdiff_t kN = 1 << 20, kSide = 2048, kTriadic = 531441;
  auto signal = [](std::ptrdiff_t n, std::ptrdiff_t out, unsigned seed) {
    Case c;
    c.x = noise(static_cast<std::size_t>(n), seed);
    c.y.assign(static_cast<std::size_t>(out), 0.0);
    return c;
  };
  add("CircSplit", kN, 8, [=](std::ptrdiff_t n, int m) {
    Case c = signal(n, n, 1);
    c.run = [n, h = unit_filter(m)](const double* x, double* y) { circ_split(x, y, n, 0, h); };
    return c;
  });
  add("CircJoin", kN, 8, [=](std::ptrdiff_t n, int m) {
    Case c = signal(n, n, 1);
    c.run = [n, h = unit_filter(m)](const double* x, double* y) { circ_join(x, y, n, 0, h); };
    return c;
  });
  add("CircSplit2", kSide, 8, [=](std::ptrdiff_t n, int m) {
    Case c = signal(n * n, n * n, 2);
    c.run = [n, h = unit_filter(m)](const double* x, double* y) { circ_split2(x, y, n, 0, h); };
    return c;
  });
  add("CircJoin2", kSide, 8, [=](std::ptrdiff_t n, int m) {
    Case c = signal(n * n, n * n, 2);
    c.run = [n, h = unit_filter(m)](const double* x, double* y) { circ_join2(x, y, n, 0, h); };
    return c;
  });
  add("HalveCoarse", kN, 8, [=](std::ptrdiff_t n, int m) {
    Case c = signal(n, n / 2, 3);
    c.run = [n, h = unit_filter(m)](const double* x, double* y) { halve_coarse(x, y, n, h); };
    return c;
  });
  add("HalveDetail", kN, 8, [=](std::ptrdiff_t n, int m) {
    Case c = signal(n, n / 2, 3);
    c.run = [n, h = unit_filter(m)](const double* x, double* y) { halve_detail(x, y, n, h); };
    return c;
  });
  add("GrowCoarse", kN, 8, [=](std::ptrdiff_t n, int m) {
    Case c = signal(n / 2, n, 3);
    c.run = [n, h = unit_filter(m)](const double* x, double* y) { grow_coarse(x, y, n / 2, h); };
    return c;
  });
  add("GrowDetail", kN, 8, [=](std::ptrdiff_t n, int m) {
    Case c = signal(n / 2, n, 3);
    c.run = [n, h = unit_filter(m)](const double* x, double* y) { grow_detail(x, y, n / 2, h); };
    return c;
  });
  add("ShiftSplit", kN, 8, [=](std::ptrdiff_t n, int m) {
    const int J = log_of(n, 2);
    Case c = signal(n, n * (J + 1), 4);
    c.run = [n, h = unit_filter(m)](const double* x, double* y) { shift_split(x, y, n, 0, h); };
    return c;
  });
  add("PacketSplit", kN, 8, [=](std::ptrdiff_t n, int m) {
    const int J = log_of(n, 2);
    Case c = signal(n, n * (J + 1), 4);
    c.run = [n, J, h = unit_filter(m)](const double* x, double* y) { packet_split(x, y, n, J, h); };
    return c;
  });
  add("ShiftJoin", kN, 8, [=](std::ptrdiff_t n, int m) {
    const int J = log_of(n, 2);
    Case c = signal(n, n, 5);
    const std::vector<double> h = unit_filter(m);
    std::vector<double> table(static_cast<std::size_t>(n * (J + 1)));
    shift_split(c.x.data(), table.data(), n, 0, h);
    c.x = table;
    c.run = [n, J, h](const double* t, double* y) { shift_join(t, y, n, J, h); };
    return c;
  });
  add("PacketJoin", kN, 8, [=](std::ptrdiff_t n, int m) {
    const int J = log_of(n, 2);
    Case c = signal(n, n, 5);
    const std::vector<double> h = unit_filter(m);
    std::vector<double> table(static_cast<std::size_t>(n * (J + 1)));
    packet_split(c.x.data(), table.data(), n, J, h);
    c.x = table;
    c.run = [n, J, h](const double* t, double* y) { packet_join(t, y, n, J, h); };
    return c;
  });
  add("DualSplit", kN, 8, [=](std::ptrdiff_t n, int m) {
    Case c = signal(n, n, 1);
    c.run = [n, q = unit_filter(m + 1), d = unit_filter(m - 1)](const double* x, double* y) {
      dual_split(x, y, n, 0, q, d);
    };
    return c;
  });
  add("DualJoin", kN, 8, [=](std::ptrdiff_t n, int m) {
    Case c = signal(n, n, 1);
    c.run = [n, q = unit_filter(m + 1), d = unit_filter(m - 1)](const double* x, double* y) {
      dual_join(x, y, n, 0, q, d);
    };
    return c;
  });
  using Trig = void (*)(const double*, double*, std::ptrdiff_t, const Batch&, Workspace*);
  const std::pair<const char*, Trig> trig[] = {
      {"TrigC2", dct2}, {"TrigC3", dct3}, {"TrigS2", dst2}, {"TrigS3", dst3}, {"TrigC4", dct4}};
  for (const auto& [name, fn] : trig) {
    add(name, kN, 0, [=, f = fn](std::ptrdiff_t n, int) {
      Case c = signal(n, n, 6);
      c.run = [n, f](const double* x, double* y) { f(x, y, n, Batch{}, nullptr); };
      return c;
    });
  }
  add("BellSplit", kN, 0, [=](std::ptrdiff_t n, int) {
    const int J = log_of(n, 2);
    Case c = signal(n, n * (J + 1), 7);
    c.run = [n, J](const double* x, double* y) { bell_split(x, y, n, J); };
    return c;
  });
  add("BellJoin", kN, 0, [=](std::ptrdiff_t n, int) {
    const int J = log_of(n, 2);
    Case c = signal(n * (J + 1), n, 7);
    c.run = [n, J](const double* t, double* y) { bell_join(t, y, n, J); };
    return c;
  });
  add("BlockMeanSplit", kTriadic, 0, [=](std::ptrdiff_t n, int) {
    Case c = signal(n, 2 * n, 8);
    c.run = [n](const double* x, double* y) { block_mean_split(x, y, n, 1, 2); };
    return c;
  });
  add("BlockMeanJoin", kTriadic, 0, [=](std::ptrdiff_t n, int) {
    Case c = signal(2 * n, n, 8);
    c.run = [n](const double* x, double* y) { block_mean_join(x, y, n, 1, 2); };
    return c;
  });
  add("CenterJoin", kTriadic, 0, [=](std::ptrdiff_t n, int) {
    Case c = signal(2 * n, n, 8);
    c.run = [n](const double* x, double* y) { center_join(x, y, n, 1, 2); };
    return c;
  });
  add("CenterPredict", kTriadic, 0, [=](std::ptrdiff_t n, int) {
    Case c = signal(n, 3 * n, 9);
    c.run = [n](const double* x, double* y) { center_predict(x, y, n, 2); };
    return c;
  });
  add("TriplePredict", kTriadic, 0, [=](std::ptrdiff_t n, int) {
    Case c = signal(n, 3 * n, 9);
    c.run = [n](const double* x, double* y) { triple_predict(x, y, n, 2); };
    return c;
  });
  return 0;
}

const int registered = register_all();

}  // namespace
