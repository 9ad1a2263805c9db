// The cache enumerator's filter arithmetic, search patterns and walks, over a fake cache
// handed in through its WinINet entry-point table (Wine's extended enumeration finds nothing).
#include "cleaning/IECache.h"
#include "cleaning/uCC.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace qv {
namespace {

// A cache of its own: entries with a URL and a type; the enumeration lists the entries that
// match the filter and the pattern when the walk starts, as WinINet does.
struct FakeCache {
  struct Entry {
    std::string url;
    DWORD type;
  };
  std::vector<Entry> entries;
  bool libraryFound = true;
  DWORD nextFailure = 0;  // when set, every FindNext fails with this error
  int findNextCalls = 0;
  int closeCalls = 0;
  HANDLE closedHandle = INVALID_HANDLE_VALUE;
  std::optional<std::string> lastPattern;  // nullopt: a null pattern was passed
  bool patternWasNull = false;
  DWORD lastFilter = 0xFFFFFFFF;
  std::map<std::string, int> deletions;
  std::set<std::string> stuck;  // entries in use: their deletion fails
  std::vector<std::string> walk;  // URLs of the running enumeration
  size_t position = 0;

  static FakeCache* current;

  bool Matches(const Entry& entry, const char* pattern, DWORD filter) const {
    if ((entry.type & filter) == 0) return false;
    return pattern == nullptr || entry.url.compare(0, std::strlen(pattern), pattern) == 0;
  }

  // Fills the caller's buffer the way WinINet does: the size query fails with 122.
  static BOOL Fill(const std::string& url, DWORD type, LPINTERNET_CACHE_ENTRY_INFOA info, LPDWORD size) {
    const DWORD needed = DWORD(sizeof(INTERNET_CACHE_ENTRY_INFOA) + url.size() + 1);
    if (info == nullptr || *size < needed) {
      *size = needed;
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return FALSE;
    }
    std::memset(info, 0, sizeof *info);
    char* text = reinterpret_cast<char*>(info + 1);
    std::memcpy(text, url.c_str(), url.size() + 1);
    info->dwStructSize = sizeof *info;
    info->lpszSourceUrlName = text;
    info->CacheEntryType = type;
    info->dwSizeLow = 1234;
    info->dwUseCount = 3;
    return TRUE;
  }

  DWORD TypeOf(const std::string& url) const {
    for (const auto& entry : entries)
      if (entry.url == url) return entry.type;
    return 0;
  }

