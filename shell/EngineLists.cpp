// The registration point through which the settings store reaches the engine's lists.
#include "shell/EngineLists.h"

#include "util/Text.h"

namespace qv {

namespace {
const EngineSettingLists* g_currentLists = nullptr;
}  // namespace

const EngineSettingLists* CurrentEngineSettingLists() { return g_currentLists; }

void SetCurrentEngineSettingLists(const EngineSettingLists* lists) { g_currentLists = lists; }

bool FindListValue(const std::vector<std::string>& lines, const std::string& name,
                   std::string& value) {
  for (const std::string& line : lines) {
    const size_t separator = line.find('=');
    if (separator == std::string::npos) continue;
    if (SameText(std::string_view(line).substr(0, separator), name)) {
      value = line.substr(separator + 1);
      return true;
    }
  }
  return false;
}

}  // namespace qv
