#include "cleaning/FirefoxProfiles.h"

#include <vector>

#include "util/MemIniFile.h"

namespace qv {

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool StartsNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// "Profiles/<name>" (either slash) gives <name> when that is one plain folder name.
std::string FolderInProfiles(std::string_view path) {
  constexpr std::string_view kPrefix = "Profiles";
  if (!StartsNoCase(path, kPrefix) || path.size() <= kPrefix.size() + 1) return {};
  const char separator = path[kPrefix.size()];
  if (separator != '/' && separator != '\\') return {};
  const std::string_view name = path.substr(kPrefix.size() + 1);
  if (name == "." || name == "..") return {};
  for (char c : name)
    if (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
        c == '|' || static_cast<unsigned char>(c) < ' ')
      return {};
  return std::string(name);
}

}  // namespace

std::string DefaultProfileName(std::string_view profilesIni) {
  TMemIniFile ini;
  ini.SetText(profilesIni);
  const std::vector<std::string> sections = ini.ReadSections();
  for (const auto& section : sections) {
    if (!StartsNoCase(section, "Install")) continue;
    const std::string name = FolderInProfiles(ini.ReadString(section, "Default", ""));
    if (!name.empty()) return name;
  }
  for (const auto& section : sections) {
    if (!StartsNoCase(section, "Profile")) continue;
    if (ini.ReadString(section, "Default", "") != "1") continue;
    // An absolute path lies outside "Profiles".
    if (ini.ReadString(section, "IsRelative", "1") != "1") continue;
    const std::string name = FolderInProfiles(ini.ReadString(section, "Path", ""));
    if (!name.empty()) return name;
  }
  return {};
}

}  // namespace qv
