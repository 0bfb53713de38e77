// Kept workspaces and threads change no result: a call gives the same doubles
// as the first call of the process (whose workspace is new), after calls of
// other sizes have left the workspace dirty, and with 1, 2 or 3 threads. The
// workers stop when a plug-in is unloaded, and a workspace that cannot be had
// is refused with a message.
#ifdef __linux__
#include <dirent.h>
#include <dlfcn.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <thread>

#include "plugin_catalogue.h"
#include "support.h"

namespace tfmex::test {
namespace {

std::vector<double> result(const std::string& name, const std::vector<Array>& args) {
  std::vector<const Array*> in;
  for (const Array& a : args) in.push_back(&a);
  const CallReport r = plugin(name).call(in);
  EXPECT_TRUE(r.ok) << name << ": " << r.message;
  EXPECT_EQ(r.problems(), "") << name;
  EXPECT_EQ(r.created, 1u) << name << " created a host array besides its output";
  return r.ok ? r.output.values() : std::vector<double>{};
}

bool same_bits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * 8) == 0);
}

#ifdef _WIN32
void set_threads(int t) { _putenv_s("TFMEX_THREADS", std::to_string(t).c_str()); }
void unset_threads() { _putenv_s("TFMEX_THREADS", ""); }
#else
void set_threads(int t) { setenv("TFMEX_THREADS", std::to_string(t).c_str(), 1); }
void unset_threads() { unsetenv("TFMEX_THREADS"); }
#endif

// The process's threads, counted where the system lists them (Linux, not
// under an emulator, whose own threads come and go); -1 elsewhere, where the
// worker counts are not checked.
int threads_in_process() {
#ifdef __linux__
  if (*TFMEX_TEST_RUNNER != '\0') return -1;
  int count = 0;
  if (DIR* d = opendir("/proc/self/task")) {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') ++count;
    closedir(d);
  }
  return count;
#else
  return -1;
#endif
}

// Calls large enough for every threaded plug-in to split its work.
struct Big {
  const char* name;
  std::vector<Array> args;
};

std::vector<Big> big_calls() {
  const Array h8 = Array::row(orthonormal_filter(8, 5)),
              h20 = Array::row(orthonormal_filter(20, 6));
  const Array h4 = Array::row(orthonormal_filter(4, 7));
  const Array qmf = Array::row(random_vector(9, 8)), dqmf = Array::row(random_vector(7, 9));
  const Array cols = Array::matrix(4096, 63, random_vector(4096 * 63, 10));
  const Array image = Array::matrix(512, 512, random_vector(512 * 512, 11));
  const Array image2 = Array::matrix(128, 128, random_vector(128 * 128, 12));
  const Array sig = Array::column(random_vector(1 << 18, 13));
  const Array table5 = Array::matrix(1 << 18, 6, random_vector((1 << 18) * 6, 14));
  std::vector<Big> calls{{"CircSplit", {cols, Array::scalar(2), h8}},
                         {"CircJoin", {cols, Array::scalar(2), h8}},
                         {"DualSplit", {cols, Array::scalar(1), qmf, dqmf}},
                         {"DualJoin", {cols, Array::scalar(1), qmf, dqmf}},
                         {"ShiftSplit", {sig, Array::scalar(13), h8}},
                         {"ShiftJoin", {table5, h8}},
                         {"PacketSplit", {sig, Array::scalar(5), h8}},
                         {"PacketJoin", {table5, h8}},
                         {"BellSplit", {sig, Array::scalar(5), Array::scalar(0)}},
                         {"BellJoin", {table5}}};
  for (const Array* h : {&h4, &h8, &h20}) {
    calls.push_back({"CircSplit2", {image, Array::scalar(0), *h}});
    calls.push_back({"CircJoin2", {image, Array::scalar(0), *h}});
    calls.push_back({"CircJoin2", {image2, Array::scalar(3), *h}});
  }
  return calls;
}

TEST(Workspace, LaterCallsGiveTheDoublesOfTheFirstOneWhateverCameBetween) {
  set_threads(1);
  std::mt19937_64 rng(77);
  for (const auto& e : catalogue()) {
    const std::vector<Array> first = e.valid(rng);
    const std::vector<double> expected = result(e.name, first);
    for (int round = 0; round < 3; ++round) {
      // Another valid call (another size, as a rule), then the same with its
      // signal replaced by NaN and huge values, which fill the workspace with
      // what no zero-filled one would hold.
      std::vector<Array> other = e.valid(rng);
      result(e.name, other);
      Array& x = other[0];
      for (std::size_t i = 0; i < x.size(); ++i) x.data()[i] = i % 3 == 0 ? NAN : 1e300 * (i % 7);
      std::vector<const Array*> in;
      for (const Array& a : other) in.push_back(&a);
      plugin(e.name).call(in);
      EXPECT_TRUE(same_bits(result(e.name, first), expected)) << e.name << " round " << round;
    }
  }
  // Deeper tables and larger signals, each after the same call on NaN and
  // huge values, which leaves those in every place of the workspace it uses.
  for (const Big& c : big_calls()) {
    const std::vector<double> expected = result(c.name, c.args);
    std::vector<Array> poisoned;
    for (const Array& a : c.args) poisoned.push_back(Array::matrix(a.rows(), a.cols(), a.values()));
    Array& x = poisoned[0];
    for (std::size_t i = 0; i < x.size(); ++i) x.data()[i] = i % 3 == 0 ? NAN : 1e300 * (i % 7);
    std::vector<const Array*> in;
    for (const Array& a : poisoned) in.push_back(&a);
    plugin(c.name).call(in);
    EXPECT_TRUE(same_bits(result(c.name, c.args), expected)) << c.name;
  }
}

