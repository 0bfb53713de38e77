// The standard orthonormal low-pass filters: Haar, Daubechies (extremal
// phase), symmlets (least asymmetric) and coiflets, as the transforms take
// them (sum sqrt(2), orthonormal to their even translates, the high-pass
// filter their mirror g[j] = (-1)^j h[j]).
//
// The taps come from one table, data/filters.txt, which the toolbox's
// tfmex_filter and the Python module read too: the same doubles everywhere.
#ifndef TFMEX_FILTERS_HPP
#define TFMEX_FILTERS_HPP

#include <cstddef>
#include <string>
#include <vector>

#include "tfmex/common.hpp"

namespace tfmex {

// The filter of `taps` taps of a family (any case):
//   "haar"        2 taps
//   "daubechies"  2, 4, ..., 40 (2 is Haar)
//   "symmlet"     8, 10, ..., 40
//   "coiflet"     6, 12, 18, 24, 30
// An unknown family or length throws invalid_argument naming what exists.
TFMEX_API std::vector<double> filter(const std::string& family, std::ptrdiff_t taps);

// The filter of a short name (any case), counting as PyWavelets does:
// "haar", "dbN" (2N taps, N = 1 .. 20), "symN" (2N taps, N = 4 .. 20),
// "coifN" (6N taps, N = 1 .. 5). An unknown name throws invalid_argument
// listing the names.
TFMEX_API std::vector<double> filter(const std::string& name);

// One filter of the table.
struct FilterInfo {
  std::string name;    // "db2"
  std::string family;  // "daubechies"
  std::ptrdiff_t taps = 0;
};

// Every filter of the table, in its order (families as above, lengths
// increasing; Haar twice, as "haar" and as "db1").
TFMEX_API std::vector<FilterInfo> filters();

}  // namespace tfmex

#endif
