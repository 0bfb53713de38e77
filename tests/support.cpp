#include "support.h"

#include <dirent.h>

#include <algorithm>

namespace tfmex::test {

std::vector<std::string> built_plugins() {
  std::vector<std::string> names;
  DIR* d = opendir(Plugin::default_mex_dir().c_str());
  if (d == nullptr) return names;
  while (dirent* e = readdir(d)) {
    std::string f = e->d_name;
    if (f.size() > 4 && f.compare(f.size() - 4, 4, ".mex") == 0)
      names.push_back(f.substr(0, f.size() - 4));
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace tfmex::test
