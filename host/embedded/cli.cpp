// tfmex: calls any plug-in on the embedded host from the command line.
//
//   tfmex call [--out FILE] [--nargout N] [--mex-dir DIR] PLUGIN [ARG ...]
//   tfmex compare A B
//   tfmex version PLUGIN
//   tfmex list
//
// An ARG is a literal ("[1 2; 3 4]", "0.5", "[]") or the path of a text file
// with one row a line. `call` prints the result (or writes it to FILE), or
// prints the plug-in's message and exits with status 1.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "host.h"
#include "kernels/vector/vector.h"
#include "matrix_text.h"
#include "platform.h"

using tfmex::host::Array;
using tfmex::host::Plugin;

namespace {

int usage() {
  std::fputs(
      "usage: tfmex call [--out FILE] [--nargout N] [--mex-dir DIR] PLUGIN [ARG ...]\n"
      "       tfmex compare A B      largest |A - B| of two matrices of one shape\n"
      "       tfmex version PLUGIN   the plug-in's interface version\n"
      "       tfmex list             the plug-ins found\n"
      "       tfmex simd             the instruction path the kernels take here (the widest\n"
      "                              this processor has, capped by TFMEX_SIMD)\n"
      "ARG is a literal such as \"[1 2; 3 4]\", \"0.5\" or \"[]\", or a text file\n"
      "with one row a line.\n",
      stderr);
  return 2;
}

// The plug-ins sit in ../mex beside the bin folder of this program, unless
// TFMEX_MEX_DIR or --mex-dir says otherwise.
bool exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

std::string mex_dir_near_program() {
  const std::string program = tfmex::host::os::program_path();
  const std::size_t sep = tfmex::host::os::last_separator(program);
  if (sep != std::string::npos) {
    const std::string candidate = program.substr(0, sep) + "/../mex";
    if (exists(candidate)) return candidate;
  }
  return Plugin::default_mex_dir();
}

Array argument(const std::string& text) {
  const bool is_file = !text.empty() && text[0] != '[' && exists(text);
  return is_file ? tfmex::host::read_matrix_file(text) : tfmex::host::parse_matrix(text);
}

int call(int argc, char** argv) {
  std::string out_path, mex_dir;
  int nargout = 1;
  int i = 0;
  for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
    const std::string opt = argv[i];
    if (i + 1 >= argc) return usage();
    if (opt == "--out") out_path = argv[++i];
    else if (opt == "--nargout") nargout = std::atoi(argv[++i]);
    else if (opt == "--mex-dir") mex_dir = argv[++i];
    else return usage();
  }
  if (i >= argc) return usage();
  const std::string name = argv[i++];
  std::vector<Array> args;
  for (; i < argc; ++i) args.push_back(argument(argv[i]));
  std::vector<const Array*> inputs;
  for (const Array& a : args) inputs.push_back(&a);

  Plugin plugin = Plugin::load(name, mex_dir.empty() ? mex_dir_near_program() : mex_dir);
  auto report = plugin.call(nargout, inputs);
  if (!report.problems().empty()) {
    std::fprintf(stderr, "tfmex: %s broke a host rule: %s\n", name.c_str(),
                 report.problems().c_str());
    return 3;
  }
  if (!report.ok) {
    std::fprintf(stderr, "%s\n", report.message.c_str());
    return 1;
  }
  if (out_path.empty()) {
    tfmex::host::write_matrix(stdout, report.output);
  } else {
    std::FILE* f = std::fopen(out_path.c_str(), "w");
    if (f == nullptr) throw std::invalid_argument("cannot write " + out_path);
    tfmex::host::write_matrix(f, report.output);
    std::fclose(f);
  }
  return 0;
}

int compare(const std::string& a_text, const std::string& b_text) {
  Array a = argument(a_text), b = argument(b_text);
  if (a.size() != b.size()) {
    std::fprintf(stderr, "tfmex: the two matrices differ in size (%zu and %zu values)\n", a.size(),
                 b.size());
    return 1;
  }
  double err = 0.0, scale = 0.0;
  for (std::size_t k = 0; k < a.size(); ++k) {
    err = std::max(err, std::fabs(a[k] - b[k]));
    scale = std::max(scale, std::fabs(a[k]));
  }
  std::printf("max abs difference %.3g (largest value %.3g)\n", err, scale);
  return 0;
}

int list() {
  const std::string dir = mex_dir_near_program();
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) {
    std::fprintf(stderr, "tfmex: no plug-in folder at %s\n", dir.c_str());
    return 1;
  }
  std::vector<std::string> names;
  while (dirent* e = readdir(d)) {
    std::string f = e->d_name;
    if (f.size() > 4 && f.compare(f.size() - 4, 4, ".mex") == 0)
      names.push_back(f.substr(0, f.size() - 4));
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  for (const auto& n : names) std::printf("%s\n", n.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string cmd = argv[1];
  try {
    if (cmd == "call") return call(argc - 2, argv + 2);
    if (cmd == "compare" && argc == 4) return compare(argv[2], argv[3]);
    if (cmd == "version" && argc == 3) {
      Plugin p = Plugin::load(argv[2], mex_dir_near_program());
      std::printf("%s\n", p.version() != nullptr ? p.version() : "(none)");
      return 0;
    }
    if (cmd == "list" && argc == 2) return list();
    if (cmd == "simd" && argc == 2) {
      std::printf("%s\n", tfmex::vector::path_name(tfmex::vector::path()));
      return 0;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tfmex: %s\n", e.what());
    return 2;
  }
  return usage();
}
