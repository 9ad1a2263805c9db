#include "app/IconFiles.h"

#include <cstdio>

namespace qv {

std::vector<std::string> FindIconFiles(const std::string& exeDir,
                                       const std::function<bool(const std::string& path)>& exists) {
  std::vector<std::string> files;
  for (int number = 1; number <= 100; ++number) {
    char name[32];
    std::snprintf(name, sizeof name, "res\\icon24_%02d.png", number);
    const std::string path = exeDir + name;
    if (exists(path)) files.push_back(path);
  }
  return files;
}

}  // namespace qv
