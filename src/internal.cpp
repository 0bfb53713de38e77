#include "internal.hpp"

namespace tfmex::detail {

void refuse(const char* fn, const std::string& what) {
  throw invalid_argument(std::string("tfmex::") + fn + ": " + what);
}

int dyadic(const char* fn, std::ptrdiff_t n, const char* name) {
  constexpr std::ptrdiff_t kMax = std::ptrdiff_t{1} << 30;
  if (n < 1 || n > kMax || (n & (n - 1)) != 0) {
    refuse(fn,
           std::string(name) + " must be a power of two from 1 to 2^30, not " + std::to_string(n));
  }
  int J = 0;
  while ((std::ptrdiff_t{1} << J) < n) ++J;
  return J;
}

int triadic(const char* fn, std::ptrdiff_t n, const char* name) {
  std::ptrdiff_t k = 1;
  int J = 0;
  while (k < n && J < 19) {
    k *= 3;
    ++J;
  }
  if (n < 1 || k != n) {
    refuse(fn, std::string(name) + " must be a power of three from 1 to 3^19, not " +
                   std::to_string(n));
  }
  return J;
}

void in_range(const char* fn, const char* name, std::ptrdiff_t value, std::ptrdiff_t lo,
              std::ptrdiff_t hi) {
  if (value < lo || value > hi) {
    refuse(fn, std::string(name) + " must be from " + std::to_string(lo) + " to " +
                   std::to_string(hi) + ", not " + std::to_string(value));
  }
}

void check_batch(const char* fn, std::ptrdiff_t count, const void* in, const void* out) {
  if (count < 0) refuse(fn, "the batch count must not be negative, not " + std::to_string(count));
  if (count > 0 && (in == nullptr || out == nullptr)) refuse(fn, "null input or output pointer");
}

void check_taps(const char* fn, const char* name, Taps t) {
  if (t.size < 0) refuse(fn, std::string(name) + " has a negative size");
  if (t.size > 0 && t.data == nullptr) refuse(fn, std::string(name) + " is a null pointer");
  if (t.size > 2147483647) refuse(fn, std::string(name) + " has more than 2^31 - 1 taps");
}

double* workspace(Workspace* given, Workspace& own, std::size_t doubles) {
  if (given != nullptr && given->size() >= doubles) return given->data();
  own.reserve(doubles);
  return own.data();
}

}  // namespace tfmex::detail
