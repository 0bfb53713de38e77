// Matrices as text: MATLAB-style literals ("[1 2; 3 4]", "0.5", "[]") and
// files with one row a line, values separated by blanks or commas.
#ifndef TFMEX_HOST_EMBEDDED_MATRIX_TEXT_H
#define TFMEX_HOST_EMBEDDED_MATRIX_TEXT_H

#include <cstdio>
#include <string>

#include "host.h"

namespace tfmex::host {

// Parses a literal; throws std::invalid_argument with a reason on bad input.
Array parse_matrix(const std::string& text);
// Reads a file of rows; throws std::invalid_argument on bad input.
Array read_matrix_file(const std::string& path);
// Writes one row a line, values with 17 significant digits (exact round trip).
void write_matrix(std::FILE* out, const Array& a);

}  // namespace tfmex::host

#endif
