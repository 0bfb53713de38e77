// tfmex._tfmex: calls the plug-in files from Python through the embedded host.
//
// Every argument arrives as a numpy array of at most two dimensions (the
// package's Python layer turns numbers and lists into arrays and 1-D arrays
// into rows). A float64 array is copied into a host matrix in column-major
// order, whatever its memory order; an array of any other class becomes a
// host array of that class, so that the plug-in itself refuses it (or ignores
// it where it reads no such argument), as it does in GNU Octave. The copies
// and the plug-in run without the GIL; the output becomes a new
// Fortran-ordered numpy array that owns the host's matrix.
#include <dlfcn.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "host/embedded/host.h"

namespace py = pybind11;
using tfmex::host::Array;
using tfmex::host::ClassId;
using tfmex::host::Plugin;

namespace {

// The plug-ins leave the host operations undefined and resolve them when they
// are loaded. Python loads this module, and libtfmexhost with it, into a local
// symbol scope, where a plug-in cannot see them: make the host library's
// symbols global before the first plug-in is loaded.
void expose_host_operations() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&mxCreateDoubleMatrix), &info) == 0 ||
      info.dli_fname == nullptr)
    throw py::import_error("tfmex: cannot locate the embedded host library");
  if (dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_GLOBAL) == nullptr) {
    const char* why = dlerror();
    throw py::import_error(std::string("tfmex: cannot expose the host operations: ") +
                           (why ? why : "unknown error"));
  }
}

// Loaded plug-ins by file, kept for the life of the process. Touched only
// with the GIL held.
std::map<std::string, Plugin>& loaded() {
  static auto* plugins = new std::map<std::string, Plugin>;
  return *plugins;
}

Plugin find_plugin(const std::string& name, const std::string& mex_dir) {
  const std::string key = mex_dir + "/" + name;
  auto it = loaded().find(key);
  if (it == loaded().end()) {
    try {
      it = loaded().emplace(key, Plugin::load(name, mex_dir)).first;
    } catch (const tfmex::host::LoadError& e) {
      throw py::import_error(std::string("tfmex: ") + e.what());
    }
  }
  return it->second;
}

// The host class that stands for a numpy dtype other than float64.
ClassId stand_in_class(const py::dtype& dt, const std::string& plugin) {
  const char kind = dt.kind();
  const auto size = dt.itemsize();
  switch (kind) {
    case 'b': return ClassId::Logical;
    case 'i':
      return size == 1 ? ClassId::Int8 : size == 2 ? ClassId::Int16
           : size == 4 ? ClassId::Int32 : ClassId::Int64;
    case 'u':
      return size == 1 ? ClassId::UInt8 : size == 2 ? ClassId::UInt16
           : size == 4 ? ClassId::UInt32 : ClassId::UInt64;
    case 'f': return size == 8 ? ClassId::Double : ClassId::Single;
    case 'c': return size == 16 ? ClassId::Double : ClassId::Single;
    case 'S': case 'U': return ClassId::Char;
    default:
      throw py::type_error(plugin + ": arguments must be numeric arrays or numbers, not dtype " +
                           py::repr(dt).cast<std::string>());
  }
}

// One argument as read from its numpy array with the GIL held: enough to
// build its host array without touching Python.
struct Argument {
  std::size_t rows = 0, cols = 0;
  bool is_double = false;
  ClassId cls = ClassId::Double;  // of the stand-in, when not is_double
  bool complex = false;
  const char* base = nullptr;     // first element and byte strides of a double array
  py::ssize_t s0 = 0, s1 = 0;
};

Argument describe(const py::array& a, const std::string& plugin) {
  if (a.ndim() != 2) throw py::value_error(plugin + ": internal: argument is not 2-D");
  Argument arg;
  arg.rows = static_cast<std::size_t>(a.shape(0));
  arg.cols = static_cast<std::size_t>(a.shape(1));
  const py::dtype dt = a.dtype();
  arg.is_double = dt.kind() == 'f' && dt.itemsize() == 8 && dt.attr("isnative").cast<bool>();
  if (!arg.is_double) {
    arg.cls = stand_in_class(dt, plugin);
    arg.complex = dt.kind() == 'c';
    return arg;
  }
  arg.base = static_cast<const char*>(a.data());
  arg.s0 = a.strides(0);
  arg.s1 = a.strides(1);
  return arg;
}

