// Proves that a test process under Wine cannot reach the host: no drive letter leads to the
// host's root folder or to the repository's work tree, and the working folder is scratch space.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> DriveRoots() {
  std::vector<std::string> roots;
  const DWORD mask = GetLogicalDrives();
  for (int i = 0; i < 26; ++i)
    if (mask & (1u << i)) roots.push_back(std::string(1, char('A' + i)) + ":\\");
  return roots;
}

// The host path of the work tree, cut into the suffixes under which it would appear if some
// drive mapped the folder itself or any folder above it: "work\main", "main", "".
std::vector<std::string> WorkTreeSuffixes() {
  std::string tree = QV_SOURCE_DIR;
  for (char& c : tree)
    if (c == '/') c = '\\';
  std::vector<std::string> suffixes;
  std::string rest = tree.substr(1);
  while (true) {
    suffixes.push_back(rest);
    const auto slash = rest.find('\\');
    if (slash == std::string::npos) break;
    rest = rest.substr(slash + 1);
  }
  suffixes.push_back("");
  return suffixes;
}

TEST(Sandbox, NoDriveReachesTheHostRoot) {
  for (const auto& root : DriveRoots()) {
    SCOPED_TRACE(root);
    EXPECT_FALSE(Exists(root + "etc\\passwd"));
    EXPECT_FALSE(Exists(root + "proc\\self"));
    EXPECT_FALSE(Exists(root + "usr\\bin"));
  }
}

TEST(Sandbox, NoDriveReachesTheWorkTree) {
  const std::string marker = "tests\\sandbox\\wine-sandbox";
  for (const auto& root : DriveRoots())
    for (const auto& suffix : WorkTreeSuffixes()) {
      const std::string path = root + (suffix.empty() ? "" : suffix + "\\") + marker;
      EXPECT_FALSE(Exists(path)) << path;
    }
}

TEST(Sandbox, HasOnlyTheSystemAndBuildDrives) {
  std::vector<std::string> fixed;
  for (const auto& root : DriveRoots())
    if (GetDriveTypeA(root.c_str()) != DRIVE_NO_ROOT_DIR) fixed.push_back(root);
  EXPECT_EQ(fixed, (std::vector<std::string>{"C:\\", "Q:\\"}));
}

TEST(Sandbox, WorksInsideTheScratchFolder) {
  char cwd[MAX_PATH] = {};
  ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, cwd), 0u);
  EXPECT_STREQ(cwd, "Q:\\sandbox\\scratch");
}

}  // namespace
