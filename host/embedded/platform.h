// What the embedded host needs from the operating system, on POSIX systems
// (dlopen) and on Windows (LoadLibrary): loading a plug-in file, finding its
// entry points, the path of the running program, and memory for large arrays.
#ifndef TFMEX_HOST_EMBEDDED_PLATFORM_H
#define TFMEX_HOST_EMBEDDED_PLATFORM_H

#include <cstddef>
#include <string>

#include "mex.h"  // TFMEX_HOST_API

namespace tfmex::host::os {

// Loads a shared library; null on failure, with the system's reason in *why.
TFMEX_HOST_API void* open_library(const std::string& path, std::string* why);
// The address of an exported function, or null.
TFMEX_HOST_API void* find_symbol(void* library, const char* name);
TFMEX_HOST_API void close_library(void* library);

// `bytes` zero bytes mapped fresh from the system, or null. On Linux the
// mapping is whole 2 MB pages on a 2 MB boundary, marked for large pages,
// each zeroed and mapped in one fault where 4 KB pages take 512 of them; for
// results of tens of megabytes those faults are otherwise most of a call.
TFMEX_HOST_API void* map_zeroed(std::size_t bytes);
TFMEX_HOST_API void unmap(void* p, std::size_t bytes);

// Whether `bytes` more memory can be had without the system running short.
// A fresh mapping is only promised memory: where the system overcommits
// (Linux), a mapping larger than what is left is granted all the same, and
// the process is ended when it fills it. On Linux the answer is what the
// system says it can still supply (MemAvailable + SwapFree) and, in a memory
// control group, what the group's limit leaves (reclaimable file pages
// counted as free); elsewhere, and whatever cannot be read, true.
bool memory_left_for(std::size_t bytes);

// The running program's file (UTF-8), or "" when the system cannot tell.
TFMEX_HOST_API std::string program_path();

// Position of the last folder separator ('/', and '\\' on Windows), or npos.
TFMEX_HOST_API std::size_t last_separator(const std::string& path);

}  // namespace tfmex::host::os

#endif
