// Where the program and the system keep things: the executable's own path and folder, long
// path names, the temporary folder, and unique file names in a folder.
#pragma once

#include <string>

namespace qv {

std::string GetExeFileName();          // module file name of the running executable
std::string GetExeDir();               // its folder, long form, with a trailing "\"
std::string GetExeDirNoBackslash();    // GetExeDir without its last character
std::string ToLongPath(const std::string& path);  // long form, or the path itself on failure
std::string GetTempFolder();           // the system temp path, ending in "\"

// folder + prefix + random hex + "." + extension, a path at which nothing exists yet.
std::string MakeUniqueFileName(const std::string& folder, const std::string& prefix,
                               const std::string& extension);

}  // namespace qv
