// Path text: joining, trailing backslashes, file titles, and which folders may be emptied.
#include "util/PathText.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(CombinePath, JoinsOntoDriveAndNetworkBases) {
  struct Case { const char* base; const char* relative; const char* expected; } cases[] = {
      {"C:\\a", "b/c.txt", "C:\\a\\b\\c.txt"},
      {"C:\\a\\", "\\x\\y", "C:\\x\\y"},
      {"C:\\a", "D:\\z", "D:\\z"},
      {"C:\\a", "\\", "C:\\a\\\\"},
      {"C:\\a", "", "C:\\a\\"},
      {"C:/a", "b", "C:\\a\\b"},
      {"\\\\srv\\share\\x", "b\\c", "\\\\srv\\share\\x\\b\\c"},
      {"\\\\srv\\share", "b", "\\\\srv\\share\\b"},
      {"\\\\srv\\share\\x", "\\y", "\\\\srv\\share\\y"},
      // Bases without a drive or a share leave the relative part alone.
      {"\\\\srv", "b", "b"},
      {"relative\\dir", "b", "b"},
      {"", "b/c", "b/c"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.base) + " + " + c.relative);
    EXPECT_EQ(CombinePath(c.base, c.relative), c.expected);
  }
}

TEST(PathText, TrailingBackslashAndFileTitle) {
  EXPECT_EQ(WithTrailingBackslash(""), "");
  EXPECT_EQ(WithTrailingBackslash("C:/a"), "C:\\a\\");
  EXPECT_EQ(WithTrailingBackslash("C:\\a\\"), "C:\\a\\");
  EXPECT_EQ(ExtractFileTitle("C:\\x\\a.b.c"), "a.b");
  EXPECT_EQ(ExtractFileTitle("C:\\x\\name"), "name");
  EXPECT_EQ(ExtractFileTitle(".x"), "");
  EXPECT_EQ(ExtractFileName("C:\\x\\a.b"), "a.b");
  EXPECT_EQ(ExtractFilePath("C:\\x\\a.b"), "C:\\x\\");
  EXPECT_EQ(ExtractFilePath("a.b"), "");
}

TEST(IsDeletableFolder, AcceptsOnlyAbsoluteFoldersBelowARoot) {
  const std::string deep = "C:\\" + std::string(252, 'd') + "\\sub";
  struct Case { std::string folder; bool deletable; } cases[] = {
      {"C:\\Users\\me\\Temp", true},
      {"C:\\Users\\me\\Temp\\", true},
      {"c:/users/me/temp", true},
      {"\\\\srv\\share\\folder", true},
      {"", false},
      {"   ", false},
      {"relative\\folder", false},
      {"C:", false},
      {"C:\\", false},
      {"C:Temp", false},
      {"\\Temp", false},
      {"\\\\srv\\share", false},
      {"\\\\srv\\share\\", false},
      {"\\\\srv", false},
      {"\\\\?\\unix\\tmp", false},
      {"\\\\.\\C:\\x", false},
      {"C:\\a\\..\\..", false},
      {"C:\\a\\.\\b", false},
      {"C:\\a\\*", false},
      {"1:\\a", false},
      {deep, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("[" + c.folder + "]");
    EXPECT_EQ(IsDeletableFolder(c.folder), c.deletable);
  }
}

}  // namespace
}  // namespace qv
