#include "cleaning/IECache.h"

#include <vector>

namespace qv {

namespace {

bool SystemCheckLibrary() { return CheckLibrary(); }

const TUrlCacheApi kSystemApi = {
    &SystemCheckLibrary,        &FindFirstUrlCacheEntryA, &FindNextUrlCacheEntryA, &FindFirstUrlCacheEntryExA, &FindNextUrlCacheEntryExA,
    &DeleteUrlCacheEntryA, &FindCloseUrlCache,
};

bool LookUpLibrary() {
  // wininet.dll stays loaded for the life of the process: the program links it anyway.
  HMODULE wininet = LoadLibraryA("wininet.dll");
  if (wininet == nullptr) return false;
  static const char* const kNames[] = {"FindFirstUrlCacheGroup", "FindNextUrlCacheGroup",
                                       "GetUrlCacheGroupAttributeA", "SetUrlCacheGroupAttributeA",
                                       "FindFirstUrlCacheEntryExA"};
  for (const char* name : kNames)
    if (GetProcAddress(wininet, name) == nullptr) return false;
  return true;
}

bool gLibraryFound = LookUpLibrary();

// A buffer for one cache entry, aligned for the structure at its start.
class EntryBuffer {
 public:
  explicit EntryBuffer(DWORD size) : words_((size_t(size) + 7) / 8) {}
  LPINTERNET_CACHE_ENTRY_INFOA Entry() {
    return words_.empty() ? nullptr : reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(words_.data());
  }

