// The table cache: a map from (builder, n) to shared immutable tables, with a
// list in order of use for eviction, under one mutex. Tables are built
// outside the lock; when two threads build the same one at once the first
// kept wins and the other's is used for its call and dropped.
#include "table_cache.h"

#include <list>
#include <map>
#include <mutex>
#include <new>
#include <utility>

namespace tfmex::trig {

namespace {

using Builder = void (*)(double*, int);
using Key = std::pair<Builder, int>;

class Cache {
 public:
  SharedTable find(const Key& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = index_.find(key);
    if (it == index_.end()) return nullptr;
    order_.splice(order_.begin(), order_, it->second);  // now the most recently used
    return it->second->table;
  }

  // Keeps table under key unless another is there already; returns the kept one.
  SharedTable keep(const Key& key, SharedTable table) {
    const std::size_t bytes = table->size() * sizeof(double);
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = index_.find(key);
    if (it != index_.end()) return it->second->table;
    if (bytes > kTableCacheBytes) return table;
    while (bytes_ + bytes > kTableCacheBytes) {
      bytes_ -= order_.back().table->size() * sizeof(double);
      index_.erase(order_.back().key);
      order_.pop_back();
    }
    try {
      order_.push_front(Entry{key, table});
    } catch (const std::bad_alloc&) {
      return table;
    }
    try {
      index_.emplace(key, order_.begin());
    } catch (const std::bad_alloc&) {
      order_.pop_front();
      return table;
    }
    bytes_ += bytes;
    return table;
  }

  std::size_t bytes() {
    std::lock_guard<std::mutex> lock(mutex_);
    return bytes_;
  }

 private:
  struct Entry {
    Key key;
    SharedTable table;
  };
  std::mutex mutex_;
  std::list<Entry> order_;  // most recently used first
  std::map<Key, std::list<Entry>::iterator> index_;
  std::size_t bytes_ = 0;
};

// Built on first use, destroyed with its binary (at unload or exit).
Cache& cache() {
  static Cache c;
  return c;
}

}  // namespace

SharedTable shared_table(Builder build, int n, std::size_t size) {
  const Key key{build, n};
  try {
    if (SharedTable found = cache().find(key)) return found;
    auto table = std::make_shared<std::vector<double>>(size, 0.0);
    build(table->data(), n);
    return cache().keep(key, std::move(table));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

std::size_t table_cache_bytes() { return cache().bytes(); }

}  // namespace tfmex::trig
