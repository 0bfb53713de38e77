// batched.inc compiled once per vector path, each in its own namespace with
// its own lanes.
#include "batched.h"

#include <cstddef>
#include <cstdint>

#include "kernels/vector/lanes.h"

namespace tfmex::trig {

namespace portable {
#include "kernels/vector/lanes_portable.inc"
// The kernel after its lanes.
#include "batched.inc"
}  // namespace portable

#ifdef TFMEX_X86
TFMEX_BEGIN_AVX2
namespace avx2 {
#include "kernels/vector/lanes_avx2.inc"
// The kernel after its lanes.
#include "batched.inc"
}  // namespace avx2
TFMEX_END_TARGET

TFMEX_BEGIN_AVX512
namespace avx512 {
#include "kernels/vector/lanes_avx512.inc"
// The kernel after its lanes.
#include "batched.inc"
}  // namespace avx512
TFMEX_END_TARGET
#endif

#ifdef TFMEX_ARM64
namespace neon {
#include "kernels/vector/lanes_neon.inc"
// The kernel after its lanes.
#include "batched.inc"
}  // namespace neon
#endif

int group_width(vector::Path p) {
  switch (p) {
    case vector::Path::avx2: return 4;
    case vector::Path::avx512: return 8;
    case vector::Path::neon: return 2;
    case vector::Path::portable: break;
  }
  return 1;
}

void cosine_group(vector::Path p, CosineKind kind, const double* x, std::ptrdiff_t in_dist,
                  std::ptrdiff_t in_stride, double* y, std::ptrdiff_t out_dist,
                  std::ptrdiff_t out_stride, int J, const double* tables, double* work) {
#ifdef TFMEX_X86
  if (p == vector::Path::avx512)
    return avx512::cosine_group(kind, {x, in_dist, in_stride, y, out_dist, out_stride}, J, tables,
                                work);
  if (p == vector::Path::avx2)
    return avx2::cosine_group(kind, {x, in_dist, in_stride, y, out_dist, out_stride}, J, tables,
                              work);
#endif
#ifdef TFMEX_ARM64
  if (p == vector::Path::neon)
    return neon::cosine_group(kind, {x, in_dist, in_stride, y, out_dist, out_stride}, J, tables,
                              work);
#endif
  portable::cosine_group(kind, {x, in_dist, in_stride, y, out_dist, out_stride}, J, tables, work);
}

}  // namespace tfmex::trig
