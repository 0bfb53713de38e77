// The pools behind tfmex::Workspace and src/parallel.hpp: workspace buffers
// kept between calls, and worker threads started on first need.
#include "parallel.hpp"

#include "tfmex/version.hpp"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <pthread.h>
#include <sched.h>
#endif
#ifdef __linux__
#include <sys/mman.h>
#endif
#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
#include <emmintrin.h>
#elif defined(_MSC_VER) && defined(_M_ARM64)
#include <intrin.h>
#endif

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace tfmex {

struct Workspace::Slot {
  void* raw = nullptr;       // what calloc returned
  double* data = nullptr;    // raw rounded up to 64 bytes
  std::size_t capacity = 0;  // doubles from data on
  Slot* next = nullptr;      // in the free list
};

namespace {

using par::kKeepLimit;

// The free buffers. A slot is in the list or held by exactly one call.
class SlotPool {
 public:
  ~SlotPool() {
    while (free_ != nullptr) {
      Workspace::Slot* s = free_;
      free_ = s->next;
      std::free(s->raw);
      delete s;
    }
  }

  // The free slot that fits count with the least capacity, else the largest
  // one (to be grown), else a new empty slot; null when none can be made.
  Workspace::Slot* take(std::size_t count) {
    {
      std::lock_guard<std::mutex> hold(lock_);
      Workspace::Slot** best = nullptr;
      for (Workspace::Slot** p = &free_; *p != nullptr; p = &(*p)->next) {
        if (best == nullptr) {
          best = p;
          continue;
        }
        const std::size_t c = (*p)->capacity, b = (*best)->capacity;
        const bool better = b < count ? c > b : (c >= count && c < b);
        if (better) best = p;
      }
      if (best != nullptr) {
        Workspace::Slot* s = *best;
        *best = s->next;
        s->next = nullptr;
        return s;
      }
    }
    return new (std::nothrow) Workspace::Slot;
  }

  void give(Workspace::Slot* s) {
    if (s->capacity > kKeepLimit) {
      std::free(s->raw);
      s->raw = nullptr;
      s->data = nullptr;
      s->capacity = 0;
    }
    std::lock_guard<std::mutex> hold(lock_);
    s->next = free_;
    free_ = s;
  }

  // Held across fork(), so that the child's copy of the list is whole.
  void lock() { lock_.lock(); }
  void unlock() { lock_.unlock(); }

 private:
  std::mutex lock_;
  Workspace::Slot* free_ = nullptr;
};

SlotPool& slots() {
  static SlotPool pool;
  return pool;
}

// Replaces the slot's buffer by a zero-filled one of at least count doubles.
bool grow(Workspace::Slot* s, std::size_t count) {
  constexpr std::size_t kAlign = 64;
  if (count > (SIZE_MAX - kAlign) / sizeof(double)) return false;
  std::free(s->raw);
  s->raw = nullptr;
  s->data = nullptr;
  s->capacity = 0;
  void* raw = std::calloc(count * sizeof(double) + kAlign, 1);
  if (raw == nullptr) return false;
  const std::uintptr_t at = (reinterpret_cast<std::uintptr_t>(raw) + kAlign - 1) & ~(kAlign - 1);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // A large buffer is fresh from the system: asking for 2 MB pages turns the
  // first call's page faults (512 per 2 MB otherwise) into a few. Advice
  // only, on the whole pages inside the buffer.
  constexpr std::uintptr_t kPage = 4096, kLarge = std::uintptr_t{4} << 20;
  if (count * sizeof(double) >= kLarge) {
    const std::uintptr_t from = (at + kPage - 1) & ~(kPage - 1);
    const std::uintptr_t to = (at + count * sizeof(double)) & ~(kPage - 1);
    madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
  }
#endif
  s->raw = raw;
  s->data = reinterpret_cast<double*>(at);
  s->capacity = count;
  return true;
}

}  // namespace

Workspace::Workspace(std::size_t doubles) { reserve(doubles); }

void Workspace::reserve(std::size_t doubles) {
  if (doubles == 0) doubles = 1;
  if (slot_ != nullptr && slot_->capacity >= doubles) return;
  Slot* s = slot_;
  if (s == nullptr) {
    s = slots().take(doubles);
    if (s == nullptr) throw out_of_memory("tfmex: no memory for a workspace");
  }
  if (s->capacity < doubles && !grow(s, doubles)) {
    slots().give(s);
    slot_ = nullptr;
    data_ = nullptr;
    size_ = 0;
    throw out_of_memory("tfmex: no memory for a workspace of " + std::to_string(doubles) +
                        " doubles");
  }
  slot_ = s;
  data_ = s->data;
  size_ = s->capacity;
}

Workspace::~Workspace() {
  if (slot_ != nullptr) slots().give(slot_);
}

Workspace::Workspace(Workspace&& other) noexcept
    : slot_(other.slot_), data_(other.data_), size_(other.size_) {
  other.slot_ = nullptr;
  other.data_ = nullptr;
  other.size_ = 0;
}

Workspace& Workspace::operator=(Workspace&& other) noexcept {
  if (this != &other) {
    if (slot_ != nullptr) slots().give(slot_);
    slot_ = other.slot_;
    data_ = other.data_;
    size_ = other.size_;
    other.slot_ = nullptr;
    other.data_ = nullptr;
    other.size_ = 0;
  }
  return *this;
}

}  // namespace tfmex

