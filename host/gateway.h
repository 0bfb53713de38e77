// Rules shared by every plug-in gateway: argument counts, argument classes,
// vector orientation, the dyadic-length test, scalar arguments and the
// mirrored filter. Workspaces come from host/parallel.h.
//
// Every check raises its message through the host (mexErrMsgTxt does not
// return) and runs before the gateway creates any array, so a refused call
// leaves nothing behind.
#ifndef TFMEX_HOST_GATEWAY_H
#define TFMEX_HOST_GATEWAY_H

#include <cstddef>
#include <exception>
#include <new>

// Compiled by a host's own build command (MATLAB's mex defines
// MATLAB_MEX_FILE; tfmex_build.m and the Octave package's Makefile define
// TFMEX_HOST_MEX for Octave's mkoctfile), the gateways take that host's mex.h
// from its include path, so every call binds to the names that host exports
// (a host's header may map a name to a versioned entry point). Otherwise
// (CMake, the embedded host) they take this repository's host/mex.h.
#if defined(MATLAB_MEX_FILE) || defined(TFMEX_HOST_MEX)
#include <mex.h>
#else
#include "mex.h"
#endif

// Messages shared by every plug-in, built from the plug-in's name at compile time.
#define TFMEX_TYPE_MSG(plugin) plugin " requires real double arguments"
#define TFMEX_SCALAR_MSG(plugin) plugin " requires finite scalar arguments"
#define TFMEX_SIZE_MSG(plugin) plugin " requires arrays of fewer than 2^31 elements"

namespace tfmex::gw {

// Largest element count a plug-in works on: kernels index with 32-bit ints.
constexpr std::size_t kMaxElements = 2147483647u;

// Scalar arguments are saturated to this magnitude before rounding, so that a
// huge finite level or depth follows the plug-in's own range rules while no
// later arithmetic on it (J - L, 2 * D, D + 1) can overflow an int.
constexpr double kScalarLimit = 1073741824.0;  // 2^30

// Raises msg through the host.
[[noreturn]] void fail(const char* msg);

// Argument-count check: exactly `inputs` inputs, else in_msg; then exactly one
// requested output, else out_msg (a call that requests none is refused too).
void check_counts(int nlhs, int nrhs, int inputs, const char* in_msg, const char* out_msg);
// The same with at least `inputs` inputs.
void check_counts_at_least(int nlhs, int nrhs, int inputs, const char* in_msg, const char* out_msg);

// Every one of the first `count` inputs must be a real, full, double matrix.
void check_real_double(int count, const mxArray* const* prhs, const char* msg);

// rows * cols * factor must not exceed kMaxElements (factor covers the largest
// array the plug-in makes from this one: a table, a workspace of several vectors).
void check_size(std::size_t rows, std::size_t cols, std::size_t factor, const char* msg);

// Vector orientation rule: a one-row array is one signal of `cols` values;
// otherwise each column is a signal of `rows` values. An empty array gives
// n = 0.
struct Signals {
  int n;      // values per signal
  int count;  // number of signals (columns of a matrix, 1 for a row)
  bool row;   // the argument has one row
};
Signals orient(const mxArray* a);

// Dyadic-length test: returns J with 2^J = n, else raises msg (n = 0 fails).
int dyadic_length(std::size_t n, const char* msg);

// A level table (n rows, D + 1 columns; never transposed): the dyadic-length
// test on its rows, then 0 <= D <= J, with above_msg for D > J and below_msg
// for a table without columns.
struct Table {
  int n;
  int J;
  int D;
};
Table table_depth(const mxArray* t, const char* length_msg, const char* above_msg,
                  const char* below_msg);

// First stored element of a scalar argument; an empty argument, NaN or +-Inf
// raises msg. The value is saturated to +-kScalarLimit.
double scalar(const mxArray* a, const char* msg);

// The three rounding rules, applied to a value from scalar().
int round_nearest(double x);  // floor(x + 0.5)
int round_half_up(double x);  // x + 0.5 truncated toward zero
int truncate(double x);       // x truncated toward zero

// Number of elements of an argument used as a flat list (a filter).
int length(const mxArray* a);

// Data of an argument (never null when the argument has elements).
inline const double* data(const mxArray* a) { return mxGetPr(a); }

// A new zero-filled output matrix.
mxArray* create(std::size_t rows, std::size_t cols);

// High-pass filter g[j] = (-1)^j h[j] of the filter argument, into g (as many
// values as the argument has).
void highpass(const mxArray* filter, double* g);

// A copy of msg that outlives the exception it came from.
const char* keep_message(const char* msg);

// Runs f, the gateway's one library call. The gateway has checked every
// argument and taken the workspace, so the library has nothing to refuse;
// should it throw all the same, the call fails with `memory_msg` for a lack
// of memory and with the library's own message otherwise, instead of letting
// the exception cross into the host.
template <class F>
void library_call(const char* memory_msg, F&& f) {
  const char* problem = nullptr;
  try {
    f();
  } catch (const std::bad_alloc&) {
    problem = memory_msg;
  } catch (const std::exception& e) {
    problem = keep_message(e.what());
  }
  if (problem != nullptr) fail(problem);
}

}  // namespace tfmex::gw

#endif

// Marks the two exported entry points of a plug-in: the only symbols it exports.
#ifdef _WIN32
#define TFMEX_EXPORT extern "C" __declspec(dllexport)
#else
#define TFMEX_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// Every plug-in reports the interface generation it is written for.
#define TFMEX_PLUGIN_VERSION \
  TFMEX_EXPORT const char* mexVersion(void) { return "MATLAB R14 native"; }
