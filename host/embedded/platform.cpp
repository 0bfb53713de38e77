// The operating-system calls of the embedded host: dlopen/dlsym on POSIX
// systems, LoadLibrary/GetProcAddress on Windows, where paths are UTF-8 on our
// side and UTF-16 on the system's.
#include "platform.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace tfmex::host::os {

#ifdef _WIN32

namespace {

std::wstring widen(const std::string& s) {
  if (s.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string narrow(const wchar_t* w, int len) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, w, len, nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w, len, s.data(), n, nullptr, nullptr);
  return s;
}

std::string system_message(DWORD code) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string s = n != 0 && text != nullptr ? std::string(text, n) : "";
  if (text != nullptr) LocalFree(text);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
  return "system error " + std::to_string(code) + (s.empty() ? "" : " (" + s + ")");
}

}  // namespace

void* open_library(const std::string& path, std::string* why) {
  std::wstring w = widen(path);
  for (wchar_t& c : w)
    if (c == L'/') c = L'\\';
  // No dialog box for a missing dependency: the caller reports the failure.
  DWORD old_mode = 0;
  SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &old_mode);
  HMODULE h = LoadLibraryW(w.c_str());
  const DWORD code = GetLastError();
  SetThreadErrorMode(old_mode, nullptr);
  if (h == nullptr && why != nullptr) *why = system_message(code);
  return reinterpret_cast<void*>(h);
}

void* find_symbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void close_library(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

std::string program_path() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return "";
    if (n < buf.size()) return narrow(buf.data(), static_cast<int>(n));
    buf.resize(buf.size() * 2);  // truncated: try a larger buffer
  }
}

std::size_t last_separator(const std::string& path) { return path.find_last_of("/\\"); }

