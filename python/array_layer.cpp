#include "python/array_layer.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace tfmex::python {

namespace {

thread_local Call* g_current = nullptr;

#ifdef __linux__
// Blocks of this many bytes and more are mapped on their own, in whole 2 MB
// pages on a 2 MB boundary marked for large pages: a large result is then
// zeroed and mapped in a fault per 2 MB rather than per 4 KB, and never
// written with zeros that its gateway overwrites.
constexpr std::size_t kMapped = std::size_t{4} << 20;
constexpr std::size_t kLargePage = std::size_t{2} << 20;

std::size_t mapped_length(std::size_t bytes) {
  return (bytes + kLargePage - 1) / kLargePage * kLargePage;
}

void* map_zeroed(std::size_t bytes) {
  const std::size_t length = mapped_length(bytes);
  void* raw = mmap(nullptr, length + kLargePage, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  auto* first = static_cast<char*>(raw);
  char* start =
      first + (kLargePage - reinterpret_cast<std::uintptr_t>(first) % kLargePage) % kLargePage;
  if (start > first) munmap(first, static_cast<std::size_t>(start - first));
  char* const end = first + length + kLargePage;
  if (end > start + length) munmap(start + length, static_cast<std::size_t>(end - start - length));
#ifdef MADV_HUGEPAGE
  madvise(start, length, MADV_HUGEPAGE);  // advice only: a refusal changes nothing
#endif
  return start;
}

void unmap(void* p, std::size_t bytes) { munmap(p, mapped_length(bytes)); }
#endif

}  // namespace

bool allocate(mxArray_tag* a, std::size_t rows, std::size_t cols) {
  a->rows = rows;
  a->cols = cols;
  a->data = nullptr;
  a->memory = mxArray_tag::Memory::Borrowed;
  a->bytes = 0;
  std::size_t count = 0, bytes = 0;
  if (__builtin_mul_overflow(rows, cols, &count) || __builtin_mul_overflow(count, 8, &bytes))
    return false;
  if (bytes == 0) return true;
  void* p = nullptr;
  mxArray_tag::Memory memory = mxArray_tag::Memory::Heap;
#ifdef __linux__
  if (bytes >= kMapped) {
    p = map_zeroed(bytes);
    memory = mxArray_tag::Memory::Mapped;
  } else {
    p = std::calloc(bytes, 1);
  }
#else
  p = std::calloc(bytes, 1);
#endif
  if (p == nullptr) return false;
  a->data = static_cast<double*>(p);
  a->memory = memory;
  a->bytes = bytes;
  return true;
}

void release(mxArray_tag* a) {
  switch (a->memory) {
    case mxArray_tag::Memory::Heap: std::free(a->data); break;
    case mxArray_tag::Memory::Mapped:
#ifdef __linux__
      unmap(a->data, a->bytes);
#endif
      break;
    case mxArray_tag::Memory::Borrowed: break;
  }
  a->data = nullptr;
  a->memory = mxArray_tag::Memory::Borrowed;
  a->bytes = 0;
}

void destroy(mxArray_tag* a) {
  release(a);
  delete a;
}

Call::Call() : outer_(g_current) { g_current = this; }

Call::~Call() {
  g_current = outer_;
  while (created_ != nullptr) {
    mxArray_tag* a = created_;
    created_ = a->next;
    destroy(a);
  }
}

Call* Call::current() { return g_current; }

void Call::add(mxArray_tag* a) {
  a->next = created_;
  created_ = a;
}

bool Call::remove(mxArray_tag* a) {
  for (mxArray_tag** p = &created_; *p != nullptr; p = &(*p)->next) {
    if (*p == a) {
      *p = a->next;
      a->next = nullptr;
      return true;
    }
  }
  return false;
}

bool Call::take(mxArray_tag* a) { return a != nullptr && remove(a); }

}  // namespace tfmex::python

using tfmex::python::Call;

extern "C" {

std::size_t mxGetM(const mxArray* a) { return a->rows; }
std::size_t mxGetN(const mxArray* a) { return a->cols; }

double* mxGetPr(const mxArray* a) {
  // A stand-in for another class reads as zeros, as the checked host's
  // zero-filled stand-ins do; its memory is taken only when asked for.
  if (a->data == nullptr && (!a->is_double || a->complex) && a->rows != 0 && a->cols != 0) {
    auto* m = const_cast<mxArray*>(a);
    const std::size_t rows = m->rows, cols = m->cols;
    if (!tfmex::python::allocate(m, rows, cols)) throw tfmex::python::NoMemory{rows, cols};
  }
  return a->data;
}

bool mxIsDouble(const mxArray* a) { return a->is_double; }
bool mxIsComplex(const mxArray* a) { return a->complex; }
bool mxIsSparse(const mxArray*) { return false; }  // numpy has no sparse arrays

mxArray* mxCreateDoubleMatrix(mwSize rows, mwSize cols, mxComplexity flag) {
  auto* a = new (std::nothrow) mxArray_tag;
  if (a == nullptr || !tfmex::python::allocate(a, rows, cols)) {
    delete a;
    throw tfmex::python::NoMemory{rows, cols};
  }
  a->complex = flag == mxCOMPLEX;
  if (Call* call = Call::current()) call->add(a);
  return a;
}

void mxDestroyArray(mxArray* a) {
  // Only arrays of the current call are freed here; an argument belongs to
  // the caller.
  Call* call = Call::current();
  if (a == nullptr || call == nullptr || !call->remove(a)) return;
  tfmex::python::destroy(a);
}

void mexErrMsgTxt(const char* text) { throw tfmex::python::Raised{text != nullptr ? text : ""}; }

}  // extern "C"
