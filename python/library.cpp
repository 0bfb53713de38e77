// The library's transforms bound directly, without a gateway: numpy arrays of
// any number of dimensions, transformed along one axis (two for images and
// tables), every other axis a batch, strides and all.
//
// apply() is the engine under the Pythonic functions of tfmex (tfmex/_api.py
// checks their arguments and names them in its messages). It takes any array
// numpy can make of x: float64 and complex128 arrays are read where they lie
// (the real and imaginary parts of a complex array as two strided views);
// float32 and complex64 are computed in double and rounded once; integers and
// bool become float64. The library's refusals come back as ValueError with
// the caller's function name in front, a lack of memory as MemoryError.
#include "python/library.h"

#include <pybind11/numpy.h>

#include <complex>
#include <cstdint>
#include <string>
#include <vector>

#include "tfmex/tfmex.hpp"

namespace py = pybind11;

namespace tfmex::python {

namespace {

// The transforms apply() runs; tfmex/_api.py names them by these numbers
// (the module exports them as OP_*).
enum Op : int {
  kCircSplit,
  kCircJoin,
  kDualSplit,
  kDualJoin,
  kDct2,
  kDct3,
  kDst2,
  kDst3,
  kDct4,
  kBlockMeanSplit,
  kBlockMeanJoin,
  kCenterJoin,
  kCenterPredict,
  kTriplePredict,
  kShiftSplit,
  kPacketSplit,
  kBellSplit,
  kShiftJoin,
  kPacketJoin,
  kBellJoin,
  kCircSplit2,
  kCircJoin2,
  kOpCount
};

const char* const kOpNames[kOpCount] = {"CIRC_SPLIT",
                                        "CIRC_JOIN",
                                        "DUAL_SPLIT",
                                        "DUAL_JOIN",
                                        "DCT2",
                                        "DCT3",
                                        "DST2",
                                        "DST3",
                                        "DCT4",
                                        "BLOCK_MEAN_SPLIT",
                                        "BLOCK_MEAN_JOIN",
                                        "CENTER_JOIN",
                                        "CENTER_PREDICT",
                                        "TRIPLE_PREDICT",
                                        "SHIFT_SPLIT",
                                        "PACKET_SPLIT",
                                        "BELL_SPLIT",
                                        "SHIFT_JOIN",
                                        "PACKET_JOIN",
                                        "BELL_JOIN",
                                        "CIRC_SPLIT2",
                                        "CIRC_JOIN2"};

// How the transformed axes of the input become those of the output.
enum class Form {
  vector,           // one axis of n values to one axis (of n, 2n, n/2 or 3n values)
  vector_to_table,  // one axis of n values to two: levels, then n
  table_to_vector,  // two axes (levels, then n) to one of n
  image,            // two axes of n to two of n
};

Form form_of(int op) {
  switch (op) {
    case kShiftSplit:
    case kPacketSplit:
    case kBellSplit: return Form::vector_to_table;
    case kShiftJoin:
    case kPacketJoin:
    case kBellJoin: return Form::table_to_vector;
    case kCircSplit2:
    case kCircJoin2: return Form::image;
    default: return Form::vector;
  }
}

// One transform's arguments besides its arrays.
struct Params {
  int op = 0;
  int level = 0;  // L of the wavelet transforms and pyramids, D of the tables
  int order = 0;  // D of the pyramids and refinements
  Taps h, h2;
};

// Where one call's signals lie: n values a step apart, tables' columns a
// `cols` apart; count signals a distance apart.
struct Core {
  std::ptrdiff_t n = 0;
  std::ptrdiff_t in_step = 1, in_cols = 0, out_step = 1, out_cols = 0;
};

void run_one(const Params& p, const double* in, double* out, const Core& c, std::ptrdiff_t count,
             std::ptrdiff_t in_dist, std::ptrdiff_t out_dist) {
  const std::ptrdiff_t n = c.n;
  const Batch b{count, {c.in_step, in_dist}, {c.out_step, out_dist}};
  switch (p.op) {
    case kCircSplit: return circ_split(in, out, n, p.level, p.h, b);
    case kCircJoin: return circ_join(in, out, n, p.level, p.h, b);
    case kDualSplit: return dual_split(in, out, n, p.level, p.h, p.h2, b);
    case kDualJoin: return dual_join(in, out, n, p.level, p.h, p.h2, b);
    case kDct2: return dct2(in, out, n, b);
    case kDct3: return dct3(in, out, n, b);
    case kDst2: return dst2(in, out, n, b);
    case kDst3: return dst3(in, out, n, b);
    case kDct4: return dct4(in, out, n, b);
    case kBlockMeanSplit: return block_mean_split(in, out, n, p.level, p.order, b);
    case kBlockMeanJoin: return block_mean_join(in, out, n, p.level, p.order, b);
    case kCenterJoin: return center_join(in, out, n, p.level, p.order, b);
    case kCenterPredict: return center_predict(in, out, n, p.order, b);
    case kTriplePredict: return triple_predict(in, out, n, p.order, b);
    default: break;
  }
  const VectorToTable to{count, {c.in_step, in_dist}, {c.out_step, c.out_cols, out_dist}};
  const TableToVector from{count, {c.in_step, c.in_cols, in_dist}, {c.out_step, out_dist}};
  const Batch2 images{count, {c.in_step, c.in_cols, in_dist}, {c.out_step, c.out_cols, out_dist}};
  switch (p.op) {
    case kShiftSplit: return shift_split(in, out, n, p.level, p.h, to);
    case kPacketSplit: return packet_split(in, out, n, p.level, p.h, to);
    case kBellSplit: return bell_split(in, out, n, p.level, to);
    case kShiftJoin: return shift_join(in, out, n, p.level, p.h, from);
    case kPacketJoin: return packet_join(in, out, n, p.level, p.h, from);
    case kBellJoin: return bell_join(in, out, n, p.level, from);
    case kCircSplit2: return circ_split2(in, out, n, p.level, p.h, images);
    case kCircJoin2: return circ_join2(in, out, n, p.level, p.h, images);
    default: break;
  }
}

// One dimension other than the transformed ones: its extent and its strides
// (in doubles) in the input and in the output.
struct Dim {
  std::ptrdiff_t extent, in, out;
};

// Runs the transform over every signal: the batch dimensions merged where
// they step as one, the innermost as the library's batch, the rest looped.
void run_all(const Params& p, const double* in, double* out, const Core& core,
             std::vector<Dim> dims) {
  std::vector<Dim> merged;
  bool empty = false;
  for (const Dim& d : dims) {
    empty = empty || d.extent == 0;
    if (d.extent == 1) continue;
    if (!merged.empty() && merged.back().in == d.in * d.extent &&
        merged.back().out == d.out * d.extent) {
      merged.back() = Dim{merged.back().extent * d.extent, d.in, d.out};
    } else {
      merged.push_back(d);
    }
  }
  Dim inner{1, 0, 0};
  if (!merged.empty()) {
    inner = merged.back();
    merged.pop_back();
  }
  if (empty) {  // no signal, but the arguments are still checked
    run_one(p, in, out, core, 0, 0, 0);
    return;
  }
  std::vector<std::ptrdiff_t> index(merged.size(), 0);
  while (true) {
    std::ptrdiff_t at_in = 0, at_out = 0;
    for (std::size_t d = 0; d < merged.size(); ++d) {
      at_in += index[d] * merged[d].in;
      at_out += index[d] * merged[d].out;
    }
    run_one(p, in + at_in, out + at_out, core, inner.extent, inner.in, inner.out);
    std::size_t d = merged.size();
    while (d > 0 && ++index[d - 1] == merged[d - 1].extent) index[--d] = 0;
    if (d == 0) break;
  }
}

// Whether the library can read the array where it lies: aligned doubles, and
// no stride of 0 over more than one element (a broadcast array), which a
// batch would take for "packed".
bool readable(const py::array& a) {
  if (reinterpret_cast<std::uintptr_t>(a.data()) % alignof(double) != 0) return false;
  for (py::ssize_t d = 0; d < a.ndim(); ++d) {
    if (a.shape(d) > 1 && (a.strides(d) % 8 != 0 || a.strides(d) == 0)) return false;
  }
  return true;
}

[[noreturn]] void axis_error(int axis, int nd) {
  PyErr_SetObject(py::module_::import("numpy").attr("AxisError").ptr(),
                  py::make_tuple(axis, nd).ptr());
  throw py::error_already_set();
}

int normalized(int axis, int nd) {
  if (axis < -nd || axis >= nd) axis_error(axis, nd);
  return axis < 0 ? axis + nd : axis;
}

// What x becomes before the transform and what the result becomes after it.
struct Input {
  py::array a;  // float64 or complex128
  bool complex = false;
  py::object result = py::none();  // the dtype to round the result to, or None
};

Input prepare(const std::string& fn, const py::object& xobj) {
  static const py::object masked = py::module_::import("numpy.ma").attr("MaskedArray");
  static const py::object np = py::module_::import("numpy");
  if (PyObject_IsInstance(xobj.ptr(), masked.ptr()) == 1)
    throw py::type_error(fn +
                         ": x is a masked array; its mask would be ignored: pass "
                         "x.filled(value) or x.data instead");
  py::array a = py::array::ensure(xobj);
  if (!a) {
    PyErr_Clear();
    throw py::type_error(fn + ": x must be an array of numbers, not " +
                         std::string(py::str(py::type::of(xobj).attr("__name__"))));
  }
  Input in;
  const char kind = a.dtype().kind();
  const auto num = a.dtype().num();
  namespace npy = py::detail;
  if (kind == 'c') {
    in.complex = true;
    if (num != npy::npy_api::NPY_CDOUBLE_ || a.dtype().byteorder() == '>') {
      if (num == npy::npy_api::NPY_CFLOAT_) in.result = np.attr("complex64");
      a = py::array(a.attr("astype")(np.attr("complex128")));
    }
  } else if (kind == 'f' || kind == 'i' || kind == 'u' || kind == 'b') {
    if (num != npy::npy_api::NPY_DOUBLE_ || a.dtype().byteorder() == '>') {
      if (num == npy::npy_api::NPY_FLOAT_) in.result = np.attr("float32");
      a = py::array(a.attr("astype")(np.attr("float64")));
    }
  } else {
    throw py::type_error(fn + ": x must be an array of real or complex numbers, not dtype " +
                         std::string(py::str(a.dtype())));
  }
  if (!readable(a)) a = py::array(np.attr("ascontiguousarray")(a));
  in.a = a;
  return in;
}

// The strides (in bytes) of a new float64 array of `shape` whose images on
// the axes `rows` and `cols` are stored column after column, the library's
// own order, and follow one another in C order over the other axes. The
// images of circ_split2 are made that way, so that the library writes them
// where they lie instead of into a copy to be transposed: wavedec2 returns
// views of them, whose strides are not C-ordered either way, and waverec2
// reads them back where they lie (joined below).
std::vector<py::ssize_t> by_columns(const std::vector<py::ssize_t>& shape, int rows, int cols) {
  std::vector<py::ssize_t> strides(shape.size());
  py::ssize_t step = sizeof(double);
  strides[static_cast<std::size_t>(rows)] = step;
  step *= shape[static_cast<std::size_t>(rows)];
  strides[static_cast<std::size_t>(cols)] = step;
  step *= shape[static_cast<std::size_t>(cols)];
  for (std::size_t d = shape.size(); d-- > 0;) {
    if (static_cast<int>(d) == rows || static_cast<int>(d) == cols) continue;
    strides[d] = step;
    step *= shape[d];
  }
  return strides;
}

// A ValueError from the library's refusal, "fn: message" (without the
// library's own function name).
[[noreturn]] void refused(const std::string& fn, const std::invalid_argument& e) {
  std::string what = e.what();
  if (what.rfind("tfmex::", 0) == 0) {
    const auto colon = what.find(": ");
    if (colon != std::string::npos) what = what.substr(colon + 2);
  }
  throw py::value_error(fn + ": " + what);
}

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;
using Int64s = py::array_t<std::int64_t, py::array::c_style | py::array::forcecast>;

// A filter's taps as doubles (none for None), and the Taps that read them.
Doubles taps_of(const py::object& obj, Taps& taps) {
  if (obj.is_none()) return Doubles();
  Doubles h = Doubles::ensure(obj);
  if (!h) throw py::error_already_set();
  taps = Taps(h.data(), h.size());
  return h;
}

py::object apply(const std::string& fn, int op, const py::object& xobj, int axis, int workers,
                 int level, int order, const py::object& hobj, const py::object& h2obj, int out_n) {
  if (op < 0 || op >= kOpCount) throw py::value_error(fn + ": no such transform");
  const Form form = form_of(op);
  Input input = prepare(fn, xobj);
  py::array& x = input.a;
  const int nd = static_cast<int>(x.ndim());

  // The transformed axes of x: `first` and, for tables and images, `second`
  // (the levels and then the values of a table; the rows and the columns of
  // an image), and the output's.
  int first = -1, second = -1;
  std::vector<py::ssize_t> shape(x.shape(), x.shape() + nd);
  std::vector<py::ssize_t> out_shape;
  if (form == Form::image) {
    if (nd < 2) throw py::value_error(fn + ": x must have at least two dimensions (an image)");
    first = normalized(axis, nd);  // axis is the first of the two; _api passes them apart
    second = normalized(out_n, nd);
    if (first == second) throw py::value_error(fn + ": the two axes must differ");
    out_shape = shape;
  } else if (form == Form::table_to_vector) {
    if (nd < 2)
      throw py::value_error(fn + ": the table must have at least two dimensions (levels, values)");
    second = normalized(axis, nd);
    if (second == 0)
      throw py::value_error(fn + ": the table's levels must be on the axis before its values");
    first = second - 1;
    out_shape = shape;
    out_shape.erase(out_shape.begin() + first);
  } else {
    if (nd < 1) throw py::value_error(fn + ": x must have at least one dimension");
    first = normalized(axis, nd);
    out_shape = shape;
    if (form == Form::vector_to_table) {
      out_shape.insert(out_shape.begin() + first, static_cast<py::ssize_t>(out_n));
    } else {
      out_shape[first] = out_n;
    }
  }

  Core core;
  Params p;
  p.op = op;
  p.level = level;
  p.order = order;
  const Doubles h = taps_of(hobj, p.h), h2 = taps_of(h2obj, p.h2);

  const py::dtype kind =
      input.complex ? py::dtype::of<std::complex<double>>() : py::dtype::of<double>();
  py::array y = op == kCircSplit2 && !input.complex
                    ? py::array(kind, out_shape, by_columns(out_shape, first, second))
                    : py::array(kind, out_shape);
  std::vector<Dim> dims;
  const auto in_stride = [&](int d) { return static_cast<std::ptrdiff_t>(x.strides(d) / 8); };
  const auto out_stride = [&](int d) { return static_cast<std::ptrdiff_t>(y.strides(d) / 8); };
  switch (form) {
    case Form::vector:
      core = Core{shape[first], in_stride(first), 0, out_stride(first), 0};
      if (op == kBlockMeanJoin || op == kCenterJoin) core.n = shape[first] / 2;  // 2n values
      for (int d = 0; d < nd; ++d)
        if (d != first) dims.push_back(Dim{shape[d], in_stride(d), out_stride(d)});
      break;
    case Form::vector_to_table:
      core = Core{shape[first], in_stride(first), 0, out_stride(first + 1), out_stride(first)};
      for (int d = 0; d < nd; ++d)
        if (d != first)
          dims.push_back(Dim{shape[d], in_stride(d), out_stride(d < first ? d : d + 1)});
      break;
    case Form::table_to_vector:
      core = Core{shape[second], in_stride(second), in_stride(first), out_stride(first), 0};
      p.level = static_cast<int>(shape[first]) - 1;
      for (int d = 0; d < nd; ++d)
        if (d != first && d != second)
          dims.push_back(Dim{shape[d], in_stride(d), out_stride(d < first ? d : d - 1)});
      break;
    case Form::image:
      if (shape[first] != shape[second])
        throw py::value_error(fn + ": the image must be square, not " +
                              std::to_string(shape[first]) + " x " + std::to_string(shape[second]));
      core = Core{shape[first], in_stride(first), in_stride(second), out_stride(first),
                  out_stride(second)};
      for (int d = 0; d < nd; ++d)
        if (d != first && d != second) dims.push_back(Dim{shape[d], in_stride(d), out_stride(d)});
      break;
  }

  const double* in = static_cast<const double*>(x.data());
  double* out = static_cast<double*>(y.mutable_data());
  try {
    py::gil_scoped_release unlocked;
    ThreadCount limit(workers);
    run_all(p, in, out, core, dims);
    if (input.complex) run_all(p, in + 1, out + 1, core, dims);
  } catch (const std::invalid_argument& e) {
    refused(fn, e);
  } catch (const std::bad_alloc&) {
    PyErr_SetString(PyExc_MemoryError,
                    (fn + ": not enough memory for the transform's workspace").c_str());
    throw py::error_already_set();
  }
  if (!input.result.is_none()) return y.attr("astype")(input.result);
  return std::move(y);
}

// Denoises one signal (image: an n x n array, C-ordered, its transpose
// column after column: the same transform with rows and columns swapped, so
// the result is transposed back by the same reading).
py::tuple denoise_one(const Doubles& x, const Doubles& h, bool image, bool hard, bool sure,
                      bool invariant, int level, const py::object& sigma) {
  DenoiseOptions o;
  o.threshold = hard ? Shrinkage::hard : Shrinkage::soft;
  o.rule = sure ? ThresholdRule::sure : ThresholdRule::universal;
  o.method = invariant ? DenoiseMethod::invariant : DenoiseMethod::plain;
  o.level = level;
  if (!sigma.is_none()) o.sigma = sigma.cast<double>();
  const std::ptrdiff_t n = image ? x.shape(0) : x.size();
  Doubles y(std::vector<py::ssize_t>(x.shape(), x.shape() + x.ndim()));
  DenoiseReport r;
  try {
    py::gil_scoped_release unlocked;
    const Taps taps(h.data(), h.size());
    r = image ? denoise2(x.data(), y.mutable_data(), n, taps, o)
              : denoise(x.data(), y.mutable_data(), n, taps, o);
  } catch (const std::invalid_argument& e) {
    refused("denoise", e);
  }
  return py::make_tuple(
      std::move(y), r.sigma,
      py::array_t<double>(static_cast<py::ssize_t>(r.lambda.size()), r.lambda.data()));
}

// A basis as two int64 arrays (depths, blocks) in the order of the rows.
std::vector<Node> nodes_of(const Int64s& d, const Int64s& k) {
  if (d.size() != k.size()) throw py::value_error("basis: depths and blocks differ in length");
  std::vector<Node> nodes(static_cast<std::size_t>(d.size()));
  for (py::ssize_t i = 0; i < d.size(); ++i)
    nodes[static_cast<std::size_t>(i)] = Node{static_cast<int>(d.data()[i]), k.data()[i]};
  return nodes;
}

py::array rects(const std::vector<Rect>& r) {
  py::array_t<double> out({static_cast<py::ssize_t>(r.size()), py::ssize_t{4}});
  double* o = out.mutable_data();
  for (const Rect& q : r) {
    *o++ = q.t0;
    *o++ = q.t1;
    *o++ = q.f0;
    *o++ = q.f1;
  }
  return std::move(out);
}
// ---- the coefficients of wavedec and wavedec2, read where they lie ----------

using py::detail::PyArray_Proxy;

// o as a plain ndarray (no subclass), or null.
const PyArray_Proxy* plain(PyObject* o) {
  if (o == nullptr || Py_TYPE(o) != py::detail::npy_api::get().PyArray_Type_) return nullptr;
  return py::detail::array_proxy(o);
}

// An int of the caller's in -64..63 (an axis), or false.
bool small_int(PyObject* o, int& v) {
  if (!PyLong_CheckExact(o)) return false;
  int overflow = 0;
  const long x = PyLong_AsLongAndOverflow(o, &overflow);
  if (overflow != 0 || x < -64 || x > 63) return false;
  v = static_cast<int>(x);
  return true;
}

// The array the blocks of coeffs are all views of, when they still lie where
// wavedec (axes an int: [cA, cD_L, ..., cD_1] along that axis) or wavedec2
// (axes a pair: the rows' and the columns' axes, [cA, (cH, cV, cD), ...])
// put them: views of one float64 or complex128 ndarray with its dtype and
// strides, each at its place, together covering the whole array. waverec and
// waverec2 then transform that array where it lies instead of copying the
// blocks into a new one; None (for anything else) sends them the long way,
// which checks the blocks and copies them.
py::object joined(const py::object& coeffs, const py::object& axes) {
  PyObject* const list = coeffs.ptr();
  if (!PyList_Check(list) && !PyTuple_Check(list)) return py::none();
  const py::ssize_t count = PySequence_Fast_GET_SIZE(list);
  PyObject** const items = PySequence_Fast_ITEMS(list);
  const bool image = PyTuple_Check(axes.ptr()) && PyTuple_GET_SIZE(axes.ptr()) == 2;
  int first = 0, second = -1;
  if (image ? !small_int(PyTuple_GET_ITEM(axes.ptr(), 0), first) ||
                  !small_int(PyTuple_GET_ITEM(axes.ptr(), 1), second)
            : !small_int(axes.ptr(), first))
    return py::none();
  if (count < 1 || count > 40) return py::none();
  const PyArray_Proxy* const cA = plain(items[0]);
  if (cA == nullptr) return py::none();
  const PyArray_Proxy* const base = plain(cA->base);
  if (base == nullptr) return py::none();
  const int nd = base->nd;
  if (first < -nd || first >= nd) return py::none();
  first = first < 0 ? first + nd : first;
  if (image) {
    if (second < -nd || second >= nd) return py::none();
    second = second < 0 ? second + nd : second;
    if (first == second) return py::none();
  }
  const auto* const kind = py::detail::array_descriptor_proxy(base->descr);
  namespace npy = py::detail;
  if ((kind->type_num != npy::npy_api::NPY_DOUBLE_ &&
       kind->type_num != npy::npy_api::NPY_CDOUBLE_) ||
      kind->byteorder == '>')
    return py::none();
  const py::ssize_t m = cA->nd == nd ? cA->dimensions[first] : 0;
  if (m < 1 || (m & (m - 1)) != 0 || (image && cA->dimensions[second] != m) ||
      m > (base->dimensions[first] >> (count - 1)))
    return py::none();
  const py::ssize_t n = m << (count - 1);
  if (base->dimensions[first] != n || (image && base->dimensions[second] != n)) return py::none();

  // Whether o is the block of `len` (by `len`) values of base from `at` (and
  // `at2` on the columns' axis).
  const auto block = [&](PyObject* o, py::ssize_t at, py::ssize_t at2, py::ssize_t len) {
    const PyArray_Proxy* const a = plain(o);
    if (a == nullptr || a->base != cA->base || a->nd != nd) return false;
    const auto* const k = py::detail::array_descriptor_proxy(a->descr);
    if (k->type_num != kind->type_num || k->byteorder != kind->byteorder) return false;
    for (int d = 0; d < nd; ++d) {
      const py::ssize_t want = d == first || d == second ? len : base->dimensions[d];
      if (a->dimensions[d] != want || a->strides[d] != base->strides[d]) return false;
    }
    const py::ssize_t offset =
        at * base->strides[first] + (image ? at2 * base->strides[second] : 0);
    return a->data == base->data + offset;
  };
  if (!block(items[0], 0, 0, m)) return py::none();
  for (py::ssize_t k = 1; k < count; ++k) {
    const py::ssize_t s = m << (k - 1);  // the level's blocks are s values (s by s) from s
    if (!image) {
      if (!block(items[k], s, 0, s)) return py::none();
      continue;
    }
    PyObject* const level = items[k];
    if (!PyTuple_Check(level) || PyTuple_GET_SIZE(level) != 3) return py::none();
    if (!block(PyTuple_GET_ITEM(level, 0), s, 0, s) ||
        !block(PyTuple_GET_ITEM(level, 1), 0, s, s) || !block(PyTuple_GET_ITEM(level, 2), s, s, s))
      return py::none();
  }
  return py::reinterpret_borrow<py::object>(cA->base);
}

}  // namespace

void bind_library(py::module_& m) {
  for (int op = 0; op < kOpCount; ++op) m.attr((std::string("OP_") + kOpNames[op]).c_str()) = op;
  m.def("apply", &apply, py::arg("fn"), py::arg("op"), py::arg("x"), py::arg("axis"),
        py::arg("workers"), py::arg("level"), py::arg("order"), py::arg("h"), py::arg("h2"),
        py::arg("out_n"),
        "The engine under tfmex's functions (see tfmex/_api.py): transform `op` of every "
        "signal of x along `axis` with `workers` threads (an image's second axis, or the "
        "length of the transformed axis of the output, in out_n).");
  // The library's own transforms by name, along one axis, for tests and for
  // callers who want its arguments as they are (L is the coarse level).
  const auto along = [](const char* name, int op) {
    return [name, op](const py::object& x, int L, const py::object& h, int axis) {
      Input probe = prepare(name, x);
      const int nd = static_cast<int>(probe.a.ndim());
      const int ax = normalized(axis, nd);
      return apply(name, op, x, ax, 0, L, 0, h, py::none(), static_cast<int>(probe.a.shape(ax)));
    };
  };
  m.def("joined", &joined, py::arg("coeffs"), py::arg("axes"),
        "The array the coefficients of wavedec (axes: its axis) or wavedec2 (axes: its pair) "
        "are views of, when they still lie where the transform put them; else None.");
  m.def("circ_split", along("circ_split", kCircSplit), py::arg("x"), py::arg("L"), py::arg("h"),
        py::arg("axis") = -1,
        "The periodized wavelet transform of every signal of x along `axis` (2^J values each) "
        "down to level L (0 <= L <= J), with the low-pass filter h; a new C-ordered array.");
  m.def("circ_join", along("circ_join", kCircJoin), py::arg("w"), py::arg("L"), py::arg("h"),
        py::arg("axis") = -1, "The inverse of circ_split along `axis`; a new C-ordered array.");
  m.def("denoise_one", &denoise_one, py::arg("x"), py::arg("h"), py::arg("image"), py::arg("hard"),
        py::arg("sure"), py::arg("invariant"), py::arg("level"), py::arg("sigma"),
        "One signal (or square image, C-ordered) denoised: (y, sigma, thresholds).");
  m.def(
      "best_basis",
      [](const Doubles& table, int kind, double param) {
        // table: (D + 1) x n, C-ordered: column after column of the n x (D+1) table.
        const int D = static_cast<int>(table.shape(0)) - 1;
        const std::ptrdiff_t n = table.shape(1);
        const Cost cost{static_cast<Cost::Kind>(kind), param};
        Basis b;
        try {
          py::gil_scoped_release unlocked;
          b = tfmex::best_basis(table.data(), n, D, cost);
        } catch (const std::invalid_argument& e) {
          refused("best_basis", e);
        }
        py::array_t<std::int64_t> d(static_cast<py::ssize_t>(b.nodes.size()));
        py::array_t<std::int64_t> k(static_cast<py::ssize_t>(b.nodes.size()));
        for (std::size_t i = 0; i < b.nodes.size(); ++i) {
          d.mutable_data()[i] = b.nodes[i].d;
          k.mutable_data()[i] = b.nodes[i].k;
        }
        return py::make_tuple(
            std::move(d), std::move(k),
            py::array_t<double>(static_cast<py::ssize_t>(b.coef.size()), b.coef.data()), b.cost);
      },
      py::arg("table"), py::arg("kind"), py::arg("param"),
      "The best basis of a (D + 1) x n table: (depths, blocks, coefficients, cost); kind 0 "
      "entropy, 1 lp (param p), 2 threshold (param s).");
  m.def(
      "basis_join",
      [](const Int64s& d, const Int64s& k, const Doubles& coef, bool cosine, int depth,
         const Doubles& h) {
        const std::vector<Node> nodes = nodes_of(d, k);
        const std::ptrdiff_t n = coef.size();
        py::array_t<double> x(n);
        try {
          py::gil_scoped_release unlocked;
          if (cosine) {
            bell_basis_join(nodes, coef.data(), x.mutable_data(), n, depth);
          } else {
            packet_basis_join(nodes, coef.data(), x.mutable_data(), n, Taps(h.data(), h.size()));
          }
        } catch (const std::invalid_argument& e) {
          refused("rebuild", e);
        }
        return x;
      },
      py::arg("depths"), py::arg("blocks"), py::arg("coef"), py::arg("cosine"), py::arg("depth"),
      py::arg("h"), "The signal of a basis' coefficients.");
  m.def(
      "tiling",
      [](const Int64s& d, const Int64s& k, std::ptrdiff_t n, bool cosine) {
        Tiling t;
        try {
          t = tfmex::tiling(nodes_of(d, k), n,
                            cosine ? TableKind::cosine_packet : TableKind::wavelet_packet);
        } catch (const std::invalid_argument& e) {
          refused("tiling", e);
        }
        return py::make_tuple(rects(t.tiles), rects(t.blocks));
      },
      py::arg("depths"), py::arg("blocks"), py::arg("n"), py::arg("cosine"),
      "The tiles (one per coefficient) and blocks of a basis, rows (t0, t1, f0, f1).");
  m.def(
      "library_version", [] { return std::string(tfmex::version()); },
      "The library's version, tfmex.__version__.");
  m.def(
      "filter", [](const std::string& name) { return tfmex::filter(name); }, py::arg("name"),
      "The library's filter of a name (its own lookup, for comparison with tfmex.filter).");
}

}  // namespace tfmex::python
