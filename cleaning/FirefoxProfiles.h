// Reading Firefox's profiles.ini: which profile folder under "Profiles" Firefox opens by
// default. Portable code over the file's bytes (the file is written by another program).
#pragma once

#include <string>
#include <string_view>

namespace qv {

// The name of the default profile's folder inside the "Profiles" folder, or "" when the file
// names none there. Current Firefox marks its default per installation ("Default=" in an
// "[Install...]" section), older ones with "Default=1" in a "[Profile...]" section; either
// way only a relative path "Profiles/<name>" counts, so the answer is always one folder name
// directly inside "Profiles" (never "." or "..", never a path).
std::string DefaultProfileName(std::string_view profilesIni);

}  // namespace qv