namespace tfmex::par {

namespace {

// One pause of a spinning wait: tells the processor (and a hypervisor) that
// this thread only waits.
inline void pause() {
#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
  _mm_pause();
#elif defined(__aarch64__) || defined(_M_ARM64)
#if defined(_MSC_VER)
  __yield();
#else
  __asm__ __volatile__("yield");
#endif
#endif
}

// Spins on ready() for up to kSpin before giving up: true once ready. A
// sleeping thread takes tens of microseconds to wake (far more in a virtual
// machine, whose idle processor is halted), and calls over batches often
// come one after another, so a worker that has just finished a job, and the
// caller waiting for the last part, look for a while before they sleep. The
// while is short: each plug-in has a pool of its own, and a worker spinning
// after one plug-in's call holds a processor the next plug-in's may want.
constexpr std::chrono::microseconds kSpin{100};

template <class Ready>
bool spin(Ready ready) {
  const auto until = std::chrono::steady_clock::now() + kSpin;
  for (int i = 1;; ++i) {
    if (ready()) return true;
    pause();
    if (i % 64 == 0 && std::chrono::steady_clock::now() > until) return false;
  }
}

// Worker threads and the one job they share. One caller at a time uses the
// pool (busy_); the caller runs parts itself as well. The job's fields change
// under lock_; generation_, finished_ and stop_ are atomics as well, so that
// a spinning thread can read them without it.
class ThreadPool {
 public:
  ThreadPool() {
#ifndef _WIN32
    // Registered once per binary the library is linked into; glibc drops a
    // plug-in's handlers when the plug-in is unloaded.
    pthread_atfork(&before_fork, &after_fork_in_parent, &after_fork_in_child);
#endif
  }

  ~ThreadPool() {
#ifdef _WIN32
    // Only at process exit (the library is pinned once it has workers), when
    // the system has already ended them: waking them would wait for threads
    // that are gone.
    for (std::thread& t : workers_) t.detach();
#else
    {
      std::lock_guard<std::mutex> hold(lock_);
      stop_.store(true);
    }
    wake_.notify_all();
    for (std::thread& t : workers_) t.join();
#endif
  }

  // False when another caller holds the pool.
  bool try_run(int parts, int threads, void (*fn)(void*, int), void* ctx) {
    std::unique_lock<std::mutex> busy(busy_, std::try_to_lock);
    if (!busy.owns_lock()) return false;
    start(threads - 1);
    {
      std::lock_guard<std::mutex> hold(lock_);
      fn_ = fn;
      ctx_ = ctx;
      parts_ = parts;
      next_ = 0;
      finished_.store(0);
      generation_.fetch_add(1);
    }
    wake_.notify_all();
    work();
    const auto all_done = [this, parts] { return finished_.load() == parts; };
    const bool done = spin(all_done);
    std::unique_lock<std::mutex> hold(lock_);
    if (!done) done_.wait(hold, all_done);
    fn_ = nullptr;
    ctx_ = nullptr;
    return true;
  }

 private:
  // Starts workers until there are `count` (as many as the system allows).
  void start(int count) {
#ifdef _WIN32
    // Threads cannot be joined while the loader unloads a DLL, so a plug-in
    // with workers stays loaded until the process ends.
    if (count > 0 && workers_.empty()) {
      HMODULE self;
      GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                         reinterpret_cast<LPCWSTR>(this), &self);
    }
#endif
    while (static_cast<int>(workers_.size()) < count) {
      try {
        workers_.emplace_back([this] { loop(); });
      } catch (const std::system_error&) {
        return;
      }
    }
  }

  void loop() {
    unsigned seen = 0;
    const auto woken = [&] { return stop_.load() || generation_.load() != seen; };
    for (;;) {
      spin(woken);
      {
        std::unique_lock<std::mutex> hold(lock_);
        wake_.wait(hold, woken);
        if (stop_.load()) return;
        seen = generation_.load();
      }
      work();
    }
  }

