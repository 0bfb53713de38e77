// The orthonormal filters, looked up in the table compiled in from
// data/filters.txt (src/filter_table.inc, written by scripts/make_filters.py).
// A row with an empty name is a family's filter only, one with an empty
// family a name's only.
#include <algorithm>
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
  std::vector<std::string> seen;
  std::string out;
  for (const FilterRow& r : kFilters) {
    if (*r.family == '\0' || std::find(seen.begin(), seen.end(), r.family) != seen.end()) continue;
    seen.push_back(r.family);
    out += (out.empty() ? "" : ", ") + seen.back();
  }
  return out;
}

// "db20" -> "db": the letters before the number.
std::string prefix(const std::string& name) {
  return name.substr(0, name.find_first_of("0123456789"));
}

// The names, a run of three or more of one prefix as a range:
// "haar, db1 .. db20, sym2 .. sym20, coif1 .. coif5".
std::string name_list() {
  std::vector<std::string> names;
  for (const FilterRow& r : kFilters)
    if (*r.name != '\0') names.push_back(r.name);
  std::string out;
  for (std::size_t i = 0; i < names.size();) {
    std::size_t j = i;
    while (j + 1 < names.size() && prefix(names[j + 1]) == prefix(names[i])) ++j;
    out += out.empty() ? "" : ", ";
    out += names[i];
    if (j > i) out += (j > i + 1 ? " .. " : ", ") + names[j];
    i = j + 1;
  }
  return out;
}

}  // namespace

std::vector<double> filter(const std::string& family, std::ptrdiff_t taps) {
  const std::string f = lower(family);
  std::string lengths;
  for (const FilterRow& r : kFilters) {
    if (*r.family == '\0' || f != r.family) continue;
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
    if (*r.name != '\0' && key == r.name) return taps_of(r);
  detail::refuse("filter", "unknown filter '" + name + "'; names: " + name_list() +
                               " (dbN and symN have 2N taps, coifN 6N)");
}

std::vector<FilterInfo> filters() {
  std::vector<FilterInfo> out;
  for (const FilterRow& r : kFilters) out.push_back({r.name, r.family, r.taps});
  return out;
}

}  // namespace tfmex
