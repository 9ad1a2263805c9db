#include "util/PathText.h"

#include <algorithm>

namespace qv {

namespace {

bool IsDriveBase(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' && path.find(':') == 1;
}

bool IsUncBase(const std::string& path) { return path.size() >= 2 && path[0] == '\\' && path[1] == '\\'; }

// "\\server\share" of a UNC path (without a trailing "\"), or "" when it has no share part.
std::string UncShareRoot(const std::string& path) {
  const size_t serverEnd = path.find('\\', 2);
  if (serverEnd == std::string::npos || serverEnd == 2) return "";
  const size_t shareEnd = path.find('\\', serverEnd + 1);
  const size_t shareLength = (shareEnd == std::string::npos ? path.size() : shareEnd) - (serverEnd + 1);
  if (shareLength == 0) return "";
  return path.substr(0, shareEnd);
}

}  // namespace

std::string ToBackslashes(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string WithTrailingBackslash(const std::string& path) {
  if (path.empty()) return path;
  std::string result = ToBackslashes(path);
  if (result.back() != '\\') result += '\\';
  return result;
}

std::string CombinePath(const std::string& base, const std::string& relative) {
  if (relative.find(':') != std::string::npos) return ToBackslashes(relative);

  const std::string r = ToBackslashes(relative);
  if (IsDriveBase(base)) {
    const std::string b = WithTrailingBackslash(base);
    if (r.size() > 1 && r[0] == '\\') return b.substr(0, 2) + r;
    return b + r;
  }
  // A network base joins like a drive base, with "\\server\share" in the drive's place.
  if (IsUncBase(ToBackslashes(base))) {
    const std::string b = WithTrailingBackslash(base);
    const std::string share = UncShareRoot(b);
    if (share.empty()) return r;
    if (r.size() > 1 && r[0] == '\\') return share + r;
    return b + r;
  }
  return relative;
}

std::string ExtractFileName(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtractFilePath(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ExtractFileTitle(const std::string& path) {
  std::string name = ExtractFileName(path);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

bool IsDeletableFolder(const std::string& folder) {
  const std::string path = ToBackslashes(folder);
  // Entries are joined as folder + "\" + name; "*.*" is the shortest thing ever joined.
  if (path.size() + 1 + 3 >= kMaxPath) return false;
  if (path.find_first_of("*?\"<>|") != std::string::npos) return false;

  std::string rest;  // the part below the drive or share root
  if (IsDriveBase(path)) {
    const char drive = path[0];
    if (!((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z'))) return false;
    if (path.size() < 3 || path[2] != '\\') return false;  // "C:" or "C:x" is drive-relative
    rest = path.substr(3);
  } else if (IsUncBase(path)) {
    // "\\?\..." and "\\.\..." reach devices and, under some systems, the host's own files.
    if (path.size() > 2 && (path[2] == '?' || path[2] == '.')) return false;
    const std::string share = UncShareRoot(path);
    if (share.empty() || share.size() + 1 >= path.size()) return false;
    rest = path.substr(share.size() + 1);
  } else {
    return false;
  }

  bool hasStep = false;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find('\\', start);
    if (end == std::string::npos) end = rest.size();
    const std::string step = rest.substr(start, end - start);
    if (step == "." || step == "..") return false;
    if (!step.empty()) hasStep = true;
    else if (end != rest.size()) return false;  // "\\" inside the path
    start = end + 1;
  }
  return hasStep;
}

}  // namespace qv