TEST(Threads, OneTwoAndThreeThreadsGiveTheSameDoubles) {
  const int before = threads_in_process();
  const std::vector<Big> calls = big_calls();
  set_threads(1);
  std::vector<std::vector<double>> serial;
  for (const Big& c : calls) serial.push_back(result(c.name, c.args));
  EXPECT_EQ(threads_in_process(), before);  // one thread: no worker started
  std::set<std::string> started;
  for (int t : {2, 3, 1, 3}) {
    set_threads(t);
    for (std::size_t i = 0; i < calls.size(); ++i) {
      const int workers = threads_in_process();
      EXPECT_TRUE(same_bits(result(calls[i].name, calls[i].args), serial[i]))
          << calls[i].name << " #" << i << " with " << t << " threads";
      // The first call with two threads starts the plug-in's one worker.
      if (started.insert(calls[i].name).second) {
        if (workers >= 0) {
          EXPECT_EQ(threads_in_process(), workers + 1) << calls[i].name << " split nothing";
        }
      }
    }
  }
  unset_threads();
}

#ifdef __linux__
TEST(Threads, UnloadingAPluginStopsItsWorkersAndFreesIt) {
  if (*TFMEX_TEST_RUNNER != '\0') GTEST_SKIP() << "under an emulator the threads are not counted";
  const std::string path = Plugin::default_mex_dir() + "/PacketSplit.mex";
  if (void* held = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD)) {
    dlclose(held);
    GTEST_SKIP() << "PacketSplit is held loaded by an earlier test of this process";
  }
  const int before = threads_in_process();
  set_threads(3);
  {
    const Plugin p = Plugin::load(path);
    const Array x = Array::row(random_vector(1 << 18, 3));
    const Array D = Array::scalar(6), h = Array::row(orthonormal_filter(8, 2));
    const CallReport r = p.call({&x, &D, &h});
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(threads_in_process(), before + 2);
  }
  unset_threads();
  // The last reference is gone: the library is unloaded (glibc would keep it
  // mapped if it had thread-local objects with destructors) and its workers
  // have been joined.
  EXPECT_EQ(dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);
  EXPECT_EQ(threads_in_process(), before);
}
#endif  // __linux__

// Several host threads calling threaded plug-ins at once: one call holds a
// plug-in's pool, the others run their parts themselves; every result is the
// one-thread result.
TEST(Concurrency, ThreadedCallsSideBySideMatchOneThread) {
  const std::vector<Big> calls = big_calls();
  set_threads(1);
  std::vector<std::vector<double>> serial;
  for (const Big& c : calls) serial.push_back(result(c.name, c.args));
  set_threads(2);
  constexpr int kThreads = 3;
  std::vector<int> mismatches(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 2; ++round)
        for (std::size_t i = 0; i < calls.size(); ++i) {
          const std::size_t k = (i + static_cast<std::size_t>(t) * 5) % calls.size();
          std::vector<const Array*> in;
          for (const Array& a : calls[k].args) in.push_back(&a);
          const CallReport r = plugin(calls[k].name).call(in);
          if (!r.ok || !same_bits(r.output.values(), serial[k])) ++mismatches[t];
        }
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
  unset_threads();
}

#ifdef __linux__
// In a child process with little address space left, a workspace that cannot
// be had ends the call with the plug-in's workspace message, before any host
// array exists.
[[noreturn]] void refuse_workspace(const Array& x) {
  std::FILE* f = std::fopen("/proc/self/statm", "r");
  unsigned long pages = 0;
  if (f == nullptr || std::fscanf(f, "%lu", &pages) != 1) std::_Exit(100);
  std::fclose(f);
  // The host's copy of x (16 MiB) fits; the 4n and 8n workspaces (64 and
  // 128 MiB) do not.
  const rlim_t limit = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (48u << 20);
  const rlimit rl{limit, limit};
  if (setrlimit(RLIMIT_AS, &rl) != 0) std::_Exit(101);
  const CallReport r = plugin("TrigC4").call({&x});
  const CallReport s = plugin("TrigC2").call({&x});
  const bool ok = r.message == "TrigC4 could not allocate its workspace" && r.created == 0 &&
                  r.problems().empty() && s.message == "TrigC2 could not allocate its workspace" &&
                  s.created == 0 && s.problems().empty();
  std::_Exit(ok ? 0 : 1);
}

TEST(Workspace, OneThatCannotBeHadIsRefusedWithAMessage) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizers reserve more address space than the limit allows";
#endif
  if (*TFMEX_TEST_RUNNER != '\0')
    GTEST_SKIP() << "under an emulator the limit binds the emulator too";
  const Array x = Array::row(random_vector(std::size_t{1} << 21, 4));
  for (const char* p : {"TrigC4", "TrigC2"}) plugin(p);  // loaded here, not in the child
  EXPECT_EXIT(refuse_workspace(x), testing::ExitedWithCode(0), "");
}
#endif  // __linux__

}  // namespace
}  // namespace tfmex::test
