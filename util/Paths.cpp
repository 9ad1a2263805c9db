#include "util/Paths.h"

#include <windows.h>

#include <cstdio>
#include <random>

#include "util/PathText.h"

namespace qv {

std::string GetExeFileName() {
  char buffer[kMaxPath] = {};
  const DWORD length = GetModuleFileNameA(nullptr, buffer, kMaxPath);
  return std::string(buffer, length < kMaxPath ? length : kMaxPath - 1);
}

std::string GetExeDir() {
  const std::string exe = GetExeFileName();
  const size_t slash = exe.find_last_of('\\');
  return ToLongPath(slash == std::string::npos ? std::string() : exe.substr(0, slash + 1));
}

std::string GetExeDirNoBackslash() {
  std::string dir = GetExeDir();
  if (!dir.empty()) dir.pop_back();
  return dir;
}

std::string ToLongPath(const std::string& path) {
  char buffer[kMaxPath] = {};
  GetLongPathNameA(path.c_str(), buffer, kMaxPath);
  buffer[kMaxPath - 1] = '\0';
  const std::string longPath = buffer;
  return longPath.empty() ? path : longPath;
}

std::string GetTempFolder() {
  char buffer[kMaxPath] = {};
  GetTempPathA(kMaxPath, buffer);
  buffer[kMaxPath - 1] = '\0';
  return buffer;
}

std::string MakeUniqueFileName(const std::string& folder, const std::string& prefix,
                               const std::string& extension) {
  static std::mt19937 random(GetTickCount() ^ GetCurrentProcessId());
  std::uniform_int_distribution<unsigned> number(0, 0xFFFFE);
  while (true) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", number(random));
    const std::string path = CombinePath(folder, prefix + hex + "." + extension);
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return path;
  }
}

}  // namespace qv
