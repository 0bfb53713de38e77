// The lane vocabulary of the vector kernels (kernels/vector/lanes.h): every
// operation of every path this processor has, lane by lane, against its
// definition, including those that only one kernel's edge cases reach.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "kernel_paths.h"
#include "kernels/vector/lanes.h"
#include "support.h"

namespace tfmex::test {
namespace {

namespace portable {
#include "kernels/vector/lanes_portable.inc"

#include "lanes_checks.inc"
}  // namespace portable

#define TFMEX_TEST_PAIRS 1
#define TFMEX_KERNEL "tests/lanes_checks.inc"
#include "kernels/vector/each_path.inc"

TEST(Lanes, EveryOperationOfEveryPathMeetsItsDefinition) {
  EXPECT_EQ(portable::check_lanes(), "");
  for (const KernelPath p : every_path()) {
    if (p == KernelPath::portable) continue;
    EXPECT_EQ(TFMEX_PATH_CALL(p, std::string("no build"), check_lanes()), "")
        << tfmex::vector::path_name(p);
    EXPECT_EQ(TFMEX_PATH_CALL(p, std::string("no build"), check_pairs()), "")
        << tfmex::vector::path_name(p);
  }
}

}  // namespace
}  // namespace tfmex::test
