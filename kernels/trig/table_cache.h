// A process-wide cache of the trigonometric tables and bells, shared by every
// call and every thread: a table is built once, never changed, and freed when
// the last holder lets it go. Every binary the kernels are linked into (each
// plug-in, the shared library, a program) has its own cache, freed when it is
// unloaded.
#ifndef TFMEX_KERNELS_TRIG_TABLE_CACHE_H
#define TFMEX_KERNELS_TRIG_TABLE_CACHE_H

#include <cstddef>
#include <memory>
#include <vector>

namespace tfmex::trig {

// An immutable table; whoever holds one keeps it alive, evicted or not.
using SharedTable = std::shared_ptr<const std::vector<double>>;

// The tables of one cache take at most this many bytes; beyond it the least
// recently used ones are dropped, and a table larger than it alone is built
// for its call and not kept. A cosine packet table of 2^20 values at any depth
// takes the type-IV tables of 2^20, 2^19, ... at once (6n values each, 96 MB
// in all) and its bell: they must fit together, or each call of such a table
// would drop and rebuild them in turn.
constexpr std::size_t kTableCacheBytes = std::size_t{128} << 20;

// The `size` values build(out, n) makes for n, built on its first use and
// shared from then on. Null when memory for them cannot be had: the caller
// then builds its own, as without the cache. build must be a pure function of
// n, so that the cached table is the one the caller would build.
SharedTable shared_table(void (*build)(double* out, int n), int n, std::size_t size);

// The cache's content in bytes (for the tests).
std::size_t table_cache_bytes();

}  // namespace tfmex::trig

#endif
