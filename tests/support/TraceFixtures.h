// Planting and checking traces for the removal and end-to-end tests: registry values,
// shell-folder and environment overrides that restore what they replaced, URL-cache entries,
// and waiting for the processes (cleaning scripts) a routine started and left running.
#pragma once

#include <windows.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace qv::test {

// Registry text values and keys below a root; every call fails its test on error.
void SetRegistryString(HKEY root, const std::string& key, const std::string& name, const std::string& value);
void SetRegistryBinary(HKEY root, const std::string& key, const std::string& name, const std::string& bytes);
void CreateRegistryKey(HKEY root, const std::string& key);
std::optional<std::string> ReadRegistryValue(HKEY root, const std::string& key, const std::string& name);
std::vector<std::string> RegistryValueNames(HKEY root, const std::string& key);  // sorted
std::vector<std::string> RegistrySubkeys(HKEY root, const std::string& key);     // sorted
bool RegistryKeyExists(HKEY root, const std::string& key);
void DeleteRegistryTree(HKEY root, const std::string& key);

// Removes the key (with everything below it) now and again when the object goes.
class RegistryKeyGuard {
 public:
  RegistryKeyGuard(HKEY root, std::string key);
  ~RegistryKeyGuard();
  RegistryKeyGuard(const RegistryKeyGuard&) = delete;
  RegistryKeyGuard& operator=(const RegistryKeyGuard&) = delete;

 private:
  HKEY root_;
  std::string key_;
};

// Points one per-user shell folder ("Cache", ...) elsewhere, or removes it with nullopt, and
// puts the stored value back when the object goes.
class ShellFolderOverride {
 public:
  ShellFolderOverride(std::string name, const std::optional<std::string>& path);
  ~ShellFolderOverride();
  ShellFolderOverride(const ShellFolderOverride&) = delete;
  ShellFolderOverride& operator=(const ShellFolderOverride&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

// Sets an environment variable of this process and restores it when the object goes.
class EnvironmentOverride {
 public:
  EnvironmentOverride(std::string name, const std::string& value);
  ~EnvironmentOverride();
  EnvironmentOverride(const EnvironmentOverride&) = delete;
  EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

// The processes this process has started and that still run.
std::set<DWORD> ChildProcesses();
// Waits until every process this process started, but those in earlier, has ended (the
// system starts helpers of its own, such as Wine's explorer for COM); false after the limit.
bool WaitForChildProcesses(const std::set<DWORD>& earlier, DWORD timeoutMs = 30000);

// Opens the file without sharing deletion, so that nobody can delete it while it is held.
class HeldFile {
 public:
  explicit HeldFile(const std::string& path);
  ~HeldFile();
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  void Release();

 private:
  HANDLE handle_;
};

// The shell folder's path as the cleaner reads it (HKCU "Shell Folders").
std::string UserShellFolder(const std::string& name);

// Commits an entry of the given entry type bits to the URL cache; false when WinINet refuses.
bool CommitCacheEntry(const std::string& url, DWORD type);
bool CacheEntryExists(const std::string& url);
DWORD CacheEntryType(const std::string& url);  // 0 when there is no such entry
// The source URLs the plain enumeration lists, in its order.
std::vector<std::string> CachedUrls();

}  // namespace qv::test
