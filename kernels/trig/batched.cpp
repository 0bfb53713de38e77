// batched.inc compiled once per vector path, each in its own namespace with
// its own lanes.
#include "batched.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "internal.h"
#include "kernels/vector/lanes.h"

namespace tfmex::trig {

// The W signals of a group: signal l's value k at base + l * dist + k * stride.
struct Group {
  const double* in;
  std::ptrdiff_t in_dist, in_stride;
  double* out;
  std::ptrdiff_t out_dist, out_stride;
};

#define TFMEX_KERNEL "kernels/trig/batched.inc"
#define TFMEX_KERNEL_PORTABLE 1
#include "kernels/vector/each_path.inc"

int group_width(vector::Path p) { return TFMEX_PATH_CALL(p, portable::W, W); }

void cosine_group(vector::Path p, CosineKind kind, const double* x, std::ptrdiff_t in_dist,
                  std::ptrdiff_t in_stride, double* y, std::ptrdiff_t out_dist,
                  std::ptrdiff_t out_stride, int J, const double* tables, double* work) {
  const Group g{x, in_dist, in_stride, y, out_dist, out_stride};
  TFMEX_PATH_CALL(p, portable::cosine_group(kind, g, J, tables, work),
                  cosine_group(kind, g, J, tables, work));
}

void cosine4_group(vector::Path p, const double* x, std::ptrdiff_t in_dist,
                   std::ptrdiff_t in_stride, double* y, std::ptrdiff_t out_dist,
                   std::ptrdiff_t out_stride, int J, const double* tables, double* work) {
  const Group g{x, in_dist, in_stride, y, out_dist, out_stride};
  TFMEX_PATH_CALL(p, portable::cosine4_group(g, J, tables, work),
                  cosine4_group(g, J, tables, work));
}

}  // namespace tfmex::trig
