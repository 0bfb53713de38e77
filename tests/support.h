// Helpers shared by the tests: calling plug-ins through the embedded host with
// every host invariant checked, orthonormal filters, random data.
#ifndef TFMEX_TESTS_SUPPORT_H
#define TFMEX_TESTS_SUPPORT_H

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "host/embedded/host.h"

// pi in long double: a GNU extension that other C libraries lack.
#ifndef M_PIl
#define M_PIl 3.141592653589793238462643383279502884L
#endif

namespace tfmex::test {

using host::Array;
using host::CallReport;
using host::ClassId;
using host::Plugin;

// Plug-ins are loaded once per test process (from any thread).
inline const Plugin& plugin(const std::string& name) {
  static std::map<std::string, Plugin> cache;
  static std::mutex lock;
  std::lock_guard<std::mutex> hold(lock);
  auto it = cache.find(name);
  if (it == cache.end()) it = cache.emplace(name, Plugin::load(name)).first;
  return it->second;
}

// Calls a plug-in and checks the host invariants (nothing leaked, inputs
// unchanged, guards intact, nothing created before a message).
inline CallReport call(const std::string& name, std::initializer_list<Array> args, int nlhs = 1) {
  std::vector<Array> keep(args);
  std::vector<const Array*> in;
  for (const Array& a : keep) in.push_back(&a);
  CallReport r = plugin(name).call(nlhs, in);
  EXPECT_EQ(r.problems(), "") << name;
  return r;
}

// The output of a call that must succeed.
inline Array run(const std::string& name, std::initializer_list<Array> args) {
  CallReport r = call(name, args);
  EXPECT_TRUE(r.ok) << name << ": " << r.message;
  return r.output;
}

// The message of a call that must fail.
inline std::string message(const std::string& name, std::initializer_list<Array> args,
                           int nlhs = 1) {
  CallReport r = call(name, args, nlhs);
  EXPECT_FALSE(r.ok) << name << " accepted the call";
  return r.message;
}

inline std::vector<double> random_vector(std::size_t n, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<double> v(n);
  for (double& x : v) x = u(rng);
  return v;
}

inline std::vector<double> haar() { return {M_SQRT1_2, M_SQRT1_2}; }

// An orthonormal filter of even length m (sum_j h[j] h[j + 2k] = [k == 0]),
// built from m/2 rotation angles by a paraunitary lattice; with angles summing
// to pi/4 it is a low-pass filter (sum = sqrt 2).
inline std::vector<double> orthonormal_filter(int m, unsigned seed) {
  const int K = m / 2;
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<double> theta(K);
  double sum = 0.0;
  for (int i = 1; i < K; ++i) sum += theta[i] = u(rng);
  theta[0] = M_PI / 4 - sum;
  // Polyphase rows (E0, E1) as polynomials in z^-1, starting from a rotation.
  std::vector<double> e0{std::cos(theta[0])}, e1{std::sin(theta[0])};
  std::vector<double> f0{-std::sin(theta[0])}, f1{std::cos(theta[0])};
  for (int i = 1; i < K; ++i) {
    // Delay the second row, then rotate the two rows.
    f0.insert(f0.begin(), 0.0);
    f1.insert(f1.begin(), 0.0);
    e0.push_back(0.0);
    e1.push_back(0.0);
    const double c = std::cos(theta[i]), s = std::sin(theta[i]);
    std::vector<double> a0(e0.size()), a1(e0.size()), b0(e0.size()), b1(e0.size());
    for (std::size_t t = 0; t < e0.size(); ++t) {
      a0[t] = c * e0[t] + s * f0[t];
      a1[t] = c * e1[t] + s * f1[t];
      b0[t] = -s * e0[t] + c * f0[t];
      b1[t] = -s * e1[t] + c * f1[t];
    }
    e0 = a0, e1 = a1, f0 = b0, f1 = b1;
  }
  std::vector<double> h(2 * K);
  for (int t = 0; t < K; ++t) {
    h[2 * t] = e0[t];
    h[2 * t + 1] = e1[t];
  }
  return h;
}

inline double max_abs_diff(const std::vector<double>& a, const std::vector<double>& b) {
  EXPECT_EQ(a.size(), b.size());
  double d = 0.0;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
    d = std::max(d, std::fabs(a[i] - b[i]));
  return d;
}

inline double energy(const double* v, std::size_t n) {
  long double s = 0.0L;
  for (std::size_t i = 0; i < n; ++i) s += static_cast<long double>(v[i]) * v[i];
  return static_cast<double>(s);
}

// Every plug-in this build made, by name.
std::vector<std::string> built_plugins();

}  // namespace tfmex::test

#endif
