// The instruction paths of the filter-bank routines that this processor can
// take, and a guard that holds one of them for the length of a test.
#ifndef TFMEX_TESTS_KERNEL_PATHS_H
#define TFMEX_TESTS_KERNEL_PATHS_H

#include <string>
#include <vector>

#include "kernels/periodized/periodized.h"

namespace tfmex::test {

using KernelPath = tfmex::periodized::detail::Path;

// Portable first, then every vector path up to the widest the processor has.
inline std::vector<KernelPath> every_path() {
  std::vector<KernelPath> paths{KernelPath::portable};
  const auto widest = tfmex::periodized::detail::widest_path();
  if (widest >= KernelPath::avx2) paths.push_back(KernelPath::avx2);
  if (widest >= KernelPath::avx512) paths.push_back(KernelPath::avx512);
  return paths;
}

inline std::string path_name(KernelPath p) {
  return p == KernelPath::portable ? "portable" : p == KernelPath::avx2 ? "avx2" : "avx512";
}

// Holds a path for one test and lifts the cap when the test ends.
struct PathGuard {
  explicit PathGuard(KernelPath p) { tfmex::periodized::detail::limit_path(p); }
  ~PathGuard() { tfmex::periodized::detail::force_portable(false); }
  PathGuard(const PathGuard&) = delete;
  PathGuard& operator=(const PathGuard&) = delete;
};

}  // namespace tfmex::test

#endif
