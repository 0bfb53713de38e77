// The host operations of host/mex.h for the gateways compiled into the
// Python module: arrays that wrap numpy's buffers (the arguments) or memory
// that becomes the result's numpy array as it is (the arrays a gateway
// creates), and mexErrMsgTxt as a C++ exception. Nothing is checked, guarded
// or copied for bookkeeping: the checked host (host/embedded) is for tests.
//
// A call is one Call object on the calling thread: every array the gateway
// creates belongs to it until the gateway destroys the array or the caller
// takes it as the result; the rest are freed when the Call ends, also when
// the gateway raised a message.
#ifndef TFMEX_PYTHON_ARRAY_LAYER_H
#define TFMEX_PYTHON_ARRAY_LAYER_H

#include <cstddef>
#include <string>

#include "host/mex.h"

struct mxArray_tag {
  enum class Memory : unsigned char { Borrowed, Heap, Mapped };

  std::size_t rows = 0, cols = 0;
  // rows x cols doubles in column-major order; null when the array is empty
  // or (a stand-in of another class) until mxGetPr asks for it.
  double* data = nullptr;
  bool is_double = true;  // false: stands in for an argument of another class
  bool complex = false;
  Memory memory = Memory::Borrowed;  // who frees data
  std::size_t bytes = 0;             // of data, when the array owns it
  double value = 0.0;                // the storage of a number's 1 x 1 array
  mxArray_tag* next = nullptr;       // the created arrays of a call, newest first
};

namespace tfmex::python {

// Raised by mexErrMsgTxt with the gateway's message. It is no std::exception,
// so that no handler a gateway has for the library's errors takes it.
struct Raised {
  std::string message;
};

// Raised by mxCreateDoubleMatrix when the memory cannot be had.
struct NoMemory {
  std::size_t rows = 0, cols = 0;
};

// rows x cols doubles owned by the array, zero-filled; false when the memory
// cannot be had (or the size overflows). Large blocks are mapped fresh from
// the system, whose pages are zero already and are first touched by whoever
// fills them.
bool allocate(mxArray_tag* a, std::size_t rows, std::size_t cols);
// Frees what the array owns (not the array itself).
void release(mxArray_tag* a);
// A created array, freed with everything it owns.
void destroy(mxArray_tag* a);

class Call {
 public:
  Call();   // becomes the calling thread's current call
  ~Call();  // frees every created array still held
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;

  // Takes a created array out of the call: the caller owns it now. False when
  // `a` is no array this call created and still holds.
  bool take(mxArray_tag* a);

  static Call* current();
  void add(mxArray_tag* a);
  bool remove(mxArray_tag* a);

 private:
  mxArray_tag* created_ = nullptr;
  Call* outer_ = nullptr;
};

}  // namespace tfmex::python

#endif