  static bool CheckLibrary() { return current->libraryFound; }
  static HANDLE WINAPI FindFirst(LPCSTR pattern, DWORD, DWORD filter, GROUPID, LPINTERNET_CACHE_ENTRY_INFOA info,
                                 LPDWORD size, LPVOID, LPDWORD, LPVOID) {
    FakeCache& cache = *current;
    cache.patternWasNull = pattern == nullptr;
    cache.lastPattern = pattern ? std::optional<std::string>(pattern) : std::nullopt;
    cache.lastFilter = filter;
    cache.walk.clear();
    for (const auto& entry : cache.entries)
      if (cache.Matches(entry, pattern, filter)) cache.walk.push_back(entry.url);
    cache.position = 0;
    if (cache.walk.empty()) {
      SetLastError(ERROR_NO_MORE_ITEMS);
      return nullptr;
    }
    if (!Fill(cache.walk[0], cache.TypeOf(cache.walk[0]), info, size)) return nullptr;
    return reinterpret_cast<HANDLE>(0x5150);
  }
  static BOOL WINAPI FindNext(HANDLE, LPINTERNET_CACHE_ENTRY_INFOA info, LPDWORD size, LPVOID, LPDWORD, LPVOID) {
    FakeCache& cache = *current;
    ++cache.findNextCalls;
    if (cache.nextFailure != 0) {
      SetLastError(cache.nextFailure);
      return FALSE;
    }
    if (cache.position + 1 >= cache.walk.size()) {
      SetLastError(ERROR_NO_MORE_ITEMS);
      return FALSE;
    }
    const std::string& url = cache.walk[cache.position + 1];
    if (!Fill(url, cache.TypeOf(url), info, size)) return FALSE;
    ++cache.position;
    return TRUE;
  }
  // The plain enumeration lists every entry, whatever its kind.
  static HANDLE WINAPI PlainFirst(LPCSTR pattern, LPINTERNET_CACHE_ENTRY_INFOA info, LPDWORD size) {
    return FindFirst(pattern, 0, 0xFFFFFFFF, 0, info, size, nullptr, nullptr, nullptr);
  }
  static BOOL WINAPI PlainNext(HANDLE handle, LPINTERNET_CACHE_ENTRY_INFOA info, LPDWORD size) {
    return FindNext(handle, info, size, nullptr, nullptr, nullptr);
  }
  static BOOL WINAPI Delete(LPCSTR url) {
    FakeCache& cache = *current;
    ++cache.deletions[url];
    if (cache.stuck.count(url) != 0) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    for (auto it = cache.entries.begin(); it != cache.entries.end(); ++it)
      if (it->url == url) {
        cache.entries.erase(it);
        return TRUE;
      }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  static BOOL WINAPI Close(HANDLE handle) {
    ++current->closeCalls;
    current->closedHandle = handle;
    return TRUE;
  }
};
FakeCache* FakeCache::current = nullptr;

const TUrlCacheApi kFakeApi = {&FakeCache::CheckLibrary, &FakeCache::PlainFirst, &FakeCache::PlainNext,
                               &FakeCache::FindFirst,    &FakeCache::FindNext,   &FakeCache::Delete,
                               &FakeCache::Close};

class IECacheTest : public ::testing::Test {
 protected:
  IECacheTest() { FakeCache::current = &cache; }
  ~IECacheTest() override {
    owned.reset();  // closes a walk left open, still through the fake
    FakeCache::current = nullptr;
  }
  FakeCache cache;
  std::unique_ptr<TIECache> owned = TComponent::MakeUnowned<TIECache>(kFakeApi);
  TIECache& walker = *owned;
};

TEST(IECacheFilter, SumsTheBitsOfTheChosenKinds) {
  using enum TFilterOption;
  struct Case {
    const char* name;
    TFilterOptions options;
    DWORD filter;
  } cases[] = {
      {"main window's set", TIECache::kDefaultFilterOptions, 0x00300035},
      {"empty set", TFilterOptions{}, 0},
      {"one kind", {COOKIE_ENTRY}, 0x00100000},
      {"every kind",
       {NORMAL_ENTRY, STABLE_ENTRY, STICKY_ENTRY, COOKIE_ENTRY, URLHISTORY_ENTRY, TRACK_OFFLINE_ENTRY,
        TRACK_ONLINE_ENTRY, SPARSE_ENTRY, OCX_ENTRY},
       0x00330037},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto walker = TComponent::MakeUnowned<TIECache>();
    walker->SetFilterOptions(c.options);
    EXPECT_EQ(walker->CacheFilter(), c.filter);
    EXPECT_EQ(walker->FilterOptions(), c.options);
  }
}

TEST(IECacheFilter, ANewEnumeratorHoldsTheDefaultSetButNoFilterYet) {
  auto walker = TComponent::MakeUnowned<TIECache>();
  EXPECT_EQ(walker->FilterOptions(), TIECache::kDefaultFilterOptions);
  EXPECT_EQ(walker->CacheFilter(), 0u);
  EXPECT_EQ(walker->SearchPattern, TSearchPattern::spAll);
  EXPECT_EQ(walker->EnumHandle(), nullptr);
}

TEST(IECacheComponent, PublishesItsPropertiesAndComputesTheFilterWhenTheSetIsWritten) {
  auto cache = TComponent::MakeUnowned<TIECache>();
  EXPECT_EQ(cache->ClassName(), "TIECache");
  std::vector<std::string> names;
  for (const PropertyInfo* property : GetPropList(*cache)) names.push_back(property->name + ":" + property->typeName);
  for (const char* expected : {"FilterOptions:TFilterOptions", "SearchPattern:TSearchPattern",
                               "LibraryFound:Boolean", "OnEntry:TOnEntryEvent", "OnGroup:TOnGroupEvent"})
    EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
  EXPECT_TRUE(FindProperty(*cache, "LibraryFound")->ReadOnly());

  // What the main window's stored description does.
  SetOrdProp(*cache, "FilterOptions", int64_t(TIECache::kDefaultFilterOptions.Bits()));
  SetOrdProp(*cache, "SearchPattern", int64_t(TSearchPattern::spAll));
  EXPECT_EQ(cache->CacheFilter(), 0x00300035u);
  EXPECT_EQ(GetOrdProp(*cache, "LibraryFound"), 1);
}

TEST_F(IECacheTest, PassesEachSearchPatternAsItsText) {
  struct Case {
    TSearchPattern pattern;
    const char* text;  // nullptr: a null pattern
  } cases[] = {{TSearchPattern::spAll, nullptr},
               {TSearchPattern::spCookies, "Cookie:"},
               {TSearchPattern::spHistory, "Visited:"},
               {TSearchPattern::spUrl, ""}};
  walker.SetFilterOptions(TIECache::kDefaultFilterOptions);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text ? c.text : "(null)");
    walker.SearchPattern = c.pattern;
    walker.FindFirstEntry(0);
    EXPECT_EQ(cache.patternWasNull, c.text == nullptr);
    if (c.text != nullptr) {
      EXPECT_EQ(cache.lastPattern, c.text);
    }
    EXPECT_EQ(cache.lastFilter, 0x00300035u);
  }
}

