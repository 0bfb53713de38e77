// The library's functions bound directly in tfmex._tfmex (see library.cpp).
#ifndef TFMEX_PYTHON_LIBRARY_H
#define TFMEX_PYTHON_LIBRARY_H

#include <pybind11/pybind11.h>

namespace tfmex::python {

void bind_library(pybind11::module_& m);

}  // namespace tfmex::python

#endif