  // Takes parts of the current job until none is left.
  void work() {
    for (;;) {
      void (*fn)(void*, int);
      void* ctx;
      int p;
      {
        std::lock_guard<std::mutex> hold(lock_);
        if (fn_ == nullptr || next_ >= parts_) return;
        fn = fn_;
        ctx = ctx_;
        p = next_++;
      }
      fn(ctx, p);
      std::lock_guard<std::mutex> hold(lock_);
      if (finished_.fetch_add(1) + 1 == parts_) done_.notify_all();
    }
  }

#ifndef _WIN32
  // No call is running in the pool while a process forks: the parent keeps
  // its workers, the child starts with none.
  static void before_fork();
  static void after_fork_in_parent();
  static void after_fork_in_child();
#endif

  std::mutex busy_;
  std::mutex lock_;
  std::condition_variable wake_, done_;
  std::vector<std::thread> workers_;
  void (*fn_)(void*, int) = nullptr;
  void* ctx_ = nullptr;
  int parts_ = 0, next_ = 0;
  std::atomic<int> finished_{0};
  std::atomic<unsigned> generation_{0};
  std::atomic<bool> stop_{false};
};

ThreadPool& pool() {
  static ThreadPool p;
  return p;
}

#ifndef _WIN32
void ThreadPool::before_fork() {
  ThreadPool& p = pool();
  p.busy_.lock();
  p.lock_.lock();
  tfmex::slots().lock();
}

void ThreadPool::after_fork_in_parent() {
  ThreadPool& p = pool();
  tfmex::slots().unlock();
  p.lock_.unlock();
  p.busy_.unlock();
}

// The child has only the thread that forked. The parent's workers do not
// exist here: their handles are let go without a join, and the condition
// variables they waited on are made anew without being destroyed, since
// destroying one waits for its waiters.
void ThreadPool::after_fork_in_child() {
  ThreadPool& p = pool();
  // Detaching only marks the inherited copy of each thread's descriptor; no
  // thread is waited for.
  for (std::thread& t : p.workers_) t.detach();
  p.workers_.clear();
  new (&p.wake_) std::condition_variable;
  new (&p.done_) std::condition_variable;
  p.fn_ = nullptr;
  p.ctx_ = nullptr;
  p.parts_ = p.next_ = 0;
  p.finished_.store(0);
  tfmex::slots().unlock();
  p.lock_.unlock();
  p.busy_.unlock();
}
#endif

int available_processors() {
#ifdef __linux__
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof(set), &set) == 0) {
    const int n = CPU_COUNT(&set);
    if (n > 0) return n;
  }
#endif
  const unsigned h = std::thread::hardware_concurrency();
  return h > 0 ? static_cast<int>(h) : 1;
}

std::atomic<int> chosen_threads{0};

}  // namespace

int parts_for(std::ptrdiff_t items, double work, double min_work) {
  if (items < 2 || work < min_work) return 1;
  const int t = threads();
  return items < t ? static_cast<int>(items) : t;
}

void run(int parts, void (*fn)(void*, int), void* ctx) {
  if (parts > 1 && pool().try_run(parts, parts, fn, ctx)) return;
  for (int p = 0; p < parts; ++p) fn(ctx, p);
}

}  // namespace tfmex::par

namespace tfmex {

const char* version() { return TFMEX_VERSION_STRING; }

void set_threads(int count) { par::chosen_threads.store(count > 0 ? count : 0); }

namespace {
// The calling thread's ThreadCount, 0 when none lives. A plain int: nothing to
// destroy at thread exit, so it keeps no binary from being unloaded.
thread_local int thread_count = 0;
}  // namespace

ThreadCount::ThreadCount(int count) noexcept : previous_(thread_count) {
  if (count > 0) thread_count = count;
}

ThreadCount::~ThreadCount() { thread_count = previous_; }

int threads() {
  constexpr std::int64_t kMax = 256;
  if (thread_count > 0) return thread_count < kMax ? thread_count : static_cast<int>(kMax);
  if (const int chosen = par::chosen_threads.load(); chosen > 0) {
    return chosen < kMax ? chosen : static_cast<int>(kMax);
  }
  if (const char* s = std::getenv("TFMEX_THREADS")) {
    char* end = nullptr;
    const std::int64_t v = std::strtoll(s, &end, 10);
    if (end != s && *end == '\0' && v >= 1) return static_cast<int>(v < kMax ? v : kMax);
  }
  static const int processors = par::available_processors();
  return processors;
}

}  // namespace tfmex
