#include "host.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform.h"

using tfmex::host::ClassId;

// Under AddressSanitizer the guard zones are poisoned too, so that a read
// outside an array (not only a write) stops the program where it happens.
#if defined(__SANITIZE_ADDRESS__)
#define TFMEX_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TFMEX_ASAN 1
#endif
#endif
#ifdef TFMEX_ASAN
#include <sanitizer/asan_interface.h>
#define TFMEX_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define TFMEX_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define TFMEX_POISON(p, n) ((void)(p), (void)(n))
#define TFMEX_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

// The host's array. Data sits between two guard zones; `bytes` is what the
// data zone really holds (a phantom array claims more than it holds).
struct mxArray_tag {
  std::size_t rows = 0, cols = 0;
  ClassId cls = ClassId::Double;
  bool complex = false, sparse = false;
  std::size_t bytes = 0;
  unsigned char* block = nullptr;
  bool mapped = false;   // block from os::map_zeroed, else from calloc
  bool tracked = false;  // created by a plug-in during the current call
  unsigned char* data() const { return block + kGuard; }
  static constexpr std::size_t kGuard = 64;
  static constexpr unsigned char kPattern = 0xA5;
};

namespace {

constexpr std::size_t kGuard = mxArray_tag::kGuard;

std::size_t element_size(ClassId cls) {
  switch (cls) {
    case ClassId::Double:
    case ClassId::Int64:
    case ClassId::UInt64: return 8;
    case ClassId::Single:
    case ClassId::Int32:
    case ClassId::UInt32: return 4;
    case ClassId::Int16:
    case ClassId::UInt16:
    case ClassId::Char: return 2;
    default: return 1;
  }
}

// The exception that carries a raised message out of the plug-in.
struct Raised {
  std::string message;
};

struct CallContext {
  std::vector<mxArray*> live;  // created in this call and not destroyed
  std::size_t created = 0;
  tfmex::host::CallReport* report = nullptr;
  const std::vector<const mxArray*>* inputs = nullptr;
};

thread_local CallContext* g_call = nullptr;

void poison_guards(const mxArray* a) {
  TFMEX_POISON(a->block, kGuard);
  TFMEX_POISON(a->block + kGuard + a->bytes, kGuard);
}

void unpoison_guards(const mxArray* a) {
  TFMEX_UNPOISON(a->block, kGuard);
  TFMEX_UNPOISON(a->block + kGuard + a->bytes, kGuard);
}

// Reads the guard zones without unpoisoning them, so that checking an input
// shared by calls on several threads changes nothing.
#ifdef TFMEX_ASAN
__attribute__((no_sanitize("address")))
#endif
bool guards_ok(const mxArray* a) {
  const volatile unsigned char* lo = a->block;
  const volatile unsigned char* hi = a->block + kGuard + a->bytes;
  bool ok = true;
  for (std::size_t i = 0; i < kGuard; ++i)
    if (lo[i] != mxArray_tag::kPattern || hi[i] != mxArray_tag::kPattern) ok = false;
  return ok;
}

// Arrays of this many bytes and more are mapped on their own (see
// os::map_zeroed); smaller ones come from calloc.
constexpr std::size_t kMapped = std::size_t{4} << 20;

// Allocates an array holding `bytes` zero bytes between guards; null on failure.
// Fresh pages are zero already and are first touched by whoever fills them,
// so a large result is not written twice (calloc writes zeros only into
// memory it reuses). A mapping larger than the memory the system has left is
// refused here: granted, it would end the process once filled.
mxArray* allocate(std::size_t rows, std::size_t cols, ClassId cls, std::size_t bytes) {
  if (bytes > (std::size_t(1) << 46)) return nullptr;
  const std::size_t size = bytes + 2 * kGuard;
  const bool mapped = size >= kMapped;
  if (mapped && !tfmex::host::os::memory_left_for(size)) return nullptr;
  auto* block = static_cast<unsigned char*>(mapped ? tfmex::host::os::map_zeroed(size)
                                                   : std::calloc(size, 1));
  if (block == nullptr) return nullptr;
  std::memset(block, mxArray_tag::kPattern, kGuard);
  std::memset(block + kGuard + bytes, mxArray_tag::kPattern, kGuard);
  auto* a = new (std::nothrow) mxArray_tag;
  if (a == nullptr) {
    if (mapped) {
      tfmex::host::os::unmap(block, size);
    } else {
      std::free(block);
    }
    return nullptr;
  }
  a->mapped = mapped;
  a->rows = rows;
  a->cols = cols;
  a->cls = cls;
  a->bytes = bytes;
  a->block = block;
  poison_guards(a);
  return a;
}

void free_array(mxArray* a) {
  unpoison_guards(a);
  if (a->mapped) {
    tfmex::host::os::unmap(a->block, a->bytes + 2 * kGuard);
  } else {
    std::free(a->block);
  }
  delete a;
}

bool mul_overflows(std::size_t a, std::size_t b, std::size_t* out) {
  return __builtin_mul_overflow(a, b, out);
}

// What a call keeps of an input to tell afterwards whether it was changed:
// the bytes themselves up to 64 MiB, else four 64-bit lanes, each folding in
// every fourth word by a bijective step, so that a change of any one word
// always shows, without a second copy of a large input (a table of
// gigabytes, say).
constexpr std::size_t kCopiedInput = std::size_t{64} << 20;

struct InputPrint {
  std::vector<unsigned char> bytes;
  std::uint64_t lanes[4] = {0, 0, 0, 0};

