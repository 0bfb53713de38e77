// The vector layer: path names, the cap tests and benchmarks set, and the cap
// TFMEX_SIMD gives a process that starts with it.
#include <cstdlib>
#include <string>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "host/embedded/platform.h"
#include "kernel_paths.h"
#include "support.h"

namespace tfmex::test {
namespace {

namespace vec = tfmex::vector;

// The path a cap leaves: on ARM its one vector path for any vector cap, on
// x86 the lower of the cap and the widest (the widest for ARM's name).
KernelPath lower(KernelPath cap, KernelPath widest) {
  if (cap == KernelPath::portable || widest == KernelPath::portable) return KernelPath::portable;
  if (widest == KernelPath::neon) return widest;
  if (cap == KernelPath::neon) return widest;
  return cap < widest ? cap : widest;
}

TEST(VectorPath, NamesRoundTripAndUnknownNamesMeanPortable) {
  for (const KernelPath p :
       {KernelPath::portable, KernelPath::avx2, KernelPath::avx512, KernelPath::neon})
    EXPECT_EQ(vec::path_named(vec::path_name(p)), p);
  for (const char* s : {"", "AVX2", "avx", "avx5120", "sse2", "NEON", " avx2"})
    EXPECT_EQ(vec::path_named(s), KernelPath::portable) << '"' << s << '"';
}

TEST(VectorPath, CapLowersThePathButNeverRaisesItPastTheProcessor) {
  const KernelPath widest = vec::widest_path();
  const KernelPath before = vec::limit_path(KernelPath::avx512);
  for (const KernelPath cap :
       {KernelPath::portable, KernelPath::avx2, KernelPath::avx512, KernelPath::neon}) {
    const PathGuard guard(cap);
    EXPECT_EQ(vec::path(), lower(cap, widest)) << vec::path_name(cap);
    EXPECT_EQ(vec::limit_path(cap), cap);  // the guard's cap is the current one
  }
  EXPECT_EQ(vec::limit_path(before), KernelPath::avx512);  // every guard put its cap back
}

// Runs only on request, in a process started by the next test: the path there
// must be the one TFMEX_EXPECT_PATH names.
TEST(VectorPathChild, DISABLED_FollowsTheEnvironment) {
  const char* want = std::getenv("TFMEX_EXPECT_PATH");
  ASSERT_NE(want, nullptr);
  EXPECT_STREQ(vec::path_name(vec::path()), want);
}

// The test program starts itself with each setting (through the emulator
// that runs it, in a cross build).
TEST(VectorPath, EnvironmentCapsAProcessFromItsStart) {
  const std::string self = host::os::program_path();
  if (self.empty()) GTEST_SKIP() << "this system does not tell a program its own path";
  const KernelPath widest = vec::widest_path();
  const struct {
    const char* setting;  // nullptr: TFMEX_SIMD unset
    KernelPath cap;
  } cases[] = {{nullptr, KernelPath::avx512},     {"avx512", KernelPath::avx512},
               {"avx2", KernelPath::avx2},        {"portable", KernelPath::portable},
               {"neon", KernelPath::neon},        {"AVX512", KernelPath::portable},
               {"fastest", KernelPath::portable}, {"", KernelPath::portable}};
#ifdef _WIN32
  // The child inherits what _putenv_s sets here; Windows has no empty
  // variable (setting "" removes it), so that case is left out.
  for (const auto& c : cases) {
    if (c.setting != nullptr && *c.setting == '\0') continue;
    _putenv_s("TFMEX_SIMD", c.setting ? c.setting : "");
    _putenv_s("TFMEX_EXPECT_PATH", vec::path_name(lower(c.cap, widest)));
    const std::string cmd = "\"\"" + self +
                            "\" --gtest_also_run_disabled_tests"
                            " --gtest_filter=VectorPathChild.* >NUL 2>&1\"";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << (c.setting ? c.setting : "(unset)");
  }
  _putenv_s("TFMEX_SIMD", "");
  _putenv_s("TFMEX_EXPECT_PATH", "");
#else
  for (const auto& c : cases) {
    const std::string env = c.setting ? "TFMEX_SIMD='" + std::string(c.setting) + "'"
                                      : std::string("env -u TFMEX_SIMD");
    const std::string cmd = env + " TFMEX_EXPECT_PATH=" + vec::path_name(lower(c.cap, widest)) +
                            " " TFMEX_TEST_RUNNER "'" + self +
                            "' --gtest_also_run_disabled_tests"
                            " --gtest_filter=VectorPathChild.* >/dev/null 2>&1";
    const int st = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0) << cmd;
  }
#endif
}

}  // namespace
}  // namespace tfmex::test
