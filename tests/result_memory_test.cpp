// Memory of large results through the embedded host: a call holds its output
// and a few n values of workspace, and no second copy of its input or its
// output, however many threads it runs on; a result that cannot be had is
// refused with a message instead of the process being ended, and an array
// larger than the memory the system has left is not mapped at all.
// (Linux only: the limits are set with setrlimit, the use read from getrusage
// and /proc.)
#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "host/embedded/platform.h"
#include "support.h"

namespace tfmex::test {
namespace {

#ifdef __linux__

// A field of /proc/self/statm (0: the mapped size, 1: the resident size) in bytes.
std::size_t statm(int field) {
  std::FILE* f = std::fopen("/proc/self/statm", "r");
  unsigned long v[2] = {0, 0};
  if (f == nullptr || std::fscanf(f, "%lu %lu", &v[0], &v[1]) != 2) std::_Exit(100);
  std::fclose(f);
  return v[field] * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// In a child process whose address space may grow by `headroom` bytes only,
// body's verdict as the exit status (0: every expectation held).
[[noreturn]] void run_limited(std::size_t headroom, const std::function<bool()>& body) {
  const rlim_t limit = statm(0) + headroom;
  const rlimit rl{limit, limit};
  if (setrlimit(RLIMIT_AS, &rl) != 0) std::_Exit(101);
  std::_Exit(body() ? 0 : 1);
}

#define TFMEX_SKIP_UNMEASURABLE() \
  if (*TFMEX_TEST_RUNNER != '\0') GTEST_SKIP() << "under an emulator the limit binds it too"

bool sanitized() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
  return true;
#else
  return false;
#endif
#else
  return false;
#endif
}

constexpr std::size_t kN = std::size_t{1} << 22;  // 32 MiB a signal
constexpr std::size_t kMiB = std::size_t{1} << 20;

TEST(ResultMemory, ATableThatCannotBeHadIsRefusedWithAMessage) {
  if (sanitized()) GTEST_SKIP() << "the sanitizers reserve more address space than a limit allows";
  TFMEX_SKIP_UNMEASURABLE();
  for (const char* p : {"ShiftSplit", "PacketSplit"}) plugin(p);  // loaded here, not in the child
  const Array x = Array::column(random_vector(kN, 1)), zero = Array::scalar(0);
  const Array depth = Array::scalar(22), h = Array::row(orthonormal_filter(8, 2));
  // The host's copy of the signal and the workspaces (2n and n doubles) fit,
  // the tables (23n) do not: the host cannot create the result, and the call
  // ends with its message, holding nothing (a second call fares the same).
  EXPECT_EXIT(run_limited(256 * kMiB,
                          [&] {
                            bool ok = true;
                            for (int round = 0; round < 2; ++round) {
                              const CallReport r = plugin("ShiftSplit").call({&x, &zero, &h});
                              const CallReport s = plugin("PacketSplit").call({&x, &depth, &h});
                              ok = ok && r.message == "Out of memory." && r.created == 0 &&
                                   r.problems().empty() && s.message == "Out of memory." &&
                                   s.created == 0 && s.problems().empty();
                            }
                            return ok;
                          }),
              testing::ExitedWithCode(0), "");
  // The host's copy of the signal (32 MiB) fits, the workspace does not: the
  // plug-in's own message, before any array.
  EXPECT_EXIT(run_limited(48 * kMiB,
                          [&] {
                            const CallReport r = plugin("ShiftSplit").call({&x, &zero, &h});
                            const CallReport s = plugin("PacketSplit").call({&x, &depth, &h});
                            return r.message == "ShiftSplit could not allocate its workspace" &&
                                   r.created == 0 && r.problems().empty() &&
                                   s.message == "PacketSplit could not allocate its workspace" &&
                                   s.created == 0 && s.problems().empty();
                          }),
              testing::ExitedWithCode(0), "");
}

// In a child process on four threads: the peak resident size a call adds to
// what the child had at its start must stay within `bound` bytes.
[[noreturn]] void peak_within(const Array& a, const Array& b, const Array& c,
                              const std::string& name, std::size_t bound) {
  setenv("TFMEX_THREADS", "4", 1);
  const std::size_t start = statm(1);
  const CallReport r = c ? plugin(name).call({&a, &b, &c}) : plugin(name).call({&a, &b});
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  const std::size_t peak = static_cast<std::size_t>(u.ru_maxrss) * 1024;
  const std::size_t added = peak > start ? peak - start : 0;
  std::fprintf(stderr, "%s added %zu MiB at its peak (bound %zu MiB)\n", name.c_str(), added / kMiB,
               bound / kMiB);
  std::_Exit(r.ok && r.problems().empty() && added <= bound ? 0 : 1);
}

TEST(ResultMemory, ACallHoldsItsOutputAndAFewSignalsOfWorkspace) {
  if (sanitized()) GTEST_SKIP() << "the sanitizers keep freed memory and shadow all of it";
  TFMEX_SKIP_UNMEASURABLE();
  for (const char* p : {"ShiftSplit", "ShiftJoin"}) plugin(p);
  const std::size_t signal = kN * 8;
  const Array x = Array::column(random_vector(kN, 3)), zero = Array::scalar(0);
  const Array h = Array::row(haar());
  // ShiftSplit to level 0: a table of 23 signals, 2 signals of workspace and
  // the host's copy of the signal.
  EXPECT_EXIT(peak_within(x, zero, h, "ShiftSplit", (23 + 2 + 1) * signal + 24 * kMiB),
              testing::ExitedWithCode(0), "");
  // ShiftJoin of a 9-column table (288 MiB): one signal out, 4 of workspace,
  // and no copy of the table it reads.
  const Array t = Array::matrix(kN, 9, random_vector(9 * kN, 5));
  EXPECT_EXIT(peak_within(t, h, Array(), "ShiftJoin", signal + 4 * signal + 24 * kMiB),
              testing::ExitedWithCode(0), "");
}

// What /proc/meminfo says the system can still supply.
std::size_t memory_left() {
  std::FILE* f = std::fopen("/proc/meminfo", "r");
  if (f == nullptr) return 0;
  char line[256];
  std::size_t kb = 0;
  while (std::fgets(line, sizeof line, f) != nullptr) {
    unsigned long v = 0;
    if (std::sscanf(line, "MemAvailable: %lu", &v) == 1 ||
        std::sscanf(line, "SwapFree: %lu", &v) == 1)
      kb += v;
  }
  std::fclose(f);
  return kb * 1024;
}

TEST(ResultMemory, AnArrayLargerThanTheMemoryLeftIsNotMapped) {
  const std::size_t left = memory_left();
  if (left == 0) GTEST_SKIP() << "this system does not say what memory it has left";
  EXPECT_TRUE(host::os::memory_left_for(kMiB));
  EXPECT_FALSE(host::os::memory_left_for(left + (std::size_t{1} << 30)));
  EXPECT_THROW(Array::matrix((left + (std::size_t{1} << 30)) / 8, 1), std::bad_alloc);
}

#endif  // __linux__

}  // namespace
}  // namespace tfmex::test