  explicit InputPrint(const mxArray* a) {
    if (a->bytes < kCopiedInput) {
      bytes.assign(a->data(), a->data() + a->bytes);
    } else {
      fold(a->data(), a->bytes, lanes);
    }
  }

  bool same(const mxArray* a) const {
    if (a->bytes < kCopiedInput)
      return a->bytes == 0 || std::memcmp(bytes.data(), a->data(), a->bytes) == 0;
    std::uint64_t now[4] = {0, 0, 0, 0};
    fold(a->data(), a->bytes, now);
    return std::equal(now, now + 4, lanes);
  }

  static void fold(const unsigned char* p, std::size_t n, std::uint64_t* lane) {
    constexpr std::uint64_t kOdd = 0x9E3779B97F4A7C15ull;
    auto step = [](std::uint64_t l, std::uint64_t w) {
      l = (l ^ w) * kOdd;
      return (l << 29) | (l >> 35);
    };
    std::size_t i = 0;
    for (; i + 32 <= n; i += 32) {
      std::uint64_t w[4];
      std::memcpy(w, p + i, 32);
      for (int k = 0; k < 4; ++k) lane[k] = step(lane[k], w[k]);
    }
    for (int k = 0; i < n; ++i, k = (k + 1) % 4) lane[k] = step(lane[k], p[i] + 256u);
    lane[0] = step(lane[0], n);
  }
};

}  // namespace

extern "C" {

std::size_t mxGetM(const mxArray* a) { return a->rows; }
std::size_t mxGetN(const mxArray* a) { return a->cols; }
double* mxGetPr(const mxArray* a) {
  return a->bytes == 0 ? nullptr : reinterpret_cast<double*>(a->data());
}
bool mxIsDouble(const mxArray* a) { return a->cls == ClassId::Double; }
bool mxIsComplex(const mxArray* a) { return a->complex; }
bool mxIsSparse(const mxArray* a) { return a->sparse; }

mxArray* mxCreateDoubleMatrix(mwSize rows, mwSize cols, mxComplexity flag) {
  std::size_t count = 0, bytes = 0;
  mxArray* a = nullptr;
  if (!mul_overflows(rows, cols, &count) && !mul_overflows(count, 8, &bytes))
    a = allocate(rows, cols, ClassId::Double, bytes);
  if (a == nullptr) mexErrMsgTxt("Out of memory.");
  a->complex = flag == mxCOMPLEX;
  if (g_call != nullptr) {
    a->tracked = true;
    g_call->live.push_back(a);
    ++g_call->created;
  }
  return a;
}

void mxDestroyArray(mxArray* a) {
  if (a == nullptr) return;
  CallContext* call = g_call;
  if (call == nullptr) {
    free_array(a);
    return;
  }
  auto it = std::find(call->live.begin(), call->live.end(), a);
  if (it == call->live.end()) {
    // An input, an array of another call, or one destroyed already.
    call->report->bad_destroy = true;
    return;
  }
  if (!guards_ok(a)) call->report->guards_intact = false;
  call->report->destroyed_rows.push_back(a->rows);
  call->report->destroyed_cols.push_back(a->cols);
  call->live.erase(it);
  free_array(a);
}

void mexErrMsgTxt(const char* text) { throw Raised{text != nullptr ? text : ""}; }

}  // extern "C"

