// Workspaces kept between calls and a small thread pool, both per plug-in.
//
// A plug-in's workspace comes from a pool of buffers that outlives the call:
// a call takes one buffer (the largest free one), grows it if it is too small
// and gives it back afterwards, so repeated calls neither allocate nor fault
// in fresh pages. Buffers above kKeepLimit doubles are freed when they are
// given back. A buffer is new (all zeros) only when it grows; otherwise it
// holds whatever the previous call left, and each gateway zeroes the few
// values its kernels read before writing.
//
// The pool of threads splits independent work (columns, rows, the blocks of
// a level) into parts. Worker threads never call the host: every host call
// (argument checks, arrays, workspaces, messages) is made on the caller's
// thread before or after a parallel part, and each part has its own
// workspace, taken by the caller beforehand.
//
// Both pools are static objects of the plug-in: unloading it (dlclose, an
// Octave `clear functions`) frees the buffers and stops and joins the workers in
// their destructors. No thread_local object is used, so nothing keeps glibc
// from unloading the library. On Windows a DLL cannot join threads in its
// unload handlers (the loader lock is held and exiting threads need it): a
// plug-in that has started workers pins itself and stays loaded until the
// process ends.
#ifndef TFMEX_HOST_PARALLEL_H
#define TFMEX_HOST_PARALLEL_H

#include <cstddef>
#include <type_traits>

#define TFMEX_MEMORY_MSG(plugin) plugin " could not allocate its workspace"

namespace tfmex::gw {

// Buffers of more doubles than this (256 MiB) are freed after the call instead
// of being kept for the next one. It keeps the largest workspace at 2^20
// values (BellJoin's 16n plus 3n per thread) from being made afresh on every
// call.
constexpr std::size_t kKeepLimit = std::size_t{1} << 25;

// A buffer of at least `count` doubles from the plug-in's pool, on a 64-byte
// boundary, held until destruction. When memory cannot be had, msg is raised
// through the host (nothing else is held then).
class Workspace {
 public:
  Workspace(std::size_t count, const char* msg);
  ~Workspace();
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;
  double* data() const { return data_; }

  struct Slot;  // a buffer of the pool

 private:
  Slot* slot_;
  double* data_;
};

}  // namespace tfmex::gw

namespace tfmex::par {

// The number of threads a call may use: TFMEX_THREADS when set to a positive
// integer (read on every call, so a host can change it between calls), else
// the processors this process may run on. 1 turns the threads off.
int threads();

// The least work (in filter taps) worth splitting over threads. The filter
// kernels do about 10^10 taps a second on this project's AVX-512 test machine
// (a quarter of that on the portable path), so this is 0.2 to 1 ms of work,
// well above the tens of microseconds a sleeping worker takes to wake (more
// on a busy machine); below it the threads would gain little or lose.
constexpr double kMinWork = 2097152.0;

// How many parts to split `items` independent pieces of work into, when all
// of them together cost about `work` elementary steps: one below `min_work`
// (the threads' start-up would cost more than they gain), else
// min(threads(), items).
int parts_for(std::ptrdiff_t items, double work, double min_work);

// Calls fn(ctx, p) for p = 0 .. parts - 1, on the caller's thread and the
// pool's workers, and returns when every call has returned. Parts must be
// independent. When another call of the plug-in is using the pool, or
// threads cannot be started, the parts run one after another on the caller's
// thread: the results do not depend on where a part runs.
void run(int parts, void (*fn)(void*, int), void* ctx);

// run() for a callable f(int part).
template <class F>
void run(int parts, F&& f) {
  using G = std::remove_reference_t<F>;
  run(parts, [](void* c, int p) { (*static_cast<G*>(c))(p); },
      const_cast<void*>(static_cast<const void*>(&f)));
}

// Part p of `items` pieces split into `parts` contiguous ranges: [begin, end).
inline std::ptrdiff_t part_begin(std::ptrdiff_t items, int parts, int p) {
  return items * p / parts;
}

// Doubles between the workspaces of consecutive parts: `count` rounded up to
// a 64-byte multiple, so every part's workspace keeps the buffer's alignment.
inline std::size_t part_stride(std::size_t count) { return (count + 7) / 8 * 8; }

}  // namespace tfmex::par

#endif
