#include "support/TraceFixtures.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>
#include <wininet.h>

#include <algorithm>
#include <map>
#include <set>

namespace qv::test {

namespace {

const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

HKEY OpenKey(HKEY root, const std::string& key, REGSAM access) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, access, &handle) != ERROR_SUCCESS) return nullptr;
  return handle;
}

void SetValue(HKEY root, const std::string& key, const std::string& name, DWORD type, const void* data,
              size_t size) {
  HKEY handle = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr),
            ERROR_SUCCESS)
      << key;
  EXPECT_EQ(RegSetValueExA(handle, name.empty() ? nullptr : name.c_str(), 0, type,
                           static_cast<const BYTE*>(data), DWORD(size)),
            ERROR_SUCCESS)
      << key << " " << name;
  RegCloseKey(handle);
}

}  // namespace

void SetRegistryString(HKEY root, const std::string& key, const std::string& name, const std::string& value) {
  SetValue(root, key, name, REG_SZ, value.c_str(), value.size() + 1);
}

void SetRegistryBinary(HKEY root, const std::string& key, const std::string& name, const std::string& bytes) {
  SetValue(root, key, name, REG_BINARY, bytes.data(), bytes.size());
}

void CreateRegistryKey(HKEY root, const std::string& key) {
  HKEY handle = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_READ, nullptr, &handle, nullptr), ERROR_SUCCESS);
  RegCloseKey(handle);
}

