#include "simd.h"

#include <atomic>

namespace tfmex::trig {

namespace {

bool cpu_has_avx2() {
#if defined(__x86_64__) || defined(__i386__)
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

std::atomic<bool>& enabled_flag() {
  static std::atomic<bool> flag{cpu_has_avx2()};
  return flag;
}

}  // namespace

bool simd_active() { return enabled_flag().load(std::memory_order_relaxed); }

bool set_simd(bool enabled) {
  return enabled_flag().exchange(enabled && cpu_has_avx2(), std::memory_order_relaxed);
}

}  // namespace tfmex::trig
