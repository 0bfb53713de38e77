// The one processor check and the one cap behind tfmex::vector::path().
#include "vector.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tfmex::vector {

namespace {

Path cpu_path() {
#ifdef TFMEX_X86
  static const Path p = __builtin_cpu_supports("avx512f") ? Path::avx512
                        : __builtin_cpu_supports("avx2")  ? Path::avx2
                                                          : Path::portable;
  return p;
#else
  return Path::portable;
#endif
}

// The cap, first taken from TFMEX_SIMD (no cap when it is unset). A value
// that names no path, or one this processor lacks, is said on stderr, once
// for each copy of the kernels, rather than passed over in silence.
std::atomic<int>& cap_flag() {
  static std::atomic<int> cap{[] {
    const char* env = std::getenv("TFMEX_SIMD");
    if (env == nullptr) return static_cast<int>(Path::avx512);
    const Path p = path_named(env);
    if (std::strcmp(path_name(p), env) != 0) {  // names no path
      std::fprintf(stderr,
                   "tfmex: TFMEX_SIMD=%s is not one of portable, avx2, avx512: the portable "
                   "path is used\n",
                   env);
    } else if (static_cast<int>(p) > static_cast<int>(cpu_path())) {
      std::fprintf(stderr, "tfmex: TFMEX_SIMD=%s: this processor has %s at most, which is used\n",
                   env, path_name(cpu_path()));
    }
    return static_cast<int>(p);
  }()};
  return cap;
}

}  // namespace

Path widest_path() { return cpu_path(); }

Path path() {
  const int cap = cap_flag().load(std::memory_order_relaxed);
  const int cpu = static_cast<int>(cpu_path());
  return static_cast<Path>(cpu < cap ? cpu : cap);
}

Path limit_path(Path cap) {
  return static_cast<Path>(cap_flag().exchange(static_cast<int>(cap), std::memory_order_relaxed));
}

Path path_named(const char* s) {
  if (std::strcmp(s, "avx512") == 0) return Path::avx512;
  if (std::strcmp(s, "avx2") == 0) return Path::avx2;
  return Path::portable;
}

const char* path_name(Path p) {
  switch (p) {
    case Path::avx512: return "avx512";
    case Path::avx2: return "avx2";
    case Path::portable: break;
  }
  return "portable";
}

}  // namespace tfmex::vector
