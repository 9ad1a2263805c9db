#include "cleaning/uCC.h"

#include <shellapi.h>
#include <wininet.h>

#include <memory>
#include <string>
#include <vector>

#include "diagnostics/TraceDebug.h"
#include "util/Files.h"
#include "util/Handles.h"
#include "util/PathText.h"
#include "util/Paths.h"
#include "util/Processes.h"
#include "util/Registry.h"

namespace qv {

namespace {

// The folder of the running executable as the system reports it, with its trailing "\".
std::string ExeFolder() {
  const std::string exe = GetExeFileName();
  const size_t slash = exe.find_last_of('\\');
  return slash == std::string::npos ? std::string() : exe.substr(0, slash + 1);
}

bool StartScript(const char* name) {
  const std::string folder = ExeFolder();
  if (folder.empty()) return false;
  return RunProgram(CombinePath(folder, std::string("res\\") + name), "", true, false, -1);
}

// Empties a folder that holds nothing but a trace. A folder that does not exist holds no
// trace; one that the cleaner refuses (relative, a root, a link) keeps whatever it holds.
bool EmptyTraceFolder(const std::string& folder) {
  if (folder.empty()) return true;
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES && IsDeletableFolder(folder)) return true;
  return CleanFolderContents(folder, true).Complete();
}

std::string TrimmedText(const char* text) {
  std::string result(text);
  const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!result.empty() && isBlank(result.back())) result.pop_back();
  size_t start = 0;
  while (start < result.size() && isBlank(result[start])) ++start;
  return result.substr(start);
}

void Trace(const char* text) { GetTracer()->TraceMsg(text); }

const DWORD kPurgedEntryTypes = NORMAL_CACHE_ENTRY | COOKIE_CACHE_ENTRY | URLHISTORY_CACHE_ENTRY;

// One entry of the plain enumeration, in a buffer aligned for the structure at its start.
class CacheEntry {
 public:
  explicit CacheEntry(DWORD size) : words_((size_t(size) + 7) / 8) {
    if (size > 0) Info()->dwStructSize = size;
  }
  LPINTERNET_CACHE_ENTRY_INFOA Info() {
    return words_.empty() ? nullptr : reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(words_.data());
  }

 private:
  std::vector<uint64_t> words_;
};

}  // namespace

bool ClearRunHistory() { return StartScript("c1.bat"); }
bool ClearRecentDocuments() { return StartScript("c3.bat"); }
bool ClearIEHistory() { return StartScript("c2.bat"); }

bool EmptyTempFolder() {
  char buffer[kMaxPath] = {};
  GetTempPathA(255, buffer);
  const std::string folder = TrimmedText(buffer);
  if (folder.empty()) return false;  // the system named no temporary folder at all
  return EmptyTraceFolder(folder);
}

bool EmptyRecycleBin(HWND owner) {
  Library shell(LoadLibraryA("Shell32.dll"));
  if (!shell) return false;
  using EmptyFunction = HRESULT(WINAPI*)(HWND, LPCSTR, DWORD);
  using QueryFunction = HRESULT(WINAPI*)(LPCSTR, LPSHQUERYRBINFO);
  const auto empty = reinterpret_cast<EmptyFunction>(GetProcAddress(shell.Get(), "SHEmptyRecycleBinA"));
  if (empty == nullptr) return false;
  const HRESULT emptied = empty(owner, "", SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
  // Emptying a bin that is already empty is reported as a failure by some systems, so the
  // bin is counted afterwards where the shell can count it.
  const auto query = reinterpret_cast<QueryFunction>(GetProcAddress(shell.Get(), "SHQueryRecycleBinA"));
  if (query == nullptr) return SUCCEEDED(emptied);
  SHQUERYRBINFO info{};
  info.cbSize = sizeof info;
  if (FAILED(query("", &info))) return SUCCEEDED(emptied);
  return info.i64NumItems == 0;
}

bool ClearClipboard() {
  if (!OpenClipboard(nullptr)) return false;
  const bool emptied = EmptyClipboard() != FALSE;
  CloseClipboard();
  return emptied;
}

bool DeleteIETemporaryFiles() { return EmptyTraceFolder(GetUserShellFolder("Cache")); }

bool PurgeUrlCache(const TUrlCacheApi& cache) {
  bool complete = true;
  DWORD size = 0;
  cache.FindFirstEntry(nullptr, nullptr, &size);
  Trace("FindFirstUrlCacheEntry");
  auto entry = std::make_unique<CacheEntry>(size);
  Trace("GetMem");
  HANDLE enumeration = cache.FindFirstEntry(nullptr, entry->Info(), &size);
  DWORD endError = GetLastError();
  Trace("FindFirstUrlCacheEntry");
  if (enumeration != nullptr) {
    bool found = true;
    while (found) {
      Trace("===================================================");
      const INTERNET_CACHE_ENTRY_INFOA& info = *entry->Info();
      const std::string url = info.lpszSourceUrlName != nullptr ? info.lpszSourceUrlName : "";
      if ((info.CacheEntryType & kPurgedEntryTypes) != 0 && !cache.DeleteEntry(url.c_str()))
        complete = false;
      Trace(("Delete --- " + url).c_str());
      Trace("Repeat");
      entry.reset();
      Trace("FreeMem");
      size = 0;
      cache.FindNextEntry(enumeration, nullptr, &size);
      Trace("FindNextUrlCacheEntry");
      entry = std::make_unique<CacheEntry>(size);
      Trace("GetMem");
      found = cache.FindNextEntry(enumeration, entry->Info(), &size) != FALSE;
      if (!found) endError = GetLastError();
    }
  }
  Trace("repeat end");
  entry.reset();
  Trace("FreeMem");
  cache.FindClose(enumeration);
  Trace("FindCloseUrlCache");
  // The walk ends on the first failed call; only "no more entries" means it saw them all
  // (an empty cache answers "no more entries" or, under some systems, "not found").
  return complete && (endError == ERROR_NO_MORE_ITEMS || endError == ERROR_FILE_NOT_FOUND);
}

bool DeleteIEStoredPasswords() {
  RegKey key;
  const LONG opened = RegOpenKeyExA(HKEY_CURRENT_USER,
                                    "Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage2", 0,
                                    KEY_QUERY_VALUE | KEY_SET_VALUE, key.Receive());
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) return false;

  // Names first, deletions after: deleting while enumerating shifts the indexes.
  std::vector<std::string> names;
  char name[16384];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name;
    const LONG result = RegEnumValueA(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS) return false;
    names.emplace_back(name, length);
  }
  bool complete = true;
  for (const auto& value : names)
    if (RegDeleteValueA(key.Get(), value.c_str()) != ERROR_SUCCESS) complete = false;
  return complete;
}

}  // namespace qv
