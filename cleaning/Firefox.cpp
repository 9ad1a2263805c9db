#include "cleaning/Firefox.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "cleaning/FirefoxProfiles.h"
#include "shell/CLSettings.h"
#include "util/Files.h"
#include "util/Handles.h"
#include "util/PathText.h"
#include "util/Registry.h"

namespace qv {

namespace {

bool IsAbsoluteFolder(const std::string& path) {
  const std::string text = ToBackslashes(path);
  const bool drive = text.size() >= 3 && text[1] == ':' && text[2] == '\\';
  const bool unc = text.size() > 2 && text[0] == '\\' && text[1] == '\\';
  return drive || unc;
}

// The profile folders directly inside profiles, in name order. Links are left out: deleting
// through one would reach into another tree.
std::vector<std::string> ProfileFolders(const std::string& profiles) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  FindHandle find(FindFirstFileA((WithTrailingBackslash(profiles) + "*.*").c_str(), &entry));
  if (!find) return names;
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
      names.push_back(name);
  } while (FindNextFileA(find.Get(), &entry));
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) < 0;
  });
  return names;
}

bool FileGone(const std::string& path) {
  if (!FileExists(path)) return true;
  DeleteFileA(path.c_str());
  return !FileExists(path);
}

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && lstrcmpiA(text.c_str() + text.size() - suffix.size(), suffix.c_str()) == 0;
}

bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/:*?\"<>|") == std::string::npos;
}

// Empties a cache folder when it exists; one that does not exist holds no trace.
bool EmptyCacheFolder(const std::string& folder) {
  if (!DirectoryExists(folder)) return !FileExists(folder);
  return CleanFolderContents(folder, true).Complete();
}

// A value of a key in one registry view: nothing when the key does not open, "" when the
// value is missing or not text.
std::optional<std::string> ReadValue(HKEY root, const std::string& keyPath, const char* valueName,
                                     REGSAM view) {
  RegKey key;
  if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ | view, key.Receive()) != ERROR_SUCCESS)
    return std::nullopt;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key.Get(), valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
  if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
  std::vector<char> data(size + 1, '\0');
  if (RegQueryValueExA(key.Get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
      ERROR_SUCCESS)
    return {};
  return std::string(data.data());
}

// The executable registered by the Mozilla installer. This program is 64-bit while most
// Firefox installations of its era are 32-bit and register in the 32-bit view, so that view
// is asked when the native one names no version.
// Nothing when no version is registered or its "Main" key does not open.
std::optional<std::string> RegisteredFirefoxExe() {
  const std::string mozilla = "SOFTWARE\\Mozilla\\Mozilla Firefox";
  for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_32KEY)}) {
    const std::string version = ReadValue(HKEY_LOCAL_MACHINE, mozilla, "CurrentVersion", view).value_or("");
    if (version.empty()) continue;
    return ReadValue(HKEY_LOCAL_MACHINE, mozilla + "\\" + version + "\\Main", "PathToExe", view);
  }
  return std::nullopt;
}

}  // namespace

std::string FirefoxProfilesFolder(const std::string& base) {
  if (!IsAbsoluteFolder(base)) return {};
  return WithTrailingBackslash(base) + "Mozilla\\Firefox\\Profiles\\";
}

std::string GetFirefoxProfileFolder(bool local) {
  const std::string profiles = FirefoxProfilesFolder(GetUserShellFolder(local ? "Local AppData" : "AppData"));
  if (profiles.empty() || !DirectoryExists(profiles)) return {};
  const std::vector<std::string> folders = ProfileFolders(profiles);
  if (folders.empty()) return profiles;

  // With several profiles the traces the user means are in the one Firefox opens, which its
  // profiles.ini (always in the roaming folder, also for the local half) marks as default.
  // Without such a mark the first folder in name order is taken, so that the answer does not
  // depend on the order in which the file system lists folders.
  const std::string roaming = GetUserShellFolder("AppData");
  std::string content;
  if (IsAbsoluteFolder(roaming) &&
      ReadFileBytes(WithTrailingBackslash(roaming) + "Mozilla\\Firefox\\profiles.ini", content)) {
    const std::string preferred = DefaultProfileName(content);
    for (const auto& name : folders)
      if (!preferred.empty() && lstrcmpiA(name.c_str(), preferred.c_str()) == 0) return profiles + name + "\\";
  }
  return profiles + folders.front() + "\\";
}

std::string GetFirefoxCacheFolder() {
  const std::string profile = GetFirefoxProfileFolder(true);
  return profile.empty() ? std::string() : profile + "Cache\\";
}

bool DeleteFirefoxCache() {
  const std::string profile = GetFirefoxProfileFolder(true);
  if (profile.empty()) return true;
  const bool cache = EmptyCacheFolder(profile + "Cache\\");
  const bool cache2 = EmptyCacheFolder(profile + "cache2\\");  // the cache of current versions
  return cache && cache2;
}

bool DeleteProfileFile(const std::string& fileName) {
  if (!IsPlainFileName(fileName)) return false;
  const std::string profile = GetFirefoxProfileFolder(false);
  if (profile.empty()) return true;
  const std::string path = profile + fileName;
  if (!FileGone(path)) return false;
  if (!EndsWithNoCase(fileName, ".sqlite")) return true;
  bool complete = true;
  for (const char* companion : {"-wal", "-shm", "-journal"})
    if (!FileGone(path + companion)) complete = false;
  return complete;
}

bool DeleteFirefoxPasswords() {
  const bool signons = DeleteProfileFile("signons.sqlite");
  const bool logins = DeleteProfileFile("logins.json");
  const bool backup = DeleteProfileFile("logins-backup.json");
  return signons && logins && backup;
}

std::string GetFirefoxPath() {
  std::string path = GetSettings()->ReadString("FireFoxPath");
  if (!path.empty() && FileExists(path)) return path;

  if (const auto registered = RegisteredFirefoxExe()) path = *registered;
  const std::string calloway = ReadValue(HKEY_CURRENT_USER, "Software\\Calloway", nullptr, 0).value_or("");
  if (!calloway.empty()) path = calloway + "\\Calloway.exe";

  if (!path.empty() && FileExists(path)) GetSettings()->WriteString("FireFoxPath", path);
  return path;
}

bool IsFirefoxInstalled() { return !GetFirefoxPath().empty(); }

bool IsFirefoxRunning() {
  // Older versions name their main windows "MozillaUIWindowClass", current ones
  // "MozillaWindowClass".
  return FindWindowA("MozillaUIWindowClass", nullptr) != nullptr ||
         FindWindowA("MozillaWindowClass", nullptr) != nullptr;
}

}  // namespace qv
