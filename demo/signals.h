// Test signals from closed forms, seeded Gaussian noise, signal-to-noise
// ratios and the orthonormal filters the demo uses.
#ifndef TFMEX_DEMO_SIGNALS_H
#define TFMEX_DEMO_SIGNALS_H

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

struct TestSignal {
  std::string name;         // short name, used in file names
  std::string description;  // one line for titles
  std::vector<double> clean;
};

// Four signals of n samples on t = i/n: a chirp whose frequency falls with
// time, a piecewise-constant signal, a smooth wave with two jumps, and a sum
// of narrow bumps.
std::vector<TestSignal> test_signals(int n);

// n independent standard normal values; the same seed gives the same values
// on every machine (64-bit Mersenne twister and the Box-Muller formula).
std::vector<double> gaussian_noise(int n, std::uint64_t seed);

// clean + noise scaled so that the signal-to-noise ratio is snr_db exactly.
std::vector<double> add_noise(const std::vector<double>& clean, double snr_db, std::uint64_t seed);

// 10 log10(|clean|^2 / |clean - estimate|^2).
double snr_db(const std::vector<double>& clean, const std::vector<double>& estimate);

struct Filter {
  std::string name;       // as printed in tables
  std::string label;      // as used in file names
  std::vector<double> h;  // low-pass, orthonormal, sum sqrt(2)
};

// Haar, and the Daubechies filters of 4 and 8 taps (2 and 4 vanishing moments),
// from the library's filter table.
std::vector<Filter> orthonormal_filters();

}  // namespace demo

#endif
