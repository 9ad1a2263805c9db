// The removal routines against real traces planted in the sandbox: the temporary folder, the
// Recycle Bin, the clipboard, the Temporary Internet Files folder, the URL cache and the
// stored form passwords. Each test checks that exactly the trace went, that a canary beside
// it stayed, and that a trace which could not be removed is reported.
#include <windows.h>
#include <shellapi.h>
#include <gtest/gtest.h>
#include <wininet.h>

#include <algorithm>

#include "support/TraceFixtures.h"
#include "cleaning/uCC.h"
#include "support/TestFiles.h"
#include "support/TraceCapture.h"
#include "util/Registry.h"

namespace qv {
namespace {

using test::PathExists;
using test::PlantFile;
using test::ReadWholeFile;
using test::ScratchFolder;

// A folder of planted trace files with one held open, and a canary file beside the folder.
struct PlantedFolder {
  explicit PlantedFolder(const std::string& folder) : path(folder) {
    PlantFile(path + "\\a.tmp");
    PlantFile(path + "\\sub\\b.tmp");
    PlantFile(path + "\\sub\\deeper\\c.tmp");
    PlantFile(path + "\\hidden.tmp");
    SetFileAttributesA((path + "\\hidden.tmp").c_str(), FILE_ATTRIBUTE_HIDDEN);
    test::PlantFolder(path + "\\empty");
    PlantFile(path + "\\in-use.tmp");
    PlantFile(path + "-canary.txt", "kept");
  }
  ~PlantedFolder() { DeleteFileA((path + "-canary.txt").c_str()); }

  // After a run with in-use.tmp held: everything else is gone.
  void ExpectOnlyHeldFileLeft() const {
    EXPECT_TRUE(PathExists(path));
    EXPECT_TRUE(PathExists(path + "\\in-use.tmp"));
    for (const char* gone : {"a.tmp", "sub", "hidden.tmp", "empty"}) EXPECT_FALSE(PathExists(path + "\\" + gone)) << gone;
    EXPECT_EQ(ReadWholeFile(path + "-canary.txt"), "kept");
  }

