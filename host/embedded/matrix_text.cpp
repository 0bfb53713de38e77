#include "matrix_text.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace tfmex::host {
namespace {

double parse_number(const std::string& tok) {
  std::string t = tok;
  bool neg = false;
  if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
    neg = t[0] == '-';
    t.erase(0, 1);
  }
  double v;
  if (t == "Inf" || t == "inf") {
    v = INFINITY;
  } else if (t == "NaN" || t == "nan") {
    v = NAN;
  } else if (t == "pi") {
    v = 3.141592653589793;
  } else {
    char* end = nullptr;
    errno = 0;
    v = std::strtod(t.c_str(), &end);
    if (t.empty() || end == nullptr || *end != '\0')
      throw std::invalid_argument("not a number: '" + tok + "'");
  }
  return neg ? -v : v;
}

// Rows of tokens -> column-major array; every row must have the same length.
Array from_rows(const std::vector<std::vector<double>>& rows) {
  if (rows.empty()) return Array::empty();
  const std::size_t cols = rows[0].size();
  for (const auto& r : rows)
    if (r.size() != cols) throw std::invalid_argument("rows of different lengths");
  Array a = Array::matrix(rows.size(), cols);
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < cols; ++c) a.data()[r + c * rows.size()] = rows[r][c];
  return a;
}

std::vector<double> split_row(const std::string& line) {
  std::vector<double> row;
  std::string tok;
  auto flush = [&] {
    if (!tok.empty()) row.push_back(parse_number(tok));
    tok.clear();
  };
  for (char ch : line) {
    if (ch == ' ' || ch == '\t' || ch == ',' || ch == '\r') {
      flush();
    } else {
      tok += ch;
    }
  }
  flush();
  return row;
}

}  // namespace

Array parse_matrix(const std::string& text) {
  std::string s = text;
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) throw std::invalid_argument("empty argument");
  s = s.substr(first, s.find_last_not_of(" \t") - first + 1);
  if (s.front() != '[') return Array::scalar(parse_number(s));
  if (s.back() != ']') throw std::invalid_argument("missing ']' in '" + text + "'");
  s = s.substr(1, s.size() - 2);
  std::vector<std::vector<double>> rows;
  std::stringstream ss(s);
  std::string part;
  while (std::getline(ss, part, ';')) {
    auto row = split_row(part);
    if (!row.empty()) rows.push_back(row);
  }
  return from_rows(rows);
}

Array read_matrix_file(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::invalid_argument("cannot read " + path);
  std::vector<std::vector<double>> rows;
  std::string line;
  while (std::getline(in, line)) {
    const auto hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    auto row = split_row(line);
    if (!row.empty()) rows.push_back(row);
  }
  return from_rows(rows);
}

void write_matrix(std::FILE* out, const Array& a) {
  for (std::size_t r = 0; r < a.rows(); ++r) {
    for (std::size_t c = 0; c < a.cols(); ++c)
      std::fprintf(out, c == 0 ? "%.17g" : " %.17g", a[r + c * a.rows()]);
    std::fputc('\n', out);
  }
}

}  // namespace tfmex::host
