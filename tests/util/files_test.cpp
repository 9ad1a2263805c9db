// Files and folders: the confined folder cleaner, listing, whole-file writes and the atomic
// replace, creation times and the write-access check.
#include "util/Files.h"

#include <gtest/gtest.h>

#include <map>

#include "support/TestFiles.h"
#include "util/Handles.h"

namespace qv {
namespace {

using test::PathExists;
using test::PlantFile;
using test::PlantFolder;
using test::ReadWholeFile;
using test::ScratchFolder;

// Every file below root with its bytes, keyed by its path relative to root.
std::map<std::string, std::string> Snapshot(const std::string& root, const std::string& relative = "") {
  std::map<std::string, std::string> files;
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((root + "\\" + relative + "*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return files;
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = relative + name;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      files[path + "\\"] = "";
      for (auto& [k, v] : Snapshot(root, path + "\\")) files[k] = v;
    } else {
      files[path] = ReadWholeFile(root + "\\" + path);
    }
  } while (FindNextFileA(find, &entry));
  FindClose(find);
  return files;
}

UniqueHandle HoldOpen(const std::string& path) {
  return UniqueHandle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The tree that the host-side fixture script made in the build folder (drive Q:).
const std::string kLinkFixture = "Q:\\fixtures\\links";

TEST(CleanFolderContents, DeletesOnlyInsideTheTargetAndNeverFollowsALink) {
  const std::string target = kLinkFixture + "\\target";
  ASSERT_TRUE(PathExists(target + "\\link-to-sibling\\canary.txt")) << "the link fixture is missing";
  const DWORD linkAttributes = GetFileAttributesA((target + "\\link-to-sibling").c_str());
  ASSERT_TRUE(linkAttributes & FILE_ATTRIBUTE_REPARSE_POINT) << std::hex << linkAttributes;

  PlantFile(target + "\\top.txt");
  PlantFile(target + "\\nested\\a\\b\\deep.txt");
  PlantFolder(target + "\\nested\\empty");
  PlantFile(target + "\\nested\\read-only.txt", "kept");
  SetFileAttributesA((target + "\\nested\\read-only.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  PlantFile(target + "\\open.txt", "in use");
  PlantFile(kLinkFixture + "\\outside.txt", "outside canary");
  const auto outsideBefore = Snapshot(kLinkFixture + "\\sibling");

  {
    UniqueHandle held = HoldOpen(target + "\\open.txt");
    ASSERT_TRUE(held.Valid());
    const FolderCleanup result = CleanFolderContents(target, true);
    EXPECT_TRUE(result.accepted);
    EXPECT_FALSE(result.Complete());
  }

  const auto left = Snapshot(target);
  const std::map<std::string, std::string> expected = {
      {"nested\\", ""}, {"nested\\read-only.txt", "kept"}, {"open.txt", "in use"}};
  // The link itself may stay where the system cannot remove it, but it is never entered.
  auto leftWithoutLink = left;
  for (auto it = leftWithoutLink.begin(); it != leftWithoutLink.end();)
    it = it->first.rfind("link-to-sibling", 0) == 0 ? leftWithoutLink.erase(it) : std::next(it);
  EXPECT_EQ(leftWithoutLink, expected);
  EXPECT_TRUE(PathExists(target));
  EXPECT_EQ(Snapshot(kLinkFixture + "\\sibling"), outsideBefore);
  EXPECT_EQ(ReadWholeFile(kLinkFixture + "\\outside.txt"), "outside canary");

  SetFileAttributesA((target + "\\nested\\read-only.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(CleanFolderContents, RefusesFoldersItCannotConfine) {
  ScratchFolder scratch;
  PlantFile(scratch / "victim.txt");
  const std::string tooLong = scratch.Path() + "\\" + std::string(250, 'x');
  const std::string cases[] = {"", "   ", "victim-folder", ".", "..", "C:", "C:\\", "Q:\\", "\\\\srv\\share",
                               "\\\\srv\\share\\", "\\\\?\\unix\\tmp", tooLong, scratch / "missing",
                               scratch / "victim.txt"};
  for (const auto& folder : cases) {
    SCOPED_TRACE("[" + folder + "]");
    const FolderCleanup result = CleanFolderContents(folder, true);
    EXPECT_FALSE(result.accepted);
    EXPECT_FALSE(DeleteFolderContents(folder, true));
  }
  EXPECT_EQ(ReadWholeFile(scratch / "victim.txt"), "trace");
  EXPECT_TRUE(PathExists("Q:\\tests"));
}

TEST(CleanFolderContents, WithoutRecurseKeepsSubfolders) {
  ScratchFolder scratch;
  PlantFile(scratch / "a.txt");
  PlantFile(scratch / "sub\\b.txt");
  const FolderCleanup result = CleanFolderContents(scratch.Path(), false);
  EXPECT_TRUE(result.Complete());
  EXPECT_FALSE(PathExists(scratch / "a.txt"));
  EXPECT_EQ(ReadWholeFile(scratch / "sub\\b.txt"), "trace");
}

TEST(CleanFolderContents, ReportsAFullCleanWhenNothingResists) {
  ScratchFolder scratch;
  PlantFile(scratch / "a\\b\\c.txt");
  PlantFile(scratch / "d.txt");
  EXPECT_TRUE(CleanFolderContents(scratch.Path(), true).Complete());
  EXPECT_TRUE(Snapshot(scratch.Path()).empty());
  EXPECT_TRUE(PathExists(scratch.Path()));
}

TEST(ListFiles, ListsFilesButNotFolders) {
  ScratchFolder scratch;
  PlantFile(scratch / "a.txt");
  PlantFile(scratch / "b.log");
  PlantFolder(scratch / "c.txt");
  std::vector<std::string> bare, withPath{"kept"};
  ListFiles(scratch / "*.txt", bare, false);
  ListFiles(scratch / "*.*", withPath, true);
  EXPECT_EQ(bare, std::vector<std::string>{"a.txt"});
  std::sort(withPath.begin() + 1, withPath.end());
  EXPECT_EQ(withPath, (std::vector<std::string>{"kept", scratch / "a.txt", scratch / "b.log"}));
}

TEST(WholeFiles, WriteReadAndReplace) {
  ScratchFolder scratch;
  const std::string file = scratch / "f.dat";
  WriteTextFile(" ", file);
  EXPECT_EQ(ReadWholeFile(file), " ");
  WriteTextFile(std::string("a\0b", 3), file);
  std::string content;
  ASSERT_TRUE(ReadFileBytes(file, content));
  EXPECT_EQ(content, std::string("a\0b", 3));

  EXPECT_TRUE(ReplaceFileContents(file, "new content"));
  EXPECT_EQ(ReadWholeFile(file), "new content");
  EXPECT_FALSE(PathExists(file + ".new"));
  EXPECT_FALSE(ReadFileBytes(scratch / "missing", content));
  WriteTextFile("x", scratch / "no\\such\\folder.txt");  // nothing happens, nothing thrown
}

TEST(WholeFiles, AFailedReplaceLeavesTheOldContent) {
  ScratchFolder scratch;
  const std::string file = scratch / "setting.dat";
  PlantFile(file, "old");
  {
    // Held open without delete sharing: the file cannot be replaced while this lasts.
    UniqueHandle held = HoldOpen(file);
    ASSERT_TRUE(held.Valid());
    EXPECT_FALSE(ReplaceFileContents(file, "new"));
  }
  EXPECT_EQ(ReadWholeFile(file), "old");
  EXPECT_FALSE(PathExists(file + ".new"));
  EXPECT_FALSE(ReplaceFileContents(scratch / "missing-folder\\x.dat", "new"));
}

TEST(WholeFiles, ALeftoverStagingFileDoesNotBlockTheReplace) {
  ScratchFolder scratch;
  const std::string file = scratch / "setting.dat";
  PlantFile(file, "old");
  PlantFolder(file + ".new");  // cannot be opened as a file
  EXPECT_TRUE(ReplaceFileContents(file, "new"));
  EXPECT_EQ(ReadWholeFile(file), "new");
  std::vector<std::string> staged;
  ListFiles(scratch / "*.new", staged, false);
  EXPECT_TRUE(staged.empty());
}

TEST(Folders, ForceDirectoriesAndExistence) {
  ScratchFolder scratch;
  EXPECT_TRUE(ForceDirectories(scratch / "a\\b\\c\\"));
  EXPECT_TRUE(DirectoryExists(scratch / "a\\b\\c"));
  EXPECT_FALSE(FileExists(scratch / "a"));
  PlantFile(scratch / "f");
  EXPECT_TRUE(FileExists(scratch / "f"));
  EXPECT_FALSE(DirectoryExists(scratch / "f"));
}

TEST(FileTimes, CreationTimeOfFilesAndFoldersAndItsDateTime) {
  ScratchFolder scratch;
  PlantFile(scratch / "f");
  FILETIME time{};
  EXPECT_TRUE(GetFileCreationTime(scratch / "f", time));
  EXPECT_TRUE(GetFileCreationTime(scratch.Path(), time));
  EXPECT_FALSE(GetFileCreationTime(scratch / "missing", time));

  // 2 January 2001 12:00 UTC is day 36893.5 counted from 30 December 1899.
  SYSTEMTIME noon{2001, 1, 2, 2, 12, 0, 0, 0};
  FILETIME fileTime{};
  ASSERT_TRUE(SystemTimeToFileTime(&noon, &fileTime));
  EXPECT_DOUBLE_EQ(FileTimeToDateTime(fileTime), 36893.5);
  SYSTEMTIME epoch{1899, 12, 0, 30, 0, 0, 0, 0};
  EXPECT_DOUBLE_EQ(SystemTimeToDateTime(epoch), 0.0);
}

TEST(HasFileAccess, GrantsWriteOnOwnFoldersAndDeniesMissingPaths) {
  ScratchFolder scratch;
  const std::wstring folder(scratch.Path().begin(), scratch.Path().end());
  EXPECT_TRUE(HasFileAccess(GENERIC_WRITE, folder));
  EXPECT_TRUE(HasFileAccess(GENERIC_READ, folder));
  EXPECT_FALSE(HasFileAccess(GENERIC_WRITE, folder + L"\\missing"));
}

}  // namespace
}  // namespace qv