  std::string path;
};

TEST(EmptyTempFolder, EmptiesTheTemporaryFolderAndReportsAFileInUse) {
  ScratchFolder scratch;
  const std::string temp = scratch / "Temp";
  PlantedFolder planted(temp);
  test::EnvironmentOverride tmp("TMP", temp + "\\");
  test::EnvironmentOverride tempVariable("TEMP", temp + "\\");

  {
    test::HeldFile held(temp + "\\in-use.tmp");
    EXPECT_FALSE(EmptyTempFolder());
    planted.ExpectOnlyHeldFileLeft();
  }
  EXPECT_TRUE(EmptyTempFolder());
  EXPECT_FALSE(PathExists(temp + "\\in-use.tmp"));
  EXPECT_TRUE(PathExists(temp));
}

TEST(DeleteIETemporaryFiles, EmptiesTheCacheFolderAndReportsAFileInUse) {
  ScratchFolder scratch;
  const std::string cache = scratch / "INetCache";
  PlantedFolder planted(cache);
  PlantFile(cache + "\\Content.IE5\\ABCD1234\\page[1].htm");
  test::ShellFolderOverride shellFolder("Cache", cache);

  {
    test::HeldFile held(cache + "\\in-use.tmp");
    EXPECT_FALSE(DeleteIETemporaryFiles());
    planted.ExpectOnlyHeldFileLeft();
    EXPECT_FALSE(PathExists(cache + "\\Content.IE5"));
  }
  EXPECT_TRUE(DeleteIETemporaryFiles());
  EXPECT_FALSE(PathExists(cache + "\\in-use.tmp"));
  EXPECT_TRUE(PathExists(cache));
}

TEST(DeleteIETemporaryFiles, NeverActsOnTheCurrentFolder) {
  // The test's working folder is a scratch folder of the sandbox; whatever lies there stays.
  const std::string relative = "QvRelativeCache" + std::to_string(GetCurrentProcessId());
  PlantFile(relative + "\\kept.txt", "kept");
  PlantFile("QvCurrentFolderCanary.txt", "kept");
  struct Case {
    const char* name;
    std::optional<std::string> value;
    bool complete;
  } cases[] = {
      {"relative folder", relative, false},
      {"drive-relative folder", "\\" + relative, false},
      {"drive root", std::string("C:\\"), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::ShellFolderOverride shellFolder("Cache", c.value);
    EXPECT_EQ(DeleteIETemporaryFiles(), c.complete);
    EXPECT_EQ(ReadWholeFile(relative + "\\kept.txt"), "kept");
    EXPECT_EQ(ReadWholeFile("QvCurrentFolderCanary.txt"), "kept");
  }
  if (GetCommonShellFolder("Cache").empty()) {
    test::ShellFolderOverride unregistered("Cache", std::nullopt);
    EXPECT_TRUE(DeleteIETemporaryFiles());  // no cache folder, no trace
    EXPECT_EQ(ReadWholeFile("QvCurrentFolderCanary.txt"), "kept");
  }
  test::RemoveTree(relative);
  DeleteFileA("QvCurrentFolderCanary.txt");
}

int RecycleBinItems() {
  SHQUERYRBINFO info{};
  info.cbSize = sizeof info;
  if (FAILED(SHQueryRecycleBinA("", &info))) return -1;
  return int(info.i64NumItems);
}

bool SendToRecycleBin(const std::string& path) {
  std::string from = path;
  from.push_back('\0');  // the list ends with two NULs
  SHFILEOPSTRUCTA operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  return SHFileOperationA(&operation) == 0;
}

TEST(EmptyRecycleBin, EmptiesTheBinAndLeavesFilesOutsideIt) {
  ScratchFolder scratch;
  // Files only: Wine's bin cannot empty folders sent to it, and would keep them for good.
  PlantFile(scratch / "deleted.txt");
  PlantFile(scratch / "also deleted.doc");
  PlantFile(scratch / "canary.txt", "kept");
  ASSERT_TRUE(SendToRecycleBin(scratch / "deleted.txt"));
  ASSERT_TRUE(SendToRecycleBin(scratch / "also deleted.doc"));
  ASSERT_GE(RecycleBinItems(), 2);

  EXPECT_TRUE(EmptyRecycleBin());
  EXPECT_EQ(RecycleBinItems(), 0);
  EXPECT_EQ(ReadWholeFile(scratch / "canary.txt"), "kept");
  EXPECT_TRUE(EmptyRecycleBin()) << "an empty bin is an emptied bin";
}

TEST(ClearClipboard, RemovesTheClipboardText) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  const char text[] = "account number 1234";
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
  memcpy(GlobalLock(memory), text, sizeof text);
  GlobalUnlock(memory);
  ASSERT_NE(SetClipboardData(CF_TEXT, memory), nullptr);
  CloseClipboard();
  ASSERT_TRUE(IsClipboardFormatAvailable(CF_TEXT));

  EXPECT_TRUE(ClearClipboard());
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
}

TEST(ClearClipboard, ReportsAClipboardHeldByAnotherWindow) {
  ASSERT_TRUE(OpenClipboard(GetDesktopWindow()));
  EXPECT_FALSE(ClearClipboard());
  CloseClipboard();
}

const std::string kStorage2 = "Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage2";

TEST(DeleteIEStoredPasswords, RemovesTheStoredPasswordValuesOnly) {
  test::RegistryKeyGuard guard(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\IntelliForms");
  EXPECT_TRUE(DeleteIEStoredPasswords()) << "no stored passwords, nothing to remove";

  for (int i = 0; i < 40; ++i)  // more than one enumeration pass would reach while deleting
    test::SetRegistryBinary(HKEY_CURRENT_USER, kStorage2, "E1A2B3C4D5" + std::to_string(i), "encrypted");
  test::SetRegistryBinary(HKEY_CURRENT_USER, kStorage2 + "\\QvCanarySub", "x", "kept");
  test::SetRegistryBinary(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage1",
                          "F00D", "form data of another item");

  EXPECT_TRUE(DeleteIEStoredPasswords());
  EXPECT_TRUE(test::RegistryKeyExists(HKEY_CURRENT_USER, kStorage2));
  EXPECT_EQ(test::RegistryValueNames(HKEY_CURRENT_USER, kStorage2), std::vector<std::string>{});
  EXPECT_EQ(test::ReadRegistryValue(HKEY_CURRENT_USER, kStorage2 + "\\QvCanarySub", "x"), "kept");
  EXPECT_EQ(test::RegistryValueNames(HKEY_CURRENT_USER,
                                     "Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage1"),
            std::vector<std::string>{"F00D"});
}

// The URL cache is the sandbox's real WinINet cache: each test starts by removing what an
// earlier purge would, and removes its own leftovers at the end.
class PurgeUrlCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PurgeUrlCache();
    for (const auto& url : test::CachedUrls()) DeleteUrlCacheEntryA(url.c_str());
    ASSERT_EQ(test::CachedUrls(), std::vector<std::string>{}) << "the sandbox's cache is not empty";
  }
  void TearDown() override {
    for (const auto& url : test::CachedUrls()) DeleteUrlCacheEntryA(url.c_str());
  }
};

// Wine's cache adds the normal bit to every entry it is given, so here every kind goes; the
// fake cache of the enumerator's tests shows the other kinds staying.
TEST_F(PurgeUrlCacheTest, DeletesEveryEntryWithTheNormalCookieOrHistoryBit) {
  const struct {
    const char* url;
    DWORD type;
  } cases[] = {
      {"http://normal.example/page.htm", NORMAL_CACHE_ENTRY},
      {"Cookie:user@cookie.example/", COOKIE_CACHE_ENTRY},
      {"Visited:user@http://visited.example/", URLHISTORY_CACHE_ENTRY},
      {"http://stable.example/", 0x00000002},
      {"http://sticky.example/", STICKY_CACHE_ENTRY},
      {"http://offline.example/", 0x00000010},
      {"http://online.example/", 0x00000020},
      {"http://sparse.example/", SPARSE_CACHE_ENTRY},
      {"http://ocx.example/", 0x00020000},
  };
  std::vector<DWORD> stored;
  for (const auto& c : cases) {
    ASSERT_TRUE(test::CommitCacheEntry(c.url, c.type)) << c.url;
    stored.push_back(test::CacheEntryType(c.url));
  }

  EXPECT_TRUE(PurgeUrlCache());

  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].url);
    const bool purged = (stored[i] & (NORMAL_CACHE_ENTRY | COOKIE_CACHE_ENTRY | URLHISTORY_CACHE_ENTRY)) != 0;
    EXPECT_EQ(test::CacheEntryExists(cases[i].url), !purged);
  }
}