 private:
  std::vector<uint64_t> words_;
};

std::string TextOrEmpty(const char* text) { return text != nullptr ? std::string(text) : std::string(); }

}  // namespace

const TUrlCacheApi& SystemUrlCacheApi() { return kSystemApi; }

bool CheckLibrary() {
  if (!gLibraryFound) gLibraryFound = LookUpLibrary();
  return gLibraryFound;
}

TDateTime FileTimeToLocalDateTime(const FILETIME& fileTime) {
  // A zero time means "not set" in a cache entry; it is no date.
  if (fileTime.dwLowDateTime == 0 && fileTime.dwHighDateTime == 0) return 0;
  FILETIME local;
  SYSTEMTIME time;
  if (!FileTimeToLocalFileTime(&fileTime, &local) || !FileTimeToSystemTime(&local, &time)) return 0;
  TDateTime date = 0;
  if (!TryEncodeDate(time.wYear, time.wMonth, time.wDay, date)) return 0;
  const TDateTime dayPart = EncodeTime(time.wHour, time.wMinute, time.wSecond, time.wMilliseconds);
  // Days before 30 December 1899 count backwards while their time of day still counts forwards.
  return date >= 0 ? date + dayPart : date - dayPart;
}

DWORD CacheEntryTypeBit(TFilterOption member) {
  switch (member) {
    case TFilterOption::NORMAL_ENTRY: return 0x00000001;
    case TFilterOption::STABLE_ENTRY: return 0x00000002;
    case TFilterOption::STICKY_ENTRY: return 0x00000004;
    case TFilterOption::COOKIE_ENTRY: return 0x00100000;
    case TFilterOption::URLHISTORY_ENTRY: return 0x00200000;
    case TFilterOption::TRACK_OFFLINE_ENTRY: return 0x00000010;
    case TFilterOption::TRACK_ONLINE_ENTRY: return 0x00000020;
    case TFilterOption::SPARSE_ENTRY: return 0x00010000;
    case TFilterOption::OCX_ENTRY: return 0x00020000;
  }
  return 0;
}

QV_PUBLISHED(TIECache) {
  using P = Publish<TIECache>;
  return {
      P::Set("FilterOptions", "TFilterOptions", &TIECache::FilterOptions, &TIECache::SetFilterOptions),
      P::Enum("SearchPattern", "TSearchPattern", &TIECache::SearchPattern, &TIECache::SearchPattern),
      P::Boolean("LibraryFound", &TIECache::LibraryFound, nullptr),
      P::Event("OnEntry", "TOnEntryEvent"),
      P::Event("OnGroup", "TOnGroupEvent"),
  };
}

TIECache::TIECache(ComponentOwner owner, const TUrlCacheApi& api) : TComponent(owner), api_(&api) {}

TIECache::~TIECache() {
  if (enumHandle_ != nullptr) api_->FindClose(enumHandle_);
}

void TIECache::UpdateFilter() {
  cacheFilter_ = 0;
  for (unsigned member = 0; member <= unsigned(TFilterOption::OCX_ENTRY); ++member)
    if (filterOptions_.Contains(TFilterOption(member)))
      cacheFilter_ += CacheEntryTypeBit(TFilterOption(member));
}

const char* TIECache::PatternText() const {
  switch (SearchPattern) {
    case TSearchPattern::spAll: return nullptr;
    case TSearchPattern::spCookies: return "Cookie:";
    case TSearchPattern::spHistory: return "Visited:";
    case TSearchPattern::spUrl: return "";  // non-null and empty: every URL entry
  }
  return nullptr;
}

DWORD TIECache::FindFirstEntry(int64_t groupID) {
  if (!LibraryFound()) return ERROR_FILE_NOT_FOUND;
  enumHandle_ = nullptr;
  DWORD size = 0;
  api_->FindFirstEntryEx(PatternText(), 0, cacheFilter_, groupID, nullptr, &size, nullptr, nullptr,
                         nullptr);
  EntryBuffer buffer(size);
  enumHandle_ = api_->FindFirstEntryEx(PatternText(), 0, cacheFilter_, groupID, buffer.Entry(),
                                       &size, nullptr, nullptr, nullptr);
  if (enumHandle_ == nullptr) return GetLastError();
  StoreEntry(*buffer.Entry());
  return 0;
}

DWORD TIECache::FindNextEntry() {
  if (!LibraryFound()) return ERROR_FILE_NOT_FOUND;
  DWORD size = 0;
  api_->FindNextEntryEx(enumHandle_, nullptr, &size, nullptr, nullptr, nullptr);
  EntryBuffer buffer(size);
  if (!api_->FindNextEntryEx(enumHandle_, buffer.Entry(), &size, nullptr, nullptr, nullptr))
    return GetLastError();
  StoreEntry(*buffer.Entry());
  return 0;
}

DWORD TIECache::DeleteEntry(const std::string& sourceUrl) {
  if (!LibraryFound()) return 0;
  if (!api_->DeleteEntry(sourceUrl.c_str())) return GetLastError();
  ClearCurrentEntry();
  return 0;
}

bool TIECache::DeleteAllEntries() {
  if (!LibraryFound()) return true;
  bool complete = true;
  const DWORD first = FindFirstEntry(0);
  if (first == 0) {
    DWORD next = 0;
    do {
      if (DeleteEntry(currentEntry_.SourceUrlName) != 0) complete = false;
      next = FindNextEntry();
    } while (next == 0);
    // Any other error than "no more items" leaves entries unvisited.
    if (next != ERROR_NO_MORE_ITEMS) complete = false;
  } else if (first != ERROR_NO_MORE_ITEMS && first != ERROR_FILE_NOT_FOUND) {
    // Nothing matching is reported as either code; anything else is a failed walk.
    complete = false;
  }
  api_->FindClose(enumHandle_);
  enumHandle_ = nullptr;
  return complete;
}

void TIECache::StoreEntry(const INTERNET_CACHE_ENTRY_INFOA& entry) {
  if (!LibraryFound()) return;
  currentEntry_.SourceUrlName = TextOrEmpty(entry.lpszSourceUrlName);
  currentEntry_.LocalFileName = TextOrEmpty(entry.lpszLocalFileName);
  currentEntry_.EntryType = entry.CacheEntryType;
  currentEntry_.UseCount = entry.dwUseCount;
  currentEntry_.HitRate = entry.dwHitRate;
  currentEntry_.Size = entry.dwSizeLow;
  currentEntry_.LastModified = FileTimeToLocalDateTime(entry.LastModifiedTime);
  currentEntry_.Expires = FileTimeToLocalDateTime(entry.ExpireTime);
  currentEntry_.LastAccess = FileTimeToLocalDateTime(entry.LastAccessTime);
  currentEntry_.LastSync = FileTimeToLocalDateTime(entry.LastSyncTime);
  currentEntry_.HeaderInfo.clear();
  if (entry.lpHeaderInfo != nullptr) {
    const char* header = reinterpret_cast<const char*>(entry.lpHeaderInfo);
    size_t length = 0;
    while (length < entry.dwHeaderInfoSize && header[length] != '\0') ++length;
    currentEntry_.HeaderInfo.assign(header, length);
  }
  currentEntry_.FileExtension = TextOrEmpty(entry.lpszFileExtension);
  currentEntry_.ExemptDelta = entry.dwExemptDelta;
}

}  // namespace qv
