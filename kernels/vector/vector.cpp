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
#elif defined(TFMEX_ARM64)
  return Path::neon;
#else
  return Path::portable;
#endif
}

// The path a cap leaves on a processor whose widest path is cpu.
Path capped(Path cap, Path cpu) {
  if (cap == Path::portable || cpu == Path::portable) return Path::portable;
  if (cpu == Path::neon) return Path::neon;  // ARM's one vector path, whichever is asked
  if (cap == Path::neon) return cpu;         // ARM's path asked of an x86 processor
  return static_cast<int>(cap) < static_cast<int>(cpu) ? cap : cpu;
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
                   "tfmex: TFMEX_SIMD=%s is not one of portable, avx2, avx512, neon: the "
                   "portable path is used\n",
                   env);
    } else if (capped(p, cpu_path()) != p) {
      const bool same_family = (p == Path::neon) == (cpu_path() == Path::neon);
      if (same_family || cpu_path() == Path::portable) {
        std::fprintf(stderr, "tfmex: TFMEX_SIMD=%s: this processor has %s at most, which is used\n",
                     env, path_name(capped(p, cpu_path())));
      } else {
        std::fprintf(stderr, "tfmex: TFMEX_SIMD=%s: this processor has no such path; %s is used\n",
                     env, path_name(capped(p, cpu_path())));
      }
    }
    return static_cast<int>(p);
  }()};
  return cap;
}

}  // namespace

Path widest_path() { return cpu_path(); }

Path path() {
  return capped(static_cast<Path>(cap_flag().load(std::memory_order_relaxed)), cpu_path());
}

Path limit_path(Path cap) {
  return static_cast<Path>(cap_flag().exchange(static_cast<int>(cap), std::memory_order_relaxed));
}

Path path_named(const char* s) {
  if (std::strcmp(s, "avx512") == 0) return Path::avx512;
  if (std::strcmp(s, "avx2") == 0) return Path::avx2;
  if (std::strcmp(s, "neon") == 0) return Path::neon;
  return Path::portable;
}

const char* path_name(Path p) {
  switch (p) {
    case Path::avx512: return "avx512";
    case Path::avx2: return "avx2";
    case Path::neon: return "neon";
    case Path::portable: break;
  }
  return "portable";
}

}  // namespace tfmex::vector
