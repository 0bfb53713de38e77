// The library's version: the one place it is written (CMake reads it here).
#ifndef TFMEX_VERSION_HPP
#define TFMEX_VERSION_HPP

#define TFMEX_VERSION_STRING "0.1.0"

#endif