std::optional<std::string> ReadRegistryValue(HKEY root, const std::string& key, const std::string& name) {
  HKEY handle = OpenKey(root, key, KEY_QUERY_VALUE);
  if (handle == nullptr) return std::nullopt;
  char data[4096];
  DWORD size = sizeof data - 1, type = 0;
  const LONG result = RegQueryValueExA(handle, name.empty() ? nullptr : name.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(handle);
  if (result != ERROR_SUCCESS) return std::nullopt;
  std::string value(data, size);
  if ((type == REG_SZ || type == REG_EXPAND_SZ) && !value.empty() && value.back() == '\0') value.pop_back();
  return value;
}

std::vector<std::string> RegistryValueNames(HKEY root, const std::string& key) {
  std::vector<std::string> names;
  HKEY handle = OpenKey(root, key, KEY_QUERY_VALUE);
  if (handle == nullptr) return names;
  char name[16384];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name;
    if (RegEnumValueA(handle, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  RegCloseKey(handle);
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> RegistrySubkeys(HKEY root, const std::string& key) {
  std::vector<std::string> names;
  HKEY handle = OpenKey(root, key, KEY_ENUMERATE_SUB_KEYS);
  if (handle == nullptr) return names;
  char name[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name;
    if (RegEnumKeyExA(handle, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  RegCloseKey(handle);
  std::sort(names.begin(), names.end());
  return names;
}

bool RegistryKeyExists(HKEY root, const std::string& key) {
  HKEY handle = OpenKey(root, key, KEY_READ);
  if (handle != nullptr) RegCloseKey(handle);
  return handle != nullptr;
}

void DeleteRegistryTree(HKEY root, const std::string& key) {
  for (const auto& subkey : RegistrySubkeys(root, key)) DeleteRegistryTree(root, key + "\\" + subkey);
  RegDeleteKeyA(root, key.c_str());
}

RegistryKeyGuard::RegistryKeyGuard(HKEY root, std::string key) : root_(root), key_(std::move(key)) {
  DeleteRegistryTree(root_, key_);
}

RegistryKeyGuard::~RegistryKeyGuard() { DeleteRegistryTree(root_, key_); }

ShellFolderOverride::ShellFolderOverride(std::string name, const std::optional<std::string>& path)
    : name_(std::move(name)), previous_(ReadRegistryValue(HKEY_CURRENT_USER, kShellFolders, name_)) {
  if (path) {
    SetRegistryString(HKEY_CURRENT_USER, kShellFolders, name_, *path);
  } else if (HKEY key = OpenKey(HKEY_CURRENT_USER, kShellFolders, KEY_SET_VALUE)) {
    RegDeleteValueA(key, name_.c_str());
    RegCloseKey(key);
  }
}

ShellFolderOverride::~ShellFolderOverride() {
  if (previous_) {
    SetRegistryString(HKEY_CURRENT_USER, kShellFolders, name_, *previous_);
  } else if (HKEY key = OpenKey(HKEY_CURRENT_USER, kShellFolders, KEY_SET_VALUE)) {
    RegDeleteValueA(key, name_.c_str());
    RegCloseKey(key);
  }
}

EnvironmentOverride::EnvironmentOverride(std::string name, const std::string& value) : name_(std::move(name)) {
  char buffer[32768];
  const DWORD length = GetEnvironmentVariableA(name_.c_str(), buffer, sizeof buffer);
  if (length > 0 && length < sizeof buffer) previous_ = std::string(buffer, length);
  SetEnvironmentVariableA(name_.c_str(), value.c_str());
}

EnvironmentOverride::~EnvironmentOverride() {
  SetEnvironmentVariableA(name_.c_str(), previous_ ? previous_->c_str() : nullptr);
}

std::set<DWORD> ChildProcesses() {
  std::set<DWORD> children;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return children;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    if (entry.th32ParentProcessID == GetCurrentProcessId()) children.insert(entry.th32ProcessID);
  CloseHandle(snapshot);
  return children;
}

bool WaitForChildProcesses(const std::set<DWORD>& earlier, DWORD timeoutMs) {
  const DWORD self = GetCurrentProcessId();
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  std::set<DWORD> waited = earlier;
  std::map<DWORD, std::string> names;
  for (;;) {
    std::vector<DWORD> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
      if (entry.th32ParentProcessID == self && entry.th32ProcessID != self && !waited.count(entry.th32ProcessID)) {
        children.push_back(entry.th32ProcessID);
        names[entry.th32ProcessID] = entry.szExeFile;
      }
    CloseHandle(snapshot);
    if (children.empty()) return true;
    for (DWORD id : children) {
      HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
      if (process != nullptr) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now >= deadline ? 0 : DWORD(deadline - now);
        const DWORD result = WaitForSingleObject(process, left);
        CloseHandle(process);
        if (result != WAIT_OBJECT_0) {
          ADD_FAILURE() << "process " << id << " (" << names[id] << ") still runs";
          return false;
        }
      }
      waited.insert(id);
    }
  }
}

HeldFile::HeldFile(const std::string& path)
    : handle_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) {
  EXPECT_NE(handle_, INVALID_HANDLE_VALUE) << path;
}

HeldFile::~HeldFile() { Release(); }

void HeldFile::Release() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}

std::string UserShellFolder(const std::string& name) {
  return ReadRegistryValue(HKEY_CURRENT_USER, kShellFolders, name).value_or("");
}

bool CommitCacheEntry(const std::string& url, DWORD type) {
  FILETIME zero{0, 0};
  // Cookies and history entries are records only; the other kinds keep a copy of the page
  // in a file of the cache, which the cache itself names.
  char file[MAX_PATH] = {};
  const bool withFile = (type & (COOKIE_CACHE_ENTRY | URLHISTORY_CACHE_ENTRY)) == 0;
  if (withFile) {
    if (!CreateUrlCacheEntryA(url.c_str(), 0, "htm", file, 0)) return false;
    HANDLE handle = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(handle, "<html></html>", 13, &written, nullptr);
    CloseHandle(handle);
  }
  return CommitUrlCacheEntryA(url.c_str(), withFile ? file : nullptr, zero, zero, type, nullptr, 0,
                              withFile ? "htm" : nullptr, nullptr) != FALSE;
}

bool CacheEntryExists(const std::string& url) {
  DWORD size = 0;
  GetUrlCacheEntryInfoA(url.c_str(), nullptr, &size);
  return GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

DWORD CacheEntryType(const std::string& url) {
  std::vector<uint64_t> buffer(8192);
  auto* info = reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(buffer.data());
  DWORD size = DWORD(buffer.size() * 8);
  return GetUrlCacheEntryInfoA(url.c_str(), info, &size) ? info->CacheEntryType : 0;
}

std::vector<std::string> CachedUrls() {
  std::vector<std::string> urls;
  std::vector<uint64_t> buffer(8192);
  auto* info = reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(buffer.data());
  DWORD size = DWORD(buffer.size() * 8);
  HANDLE find = FindFirstUrlCacheEntryA(nullptr, info, &size);
  if (find == nullptr) return urls;
  do {
    urls.push_back(info->lpszSourceUrlName ? info->lpszSourceUrlName : "");
    size = DWORD(buffer.size() * 8);
  } while (FindNextUrlCacheEntryA(find, info, &size));
  FindCloseUrlCache(find);
  return urls;
}

}  // namespace qv::test