// The host array for one argument: a double array copied into column-major
// order; another class as a zero-filled stand-in, which the plug-in refuses
// before it reads any value.
Array to_host(const Argument& arg) {
  if (!arg.is_double) return Array::of_class(arg.cls, arg.rows, arg.cols, arg.complex);
  Array m = Array::matrix(arg.rows, arg.cols);
  if (arg.rows == 0 || arg.cols == 0) return m;
  double* out = m.data();
  for (std::size_t c = 0; c < arg.cols; ++c) {
    const char* col = arg.base + static_cast<py::ssize_t>(c) * arg.s1;
    double* dst = out + c * arg.rows;
    if (arg.s0 == sizeof(double)) {
      std::memcpy(dst, col, arg.rows * sizeof(double));
    } else {
      for (std::size_t r = 0; r < arg.rows; ++r)
        std::memcpy(dst + r, col + static_cast<py::ssize_t>(r) * arg.s0, sizeof(double));
    }
  }
  return m;
}

// A Fortran-ordered numpy array that owns the host matrix.
py::array to_numpy(Array out) {
  const auto rows = static_cast<py::ssize_t>(out.rows());
  const auto cols = static_cast<py::ssize_t>(out.cols());
  auto* owner = new Array(std::move(out));
  py::capsule keep(owner, [](void* p) { delete static_cast<Array*>(p); });
  const py::ssize_t item = sizeof(double);
  return py::array(py::dtype::of<double>(), {rows, cols}, {item, item * rows}, owner->data(),
                   keep);
}

bool is_class_message(const std::string& message) {
  static const std::string tail = " requires real double arguments";
  return message.size() >= tail.size() &&
         message.compare(message.size() - tail.size(), tail.size(), tail) == 0;
}

py::array call(const std::string& name, const py::list& args, const std::string& mex_dir) {
  const Plugin plugin = find_plugin(name, mex_dir);
  // The arrays stay referenced here, so their buffers outlive the call.
  std::vector<py::array> held;
  std::vector<Argument> described;
  for (const py::handle& h : args) {
    if (!py::isinstance<py::array>(h)) throw py::type_error(name + ": internal: not an array");
    held.push_back(py::reinterpret_borrow<py::array>(h));
    described.push_back(describe(held.back(), name));
  }

  tfmex::host::CallReport report;
  {
    // Copying the arguments and the call run without the GIL. The plug-ins
    // keep no state and the host keeps each call's accounts per thread; a
    // raised message is caught inside call(), so no exception but a failed
    // allocation crosses this block, and that one reacquires the GIL first.
    py::gil_scoped_release unlocked;
    std::vector<Array> inputs;
    inputs.reserve(described.size());
    for (const Argument& arg : described) inputs.push_back(to_host(arg));
    std::vector<const Array*> in;
    for (const Array& a : inputs) in.push_back(&a);
    report = plugin.call(in);
  }
  if (!report.guards_intact || !report.inputs_unchanged || report.bad_destroy ||
      report.output_missing)
    throw std::runtime_error(name + " broke the host's rules: " + report.problems());
  if (!report.ok) {
    // The host's own message when an array cannot be allocated.
    if (report.message == "Out of memory.") {
      PyErr_SetString(PyExc_MemoryError, (name + ": " + report.message).c_str());
      throw py::error_already_set();
    }
    if (is_class_message(report.message)) throw py::type_error(report.message);
    throw py::value_error(report.message);
  }
  return to_numpy(std::move(report.output));
}

std::string version(const std::string& name, const std::string& mex_dir) {
  const char* v = find_plugin(name, mex_dir).version();
  return v != nullptr ? v : "";
}

}  // namespace

PYBIND11_MODULE(_tfmex, m) {
  m.doc() = "Calls tfmex plug-in files through the embedded host (see the tfmex package).";
  expose_host_operations();
  m.def("call", &call, py::arg("name"), py::arg("args"), py::arg("mex_dir"),
        "Calls plug-in `name` from `mex_dir` on a list of 2-D arrays; returns its output.");
  m.def("version", &version, py::arg("name"), py::arg("mex_dir"),
        "The interface version the plug-in reports.");
  m.def("default_mex_dir", &Plugin::default_mex_dir,
        "TFMEX_MEX_DIR, else the plug-in folder of the build this module belongs to.");
}
