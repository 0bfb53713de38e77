// tfmex._tfmex: the plug-ins' gateways, compiled into this module, called on
// numpy arrays.
//
// Every gateway source of MEXSource/ is built a second time as part of the
// module, its entry points renamed tfmex_gw_<Plugin> and tfmex_gwv_<Plugin>
// (see gateways.inc, written by CMake from the same list of sources that
// makes the plug-in files). The gateways call the host operations of
// array_layer.cpp, so a call here runs the plug-in's own checks, messages and
// library calls on numpy's memory:
//
// - a float64 argument in column-major order is read where it is; any other
//   float64 argument (C-ordered, strided, unaligned) is copied into that
//   order first. An argument of another class stands in as an array of that
//   class, which the gateway refuses (or ignores where it reads no such
//   argument), as GNU Octave's gateways do.
// - Python floats and ints are 1 x 1 doubles, lists and tuples of them are
//   rows; everything else is turned into an array by the package's Python
//   layer (tfmex/plugins.py), which knows the remaining rules.
// - the array the gateway creates as its output becomes the result's numpy
//   array (Fortran-ordered) without a copy.
// - copies and the gateway run without the GIL.
//
// A few of the library's functions are bound directly as well (library.cpp).

// pybind11 (and Python.h with it) before any system header, as Python asks.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "python/array_layer.h"
#include "python/library.h"

namespace py = pybind11;

using Entry = void (*)(int, mxArray**, int, const mxArray**);
using VersionFn = const char* (*)();

#define TFMEX_GATEWAY(name)                                              \
  extern "C" void tfmex_gw_##name(int, mxArray**, int, const mxArray**); \
  extern "C" const char* tfmex_gwv_##name();
#include "gateways.inc"
#undef TFMEX_GATEWAY

namespace {

struct Gateway {
  const char* name;
  Entry entry;
  VersionFn version;
};

constexpr Gateway kGateways[] = {
#define TFMEX_GATEWAY(name) {#name, &tfmex_gw_##name, &tfmex_gwv_##name},
#include "gateways.inc"
#undef TFMEX_GATEWAY
};
constexpr int kCount = static_cast<int>(sizeof kGateways / sizeof kGateways[0]);

using tfmex::python::NoMemory;
using tfmex::python::Raised;

// The package's converter of every other kind of argument into a numpy
// array of at most two dimensions: set once by tfmex.plugins, kept for the
// life of the process.
PyObject* g_converter = nullptr;

// One argument as the gateway sees it. A double matrix that is not in
// column-major order keeps where its values are, to be copied once the GIL
// is released.
struct Argument {
  mxArray_tag array;
  const char* source = nullptr;
  py::ssize_t row_step = 0, col_step = 0;  // byte strides of source