TEST_F(IECacheTest, FindFirstStoresTheEntryAndReportsAnEmptyWalk) {
  EXPECT_EQ(walker.FindFirstEntry(0), DWORD(ERROR_NO_MORE_ITEMS));
  EXPECT_EQ(walker.EnumHandle(), nullptr);

  cache.entries = {{"http://one.example/", 0x1}};
  walker.SetFilterOptions({TFilterOption::NORMAL_ENTRY});
  ASSERT_EQ(walker.FindFirstEntry(0), 0u);
  EXPECT_EQ(walker.CurrentEntry().SourceUrlName, "http://one.example/");
  EXPECT_EQ(walker.CurrentEntry().EntryType, 0x1u);
  EXPECT_EQ(walker.CurrentEntry().Size, 1234u);
  EXPECT_EQ(walker.CurrentEntry().UseCount, 3u);
  EXPECT_EQ(walker.CurrentEntry().LastModified, 0.0);  // zero file times give no date
  EXPECT_EQ(walker.FindNextEntry(), DWORD(ERROR_NO_MORE_ITEMS));
  owned.reset();
  EXPECT_EQ(cache.closeCalls, 1) << "the walk left open is closed with the component";
}

TEST_F(IECacheTest, DeleteAllDeletesEveryMatchingEntryOnceAndClosesTheWalk) {
  cache.entries = {{"http://a.example/", 0x1},         {"Cookie:user@a.example/", 0x00100001},
                   {"Visited:user@http://b.example/", 0x00200001}, {"http://sticky.example/", 0x4},
                   {"http://ocx.example/", 0x00020000}, {"http://c.example/", 0x1}};
  walker.SetFilterOptions(TIECache::kDefaultFilterOptions);
  walker.SearchPattern = TSearchPattern::spUrl;

  EXPECT_TRUE(walker.DeleteAllEntries());
  const std::map<std::string, int> expected = {{"http://a.example/", 1},
                                               {"Cookie:user@a.example/", 1},
                                               {"Visited:user@http://b.example/", 1},
                                               {"http://sticky.example/", 1},
                                               {"http://c.example/", 1}};
  EXPECT_EQ(cache.deletions, expected);
  ASSERT_EQ(cache.entries.size(), 1u);  // the OCX entry is outside the filter
  EXPECT_EQ(cache.entries[0].url, "http://ocx.example/");
  EXPECT_EQ(cache.closeCalls, 1);
  EXPECT_EQ(cache.closedHandle, reinterpret_cast<HANDLE>(0x5150));
  EXPECT_EQ(walker.EnumHandle(), nullptr);
  EXPECT_TRUE(walker.CurrentEntry().SourceUrlName.empty());
}

TEST_F(IECacheTest, DeleteAllOnACacheWithNothingMatchingClosesTheZeroHandle) {
  cache.entries = {{"http://ocx.example/", 0x00020000}};
  walker.SetFilterOptions(TIECache::kDefaultFilterOptions);
  EXPECT_TRUE(walker.DeleteAllEntries());
  EXPECT_TRUE(cache.deletions.empty());
  EXPECT_EQ(cache.closeCalls, 1);
  EXPECT_EQ(cache.closedHandle, nullptr);
}

TEST_F(IECacheTest, AWalkWhoseNextCallKeepsFailingEnds) {
  cache.entries = {{"http://a.example/", 0x1}, {"http://b.example/", 0x1}};
  cache.nextFailure = ERROR_INVALID_HANDLE;
  walker.SetFilterOptions(TIECache::kDefaultFilterOptions);

  EXPECT_FALSE(walker.DeleteAllEntries());  // b was never reached
  EXPECT_EQ(cache.findNextCalls, 2);        // one size query, one call with the buffer
  EXPECT_EQ(cache.deletions, (std::map<std::string, int>{{"http://a.example/", 1}}));
  EXPECT_EQ(cache.closeCalls, 1);
}