TEST_F(PurgeUrlCacheTest, TracesTheEmptyCacheSequence) {
  test::TraceCapture capture;
  EXPECT_TRUE(PurgeUrlCache());
  const std::vector<std::string> expected = {"FindFirstUrlCacheEntry", "GetMem",  "FindFirstUrlCacheEntry",
                                             "repeat end",             "FreeMem", "FindCloseUrlCache"};
  EXPECT_EQ(capture.Texts(), expected);
}

TEST_F(PurgeUrlCacheTest, TracesOneFullEntryCycle) {
  ASSERT_TRUE(test::CommitCacheEntry("http://traced.example/", NORMAL_CACHE_ENTRY));
  test::TraceCapture capture;
  EXPECT_TRUE(PurgeUrlCache());
  const std::vector<std::string> expected = {
      "FindFirstUrlCacheEntry",
      "GetMem",
      "FindFirstUrlCacheEntry",
      std::string(51, '='),
      "Delete --- http://traced.example/",
      "Repeat",
      "FreeMem",
      "FindNextUrlCacheEntry",
      "GetMem",
      "repeat end",
      "FreeMem",
      "FindCloseUrlCache",
  };
  EXPECT_EQ(capture.Texts(), expected);
  EXPECT_FALSE(test::CacheEntryExists("http://traced.example/"));
}

}  // namespace
}  // namespace qv
