// The embedded host: the host operations of host/mex.h implemented for this
// process, a loader for plug-in files, and a checked call.
//
// Arrays carry a class (double, single, integers, logical, char), a complex
// and a sparse flag, so that the plug-ins' refusal of other classes can be
// exercised. Every array sits between guard bytes. A call keeps account of
// every array the plug-in creates; afterwards it reports the output or the
// message, and whether every workspace was destroyed, the inputs were left
// unchanged (compared byte for byte, or by a fingerprint from 64 MiB on,
// so that a call holds no second copy of them) and every guard is intact.
// Calls on different threads are independent. An array larger than the
// memory the system has left is refused rather than mapped.
#ifndef TFMEX_HOST_EMBEDDED_HOST_H
#define TFMEX_HOST_EMBEDDED_HOST_H

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "mex.h"

namespace tfmex::host {

enum class ClassId {
  Double,
  Single,
  Int8,
  UInt8,
  Int16,
  UInt16,
  Int32,
  UInt32,
  Int64,
  UInt64,
  Logical,
  Char
};

// An array owned by the caller (test, command line), released on destruction.
class TFMEX_HOST_API Array {
 public:
  Array() = default;
  // A real double matrix; values in column-major order (zeros when empty).
  static Array matrix(std::size_t rows, std::size_t cols, const std::vector<double>& values = {});
  static Array row(const std::vector<double>& values);
  static Array column(const std::vector<double>& values);
  static Array scalar(double value);
  static Array empty();  // 0 x 0
  // An array of another class or kind, zero-filled.
  static Array of_class(ClassId cls, std::size_t rows, std::size_t cols, bool complex = false,
                        bool sparse = false);
  // A double array that claims rows x cols but holds only a few guarded
  // values: for checking that oversized arguments are refused unread.
  static Array phantom(std::size_t rows, std::size_t cols);

  std::size_t rows() const;
  std::size_t cols() const;
  std::size_t size() const { return rows() * cols(); }
  double* data();
  const double* data() const;
  std::vector<double> values() const;
  double operator[](std::size_t i) const { return data()[i]; }
  mxArray* get() const { return a_.get(); }
  explicit operator bool() const { return a_ != nullptr; }

  static Array adopt(mxArray* a);  // takes ownership of an untracked array

 private:
  struct Deleter {
    void operator()(mxArray* a) const;
  };
  std::shared_ptr<mxArray> a_;
};

// What one call did.
struct TFMEX_HOST_API CallReport {
  bool ok = false;                          // the plug-in returned normally
  std::string message;                      // the message it raised, when !ok
  Array output;                             // plhs[0], when ok
  std::size_t created = 0;                  // arrays the plug-in created
  std::size_t created_before_error = 0;     // arrays created before the message
  std::size_t leaked = 0;                   // workspaces not destroyed
  std::vector<std::size_t> destroyed_rows;  // rows of each destroyed array, in order
  std::vector<std::size_t> destroyed_cols;
  bool inputs_unchanged = true;
  bool guards_intact = true;
  bool bad_destroy = false;     // destroy of an input, of the output or of a foreign array
  bool output_missing = false;  // returned normally without filling plhs[0]

  // Empty when every invariant holds; otherwise what went wrong.
  std::string problems() const;
};

class TFMEX_HOST_API Plugin {
 public:
  // Loads <mex_dir>/<name>.mex, or `name` itself when it contains a '/'.
  static Plugin load(const std::string& name, const std::string& mex_dir = default_mex_dir());
  const std::string& name() const { return name_; }
  const char* version() const;
  CallReport call(int nlhs, const std::vector<const Array*>& inputs) const;
  CallReport call(const std::vector<const Array*>& inputs) const { return call(1, inputs); }
  // The call as a host that trusts the plug-in makes it, for timing: no copy
  // of the inputs, no account of created arrays, no guard checks. Returns the
  // output; a raised message is thrown as std::runtime_error. Tests use call().
  Array call_unchecked(int nrhs, const mxArray* const* prhs) const;

  static std::string default_mex_dir();

 private:
  using Entry = void (*)(int, mxArray**, int, const mxArray**);
  using VersionFn = const char* (*)();
  std::string name_;
  std::shared_ptr<void> handle_;
  Entry entry_ = nullptr;
  VersionFn version_ = nullptr;
};

// Error raised by the loader (file missing, symbols missing).
struct TFMEX_HOST_API LoadError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace tfmex::host

#endif
