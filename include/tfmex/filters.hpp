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

// The filter of `taps` taps of a family (any case), the toolbox's own
// (tfmex_filter(family, taps) in MATLAB/Octave gives the same doubles):
//   "haar"        2 taps
//   "daubechies"  2, 4, ..., 40 (2 is Haar): the same as "db1" .. "db20"
//   "symmlet"     8, 10, ..., 40: the least asymmetric choice among the
//                 roots by the measure of scripts/make_filters.py. It is
//                 "sym4", "sym8", "sym9", "sym13" and "sym17"; reversed, it
//                 is "sym5", "sym6", "sym7", "sym10", "sym12" and "sym16";
//                 for "sym11", "sym14", "sym15", "sym18", "sym19" and
//                 "sym20" PyWavelets chose another, nearly tied candidate
//                 (the same magnitude response, a different filter)
//   "coiflet"     6, 12, 18, 24, 30: the same as "coif1" .. "coif5"
// An unknown family or length throws invalid_argument naming what exists.
TFMEX_API std::vector<double> filter(const std::string& family, std::ptrdiff_t taps);

// The filter of a short name (any case), PyWavelets' filter of that name
// in its orientation, pywt.Wavelet(name).rec_lo: "haar", "dbN" (2N taps,
// N = 1 .. 20), "symN" (2N taps, N = 2 .. 20; sym2 and sym3 are db2 and
// db3), "coifN" (6N taps, N = 1 .. 5). The taps are the exact filter's,
// rounded once: they agree with PyWavelets' to 1e-12, except where its
// table has fewer digits (sym3, sym5 .. sym7, sym18 .. sym20: 1.3e-12 to
// 1.5e-11). An unknown name throws invalid_argument listing the names.
TFMEX_API std::vector<double> filter(const std::string& name);

// One filter of the table.
struct FilterInfo {
  std::string name;    // "db2"; "" for a family's filter that no name gives
  std::string family;  // "daubechies"; "" for a name whose filter is not its family's
  std::ptrdiff_t taps = 0;
};

// Every filter of the table, in its order (Haar, then Daubechies, symmlets
// and coiflets, lengths increasing; Haar twice, as "haar" and as "db1"). A
// filter has one entry, with its name and its family where it has both;
// symN and the family's symmlet of 2N taps have one each where they differ.
TFMEX_API std::vector<FilterInfo> filters();

}  // namespace tfmex

#endif
