// Registry reads and the shell-folder locations stored in the registry.
#pragma once

#include <windows.h>

#include <string>

namespace qv {

// The value read as a string, or fallback on any error. An empty value name reads the key's
// default value. The key is opened below root without being created.
std::string ReadRegistryString(HKEY root, const std::string& keyPath, const std::string& valueName,
                               const std::string& fallback);

// The per-user shell folder ("AppData", "Local AppData", "Cache") as stored, falling back to
// the machine-wide one of the same name; GetCommonShellFolder reads only the machine-wide one.
std::string GetUserShellFolder(const std::string& name);
std::string GetCommonShellFolder(const std::string& name);

}  // namespace qv
