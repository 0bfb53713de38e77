// Helpers every transform of the library shares: argument checks that throw
// tfmex::invalid_argument, and the moves between a caller's strided vectors
// and the packed blocks the kernels work on.
#ifndef TFMEX_SRC_INTERNAL_HPP
#define TFMEX_SRC_INTERNAL_HPP

#include <cstddef>
#include <string>

#include "tfmex/common.hpp"

namespace tfmex::detail {

// Throws invalid_argument("tfmex::<fn>: <what>").
[[noreturn]] void refuse(const char* fn, const std::string& what);

// J with 2^J = n; refuses n < 1, n not a power of two, or n above 2^30.
int dyadic(const char* fn, std::ptrdiff_t n, const char* name = "n");
// J with 3^J = n; refuses n < 1, n not a power of three, or n above 3^19.
int triadic(const char* fn, std::ptrdiff_t n, const char* name = "n");
// Refuses a value outside lo .. hi.
void in_range(const char* fn, const char* name, std::ptrdiff_t value, std::ptrdiff_t lo,
              std::ptrdiff_t hi);
// Refuses a negative count, a null pointer for a non-empty batch, or a
// filter with a null pointer and a positive size.
void check_batch(const char* fn, std::ptrdiff_t count, const void* in, const void* out);
void check_taps(const char* fn, const char* name, Taps t);

// Distance between vectors of a batch: the given one, or length * stride.
inline std::ptrdiff_t distance(const Strides& s, std::ptrdiff_t length) {
  return s.distance != 0 ? s.distance : length * s.stride;
}

// Whether vectors of `length` values are packed and follow one another.
inline bool packed(const Strides& s, std::ptrdiff_t length) {
  return s.stride == 1 && distance(s, length) == length;
}

// Where the tables of a batch lie, n rows and `columns` columns each: a cols
// of 0 means rows * n; a distance of 0 the longer of the two spans, so that
// tables stored row by row follow one another too.
struct TableStrides {
  std::ptrdiff_t rows, cols, distance;
};
inline TableStrides table_strides(const Strides2& s, std::ptrdiff_t n, std::ptrdiff_t columns) {
  const std::ptrdiff_t cols = s.cols != 0 ? s.cols : s.rows * n;
  const std::ptrdiff_t down = s.rows * n, across = cols * columns;
  const std::ptrdiff_t extent =
      (down < 0 ? -down : down) > (across < 0 ? -across : across) ? down : across;
  return TableStrides{s.rows, cols, s.distance != 0 ? s.distance : extent};
}

// dst[i] = src[i * stride] and back.
inline void gather(const double* src, std::ptrdiff_t stride, double* dst, std::ptrdiff_t n) {
  if (stride == 1) {
    for (std::ptrdiff_t i = 0; i < n; ++i) dst[i] = src[i];
    return;
  }
  for (std::ptrdiff_t i = 0; i < n; ++i) dst[i] = src[i * stride];
}
inline void scatter(const double* src, double* dst, std::ptrdiff_t stride, std::ptrdiff_t n) {
  if (stride == 1) {
    for (std::ptrdiff_t i = 0; i < n; ++i) dst[i] = src[i];
    return;
  }
  for (std::ptrdiff_t i = 0; i < n; ++i) dst[i * stride] = src[i];
}

// The workspace a call uses: the caller's when it holds `doubles`, else one
// from the pool held in `own`.
double* workspace(Workspace* given, Workspace& own, std::size_t doubles);

}  // namespace tfmex::detail

#endif
