// What every part of the library shares: the export mark, the errors it
// throws, filters and the strided batches the transforms work on, and the
// pooled workspaces they compute in.
//
// Memory is always the caller's: a transform reads its input and writes its
// output through the pointers and strides it is given, and allocates nothing
// but its workspace. Every transform is thread-safe; calls on different
// threads share only immutable tables and the pools of workspaces and threads.
#ifndef TFMEX_COMMON_HPP
#define TFMEX_COMMON_HPP

#include <array>
#include <cstddef>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

// TFMEX_API marks what the shared library exports: on Windows the DLL
// exports exactly what carries it (the build of tfmex_shared defines
// TFMEX_SHARED_BUILD) and its users import it (tfmex::tfmex and tfmex.pc define
// TFMEX_SHARED); elsewhere it makes the names visible from a library built
// with hidden visibility. The static library (and every plug-in built on it)
// needs no mark on Windows.
#if defined(_WIN32) && defined(TFMEX_SHARED_BUILD)
#define TFMEX_API __declspec(dllexport)
#elif defined(_WIN32) && defined(TFMEX_SHARED)
#define TFMEX_API __declspec(dllimport)
#elif defined(_WIN32)
#define TFMEX_API
#elif defined(__GNUC__)
#define TFMEX_API __attribute__((visibility("default")))
#else
#define TFMEX_API
#endif

namespace tfmex {

// The library's version, "major.minor.patch".
TFMEX_API const char* version();

// A refused argument: the message names the argument and what it must be.
class TFMEX_API invalid_argument : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// Memory for a workspace (or a result the library was asked to make) could
// not be had. what() says how much was asked for.
class TFMEX_API out_of_memory : public std::bad_alloc {
 public:
  explicit out_of_memory(std::string what) : what_(std::move(what)) {}
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  std::string what_;
};

// A read-only list of doubles the caller owns: filter taps, most often.
struct Taps {
  const double* data = nullptr;
  std::ptrdiff_t size = 0;

  Taps() = default;
  Taps(const double* d, std::ptrdiff_t n) : data(d), size(n) {}
  Taps(const std::vector<double>& v)  // NOLINT: implicit on purpose
      : data(v.data()), size(static_cast<std::ptrdiff_t>(v.size())) {}
  template <std::size_t N>
  Taps(const std::array<double, N>& a)  // NOLINT
      : data(a.data()), size(static_cast<std::ptrdiff_t>(N)) {}
  const double& operator[](std::ptrdiff_t i) const { return data[i]; }
  const double* begin() const { return data; }
  const double* end() const { return data + size; }
};

// Where the vectors of a batch lie: value i of vector b is at
// data[b * distance + i * stride]. A distance of 0 means the vectors follow
// one another, length * stride apart. Strides may be negative.
struct Strides {
  std::ptrdiff_t stride = 1;
  std::ptrdiff_t distance = 0;
};

// `count` independent vectors, read through `in` and written through `out`.
// The default is one packed vector. Batch::packed(k) is k vectors stored one
// after another (the columns of a column-major matrix, the rows of a
// row-major one); a strided view or the rows of a column-major matrix are
// Batch{k, {ld, 1}, {ld, 1}}.
struct Batch {
  std::ptrdiff_t count = 1;
  Strides in{};
  Strides out{};

  static Batch packed(std::ptrdiff_t count) { return Batch{count, {}, {}}; }
};

// Where a batch of matrices (tables of n rows, square images) lies: element
// (r, c) of matrix b is at data[b * distance + r * rows + c * cols]. A cols of
// 0 means rows * (the matrix's row count), column after column; a distance of
// 0 means the matrices follow one another: the longer of the two spans
// (rows * row count, cols * column count) apart.
struct Strides2 {
  std::ptrdiff_t rows = 1;
  std::ptrdiff_t cols = 0;
  std::ptrdiff_t distance = 0;
};

struct Batch2 {
  std::ptrdiff_t count = 1;
  Strides2 in{};
  Strides2 out{};

  static Batch2 packed(std::ptrdiff_t count) { return Batch2{count, {}, {}}; }
};

// A batch of signals turned into tables (a split) and of tables turned back
// into signals (a join).
struct VectorToTable {
  std::ptrdiff_t count = 1;
  Strides in{};
  Strides2 out{};
};
struct TableToVector {
  std::ptrdiff_t count = 1;
  Strides2 in{};
  Strides out{};
};

// Scratch memory of at least size() doubles on a 64-byte boundary, taken from
// a process-wide pool and given back when the Workspace is destroyed, so
// repeated calls neither allocate nor touch fresh pages. Its contents are
// unspecified: every transform writes what it reads. A transform given a
// Workspace too small for it takes a larger one from the pool instead.
class TFMEX_API Workspace {
 public:
  Workspace() noexcept = default;
  // Throws out_of_memory when the memory cannot be had.
  explicit Workspace(std::size_t doubles);
  ~Workspace();
  Workspace(Workspace&& other) noexcept;
  Workspace& operator=(Workspace&& other) noexcept;
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  double* data() const { return data_; }
  std::size_t size() const { return size_; }

  // Makes the workspace hold at least `doubles` (its contents are not kept).
  void reserve(std::size_t doubles);

  struct Slot;

 private:
  Slot* slot_ = nullptr;
  double* data_ = nullptr;
  std::size_t size_ = 0;
};

// The number of threads a transform may use: the count of the innermost
// ThreadCount living on the calling thread, else set_threads()'s value when
// one was set, else TFMEX_THREADS when it holds a positive integer (read on
// every call), else the processors this process may run on. The results are
// the same doubles with any number of threads.
TFMEX_API int threads();
// 0 goes back to TFMEX_THREADS and the processor count; 1 turns threads off.
TFMEX_API void set_threads(int count);

// The number of threads the calls made on this thread may use while the
// object lives (count >= 1; 0 or less changes nothing), whatever
// set_threads() and TFMEX_THREADS say: a caller's own "workers" setting that
// other threads of the process do not see.
class TFMEX_API ThreadCount {
 public:
  explicit ThreadCount(int count) noexcept;
  ~ThreadCount();
  ThreadCount(const ThreadCount&) = delete;
  ThreadCount& operator=(const ThreadCount&) = delete;

 private:
  int previous_;
};

}  // namespace tfmex

#endif
