// Drives every plug-in through the embedded host with fuzzer-chosen calls:
// input and output counts, shapes, classes, scalar values and filter lengths.
// Every call must end in one of the plug-in's messages or in an output of the
// promised shape, with the inputs unchanged, every workspace destroyed and
// every guard zone intact; the sanitizers catch any read or write outside an
// array on the way.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "host/embedded/host.h"
#include "tests/plugin_catalogue.h"

using tfmex::host::Array;
using tfmex::host::ClassId;
using tfmex::host::Plugin;
using tfmex::test::catalogue;

namespace {

class Reader {
 public:
  Reader(const std::uint8_t* p, std::size_t n) : p_(p), n_(n) {}
  std::uint8_t byte() { return n_ ? (--n_, *p_++) : 0; }
  std::uint64_t u64() {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = v << 8 | byte();
    return v;
  }
  bool done() const { return n_ == 0; }
  // A leading "Name\0" picks a plug-in by name (so that seeds survive new plug-ins).
  int plugin_index() {
    const auto& cat = catalogue();
    const void* nul = std::memchr(p_, 0, n_ < 32 ? n_ : 32);
    if (nul != nullptr) {
      const std::string name(reinterpret_cast<const char*>(p_),
                             static_cast<const std::uint8_t*>(nul) - p_);
      for (std::size_t i = 0; i < cat.size(); ++i) {
        if (name == cat[i].name) {
          const std::size_t used = name.size() + 1;
          p_ += used;
          n_ -= used;
          return static_cast<int>(i);
        }
      }
    }
    return byte() % static_cast<int>(cat.size());
  }

 private:
  const std::uint8_t* p_;
  std::size_t n_;
};

const double kSpecial[] = {NAN,
                           INFINITY,
                           -INFINITY,
                           0.0,
                           -0.0,
                           0.5,
                           -0.5,
                           0.7,
                           -0.7,
                           1.5,
                           2.5,
                           1e300,
                           -1e300,
                           2147483647.0,
                           -2147483648.0,
                           2147483648.0,
                           4294967296.0,
                           1e12,
                           -1e12,
                           1,
                           2,
                           3,
                           5,
                           7,
                           9,
                           27,
                           -1,
                           -2,
                           1.9,
                           2.9,
                           0.49999999999999994};
const std::size_t kSizes[] = {0, 1, 2, 3, 4, 5, 6, 8, 9, 12, 16, 18, 27, 32, 54, 64, 81, 128};

std::size_t size_from(Reader& r) {
  const std::uint8_t b = r.byte();
  return b < 200 ? kSizes[b % (sizeof kSizes / sizeof kSizes[0])] : b - 200;  // 0 .. 55 for filters
}

Array fuzzed_array(Reader& r) {
  const std::uint8_t kind = r.byte();
  std::size_t rows = 1, cols = 1;
  switch (r.byte() % 7) {
    case 0: rows = cols = 0; break;
    case 1: rows = 1, cols = 0; break;
    case 2: rows = 0, cols = 1; break;
    case 3: break;
    case 4: cols = size_from(r); break;
    case 5: rows = size_from(r); break;
    default: rows = size_from(r); cols = r.byte() % 5;
  }
  if (kind >= 232) {  // another class, complex or sparse: must be refused unread
    static const ClassId other[] = {ClassId::Single,  ClassId::Int8,  ClassId::UInt8,
                                    ClassId::Int16,   ClassId::Int32, ClassId::Int64,
                                    ClassId::Logical, ClassId::Char};
    const int k = kind - 232;
    if (k < 8) return Array::of_class(other[k], rows, cols);
    return Array::of_class(ClassId::Double, rows, cols, k % 2 == 0, k % 2 == 1);
  }
  Array a = Array::matrix(rows, cols);
  std::mt19937_64 rng(r.u64());
  std::normal_distribution<double> normal;
  const std::size_t nspecial = sizeof kSpecial / sizeof kSpecial[0];
  for (std::size_t i = 0; i < a.size(); ++i) {
    const std::uint8_t b = i < 4 ? r.byte() : static_cast<std::uint8_t>(rng());
    a.data()[i] = b < nspecial ? kSpecial[b] : normal(rng);
  }
  return a;
}

[[noreturn]] void fail(const char* plugin, const std::string& what) {
  std::fprintf(stderr, "%s: %s\n", plugin, what.c_str());
  std::abort();
}

const std::vector<Plugin>& plugins() {
  static const std::vector<Plugin> all = [] {
    std::vector<Plugin> v;
    for (const auto& e : catalogue()) v.push_back(Plugin::load(e.name, TFMEX_FUZZ_MEX_DIR));
    return v;
  }();
  return all;
}

}  // namespace

// Loads every plug-in before the first input, so that the fuzzer sees the
// plug-ins' coverage counters from the start.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  plugins();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader r(data, size);
  const int index = r.plugin_index();
  const auto& entry = catalogue()[index];
  std::vector<Array> args;
  int nlhs = 1;
  const std::uint8_t mode = r.byte();
  if (mode % 4 == 0) {
    // A valid call, possibly with one argument replaced.
    std::mt19937_64 rng(r.u64());
    args = entry.valid(rng);
    const std::uint8_t replace = r.byte();
    if (replace < args.size()) args[replace] = fuzzed_array(r);
  } else {
    static const int kOutputs[] = {1, 1, 1, 1, 0, 2};
    nlhs = kOutputs[r.byte() % 6];
    const int nrhs = std::max(0, entry.inputs + (r.byte() % 7 == 0 ? r.byte() % 5 - 2 : 0));
    for (int i = 0; i < nrhs; ++i) args.push_back(fuzzed_array(r));
  }
  std::vector<const Array*> in;
  for (const Array& a : args) in.push_back(&a);

  const auto report = plugins()[index].call(nlhs, in);
  if (!report.problems().empty()) fail(entry.name, report.problems());
  if (report.ok) {
    const auto want = entry.shape(in);
    if (report.output.rows() != want.first || report.output.cols() != want.second)
      fail(entry.name, "output of " + std::to_string(report.output.rows()) + " x " +
                           std::to_string(report.output.cols()) + ", promised " +
                           std::to_string(want.first) + " x " + std::to_string(want.second));
  } else if (report.message.empty()) {
    fail(entry.name, "refused a call without a message");
  }
  return 0;
}
