// Workspaces and threads for the gateways, from the library's pools.
//
// A gateway takes its workspace before it creates its output, so that a lack
// of memory is refused like any other bad call and leaves nothing behind.
// Worker threads never call the host: every host call (argument checks,
// arrays, messages) is made on the caller's thread before or after the
// library call.
#ifndef TFMEX_HOST_PARALLEL_H
#define TFMEX_HOST_PARALLEL_H

#include <cstddef>
#include <new>

#include "src/parallel.hpp"
#include "tfmex/common.hpp"

#define TFMEX_MEMORY_MSG(plugin) plugin " could not allocate its workspace"

namespace tfmex::gw {

[[noreturn]] void fail(const char* msg);

using tfmex::par::kKeepLimit;

// A pooled workspace of at least `count` doubles; when memory cannot be had,
// msg is raised through the host (nothing else is held then). Its contents
// are whatever an earlier call left.
class Workspace {
 public:
  Workspace(std::size_t count, const char* msg) {
    bool ok = true;
    try {
      ws_.reserve(count);
    } catch (const std::bad_alloc&) {
      ok = false;
    }
    if (!ok) fail(msg);
  }
  double* data() const { return ws_.data(); }
  tfmex::Workspace* get() { return &ws_; }

 private:
  tfmex::Workspace ws_;
};

}  // namespace tfmex::gw

#endif