namespace tfmex::host {

void Array::Deleter::operator()(mxArray* a) const { free_array(a); }

Array Array::adopt(mxArray* a) {
  Array r;
  a->tracked = false;
  r.a_ = std::shared_ptr<mxArray>(a, Deleter{});
  return r;
}

Array Array::matrix(std::size_t rows, std::size_t cols, const std::vector<double>& values) {
  mxArray* a = allocate(rows, cols, ClassId::Double, rows * cols * 8);
  if (a == nullptr) throw std::bad_alloc();
  Array r = adopt(a);
  std::copy_n(values.begin(), std::min(values.size(), rows * cols), r.data());
  return r;
}
Array Array::row(const std::vector<double>& v) { return matrix(1, v.size(), v); }
Array Array::column(const std::vector<double>& v) { return matrix(v.size(), 1, v); }
Array Array::scalar(double value) { return matrix(1, 1, {value}); }
Array Array::empty() { return matrix(0, 0); }

Array Array::of_class(ClassId cls, std::size_t rows, std::size_t cols, bool complex, bool sparse) {
  // A sparse array holds its nonzeros only: here none, with room for one.
  const std::size_t bytes = sparse ? element_size(cls) : rows * cols * element_size(cls);
  mxArray* a = allocate(rows, cols, cls, bytes);
  if (a == nullptr) throw std::bad_alloc();
  a->complex = complex;
  a->sparse = sparse;
  return adopt(a);
}

Array Array::phantom(std::size_t rows, std::size_t cols) {
  mxArray* a = allocate(rows, cols, ClassId::Double, 4 * 8);
  if (a == nullptr) throw std::bad_alloc();
  return adopt(a);
}

std::size_t Array::rows() const { return a_->rows; }
std::size_t Array::cols() const { return a_->cols; }
double* Array::data() { return reinterpret_cast<double*>(a_->data()); }
const double* Array::data() const { return reinterpret_cast<const double*>(a_->data()); }
std::vector<double> Array::values() const {
  const std::size_t n = std::min(size(), a_->bytes / 8);
  return std::vector<double>(data(), data() + n);
}

std::string CallReport::problems() const {
  std::string p;
  if (!ok && created_before_error != 0) p += "arrays were created before the message; ";
  if (leaked != 0) p += std::to_string(leaked) + " workspace(s) not destroyed; ";
  if (!inputs_unchanged) p += "an input was changed; ";
  if (!guards_intact) p += "a write landed outside an array; ";
  if (bad_destroy) p += "destroyed an array it did not create; ";
  if (output_missing) p += "returned without an output; ";
  return p;
}

std::string Plugin::default_mex_dir() {
  if (const char* env = std::getenv("TFMEX_MEX_DIR"); env != nullptr && *env != '\0') return env;
#ifdef TFMEX_DEFAULT_MEX_DIR
  return TFMEX_DEFAULT_MEX_DIR;
#else
  return "build/mex";
#endif
}

Plugin Plugin::load(const std::string& name, const std::string& mex_dir) {
  Plugin p;
  const std::size_t sep = os::last_separator(name);
  const bool is_path = sep != std::string::npos;
  const std::string path = is_path ? name : mex_dir + "/" + name + ".mex";
  p.name_ = name;
  if (is_path) {
    p.name_ = name.substr(sep + 1);
    auto dot = p.name_.rfind('.');
    if (dot != std::string::npos) p.name_.erase(dot);
  }
  std::string why;
  void* h = os::open_library(path, &why);
  if (h == nullptr) throw LoadError("cannot load " + path + ": " + why);
  p.handle_ = std::shared_ptr<void>(h, [](void* x) { os::close_library(x); });
  p.entry_ = reinterpret_cast<Entry>(os::find_symbol(h, "mexFunction"));
  p.version_ = reinterpret_cast<VersionFn>(os::find_symbol(h, "mexVersion"));
  if (p.entry_ == nullptr) throw LoadError(path + " does not export mexFunction");
  return p;
}

const char* Plugin::version() const { return version_ != nullptr ? version_() : nullptr; }

CallReport Plugin::call(int nlhs, const std::vector<const Array*>& inputs) const {
  CallReport report;
  std::vector<const mxArray*> prhs;
  std::vector<InputPrint> before;
  for (const Array* in : inputs) {
    prhs.push_back(in->get());
    before.emplace_back(in->get());
  }
  std::vector<mxArray*> plhs(static_cast<std::size_t>(std::max(nlhs, 1)), nullptr);

  CallContext call;
  call.report = &report;
  call.inputs = &prhs;
  CallContext* outer = g_call;
  g_call = &call;
  try {
    entry_(nlhs, plhs.data(), static_cast<int>(prhs.size()), prhs.data());
    report.ok = true;
  } catch (const Raised& e) {
    report.ok = false;
    report.message = e.message;
    report.created_before_error = call.created;
  }
  g_call = outer;
  report.created = call.created;

  mxArray* out = report.ok ? plhs[0] : nullptr;
  if (report.ok && out == nullptr) report.output_missing = true;
  for (mxArray* a : call.live) {
    if (!guards_ok(a)) report.guards_intact = false;
    if (a == out) continue;
    if (report.ok) ++report.leaked;  // after a message the host releases what was made
    free_array(a);
  }
  if (out != nullptr) {
    if (std::find(call.live.begin(), call.live.end(), out) == call.live.end()) {
      report.bad_destroy = true;  // plhs[0] is not an array of this call
    } else {
      report.output = Array::adopt(out);
    }
  }
  for (std::size_t i = 0; i < prhs.size(); ++i) {
    const mxArray* a = prhs[i];
    if (!guards_ok(a)) report.guards_intact = false;
    if (!before[i].same(a)) report.inputs_unchanged = false;
  }
  return report;
}

Array Plugin::call_unchecked(int nrhs, const mxArray* const* prhs) const {
  mxArray* plhs[1] = {nullptr};
  CallContext* outer = g_call;
  g_call = nullptr;  // arrays made now are neither tracked nor checked
  try {
    entry_(1, plhs, nrhs, const_cast<const mxArray**>(prhs));
  } catch (const Raised& e) {
    g_call = outer;
    throw std::runtime_error(e.message);
  }
  g_call = outer;
  if (plhs[0] == nullptr) throw std::runtime_error("returned without an output");
  return Array::adopt(plhs[0]);
}

}  // namespace tfmex::host
