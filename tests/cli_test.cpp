// The command-line program: literals and files in, the result or the
// plug-in's message out, with an exit status a script can test.
#include <sys/wait.h>

#include <cstdio>
#include <fstream>

#include "support.h"

namespace tfmex::test {
namespace {

struct Run {
  int status;
  std::string out;
};

Run tfmex(const std::string& args) {
  const std::string cmd = std::string(TFMEX_TEST_BIN_DIR) + "/tfmex " + args + " 2>&1";
  Run r{-1, ""};
  std::FILE* p = popen(cmd.c_str(), "r");
  char buf[4096];
  std::size_t got;
  while ((got = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, got);
  const int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

TEST(CommandLine, CallsAPluginOnLiteralsAndFiles) {
  auto r = tfmex("call CircSplit '[1; 2; 3; 4]' 1 '[0.7071067811865476, 0.7071067811865476]'");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "2.1213203435596428\n4.9497474683058336\n0.70710678118654757\n0.70710678118654746\n");

  const std::string dir = testing::TempDir();
  std::ofstream(dir + "/x.txt") << "1, 2, 3, 4\n# a comment\n";
  r = tfmex("call --out " + dir + "/w.txt CircSplit " + dir + "/x.txt 0 '[0.7071067811865476 0.7071067811865476]'");
  EXPECT_EQ(r.status, 0) << r.out;
  r = tfmex("call CircJoin " + dir + "/w.txt 0 '[0.7071067811865476 0.7071067811865476]'");
  EXPECT_EQ(r.status, 0);
  r = tfmex("compare " + dir + "/x.txt '[1 2 3 4]'");
  EXPECT_EQ(r.out, "max abs difference 0 (largest value 4)\n");
}

TEST(CommandLine, ReportsThePluginsMessageAndFails) {
  auto r = tfmex("call CircSplit '[1 2 3]' 0 '[1 1]'");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "CircSplit requires dyadic length\n");
  r = tfmex("call --nargout 0 HalveCoarse '[1 2]' 1");
  EXPECT_EQ(r.out, "HalveCoarse requires one output argument.\n");
  EXPECT_EQ(tfmex("call NoSuchPlugin 1").status, 2);
  EXPECT_EQ(tfmex("call CircSplit '[1 2' 0 1").status, 2);
  EXPECT_EQ(tfmex("version GrowDetail").out, "MATLAB R14 native\n");
}

}  // namespace
}  // namespace tfmex::test
