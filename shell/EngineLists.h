// The application engine's two "name=value" line lists that the settings store consults:
// SettingOverwrite (wins over every file) and SettingDefault (the last resort). The engine
// registers its lists while it exists; until then, and after it is gone, there are none.
#pragma once

#include <string>
#include <vector>

namespace qv {

struct EngineSettingLists {
  std::vector<std::string> overwrite;  // lines "name=value"
  std::vector<std::string> defaults;
};

// The lists of the current engine, or nullptr when no engine exists.
const EngineSettingLists* CurrentEngineSettingLists();
// The engine registers itself on creation and passes nullptr when it is destroyed.
void SetCurrentEngineSettingLists(const EngineSettingLists* lists);

// Looks name up in lines of "name=value": names compare without regard to ASCII case, the
// first line of a name wins, an empty value counts as found; lines without "=" never match.
bool FindListValue(const std::vector<std::string>& lines, const std::string& name,
                   std::string& value);

}  // namespace qv
