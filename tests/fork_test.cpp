// fork() after threaded work: the child computes with threads of its own and
// exits (running every static destructor) without waiting for the parent's
// workers; the parent's workers keep working.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "support.h"
#include "tfmex/periodized.hpp"

namespace tfmex::test {
namespace {

// Waits up to `seconds` for the child; a child that has not exited by then is
// killed and reported as hung.
::testing::AssertionResult exits_cleanly(pid_t child, int seconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int status = 0;
  while (std::chrono::steady_clock::now() < until) {
    const pid_t r = waitpid(child, &status, WNOHANG);
    if (r == child) {
      if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return ::testing::AssertionSuccess();
      return ::testing::AssertionFailure() << "child ended with status " << status;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(child, SIGKILL);
  waitpid(child, &status, 0);
  return ::testing::AssertionFailure() << "child hung for " << seconds << " s";
}

// 64 signals of 2^14 values: enough work to be split over the threads.
struct Job {
  static constexpr std::ptrdiff_t n = 1 << 14, count = 64;
  std::vector<double> x = random_vector(n * count, 31);
  std::vector<double> h = orthonormal_filter(8, 5);
  std::vector<double> run() const {
    std::vector<double> w(x.size());
    circ_split(x.data(), w.data(), n, 2, h, Batch::packed(count));
    return w;
  }
};

TEST(Fork, TheLibraryChildComputesAndExitsAndTheParentKeepsItsWorkers) {
  if (*TFMEX_TEST_RUNNER != '\0') GTEST_SKIP() << "fork under an emulator";
  set_threads(2);
  const Job job;
  const std::vector<double> before = job.run();  // starts the workers
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    const bool same = job.run() == before;
    std::exit(same ? 0 : 3);  // static destructors run here
  }
  EXPECT_TRUE(exits_cleanly(child, 30));
  EXPECT_EQ(job.run(), before);
  set_threads(0);
}

TEST(Fork, APluginChildComputesAndExits) {
  if (*TFMEX_TEST_RUNNER != '\0') GTEST_SKIP() << "fork under an emulator";
  setenv("TFMEX_THREADS", "2", 1);
  const Array x = Array::matrix(1024, 1024, random_vector(std::size_t{1} << 20, 9));
  const Array h = Array::row(orthonormal_filter(6, 2));
  const Array L = Array::scalar(3);
  const Array before = run("CircSplit2", {x, L, h});
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    const Array again = plugin("CircSplit2").call({&x, &L, &h}).output;
    const bool same =
        again && std::memcmp(again.data(), before.data(), sizeof(double) * before.size()) == 0;
    std::exit(same ? 0 : 3);
  }
  EXPECT_TRUE(exits_cleanly(child, 30));
  const Array after = run("CircSplit2", {x, L, h});
  EXPECT_EQ(std::memcmp(after.data(), before.data(), sizeof(double) * before.size()), 0);
  unsetenv("TFMEX_THREADS");
}

}  // namespace
}  // namespace tfmex::test
#endif  // _WIN32
