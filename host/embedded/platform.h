// What the embedded host needs from the operating system, on POSIX systems
// (dlopen) and on Windows (LoadLibrary): loading a plug-in file, finding its
// entry points, and the path of the running program.
#ifndef TFMEX_HOST_EMBEDDED_PLATFORM_H
#define TFMEX_HOST_EMBEDDED_PLATFORM_H

#include <string>

namespace tfmex::host::os {

// Loads a shared library; null on failure, with the system's reason in *why.
void* open_library(const std::string& path, std::string* why);
// The address of an exported function, or null.
void* find_symbol(void* library, const char* name);
void close_library(void* library);

// The running program's file (UTF-8), or "" when the system cannot tell.
std::string program_path();

// Position of the last folder separator ('/', and '\\' on Windows), or npos.
std::size_t last_separator(const std::string& path);

}  // namespace tfmex::host::os

#endif
