#include "demo/signals.h"

#include <cmath>
#include <random>

#include "tfmex/filters.hpp"

namespace demo {

namespace {

const double pi = 3.14159265358979323846;

// A chirp whose frequency a / (t + b) falls from 600 cycles per unit time at
// t = 0 to 6 at t = 1 (phase a ln((t + b) / b)), under an envelope that rises
// from 0.25 to 1.
double chirp(double t) {
  const double f0 = 600.0, f1 = 6.0;
  const double b = f1 / (f0 - f1), a = f0 * b;
  const double phase = a * std::log((t + b) / b);
  return (0.25 + 0.75 * std::sqrt(t)) * std::sin(2.0 * pi * phase);
}

double steps(double t) {
  static const double at[] = {0.08, 0.17, 0.29, 0.36, 0.52, 0.61, 0.74, 0.83, 0.91};
  static const double level[] = {0.0, 2.0, -1.5, 3.0, 0.5, -2.5, 1.0, 2.5, -0.5, 0.0};
  int k = 0;
  while (k < 9 && t >= at[k]) ++k;
  return level[k];
}

double wave_with_jumps(double t) {
  double v = 2.0 * std::sin(4.0 * pi * t) + 0.6 * std::cos(9.0 * pi * t);
  if (t >= 0.31) v += 1.8;
  if (t >= 0.77) v -= 3.0;
  return v;
}

double bumps(double t) {
  static const double centre[] = {0.09, 0.21, 0.26, 0.43, 0.58, 0.66, 0.80, 0.92};
  static const double width[] = {0.006, 0.010, 0.004, 0.015, 0.003, 0.008, 0.020, 0.005};
  static const double height[] = {4.0, 3.0, 5.0, 2.5, 4.5, 3.5, 2.0, 4.0};
  double v = 0.0;
  for (int j = 0; j < 8; ++j) {
    const double u = (t - centre[j]) / width[j];
    v += height[j] * std::exp(-u * u);
  }
  return v;
}

std::vector<double> sample(int n, double (*f)(double)) {
  std::vector<double> x(n);
  for (int i = 0; i < n; ++i) x[i] = f(static_cast<double>(i) / n);
  return x;
}

double sum_of_squares(const std::vector<double>& v) {
  double s = 0.0;
  for (double a : v) s += a * a;
  return s;
}

}  // namespace

std::vector<TestSignal> test_signals(int n) {
  return {
      {"chirp", "chirp, frequency falling from 600 to 6 cycles", sample(n, chirp)},
      {"steps", "piecewise-constant signal with nine jumps", sample(n, steps)},
      {"wave", "smooth wave with two jumps", sample(n, wave_with_jumps)},
      {"bumps", "sum of eight narrow bumps", sample(n, bumps)},
  };
}

std::vector<double> gaussian_noise(int n, std::uint64_t seed) {
  std::mt19937_64 gen(seed);
  // Uniform in (0, 1] from the top 53 bits, so that the logarithm is finite.
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

std::vector<double> add_noise(const std::vector<double>& clean, double snr, std::uint64_t seed) {
  std::vector<double> z = gaussian_noise(static_cast<int>(clean.size()), seed);
  const double scale =
      std::sqrt(sum_of_squares(clean) / sum_of_squares(z)) * std::pow(10.0, -snr / 20.0);
  std::vector<double> y(clean.size());
  for (std::size_t i = 0; i < y.size(); ++i) y[i] = clean[i] + scale * z[i];
  return y;
}

double snr_db(const std::vector<double>& clean, const std::vector<double>& estimate) {
  double err = 0.0;
  for (std::size_t i = 0; i < clean.size(); ++i) {
    const double e = clean[i] - estimate[i];
    err += e * e;
  }
  return 10.0 * std::log10(sum_of_squares(clean) / err);
}

std::vector<Filter> orthonormal_filters() {
  return {
      {"Haar", "haar", tfmex::filter("haar")},
      {"Daubechies 4", "daub4", tfmex::filter("db2")},
      {"Daubechies 8", "daub8", tfmex::filter("db4")},
  };
}

}  // namespace demo
