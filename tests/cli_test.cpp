// The command-line program: literals and files in, the result or the
// plug-in's message out, with an exit status a script can test.
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "host/embedded/platform.h"
#include "kernels/vector/vector.h"
#include "support.h"

namespace tfmex::test {
namespace {

struct Run {
  int status;
  std::string out;
};

// The command line that starts the program: beside this test program on
// Windows, in the build's bin folder elsewhere, behind the emulator that
// runs this test program in a cross build (qemu: it does not follow exec).
std::string program() {
#ifdef _WIN32
  const std::string self = host::os::program_path();
  return "\"" + self.substr(0, host::os::last_separator(self)) + "\\tfmex.exe\"";
#else
  return std::string(TFMEX_TEST_RUNNER) + "'" TFMEX_TEST_BIN_DIR "/tfmex'";
#endif
}

// Runs tfmex with these arguments, each in double quotes, which both a POSIX
// shell and the Windows command interpreter strip.
Run tfmex(const std::vector<std::string>& args) {
  std::string cmd = program();
  for (const std::string& a : args) cmd += " \"" + a + "\"";
  cmd += " 2>&1";
#ifdef _WIN32
  cmd = "\"" + cmd + "\"";  // cmd.exe /c drops the outermost quotes
#endif
  Run r{-1, ""};
  std::FILE* p = popen(cmd.c_str(), "r");
  if (p == nullptr) return r;
  char buf[4096];
  std::size_t got;
  while ((got = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, got);
  const int st = pclose(p);
#ifdef _WIN32
  r.status = st;
#else
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
#endif
  return r;
}

TEST(CommandLine, CallsAPluginOnLiteralsAndFiles) {
  const std::string h = "[0.7071067811865476 0.7071067811865476]";
  auto r =
      tfmex({"call", "CircSplit", "[1; 2; 3; 4]", "1", "[0.7071067811865476, 0.7071067811865476]"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "2.1213203435596428\n4.9497474683058336\n0.70710678118654757\n0.70710678118654746\n");

  const std::string dir = testing::TempDir();
  std::ofstream(dir + "/x.txt") << "1, 2, 3, 4\n# a comment\n";
  r = tfmex({"call", "--out", dir + "/w.txt", "CircSplit", dir + "/x.txt", "0", h});
  EXPECT_EQ(r.status, 0) << r.out;
  r = tfmex({"call", "CircJoin", dir + "/w.txt", "0", h});
  EXPECT_EQ(r.status, 0);
  r = tfmex({"compare", dir + "/x.txt", "[1 2 3 4]"});
  EXPECT_EQ(r.out, "max abs difference 0 (largest value 4)\n");
}

TEST(CommandLine, ReportsThePluginsMessageAndFails) {
  auto r = tfmex({"call", "CircSplit", "[1 2 3]", "0", "[1 1]"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "CircSplit requires dyadic length\n");
  r = tfmex({"call", "--nargout", "0", "HalveCoarse", "[1 2]", "1"});
  EXPECT_EQ(r.out, "HalveCoarse requires one output argument.\n");
  EXPECT_EQ(tfmex({"call", "NoSuchPlugin", "1"}).status, 2);
  EXPECT_EQ(tfmex({"call", "CircSplit", "[1 2", "0", "1"}).status, 2);
  EXPECT_EQ(tfmex({"version", "GrowDetail"}).out, "MATLAB R14 native\n");
}

// Sets (or with nullptr removes) TFMEX_SIMD for the programs started after.
void simd_setting(const char* value) {
#ifdef _WIN32
  _putenv_s("TFMEX_SIMD", value ? value : "");
#else
  if (value) {
    setenv("TFMEX_SIMD", value, 1);
  } else {
    unsetenv("TFMEX_SIMD");
  }
#endif
}

TEST(CommandLine, SaysTheVectorPathAndWhatItMakesOfTFMEX_SIMD) {
  namespace vec = tfmex::vector;
  const char* was = std::getenv("TFMEX_SIMD");
  const std::string saved = was ? was : "";
  const std::string widest = vec::path_name(vec::widest_path());
  simd_setting(nullptr);
  EXPECT_EQ(tfmex({"simd"}).out, widest + "\n");
  simd_setting("portable");
  EXPECT_EQ(tfmex({"simd"}).out, "portable\n");
  simd_setting("fastest");
  EXPECT_EQ(tfmex({"simd"}).out,
            "tfmex: TFMEX_SIMD=fastest is not one of portable, avx2, avx512, neon: the portable "
            "path is used\nportable\n");
  simd_setting("avx512");
  const auto r = tfmex({"simd"});
  if (vec::widest_path() == vec::Path::avx512) {
    EXPECT_EQ(r.out, "avx512\n");
  } else if (vec::widest_path() == vec::Path::neon) {  // ARM takes its own path
    EXPECT_EQ(r.out,
              "tfmex: TFMEX_SIMD=avx512: this processor has no such path; neon is used\n"
              "neon\n");
  } else {  // a processor without AVX-512 says so and takes its widest
    EXPECT_EQ(r.out, "tfmex: TFMEX_SIMD=avx512: this processor has " + widest +
                         " at most, which is used\n" + widest + "\n");
  }
  if (vec::widest_path() == vec::Path::neon) {
    simd_setting("neon");
    EXPECT_EQ(tfmex({"simd"}).out, "neon\n");
  }
  simd_setting(was ? saved.c_str() : nullptr);
}

}  // namespace
}  // namespace tfmex::test
