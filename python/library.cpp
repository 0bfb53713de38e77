// The library's transforms bound directly, without a gateway: numpy arrays of
// any number of dimensions, transformed along one axis, strides and all.
//
// Arguments are the library's own (L is the level the library checks, not
// rounded or clamped as a plug-in's); a refusal is the library's
// invalid_argument as ValueError, with its message.
#include "python/library.h"

#include <pybind11/numpy.h>

#include <cstdint>
#include <vector>

#include "tfmex/periodized.hpp"

namespace py = pybind11;

namespace tfmex::python {

namespace {

using SignalTransform = void (*)(const double*, double*, std::ptrdiff_t, int, Taps, const Batch&,
                                 Workspace*);

// One dimension other than the axis: its extent and its element strides in
// the input and in the output.
struct Dim {
  std::ptrdiff_t extent, in, out;
};

// Whether the library can read the array where it lies: aligned doubles, no
// stride of 0 over more than one element (a broadcast array), which a batch
// would take for "packed".
bool readable(const py::array& a) {
  if (reinterpret_cast<std::uintptr_t>(a.data()) % alignof(double) != 0) return false;
  for (py::ssize_t d = 0; d < a.ndim(); ++d) {
    if (a.shape(d) > 1 && (a.strides(d) % 8 != 0 || a.strides(d) == 0)) return false;
  }
  return true;
}

py::array along_axis(const char* fn, SignalTransform transform, const py::object& xobj, int L,
                     const py::object& hobj, int axis) {
  const auto& api = py::detail::npy_api::get();
  if (!api.PyArray_Check_(xobj.ptr()))
    throw py::type_error(std::string(fn) + ": x must be a numpy array of float64");
  py::array x = py::reinterpret_borrow<py::array>(xobj);
  const py::dtype dt = x.dtype();
  if (dt.num() != py::detail::npy_api::NPY_DOUBLE_ || dt.byteorder() == '>')
    throw py::type_error(std::string(fn) + ": x must be a numpy array of float64, not dtype " +
                         py::repr(dt).cast<std::string>());
  const int nd = static_cast<int>(x.ndim());
  if (axis < -nd || axis >= nd) {
    PyErr_SetObject(py::module_::import("numpy").attr("AxisError").ptr(),
                    py::make_tuple(axis, nd).ptr());
    throw py::error_already_set();
  }
  if (axis < 0) axis += nd;
  if (!readable(x)) x = py::array_t<double, py::array::c_style>::ensure(x);
  const auto h = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(hobj);
  if (!h) throw py::error_already_set();

  std::vector<py::ssize_t> shape(x.shape(), x.shape() + nd);
  py::array_t<double> y(shape);
  const std::ptrdiff_t n = shape[axis];
  const std::ptrdiff_t in_step = x.strides(axis) / 8, out_step = y.strides(axis) / 8;
  // The other dimensions, those of one element left out and neighbours that
  // step as one merged, innermost last: the innermost is the batch, the
  // rest are looped over.
  std::vector<Dim> dims;
  for (int d = 0; d < nd; ++d) {
    if (d == axis || shape[d] == 1) continue;
    const Dim next{shape[d], x.strides(d) / 8, y.strides(d) / 8};
    if (!dims.empty() && dims.back().in == next.in * next.extent &&
        dims.back().out == next.out * next.extent) {
      dims.back() = Dim{dims.back().extent * next.extent, next.in, next.out};
    } else {
      dims.push_back(next);
    }
  }
  Batch batch{1, {in_step, 0}, {out_step, 0}};
  if (!dims.empty()) {
    const Dim inner = dims.back();
    dims.pop_back();
    batch = Batch{inner.extent, {in_step, inner.in}, {out_step, inner.out}};
  }
  bool empty = false;
  for (const Dim& d : dims) empty = empty || d.extent == 0;
  if (empty) batch.count = 0;  // nothing to transform, but the arguments are checked

  const double* in = static_cast<const double*>(x.data());
  double* out = y.mutable_data();
  const Taps taps(h.data(), h.size());
  {
    py::gil_scoped_release unlocked;
    std::vector<std::ptrdiff_t> index(dims.size(), 0);
    while (true) {
      std::ptrdiff_t at_in = 0, at_out = 0;
      for (std::size_t d = 0; d < dims.size(); ++d) {
        at_in += index[d] * dims[d].in;
        at_out += index[d] * dims[d].out;
      }
      transform(in + at_in, out + at_out, n, L, taps, batch, nullptr);
      if (batch.count == 0) break;
      std::size_t d = dims.size();
      while (d > 0 && ++index[d - 1] == dims[d - 1].extent) index[--d] = 0;
      if (d == 0) break;
    }
  }
  return std::move(y);
}

}  // namespace

void bind_library(py::module_& m) {
  m.def(
      "circ_split",
      [](const py::object& x, int L, const py::object& h, int axis) {
        return along_axis("circ_split", &tfmex::circ_split, x, L, h, axis);
      },
      py::arg("x"), py::arg("L"), py::arg("h"), py::arg("axis") = -1,
      "The periodized wavelet transform of every signal of x along `axis` (2^J values each) "
      "down to level L (0 <= L <= J), with the low-pass filter h; a new C-ordered array.");
  m.def(
      "circ_join",
      [](const py::object& w, int L, const py::object& h, int axis) {
        return along_axis("circ_join", &tfmex::circ_join, w, L, h, axis);
      },
      py::arg("w"), py::arg("L"), py::arg("h"), py::arg("axis") = -1,
      "The inverse of circ_split along `axis`; a new C-ordered array.");
}

}  // namespace tfmex::python
