// tfmex_golden: calls every plug-in on a fixed corpus (several sizes, shapes,
// filters, levels and depths; inputs from an integer generator, so that no
// C library function takes part in making them) and prints one SHA-256 per
// plug-in over the bits of all its outputs. With --check FILE it compares
// them with FILE (tests/golden/hashes.txt) and fails on any difference: the
// same doubles must come out on every compiler, optimisation level, vector
// path, processor and operating system.
//
//   tfmex_golden [--check FILE] [--mex-dir DIR]
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "host/embedded/host.h"
#include "sha256.h"

namespace tfmex::golden {
namespace {

using host::Array;

// splitmix64: a fixed sequence of 64-bit integers.
struct Generator {
  std::uint64_t state;
  std::uint64_t next() {
    std::uint64_t z = (state += 0x9e3779b97f4a7c15u);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
  }
  // A double in [-1, 1) with 53 random bits: an integer below 2^53, shifted
  // and scaled by a power of two, both exact.
  double value() {
    const auto m = static_cast<std::int64_t>(next() >> 11);
    return static_cast<double>(m - (std::int64_t(1) << 52)) * 0x1p-52;
  }
  std::vector<double> values(std::size_t n) {
    std::vector<double> v(n);
    for (double& x : v) x = value();
    return v;
  }
};

// The calls of one plug-in: each a list of arguments.
using Calls = std::vector<std::vector<Array>>;

int log2_of(std::size_t n) {
  int J = 0;
  while ((std::size_t(1) << J) < n) ++J;
  return J;
}

// A signal of n values as a row, a column and a matrix of three columns.
std::vector<Array> orientations(Generator& g, std::size_t n) {
  std::vector<Array> s{Array::row(g.values(n)), Array::column(g.values(n))};
  if (n > 1) s.push_back(Array::matrix(n, 3, g.values(3 * n)));
  return s;
}

Array filter(Generator& g, std::size_t taps) { return Array::row(g.values(taps)); }

// A table of n rows and `cols` columns.
Array table(Generator& g, std::size_t n, std::size_t cols) {
  return Array::matrix(n, cols, g.values(n * cols));
}

// Levels 0, 1, J/2 and J (each once).
std::vector<int> levels(int J) {
  const std::set<int> l{0, std::min(1, J), J / 2, J};
  return std::vector<int>(l.begin(), l.end());
}

const std::size_t kTaps[] = {1, 2, 4, 8, 20};

Calls single_stage(Generator& g) {  // HalveCoarse, HalveDetail, GrowCoarse, GrowDetail
  Calls c;
  for (std::size_t n : {1, 2, 16, 1024})
    for (Array& x : orientations(g, n))
      for (std::size_t m : kTaps) c.push_back({x, filter(g, m)});
  return c;
}

Calls dyadic(Generator& g) {  // CircSplit, CircJoin
  Calls c;
  for (std::size_t n : {1, 8, 256, 4096}) {
    const int J = log2_of(n);
    for (Array& x : orientations(g, n))
      for (int L : levels(J))
        for (std::size_t m : {2, 4, 8, 20}) c.push_back({x, Array::scalar(L), filter(g, m)});
  }
  return c;
}

Calls image(Generator& g) {  // CircSplit2, CircJoin2
  Calls c;
  for (std::size_t n : {1, 4, 64, 256}) {
    const int J = log2_of(n);
    const Array x = table(g, n, n);
    for (int L : levels(J))
      for (std::size_t m : {2, 8, 20}) c.push_back({x, Array::scalar(L), filter(g, m)});
  }
  return c;
}

Calls split_table(Generator& g) {  // PacketSplit (depth), ShiftSplit (level), BellSplit
  Calls c;
  for (std::size_t n : {1, 16, 1024}) {
    const int J = log2_of(n);
    const Array x = Array::row(g.values(n)), xc = Array::column(g.values(n));
    for (int L : levels(J))
      for (std::size_t m : {2, 8, 20}) {
        c.push_back({x, Array::scalar(L), filter(g, m)});
        c.push_back({xc, Array::scalar(L), filter(g, m)});
      }
  }
  return c;
}

Calls bell_split(Generator& g) {
  Calls c;
  for (std::size_t n : {1, 2, 16, 1024, 4096}) {
    const Array x = Array::row(g.values(n)), xc = Array::column(g.values(n));
    for (int D : levels(log2_of(n))) {
      c.push_back({x, Array::scalar(D), Array::scalar(0)});
      c.push_back({xc, Array::scalar(D), Array::scalar(0)});
    }
  }
  return c;
}

// Tables of n rows and 1 + D columns for the joins; ShiftJoin's column count
// is J - L + 1, which covers the same range.
Calls join_table(Generator& g, bool with_filter) {
  Calls c;
  for (std::size_t n : {1, 16, 1024, 4096}) {
    for (int D : levels(log2_of(n))) {
      const Array t = table(g, n, static_cast<std::size_t>(D) + 1);
      if (!with_filter) {
        c.push_back({t});
        continue;
      }
      for (std::size_t m : {2, 8, 20}) c.push_back({t, filter(g, m)});
    }
  }
  return c;
}

Calls dual(Generator& g, bool odd_only) {  // DualSplit, DualJoin
  Calls c;
  const std::pair<std::size_t, std::size_t> pairs[] = {{1, 1}, {3, 5}, {5, 3}, {9, 7}, {2, 6}};
  for (std::size_t n : {1, 8, 256, 4096}) {
    const int J = log2_of(n);
    for (Array& x : orientations(g, n))
      for (int L : levels(J))
        for (auto [a, b] : pairs) {
          if (odd_only && (a % 2 == 0 || b % 2 == 0)) continue;
          c.push_back({x, Array::scalar(L), filter(g, a), filter(g, b)});
        }
  }
  return c;
}

std::size_t pow3(int k) {
  std::size_t p = 1;
  while (k-- > 0) p *= 3;
  return p;
}

// The triadic pyramids: n = 3^J (split) or 2 * 3^J, and one more (joins);
// levels 1 .. J + 1, halves included; degrees 0 and 2.
Calls pyramid(Generator& g, std::size_t factor) {
  Calls c;
  for (int J : {0, 1, 3, 7}) {
    for (std::size_t extra : {0, 1}) {
      if (extra == 1 && factor != 2) continue;
      const std::size_t n = pow3(J) * factor + extra;
      const Array x = Array::row(g.values(n)), xc = Array::column(g.values(n));
      for (double L : {1.0, 1.5, J / 2.0 + 1, J + 1.0})
        for (double D : {0.0, 2.0}) {
          c.push_back({x, Array::scalar(L), Array::scalar(D)});
          c.push_back({xc, Array::scalar(L), Array::scalar(D)});
        }
    }
  }
  return c;
}

Calls predict(Generator& g) {  // CenterPredict, TriplePredict
  Calls c;
  for (std::size_t n : {0, 1, 3, 4, 40, 2187})
    for (double D : {0.0, 2.0}) {
      if (D == 2.0 && n < 3) continue;
      c.push_back({Array::row(g.values(n)), Array::scalar(D)});
      c.push_back({Array::column(g.values(n)), Array::scalar(D)});
    }
  return c;
}

Calls trig(Generator& g) {  // TrigC2, TrigC3, TrigC4, TrigS2, TrigS3
  Calls c;
  for (int J = 0; J <= 13; ++J)
    for (Array& x : orientations(g, std::size_t(1) << J)) c.push_back({x});
  return c;
}

const std::map<std::string, std::function<Calls(Generator&)>>& corpus() {
  static const std::map<std::string, std::function<Calls(Generator&)>> k = {
      {"BellJoin", [](Generator& g) { return join_table(g, false); }},
      {"BellSplit", bell_split},
      {"BlockMeanJoin", [](Generator& g) { return pyramid(g, 2); }},
      {"BlockMeanSplit", [](Generator& g) { return pyramid(g, 1); }},
      {"CenterJoin", [](Generator& g) { return pyramid(g, 2); }},
      {"CenterPredict", predict},
      {"CircJoin", dyadic},
      {"CircJoin2", image},
      {"CircSplit", dyadic},
      {"CircSplit2", image},
      {"DualJoin", [](Generator& g) { return dual(g, true); }},
      {"DualSplit", [](Generator& g) { return dual(g, false); }},
      {"GrowCoarse", single_stage},
      {"GrowDetail", single_stage},
      {"HalveCoarse", single_stage},
      {"HalveDetail", single_stage},
      {"PacketJoin", [](Generator& g) { return join_table(g, true); }},
      {"PacketSplit", split_table},
      {"ShiftJoin", [](Generator& g) { return join_table(g, true); }},
      {"ShiftSplit", split_table},
      {"TrigC2", trig},
      {"TrigC3", trig},
      {"TrigC4", trig},
      {"TrigS2", trig},
      {"TrigS3", trig},
      {"TriplePredict", predict},
  };
  return k;
}

void put_u64(Sha256& h, std::uint64_t v) {
  std::uint8_t b[8];
  for (int i = 0; i < 8; ++i) b[i] = static_cast<std::uint8_t>(v >> (8 * i));
  h.update(b, 8);
}

// Hashes rows, columns and the bits of every value (little-endian, whatever
// the processor's order). A refused call or a broken host rule is an error.
bool run_plugin(const std::string& name, const std::string& mex_dir, std::string* digest) {
  const host::Plugin p = host::Plugin::load(name, mex_dir);
  // The seed comes from the name's bytes (not std::hash, which each standard
  // library defines its own way).
  Generator g{0};
  for (unsigned char ch : name) g.state = g.state * 131 + ch;
  Sha256 h;
  bool ok = true;
  const Calls calls = corpus().at(name)(g);
  for (std::size_t k = 0; k < calls.size(); ++k) {
    std::vector<const Array*> in;
    for (const Array& a : calls[k]) in.push_back(&a);
    const host::CallReport r = p.call(in);
    if (!r.ok || !r.problems().empty()) {
      std::fprintf(stderr, "%s: call %zu failed: %s%s\n", name.c_str(), k, r.message.c_str(),
                   r.problems().c_str());
      ok = false;
      continue;
    }
    put_u64(h, r.output.rows());
    put_u64(h, r.output.cols());
    for (double v : r.output.values()) {
      std::uint64_t bits;
      std::memcpy(&bits, &v, 8);
      put_u64(h, bits);
    }
  }
  *digest = h.hex();
  return ok;
}

std::map<std::string, std::string> read_file(const std::string& path) {
  std::map<std::string, std::string> m;
  std::ifstream f(path);
  std::string line;
  while (std::getline(f, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream s(line);
    std::string name, digest;
    if (s >> name >> digest) m[name] = digest;
  }
  return m;
}

int main_(int argc, char** argv) {
  std::string check, mex_dir = host::Plugin::default_mex_dir();
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--check" && i + 1 < argc) check = argv[++i];
    else if (a == "--mex-dir" && i + 1 < argc) mex_dir = argv[++i];
    else {
      std::fputs("usage: tfmex_golden [--check FILE] [--mex-dir DIR]\n", stderr);
      return 2;
    }
  }
  const auto expected = check.empty() ? std::map<std::string, std::string>{} : read_file(check);
  if (!check.empty() && expected.size() != corpus().size()) {
    std::fprintf(stderr, "%s holds %zu digests, the corpus has %zu plug-ins\n", check.c_str(),
                 expected.size(), corpus().size());
    return 1;
  }
  int bad = 0;
  if (check.empty())
    std::printf(
        "# SHA-256 of every plug-in's outputs on the golden corpus (tests/golden/golden.cpp).\n"
        "# Written by scripts/golden --write; every build and platform must reproduce it.\n");
  for (const auto& entry : corpus()) {
    const std::string& name = entry.first;
    std::string digest;
    if (!run_plugin(name, mex_dir, &digest)) ++bad;
    if (check.empty()) {
      std::printf("%-14s %s\n", name.c_str(), digest.c_str());
    } else if (auto it = expected.find(name); it == expected.end() || it->second != digest) {
      std::printf("%-14s differs: %s, expected %s\n", name.c_str(), digest.c_str(),
                  it == expected.end() ? "(none)" : it->second.c_str());
      ++bad;
    }
  }
  if (!check.empty())
    std::printf("%s: %zu plug-ins, %d differ or failed\n", check.c_str(), corpus().size(), bad);
  return bad == 0 ? 0 : 1;
}

}  // namespace
}  // namespace tfmex::golden

int main(int argc, char** argv) {
  try {
    return tfmex::golden::main_(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tfmex_golden: %s\n", e.what());
    return 2;
  }
}
