#include "simd.h"

#include <atomic>

namespace tfmex::trig {

namespace {

SimdLevel cpu_level() {
#if defined(__x86_64__) || defined(__i386__)
  if (__builtin_cpu_supports("avx512f")) return SimdLevel::avx512;
  if (__builtin_cpu_supports("avx2")) return SimdLevel::avx2;
#endif
  return SimdLevel::portable;
}

std::atomic<int>& level_flag() {
  static std::atomic<int> flag{static_cast<int>(cpu_level())};
  return flag;
}

}  // namespace

SimdLevel simd_level() { return static_cast<SimdLevel>(level_flag().load(std::memory_order_relaxed)); }

SimdLevel set_simd_level(SimdLevel level) {
  const int best = static_cast<int>(cpu_level());
  const int want = static_cast<int>(level);
  return static_cast<SimdLevel>(
      level_flag().exchange(want < best ? want : best, std::memory_order_relaxed));
}

bool simd_active() { return simd_level() != SimdLevel::portable; }

bool set_simd(bool enabled) {
  return set_simd_level(enabled ? SimdLevel::avx512 : SimdLevel::portable) != SimdLevel::portable;
}

}  // namespace tfmex::trig
