#include "util/Registry.h"

#include <vector>

#include "util/Handles.h"

namespace qv {

namespace {

const char kShellFoldersKey[] = "Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

}  // namespace

std::string ReadRegistryString(HKEY root, const std::string& keyPath, const std::string& valueName,
                               const std::string& fallback) {
  // Read access is all a read needs; asking for more would fail under HKEY_LOCAL_MACHINE for
  // every user who is not an administrator.
  RegKey key;
  if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return fallback;

  DWORD type = 0, size = 0;
  const char* name = valueName.empty() ? nullptr : valueName.c_str();
  if (RegQueryValueExA(key.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return fallback;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return fallback;
  std::vector<char> data(size + 1, '\0');
  if (RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
    return fallback;
  return std::string(data.data());  // stops at the terminator the value carries
}

std::string GetCommonShellFolder(const std::string& name) {
  return ReadRegistryString(HKEY_LOCAL_MACHINE, kShellFoldersKey, name, "");
}

std::string GetUserShellFolder(const std::string& name) {
  const std::string folder = ReadRegistryString(HKEY_CURRENT_USER, kShellFoldersKey, name, "");
  return folder.empty() ? GetCommonShellFolder(name) : folder;
}

}  // namespace qv