  Argument() = default;
  Argument(const Argument&) = delete;
  Argument& operator=(const Argument&) = delete;
  ~Argument() { tfmex::python::release(&array); }
};

bool is_native(char byteorder) {
  if (byteorder == '=' || byteorder == '|') return true;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  return byteorder == '>';
#else
  return byteorder == '<';
#endif
}

// Marks the stand-in for an argument of a numpy dtype other than float64:
// complex128 is a complex double array, any other number or character dtype
// another class. Dtypes that no host array stands for are refused here.
void stand_in(const py::dtype& dt, const char* plugin, mxArray_tag* a) {
  const char kind = dt.kind();
  switch (kind) {
    case 'b':
    case 'i':
    case 'u':
    case 'S':
    case 'U':
    case 'f':  // float16, float32, long double (float64 is read before)
      a->is_double = false;
      return;
    case 'c':
      a->is_double = dt.itemsize() == 16;
      a->complex = true;
      return;
    default:
      throw py::type_error(std::string(plugin) +
                           ": arguments must be numeric arrays or numbers, not dtype " +
                           py::repr(dt).cast<std::string>());
  }
}

// Reads a numpy array of at most two dimensions (1-D is a row, 0-D is 1 x 1)
// into arg. False when the package's converter must see it first: more than
// two dimensions, or float64 in the other byte order.
bool from_array(PyObject* obj, const char* plugin, Argument* arg) {
  const auto* a = py::detail::array_proxy(obj);
  if (a->nd > 2) return false;
  const auto* descr = py::detail::array_descriptor_proxy(a->descr);
  mxArray_tag& m = arg->array;
  py::ssize_t rows = 1, cols = 1, row_step = 8, col_step = 8;
  if (a->nd == 1) {
    cols = a->dimensions[0];
    col_step = a->strides[0];
  } else if (a->nd == 2) {
    rows = a->dimensions[0];
    cols = a->dimensions[1];
    row_step = a->strides[0];
    col_step = a->strides[1];
  }
  m.rows = static_cast<std::size_t>(rows);
  m.cols = static_cast<std::size_t>(cols);
  if (descr->type_num != py::detail::npy_api::NPY_DOUBLE_) {
    stand_in(py::reinterpret_borrow<py::dtype>(a->descr), plugin, &m);
    return true;
  }
  if (!is_native(descr->byteorder)) return false;
  if (rows == 0 || cols == 0) return true;
  const bool aligned = reinterpret_cast<std::uintptr_t>(a->data) % alignof(double) == 0;
  const bool packed = (rows == 1 || row_step == 8) && (cols == 1 || col_step == 8 * rows);
  if (aligned && packed) {
    m.data = reinterpret_cast<double*>(a->data);
  } else {
    arg->source = a->data;
    arg->row_step = row_step;
    arg->col_step = col_step;
  }
  return true;
}

// Reads a list or tuple of floats (numpy's float64 scalars included) and
// Python ints (up to 2^53, which convert exactly) as a row. False for
// anything else in it.
bool from_sequence(PyObject* seq, Argument* arg) {
  const Py_ssize_t n = PySequence_Fast_GET_SIZE(seq);
  PyObject** items = PySequence_Fast_ITEMS(seq);
  for (Py_ssize_t i = 0; i < n; ++i) {
    PyObject* v = items[i];
    if (PyFloat_Check(v)) continue;
    if (!PyLong_CheckExact(v)) return false;
    int overflow = 0;
    const long long k = PyLong_AsLongLongAndOverflow(v, &overflow);
    constexpr long long kExact = 1LL << 53;
    if (overflow != 0 || k > kExact || k < -kExact) return false;
  }
  mxArray_tag& m = arg->array;
  if (!tfmex::python::allocate(&m, 1, static_cast<std::size_t>(n))) throw std::bad_alloc();
  for (Py_ssize_t i = 0; i < n; ++i) {
    PyObject* v = items[i];
    m.data[i] = PyFloat_Check(v) ? PyFloat_AS_DOUBLE(v) : static_cast<double>(PyLong_AsLongLong(v));
  }
  return true;
}

void from_number(double v, Argument* arg) {
  mxArray_tag& m = arg->array;
  m.rows = m.cols = 1;
  m.value = v;
  m.data = &m.value;
}

// Reads one argument; `kept` holds what the converter made, so that its
// buffer outlives the call.
void describe(PyObject* obj, const char* plugin, Argument* arg, std::vector<py::object>& kept) {
  if (PyFloat_Check(obj)) return from_number(PyFloat_AS_DOUBLE(obj), arg);
  if (PyLong_CheckExact(obj)) {
    const double v = PyLong_AsDouble(obj);  // as float(obj) converts: OverflowError beyond
    if (v == -1.0 && PyErr_Occurred()) throw py::error_already_set();
    return from_number(v, arg);
  }
  const auto& api = py::detail::npy_api::get();
  if (api.PyArray_Check_(obj)) {
    if (from_array(obj, plugin, arg)) return;
  } else if ((PyList_CheckExact(obj) || PyTuple_CheckExact(obj)) && from_sequence(obj, arg)) {
    return;
  }
  if (g_converter == nullptr) throw std::runtime_error("tfmex: the converter is not set");
  py::object converted =
      py::reinterpret_steal<py::object>(PyObject_CallFunction(g_converter, "sO", plugin, obj));
  if (!converted) throw py::error_already_set();
  if (!api.PyArray_Check_(converted.ptr()) || !from_array(converted.ptr(), plugin, arg))
    throw std::runtime_error(std::string(plugin) + ": the converter gave no 2-D array");
  kept.push_back(std::move(converted));
}

// Copies a strided double matrix into the argument's own column-major block.
void copy_in(Argument* arg) {
  mxArray_tag& m = arg->array;
  const std::size_t rows = m.rows, cols = m.cols;
  if (!tfmex::python::allocate(&m, rows, cols)) throw NoMemory{rows, cols};
  for (std::size_t c = 0; c < cols; ++c) {
    const char* col = arg->source + static_cast<py::ssize_t>(c) * arg->col_step;
    double* dst = m.data + c * rows;
    if (arg->row_step == 8) {
      std::memcpy(dst, col, rows * sizeof(double));
    } else {
      for (std::size_t r = 0; r < rows; ++r)
        std::memcpy(dst + r, col + static_cast<py::ssize_t>(r) * arg->row_step, sizeof(double));
    }
  }
}

// How a call ended, with the GIL released: everything needed to raise.
struct Outcome {
  enum Kind { Done, Message, NoRoom, BadAlloc, Invalid, Other, Missing } kind = Done;
  std::string text;
  std::size_t rows = 0, cols = 0;
};

bool ends_with(const std::string& s, const char* tail) {
  const std::size_t n = std::strlen(tail);
  return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

std::string size_text(std::size_t rows, std::size_t cols) {
  const double bytes = static_cast<double>(rows) * static_cast<double>(cols) * 8.0;
  char buf[64];
  if (bytes >= 1024.0 * 1024.0 * 1024.0) {
    std::snprintf(buf, sizeof buf, "%.1f GiB", bytes / (1024.0 * 1024.0 * 1024.0));
  } else {
    std::snprintf(buf, sizeof buf, "%.1f MiB", bytes / (1024.0 * 1024.0));
  }
  return buf;
}

[[noreturn]] void throw_python(PyObject* type, const std::string& text) {
  PyErr_SetString(type, text.c_str());
  throw py::error_already_set();
}

[[noreturn]] void throw_outcome(const Outcome& out, const char* plugin) {
  const std::string name = plugin;
  switch (out.kind) {
    case Outcome::Message:
      // The gateways' own messages: the class message is a TypeError, a
      // workspace that could not be had a MemoryError.
      if (ends_with(out.text, " requires real double arguments"))
        throw_python(PyExc_TypeError, out.text);
      if (ends_with(out.text, " could not allocate its workspace"))
        throw_python(PyExc_MemoryError, out.text);
      throw_python(PyExc_ValueError, out.text);
    case Outcome::NoRoom:
      throw_python(PyExc_MemoryError, name + ": Out of memory for a " + std::to_string(out.rows) +
                                          " x " + std::to_string(out.cols) + " array of doubles (" +
                                          size_text(out.rows, out.cols) + ")");
    case Outcome::BadAlloc:
      throw_python(PyExc_MemoryError, name + ": Out of memory (" + out.text + ")");
    case Outcome::Invalid: throw_python(PyExc_ValueError, name + ": " + out.text);
    case Outcome::Missing:
      throw_python(PyExc_RuntimeError, name + " returned without an output it created");
    default: throw_python(PyExc_RuntimeError, name + ": " + out.text);
  }
}

// Runs the gateway on the arguments (copying those that need it first) and
// hands over its output. Called without the GIL: nothing here touches Python.
mxArray* run(const Gateway& gw, Argument* args, int n, Outcome* out) {
  try {
    for (int i = 0; i < n; ++i)
      if (args[i].source != nullptr) copy_in(&args[i]);
    const mxArray* stack[4];
    std::unique_ptr<const mxArray*[]> heap;
    const mxArray** prhs = stack;
    if (n > 4) {
      heap.reset(new const mxArray*[n]);
      prhs = heap.get();
    }
    for (int i = 0; i < n; ++i) prhs[i] = &args[i].array;
    tfmex::python::Call call;
    mxArray* plhs[1] = {nullptr};
    gw.entry(1, plhs, n, prhs);
    if (!call.take(plhs[0])) {
      out->kind = Outcome::Missing;
      return nullptr;
    }
    return plhs[0];
  } catch (const Raised& e) {
    out->kind = Outcome::Message;
    out->text = e.message;
  } catch (const NoMemory& e) {
    out->kind = Outcome::NoRoom;
    out->rows = e.rows;
    out->cols = e.cols;
  } catch (const std::bad_alloc& e) {
    out->kind = Outcome::BadAlloc;
    out->text = e.what();
  } catch (const std::invalid_argument& e) {
    out->kind = Outcome::Invalid;
    out->text = e.what();
  } catch (const std::exception& e) {
    out->kind = Outcome::Other;
    out->text = e.what();
  } catch (...) {
    out->kind = Outcome::Other;
    out->text = "unknown error";
  }
  return nullptr;
}

struct Destroy {
  void operator()(mxArray* a) const { tfmex::python::destroy(a); }
};

// The output as a Fortran-ordered numpy array that owns its memory.
py::array to_numpy(mxArray* created) {
  std::unique_ptr<mxArray, Destroy> owned(created);
  const auto rows = static_cast<py::ssize_t>(created->rows);
  const auto cols = static_cast<py::ssize_t>(created->cols);
  const py::ssize_t item = sizeof(double);
  if (created->data == nullptr)  // empty: numpy gives it memory of its own
    return py::array(py::dtype::of<double>(), {rows, cols}, {item, item * rows});
  py::capsule keep(created, [](void* p) { tfmex::python::destroy(static_cast<mxArray*>(p)); });
  owned.release();
  return py::array(py::dtype::of<double>(), {rows, cols}, {item, item * rows}, created->data, keep);
}

py::array call(int index, const py::tuple& values) {
  if (index < 0 || index >= kCount) throw py::index_error("tfmex: no such plug-in");
  const Gateway& gw = kGateways[index];
  const int n = static_cast<int>(values.size());
  Argument stack[4];
  std::unique_ptr<Argument[]> heap;
  Argument* args = stack;
  if (n > 4) {
    heap.reset(new Argument[n]);
    args = heap.get();
  }
  std::vector<py::object> kept;
  for (int i = 0; i < n; ++i) describe(PyTuple_GET_ITEM(values.ptr(), i), gw.name, &args[i], kept);

  Outcome outcome;
  mxArray* created = nullptr;
  {
    py::gil_scoped_release unlocked;
    created = run(gw, args, n, &outcome);
  }
  if (created == nullptr) throw_outcome(outcome, gw.name);
  return to_numpy(created);
}

int find(const std::string& name) {
  for (int i = 0; i < kCount; ++i)
    if (name == kGateways[i].name) return i;
  throw py::value_error("no plug-in named '" + name + "'");
}

}  // namespace

PYBIND11_MODULE(_tfmex, m) {
  m.doc() = "The tfmex plug-ins' gateways on numpy arrays (see the tfmex package).";
  py::tuple names(kCount);
  for (int i = 0; i < kCount; ++i) names[i] = py::str(kGateways[i].name);
  m.attr("PLUGINS") = names;
  m.def("call", &call, py::arg("index"), py::arg("args"),
        "Calls plug-in PLUGINS[index] on a tuple of arguments; returns its output.");
  m.def("index", &find, py::arg("name"), "The position of a plug-in in PLUGINS.");
  m.def(
      "version",
      [](const std::string& name) { return std::string(kGateways[find(name)].version()); },
      py::arg("name"), "The interface version the plug-in reports (its mexVersion).");
  m.def(
      "set_converter",
      [](py::object f) {
        PyObject* old = g_converter;
        g_converter = f.release().ptr();
        Py_XDECREF(old);
      },
      py::arg("converter"),
      "Sets converter(plugin, value) -> 2-D numpy array, for the arguments this module does "
      "not read itself.");
  tfmex::python::bind_library(m);
}
