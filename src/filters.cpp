// The orthonormal filters, looked up in the table compiled in from
// data/filters.txt (src/filter_table.inc, written by scripts/make_filters.py).
#include <cctype>
#include <string>
#include <vector>

#include "internal.hpp"
#include "tfmex/filters.hpp"

namespace tfmex {

namespace {

struct FilterRow {
  const char* name;
  const char* family;
  int taps;
  int first;  // index of its first tap in kTaps
};

#include "filter_table.inc"

std::string lower(const std::string& s) {
  std::string out = s;
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::vector<double> taps_of(const FilterRow& r) {
  return std::vector<double>(kTaps + r.first, kTaps + r.first + r.taps);
}

// The families in the table's order: "haar, daubechies, symmlet, coiflet".
std::string family_list() {
  std::string out;
  const char* last = "";
  for (const FilterRow& r : kFilters) {
    if (std::string(r.family) == last) continue;
    out += (out.empty() ? "" : ", ") + std::string(r.family);
    last = r.family;
  }
  return out;
}

// The names, a family's run of three or more as a range: "haar, db1 .. db20, ...".
std::string name_list() {
  std::string out;
  const int count = static_cast<int>(sizeof kFilters / sizeof kFilters[0]);
  for (int i = 0; i < count;) {
    int j = i;
    while (j + 1 < count && std::string(kFilters[j + 1].family) == kFilters[i].family) ++j;
    out += out.empty() ? "" : ", ";
    out += kFilters[i].name;
    if (j > i) out += std::string(j > i + 1 ? " .. " : ", ") + kFilters[j].name;
    i = j + 1;
  }
  return out;
}

}  // namespace

std::vector<double> filter(const std::string& family, std::ptrdiff_t taps) {
  const std::string f = lower(family);
  std::string lengths;
  for (const FilterRow& r : kFilters) {
    if (f != r.family) continue;
    if (r.taps == taps) return taps_of(r);
    lengths += (lengths.empty() ? "" : " ") + std::to_string(r.taps);
  }
  if (lengths.empty())
    detail::refuse("filter", "unknown family '" + family + "'; known: " + family_list());
  detail::refuse("filter",
                 "no " + f + " filter of " + std::to_string(taps) + " taps; lengths: " + lengths);
}

std::vector<double> filter(const std::string& name) {
  const std::string key = lower(name);
  for (const FilterRow& r : kFilters)
    if (key == r.name) return taps_of(r);
  detail::refuse("filter", "unknown filter '" + name + "'; names: " + name_list() +
                               " (dbN and symN have 2N taps, coifN 6N)");
}

std::vector<FilterInfo> filters() {
  std::vector<FilterInfo> out;
  for (const FilterRow& r : kFilters) out.push_back({r.name, r.family, r.taps});
  return out;
}

}  // namespace tfmex