TEST_F(IECacheTest, AFailedDeletionIsReportedAndTheWalkGoesOn) {
  cache.entries = {{"http://in-use.example/", 0x1}, {"http://b.example/", 0x1}};
  cache.stuck = {"http://in-use.example/"};
  walker.SetFilterOptions(TIECache::kDefaultFilterOptions);

  ASSERT_EQ(walker.FindFirstEntry(0), 0u);
  EXPECT_EQ(walker.DeleteEntry("http://in-use.example/"), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_EQ(walker.CurrentEntry().SourceUrlName, "http://in-use.example/");  // kept on failure

  EXPECT_FALSE(walker.DeleteAllEntries());
  EXPECT_EQ(cache.deletions["http://b.example/"], 1);
  ASSERT_EQ(cache.entries.size(), 1u);
  EXPECT_EQ(cache.entries[0].url, "http://in-use.example/");
}

TEST_F(IECacheTest, WithoutTheLibraryEveryOperationIsInert) {
  cache.libraryFound = false;
  cache.entries = {{"http://a.example/", 0x1}};
  walker.SetFilterOptions(TIECache::kDefaultFilterOptions);
  EXPECT_FALSE(walker.LibraryFound());
  EXPECT_EQ(walker.FindFirstEntry(0), 2u);
  EXPECT_EQ(walker.FindNextEntry(), 2u);
  EXPECT_EQ(walker.DeleteEntry("http://a.example/"), 0u);
  walker.DeleteAllEntries();
  EXPECT_TRUE(cache.deletions.empty());
  EXPECT_EQ(cache.closeCalls, 0);
}

// The purge over the same fake: unlike Wine's cache it keeps entries of every kind apart.
TEST_F(IECacheTest, PurgeDeletesNormalCookieAndHistoryEntriesAndKeepsTheOtherKinds) {
  cache.entries = {{"http://normal.example/", 0x1},           {"Cookie:user@cookie.example/", 0x00100000},
                   {"Visited:user@http://v.example/", 0x00200000}, {"http://sticky-normal.example/", 0x5},
                   {"http://stable.example/", 0x2},           {"http://sticky.example/", 0x4},
                   {"http://offline.example/", 0x10},         {"http://online.example/", 0x20},
                   {"http://sparse.example/", 0x00010000},    {"http://ocx.example/", 0x00020000}};
  EXPECT_TRUE(PurgeUrlCache(kFakeApi));
  std::vector<std::string> left;
  for (const auto& entry : cache.entries) left.push_back(entry.url);
  EXPECT_EQ(left, (std::vector<std::string>{"http://stable.example/", "http://sticky.example/",
                                            "http://offline.example/", "http://online.example/",
                                            "http://sparse.example/", "http://ocx.example/"}));
  EXPECT_EQ(cache.closeCalls, 1);
}

TEST_F(IECacheTest, PurgeReportsAnEntryItCouldNotDeleteOrReach) {
  cache.entries = {{"http://in-use.example/", 0x1}, {"http://b.example/", 0x1}};
  cache.stuck = {"http://in-use.example/"};
  EXPECT_FALSE(PurgeUrlCache(kFakeApi));
  EXPECT_EQ(cache.deletions["http://b.example/"], 1);

  cache.stuck.clear();
  cache.entries = {{"http://a.example/", 0x1}, {"http://unreached.example/", 0x1}};
  cache.nextFailure = ERROR_INVALID_HANDLE;
  EXPECT_FALSE(PurgeUrlCache(kFakeApi));
  EXPECT_EQ(cache.deletions.count("http://unreached.example/"), 0u);
}

TEST(IECacheLibrary, TheSystemOffersTheGroupAndExtendedFunctions) { EXPECT_TRUE(CheckLibrary()); }

TEST(FileTimeToLocalDateTime, ConvertsThroughTheLocalTimeAndGivesZeroForNoTime) {
  EXPECT_EQ(FileTimeToLocalDateTime(FILETIME{0, 0}), 0.0);

  SYSTEMTIME utc{2009, 3, 0, 14, 12, 30, 0, 0};
  FILETIME fileTime, local;
  ASSERT_TRUE(SystemTimeToFileTime(&utc, &fileTime));
  ASSERT_TRUE(FileTimeToLocalFileTime(&fileTime, &local));
  SYSTEMTIME expectedTime;
  ASSERT_TRUE(FileTimeToSystemTime(&local, &expectedTime));
  TDateTime expected = 0;
  ASSERT_TRUE(TryEncodeDate(expectedTime.wYear, expectedTime.wMonth, expectedTime.wDay, expected));
  expected += EncodeTime(expectedTime.wHour, expectedTime.wMinute, expectedTime.wSecond, 0);
  EXPECT_DOUBLE_EQ(FileTimeToLocalDateTime(fileTime), expected);
}

}  // namespace
}  // namespace qv
