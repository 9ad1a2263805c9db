// The Internet Explorer cache enumerator: walks the WinINet URL cache by kind of entry and by
// source-name pattern, keeps the entry it last found, and deletes entries. Its WinINet calls,
// and those of the cache purge among the removal routines, go through a table of entry points
// (the real WinINet by default): Wine's extended enumeration finds nothing and its cache marks
// every entry as a normal one, so a test must be able to hand them a cache of its own.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <functional>
#include <string>

#include "toolkit/Component.h"
#include "util/DateTime.h"

namespace qv {

// The WinINet entry points the enumerator uses. CheckLibrary answers whether the group and
// extended enumeration functions exist; without them every operation is inert.
struct TUrlCacheApi {
  bool (*CheckLibrary)();
  HANDLE(WINAPI* FindFirstEntry)(LPCSTR pattern, LPINTERNET_CACHE_ENTRY_INFOA entry, LPDWORD entrySize);
  BOOL(WINAPI* FindNextEntry)(HANDLE enumeration, LPINTERNET_CACHE_ENTRY_INFOA entry, LPDWORD entrySize);
  HANDLE(WINAPI* FindFirstEntryEx)(LPCSTR pattern, DWORD flags, DWORD filter, GROUPID group,
                                   LPINTERNET_CACHE_ENTRY_INFOA entry, LPDWORD entrySize,
                                   LPVOID groupAttributes, LPDWORD groupAttributesSize,
                                   LPVOID reserved);
  BOOL(WINAPI* FindNextEntryEx)(HANDLE enumeration, LPINTERNET_CACHE_ENTRY_INFOA entry,
                                LPDWORD entrySize, LPVOID groupAttributes,
                                LPDWORD groupAttributesSize, LPVOID reserved);
  BOOL(WINAPI* DeleteEntry)(LPCSTR url);
  BOOL(WINAPI* FindClose)(HANDLE enumeration);
};

// The real WinINet.
const TUrlCacheApi& SystemUrlCacheApi();

// Whether wininet.dll offers the five group and extended enumeration functions; computed once
// at program start and remembered once true.
bool CheckLibrary();

// The UTC file time as a local date-time; 0 for a zero file time or one that cannot be
// converted or represented.
TDateTime FileTimeToLocalDateTime(const FILETIME& fileTime);

enum class TFilterOption : uint8_t {
  NORMAL_ENTRY,
  STABLE_ENTRY,
  STICKY_ENTRY,
  COOKIE_ENTRY,
  URLHISTORY_ENTRY,
  TRACK_OFFLINE_ENTRY,
  TRACK_ONLINE_ENTRY,
  SPARSE_ENTRY,
  OCX_ENTRY,
};

// A set of TFilterOption, one bit per member in declaration order.
using TFilterOptions = EnumSet<TFilterOption>;

// The WinINet entry-type bit of each member.
DWORD CacheEntryTypeBit(TFilterOption member);

enum class TSearchPattern { spAll, spCookies, spHistory, spUrl };

struct TEntryInfo {
  std::string SourceUrlName;
  std::string LocalFileName;
  DWORD EntryType = 0;
  DWORD UseCount = 0;
  DWORD HitRate = 0;
  DWORD Size = 0;
  TDateTime LastModified = 0;
  TDateTime Expires = 0;
  TDateTime LastAccess = 0;
  TDateTime LastSync = 0;
  std::string HeaderInfo;
  std::string FileExtension;
  DWORD ExemptDelta = 0;
};

using TOnEntryEvent = std::function<void(TObject* sender, bool& cancel)>;
using TOnGroupEvent = std::function<void(TObject* sender, int64_t groupID, bool& cancel)>;

class TIECache : public TComponent {
  QV_CLASS(TIECache, TComponent)

 public:
  // The table is the real WinINet unless a test hands in a cache of its own.
  explicit TIECache(ComponentOwner owner, const TUrlCacheApi& api = SystemUrlCacheApi());
  // Closes a walk that FindFirstEntry opened and no DeleteAllEntries closed.
  ~TIECache() override;

  // The set of the main window and of a new enumerator; assigning recomputes CacheFilter.
  static constexpr TFilterOptions kDefaultFilterOptions{
      TFilterOption::NORMAL_ENTRY,       TFilterOption::STICKY_ENTRY,
      TFilterOption::COOKIE_ENTRY,       TFilterOption::URLHISTORY_ENTRY,
      TFilterOption::TRACK_OFFLINE_ENTRY, TFilterOption::TRACK_ONLINE_ENTRY};

  TFilterOptions FilterOptions() const { return filterOptions_; }
  void SetFilterOptions(TFilterOptions options) {
    filterOptions_ = options;
    UpdateFilter();
  }
  TSearchPattern SearchPattern = TSearchPattern::spAll;
  bool LibraryFound() const { return api_->CheckLibrary(); }
  TOnEntryEvent OnEntry;
  TOnGroupEvent OnGroup;

  DWORD CacheFilter() const { return cacheFilter_; }
  HANDLE EnumHandle() const { return enumHandle_; }
  const TEntryInfo& CurrentEntry() const { return currentEntry_; }

  // 0 on success, 2 without the library, otherwise the system error of the failed call;
  // 259 (no more items) ends a walk.
  DWORD FindFirstEntry(int64_t groupID);
  DWORD FindNextEntry();
  // 0 on success and without the library, otherwise the system error.
  DWORD DeleteEntry(const std::string& sourceUrl);
  // Deletes every entry that SearchPattern and CacheFilter enumerate in group 0, each once,
  // and closes the enumeration. True when every entry found was deleted and the walk reached
  // the end of the cache; a walk whose next step fails for any reason ends there.
  bool DeleteAllEntries();
  void ClearCurrentEntry() { currentEntry_ = TEntryInfo{}; }
  void UpdateFilter();

 private:
  const char* PatternText() const;
  void StoreEntry(const INTERNET_CACHE_ENTRY_INFOA& entry);

  const TUrlCacheApi* api_;
  TFilterOptions filterOptions_ = kDefaultFilterOptions;  // CacheFilter stays 0 until assigned
  DWORD cacheFilter_ = 0;
  HANDLE enumHandle_ = nullptr;
  TEntryInfo currentEntry_;
};

}  // namespace qv
