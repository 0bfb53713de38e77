// The library's thread pool and the helpers that split work over it.
//
// The pool splits independent work (signals, rows, the blocks of a level)
// into parts. Parts run on the caller's thread and on the pool's workers; each
// part has its own piece of the call's workspace. The pool is a static object
// of whatever binary the library is linked into (a plug-in, a program, the
// Python module): unloading that binary stops and joins the workers. No
// thread_local object with a destructor is used, so nothing keeps glibc from
// unloading it. On
// Windows a DLL cannot join threads in its unload handlers (the loader lock is
// held and exiting threads need it): a DLL that has started workers pins
// itself and stays loaded until the process ends.
//
// fork(): a child starts with no workers and fresh locks, and starts its own
// workers on first need; the parent keeps its workers. A child never waits
// for the parent's threads, at exit or anywhere else.
#ifndef TFMEX_SRC_PARALLEL_HPP
#define TFMEX_SRC_PARALLEL_HPP

#include <atomic>
#include <cstddef>
#include <type_traits>

#include "tfmex/common.hpp"

namespace tfmex::par {

using tfmex::threads;

// Workspace buffers of more doubles than this (256 MiB) are freed when given
// back instead of being kept for the next call. It keeps the largest
// workspace at 2^20 values (BellJoin's 16n plus 3n per thread) from being
// made afresh on every call.
constexpr std::size_t kKeepLimit = std::size_t{1} << 25;

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
// independent and must not throw. When another call is using the pool, or
// threads cannot be started, the parts run one after another on the caller's
// thread: the results do not depend on where a part runs.
void run(int parts, void (*fn)(void*, int), void* ctx);

// run() for a callable f(int part).
template <class F>
void run(int parts, F&& f) {
  using G = std::remove_reference_t<F>;
  run(
      parts, [](void* c, int p) { (*static_cast<G*>(c))(p); },
      const_cast<void*>(static_cast<const void*>(&f)));
}

// Part p of `items` pieces split into `parts` contiguous ranges: [begin, end).
inline std::ptrdiff_t part_begin(std::ptrdiff_t items, int parts, int p) {
  return items * p / parts;
}

// The items of a batch handed out a chunk at a time to the parts of a run()
// as they ask, so that a part whose thread starts late (a worker still
// waking) takes fewer of them and none waits at the end for the slowest.
// With more than one part there are about kChunksPerPart chunks per part,
// each a multiple of `granule` items (a vector group of signals); a single
// part takes everything at once.
class Chunks {
 public:
  static constexpr std::ptrdiff_t kChunksPerPart = 8;

  Chunks(std::ptrdiff_t items, int parts, std::ptrdiff_t granule) : items_(items) {
    if (granule < 1) granule = 1;
    std::ptrdiff_t chunk = items;
    if (parts > 1) {
      const std::ptrdiff_t pieces = kChunksPerPart * parts;
      chunk = (items + pieces - 1) / pieces;
      chunk = (chunk + granule - 1) / granule * granule;
    }
    chunk_ = chunk > 0 ? chunk : 1;
  }

  // The next chunk [begin, end); false when every item has been handed out.
  bool next(std::ptrdiff_t& begin, std::ptrdiff_t& end) {
    const std::ptrdiff_t b = next_.fetch_add(chunk_, std::memory_order_relaxed);
    if (b >= items_) return false;
    begin = b;
    end = items_ - b < chunk_ ? items_ : b + chunk_;
    return true;
  }

 private:
  std::ptrdiff_t items_, chunk_;
  std::atomic<std::ptrdiff_t> next_{0};
};

// Doubles between the workspaces of consecutive parts: `count` rounded up to
// a 64-byte multiple, so every part's workspace keeps the buffer's alignment.
inline std::size_t part_stride(std::size_t count) { return (count + 7) / 8 * 8; }

// The parts a workspace of `have` doubles allows when each part needs
// `stride` of them after a shared head of `head`: at most `wanted`, at least 1.
inline int parts_within(std::size_t have, std::size_t head, std::size_t stride, int wanted) {
  if (stride == 0 || have <= head) return 1;
  const std::size_t fit = (have - head) / stride;
  if (fit < 1) return 1;
  return fit < static_cast<std::size_t>(wanted) ? static_cast<int>(fit) : wanted;
}

}  // namespace tfmex::par

#endif
