#include "cleaning/FirefoxProfiles.h"

#include <vector>

namespace qv {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

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

struct Section {
  std::string_view name;
  std::vector<std::pair<std::string_view, std::string_view>> entries;

  // The first entry of that name wins, as in every INI reader of this program.
  std::string_view Value(std::string_view key, bool& found) const {
    for (const auto& [name, value] : entries)
      if (EqualsNoCase(name, key)) {
        found = true;
        return value;
      }
    found = false;
    return {};
  }
};

std::vector<Section> Parse(std::string_view text) {
  std::vector<Section> sections;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      const size_t close = line.find(']');
      if (close != std::string_view::npos) sections.push_back({Trim(line.substr(1, close - 1)), {}});
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos || sections.empty()) continue;
    sections.back().entries.emplace_back(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)));
  }
  return sections;
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
  const std::vector<Section> sections = Parse(profilesIni);
  bool found = false;
  for (const auto& section : sections) {
    if (!StartsNoCase(section.name, "Install")) continue;
    const std::string name = FolderInProfiles(section.Value("Default", found));
    if (!name.empty()) return name;
  }
  for (const auto& section : sections) {
    if (!StartsNoCase(section.name, "Profile")) continue;
    if (Trim(section.Value("Default", found)) != "1") continue;
    const std::string_view relative = section.Value("IsRelative", found);
    if (found && relative != "1") continue;  // an absolute path lies outside "Profiles"
    const std::string name = FolderInProfiles(section.Value("Path", found));
    if (!name.empty()) return name;
  }
  return {};
}

}  // namespace qv