void* map_zeroed(std::size_t bytes) {
  return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void unmap(void* p, std::size_t) { VirtualFree(p, 0, MEM_RELEASE); }

// Committed memory is backed there: a mapping that cannot be is refused.
bool memory_left_for(std::size_t) { return true; }

#else

void* open_library(const std::string& path, std::string* why) {
  void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (h == nullptr && why != nullptr) {
    const char* text = dlerror();
    *why = text != nullptr ? text : "unknown error";
  }
  return h;
}

void* find_symbol(void* library, const char* name) { return dlsym(library, name); }

void close_library(void* library) { dlclose(library); }

std::string program_path() {
  char buf[4096];
  const ssize_t len = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return len > 0 ? std::string(buf, static_cast<std::size_t>(len)) : "";
}

std::size_t last_separator(const std::string& path) { return path.rfind('/'); }

#ifdef __linux__
// Mappings start on a 2 MB boundary and span whole 2 MB pages, which the
// system can then back with large pages from the first byte to the last.
constexpr std::size_t kLargePage = std::size_t{2} << 20;
std::size_t mapped_length(std::size_t bytes) {
  return (bytes + kLargePage - 1) / kLargePage * kLargePage;
}
#else
std::size_t mapped_length(std::size_t bytes) { return bytes; }
#endif

void* map_zeroed(std::size_t bytes) {
  const std::size_t length = mapped_length(bytes);
#ifdef __linux__
  // Map a large page more than needed and give back the ends around the
  // first 2 MB boundary.
  void* raw = mmap(nullptr, length + kLargePage, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  auto* first = static_cast<char*>(raw);
  char* start =
      first + (kLargePage - reinterpret_cast<std::uintptr_t>(first) % kLargePage) % kLargePage;
  if (start > first) munmap(first, static_cast<std::size_t>(start - first));
  char* const end = first + length + kLargePage;
  if (end > start + length) munmap(start + length, static_cast<std::size_t>(end - start - length));
#ifdef MADV_HUGEPAGE
  madvise(start, length, MADV_HUGEPAGE);  // advice only: a refusal changes nothing
#endif
  return start;
#else
  void* p = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return p == MAP_FAILED ? nullptr : p;
#endif
}

void unmap(void* p, std::size_t bytes) { munmap(p, mapped_length(bytes)); }

#ifdef __linux__
namespace {

constexpr std::uint64_t kUnknown = UINT64_MAX;

// The value of a "Key: value" line of a file (in `unit` bytes), or kUnknown.
std::uint64_t keyed_value(const char* path, const char* key, std::uint64_t unit) {
  std::FILE* f = std::fopen(path, "r");
  if (f == nullptr) return kUnknown;
  char line[256];
  std::uint64_t value = kUnknown;
  const std::size_t len = std::strlen(key);
  while (std::fgets(line, sizeof line, f) != nullptr) {
    unsigned long long v = 0;
    if (std::strncmp(line, key, len) == 0 && std::sscanf(line + len, " %llu", &v) == 1) {
      value = static_cast<std::uint64_t>(v) * unit;
      break;
    }
  }
  std::fclose(f);
  return value;
}

// The number a file holds ("max" and anything else unreadable: kUnknown).
std::uint64_t file_value(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "r");
  if (f == nullptr) return kUnknown;
  unsigned long long v = 0;
  const bool ok = std::fscanf(f, "%llu", &v) == 1;
  std::fclose(f);
  return ok ? static_cast<std::uint64_t>(v) : kUnknown;
}

// What the memory control group of this process leaves: its limit less what
// it uses, the file pages it could reclaim counted as free; kUnknown without
// a limit.
std::uint64_t group_left() {
  std::string v2 = "/sys/fs/cgroup", v1 = "/sys/fs/cgroup/memory";
  if (std::FILE* f = std::fopen("/proc/self/cgroup", "r")) {
    char line[512];
    while (std::fgets(line, sizeof line, f) != nullptr) {
      std::string l(line);
      if (!l.empty() && l.back() == '\n') l.pop_back();
      if (l.compare(0, 3, "0::") == 0) v2 += l.substr(3);
      const std::size_t at = l.find(":memory:");
      if (at != std::string::npos) v1 += l.substr(at + 8);
    }
    std::fclose(f);
  }
  struct Files {
    std::string dir;
    const char *limit, *usage, *stat, *file_key;
  };
  // The process's own group first, then the root of what this process sees
  // (inside a container the group is mounted there).
  const Files tries[] = {
      {v2, "memory.max", "memory.current", "memory.stat", "file"},
      {"/sys/fs/cgroup", "memory.max", "memory.current", "memory.stat", "file"},
      {v1, "memory.limit_in_bytes", "memory.usage_in_bytes", "memory.stat", "total_cache"},
      {"/sys/fs/cgroup/memory", "memory.limit_in_bytes", "memory.usage_in_bytes", "memory.stat",
       "total_cache"}};
  for (const Files& t : tries) {
    const std::uint64_t limit = file_value(t.dir + "/" + t.limit);
    const std::uint64_t used = file_value(t.dir + "/" + t.usage);
    // No limit reads as "max" (v2) or as a number near 2^63 (v1).
    if (limit == kUnknown || used == kUnknown || limit >= (std::uint64_t{1} << 62)) continue;
    std::uint64_t file = keyed_value((t.dir + "/" + t.stat).c_str(), t.file_key, 1);
    if (file == kUnknown || file > used) file = 0;
    const std::uint64_t busy = used - file;
    return busy < limit ? limit - busy : 0;
  }
  return kUnknown;
}

}  // namespace

bool memory_left_for(std::size_t bytes) {
  const std::uint64_t available = keyed_value("/proc/meminfo", "MemAvailable:", 1024);
  const std::uint64_t swap = keyed_value("/proc/meminfo", "SwapFree:", 1024);
  std::uint64_t left = kUnknown;
  if (available != kUnknown) left = available + (swap != kUnknown ? swap : 0);
  const std::uint64_t group = group_left();
  if (group < left) left = group;
  return left == kUnknown || bytes <= left;
}
#else
bool memory_left_for(std::size_t) { return true; }
#endif

#endif

}  // namespace tfmex::host::os
