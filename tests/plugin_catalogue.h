// What every plug-in takes and promises, for the checks that drive all of
// them alike (concurrent calls, fuzzing): how to make a valid call, and the
// shape a successful call must return.
#ifndef TFMEX_TESTS_PLUGIN_CATALOGUE_H
#define TFMEX_TESTS_PLUGIN_CATALOGUE_H

#include <cstddef>
#include <random>
#include <utility>
#include <vector>

#include "host/embedded/host.h"

namespace tfmex::test {

using Shape2 = std::pair<std::size_t, std::size_t>;

struct CatalogueEntry {
  const char* name;
  int inputs;     // the input count the plug-in takes
  bool at_least;  // further inputs are accepted (and ignored)
  // A valid call with random data of a modest size.
  std::vector<host::Array> (*valid)(std::mt19937_64& rng);
  // Rows and columns of the output of a call that succeeded with these inputs.
  Shape2 (*shape)(const std::vector<const host::Array*>& in);
};

// Every plug-in, sorted by name.
const std::vector<CatalogueEntry>& catalogue();
const CatalogueEntry* find_entry(const char* name);

}  // namespace tfmex::test

#endif
