// tfmex_analysis_cases FILE: the library's denoising and best bases on the
// cases tests/octave/test_analysis.m computes with the toolbox, written to
// FILE one result a line ("name v1 v2 ...", 17 significant digits, which the
// test reads back as the same doubles) so that the two can be held equal.
// The inputs are those of the test: the noise of tfmex_gaussian (the demo's
// generator), closed forms evaluated in the same order.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "tfmex/tfmex.hpp"

namespace {

const double pi = 3.14159265358979323846;

// tfmex_gaussian(n, seed): 64-bit Mersenne twister and the Box-Muller formula.
std::vector<double> gaussian(int n, std::uint64_t seed) {
  std::mt19937_64 gen(seed);
  auto uniform = [&gen] { return (static_cast<double>(gen() >> 11) + 1.0) * 0x1p-53; };
  std::vector<double> z(n);
  for (int i = 0; i < n; i += 2) {
    const double r = std::sqrt(-2.0 * std::log(uniform()));
    const double a = 2.0 * pi * uniform();
    z[i] = r * std::cos(a);
    if (i + 1 < n) z[i + 1] = r * std::sin(a);
  }
  return z;
}

FILE* out = nullptr;

void put(const std::string& name, const std::vector<double>& v) {
  std::fprintf(out, "%s", name.c_str());
  for (double x : v) std::fprintf(out, " %.17g", x);
  std::fprintf(out, "\n");
}

void put(const std::string& name, const tfmex::DenoiseReport& r, const std::vector<double>& y) {
  put(name + "_y", y);
  put(name + "_sigma", {r.sigma});
  put(name + "_lambda", r.lambda);
}

const std::vector<std::vector<double>>& filters() {
  static const std::vector<std::vector<double>> f = {tfmex::filter("haar"), tfmex::filter("db2"),
                                                     tfmex::filter("sym4"), tfmex::filter("coif1")};
  return f;
}

void signals() {
  const int n = 256;
  const std::vector<double> z = gaussian(n, 7);
  std::vector<double> noisy(n);
  for (int i = 0; i < n; ++i) {
    const double t = i / double(n);
    const double clean = 2 * std::sin(4 * pi * t) + 1.5 * (t > 0.3) - (t > 0.71);
    noisy[i] = clean + 0.3 * z[i];
  }
  const char* methods[] = {"plain", "ti"};
  const char* rules[] = {"universal", "sure"};
  const char* thresholds[] = {"soft", "hard"};
  for (std::size_t f = 0; f < filters().size(); ++f)
    for (int m = 0; m < 2; ++m)
      for (int r = 0; r < 2; ++r)
        for (int t = 0; t < 2; ++t)
          for (int level : {-1, 2}) {
            tfmex::DenoiseOptions o;
            o.method = m ? tfmex::DenoiseMethod::invariant : tfmex::DenoiseMethod::plain;
            o.rule = r ? tfmex::ThresholdRule::sure : tfmex::ThresholdRule::universal;
            o.threshold = t ? tfmex::Shrinkage::hard : tfmex::Shrinkage::soft;
            o.level = level;
            if (level == 2) o.sigma = 0.25;  // a known noise level, and another level
            std::vector<double> y(n);
            const tfmex::DenoiseReport rep =
                tfmex::denoise(noisy.data(), y.data(), n, filters()[f], o);
            put("signal_" + std::to_string(f + 1) + "_" + methods[m] + "_" + rules[r] + "_" +
                    thresholds[t] + "_" + std::to_string(level),
                rep, y);
          }
}

void images() {
  const int n = 32;
  const std::vector<double> z = gaussian(n * n, 11);
  const double corner[2][2] = {{1.0, 3.0}, {-2.0, 0.5}};
  std::vector<double> x(n * n);
  for (int c = 0; c < n; ++c)
    for (int r = 0; r < n; ++r) x[r + c * n] = corner[r / 16][c / 16] + 0.4 * z[r + c * n];
  const char* rules[] = {"universal", "sure"};
  const char* thresholds[] = {"soft", "hard"};
  for (std::size_t f = 0; f < 2; ++f)
    for (int r = 0; r < 2; ++r)
      for (int t = 0; t < 2; ++t)
        for (int level : {-1, 1}) {
          tfmex::DenoiseOptions o;
          o.rule = r ? tfmex::ThresholdRule::sure : tfmex::ThresholdRule::universal;
          o.threshold = t ? tfmex::Shrinkage::hard : tfmex::Shrinkage::soft;
          o.level = level;
          std::vector<double> y(n * n);
          const tfmex::DenoiseReport rep = tfmex::denoise2(x.data(), y.data(), n, filters()[f], o);
          put("image_" + std::to_string(f + 1) + "_" + rules[r] + "_" + thresholds[t] + "_" +
                  std::to_string(level),
              rep, y);
        }
}

void bases() {
  const int n = 256;
  std::vector<double> x = gaussian(n, 9);
  for (int i = 0; i < n; ++i) {
    const double t = i / double(n);
    x[i] = x[i] + i / 64.0 + 3 * std::sin(2 * pi * 40 * t * t);
  }
  const std::vector<double> h = tfmex::filter("db4");
  const std::vector<tfmex::Cost> costs = {tfmex::Cost::entropy(), tfmex::Cost::lp(1.0),
                                          tfmex::Cost::lp(0.5),   tfmex::Cost::lp(2.0),
                                          tfmex::Cost::lp(3.0),   tfmex::Cost::threshold(0.3)};
  for (int packets = 1; packets >= 0; --packets)
    for (int D : {5, 8}) {
      std::vector<double> table(n * (D + 1));
      if (packets) tfmex::packet_split(x.data(), table.data(), n, D, h);
      else tfmex::bell_split(x.data(), table.data(), n, D);
      for (std::size_t c = 0; c < costs.size(); ++c) {
        const tfmex::Basis b = tfmex::best_basis(table.data(), n, D, costs[c]);
        const std::string name = std::string(packets ? "packet" : "bell") + "_" +
                                 std::to_string(D) + "_" + std::to_string(c + 1);
        std::vector<double> nodes;
        for (const tfmex::Node& node : b.nodes) {
          nodes.push_back(node.d);
          nodes.push_back(static_cast<double>(node.k));
        }
        put(name + "_basis", nodes);
        put(name + "_coef", b.coef);
        put(name + "_cost", {b.cost});
        std::vector<double> y(n);
        if (packets) tfmex::packet_basis_join(b.nodes, b.coef.data(), y.data(), n, h);
        else tfmex::bell_basis_join(b.nodes, b.coef.data(), y.data(), n, D);
        put(name + "_join", y);
      }
    }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tfmex_analysis_cases FILE\n");
    return 2;
  }
  out = std::fopen(argv[1], "w");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  try {
    signals();
    images();
    bases();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tfmex_analysis_cases: %s\n", e.what());
    return 1;
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
