// The instruction paths (tfmex::vector) this processor can take, and a guard
// that holds one of them for the length of a test.
#ifndef TFMEX_TESTS_KERNEL_PATHS_H
#define TFMEX_TESTS_KERNEL_PATHS_H

#include <vector>

#include "kernels/vector/vector.h"

namespace tfmex::test {

using KernelPath = tfmex::vector::Path;

// Portable first, then every vector path up to the widest the processor has
// (whatever TFMEX_SIMD says: the tests compare every path there is).
inline std::vector<KernelPath> every_path() {
  std::vector<KernelPath> paths{KernelPath::portable};
  const auto widest = tfmex::vector::widest_path();
  if (widest == KernelPath::neon) return {KernelPath::portable, KernelPath::neon};
  if (widest >= KernelPath::avx2) paths.push_back(KernelPath::avx2);
  if (widest >= KernelPath::avx512) paths.push_back(KernelPath::avx512);
  return paths;
}

// Holds a path for one test and puts the previous cap back when it ends.
class PathGuard {
 public:
  explicit PathGuard(KernelPath p) : before_(tfmex::vector::limit_path(p)) {}
  ~PathGuard() { tfmex::vector::limit_path(before_); }
  PathGuard(const PathGuard&) = delete;
  PathGuard& operator=(const PathGuard&) = delete;

 private:
  KernelPath before_;
};

}  // namespace tfmex::test

#endif
