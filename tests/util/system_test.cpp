// The program's own location, the registry readers, starting programs and the single-instance
// mutex, all against the real system inside the sandbox.
#include <gtest/gtest.h>

#include "support/TestFiles.h"
#include "util/Files.h"
#include "util/Handles.h"
#include "util/Paths.h"
#include "util/Processes.h"
#include "util/Registry.h"

namespace qv {
namespace {

using test::ReadWholeFile;
using test::ScratchFolder;

TEST(ProgramLocation, ExeFolderHasATrailingBackslash) {
  EXPECT_EQ(GetExeFileName(), "Q:\\tests\\test_util.exe");
  EXPECT_EQ(GetExeDir(), "Q:\\tests\\");
  EXPECT_EQ(GetExeDirNoBackslash(), "Q:\\tests");
  const std::string temp = GetTempFolder();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '\\');
  EXPECT_EQ(ToLongPath("Q:\\no\\such\\file"), "Q:\\no\\such\\file");
}

TEST(ProgramLocation, UniqueFileNamesNameNothingThatExists) {
  ScratchFolder scratch;
  for (int i = 0; i < 20; ++i) {
    const std::string path = MakeUniqueFileName(scratch.Path(), "upd", "tmp");
    ASSERT_EQ(path.rfind(scratch.Path() + "\\upd", 0), 0u) << path;
    ASSERT_EQ(path.substr(path.size() - 4), ".tmp");
    EXPECT_FALSE(test::PathExists(path));
    test::PlantFile(path);
  }
}

// A key of our own under HKEY_CURRENT_USER, removed again afterwards.
class RegistryKey : public ::testing::Test {
 protected:
  const std::string path = "Software\\QuorvaneTests\\Registry";
  void SetUp() override {
    RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr);
  }
  void TearDown() override {
    key.Reset();
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QuorvaneTests");
  }
  void Set(const char* name, DWORD type, const void* data, DWORD size) {
    RegSetValueExA(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size);
  }
  RegKey key;
};

TEST_F(RegistryKey, ReadsStringsAndFallsBackOtherwise) {
  Set("text", REG_SZ, "value", 6);
  Set("expand", REG_EXPAND_SZ, "%TEMP%\\x", 10);
  Set("", REG_SZ, "default value", 14);
  const DWORD number = 7;
  Set("number", REG_DWORD, &number, sizeof number);
  Set("unterminated", REG_SZ, "abc", 3);

  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, path, "text", "fb"), "value");
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, path, "expand", "fb"), "%TEMP%\\x");
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, path, "", "fb"), "default value");
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, path, "unterminated", "fb"), "abc");
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, path, "number", "fb"), "fb");
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, path, "missing", "fb"), "fb");
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, path + "\\missing", "text", "fb"), "fb");
}

TEST(ShellFolders, UserFoldersFallBackToTheMachineWideOnes) {
  EXPECT_FALSE(GetUserShellFolder("AppData").empty());
  EXPECT_FALSE(GetCommonShellFolder("Common AppData").empty());
  // Only the machine-wide key has "Common AppData", so the per-user lookup falls back to it.
  EXPECT_EQ(GetUserShellFolder("Common AppData"), GetCommonShellFolder("Common AppData"));
  EXPECT_EQ(GetUserShellFolder("No Such Folder"), "");
}

const std::string kRecorder = "Q:\\helpers\\record_command_line.exe";

TEST(RunProgram, QuotesTheProgramAndStartsInItsFolder) {
  ScratchFolder scratch;
  const std::string out = scratch / "run.txt";
  ASSERT_TRUE(RunProgram(kRecorder, out, true, true, 10000));
  EXPECT_EQ(ReadWholeFile(out), "\"" + kRecorder + "\" " + out + "\nQ:\\helpers\n");

  // A relative program is found below the exe folder (Q:\tests\).
  ASSERT_TRUE(RunProgram("..\\helpers\\record_command_line.exe", out, true, true, 10000));
  EXPECT_EQ(ReadWholeFile(out).substr(0, 12), "\"Q:\\tests\\..");

  // An empty program makes the arguments the whole command line.
  ASSERT_TRUE(RunProgram("", kRecorder + " " + out, false, true, -1));
  EXPECT_EQ(ReadWholeFile(out).substr(0, kRecorder.size() + 1), kRecorder + " ");

  EXPECT_FALSE(RunProgram("Q:\\helpers\\missing.exe", "", true, false, -1));
}

class BrowserCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    HKEY key = nullptr;
    had = RegOpenKeyExA(HKEY_CLASSES_ROOT, kKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (had) {
      saved = ReadRegistryString(HKEY_CLASSES_ROOT, kKey, "", "");
      RegCloseKey(key);
    }
  }
  void TearDown() override {
    if (had)
      SetCommand(saved);
    else
      RegDeleteTreeA(HKEY_CLASSES_ROOT, "HTTP");
  }
  void SetCommand(const std::string& command) {
    RegKey key;
    RegCreateKeyExA(HKEY_CLASSES_ROOT, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr);
    RegSetValueExA(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   DWORD(command.size() + 1));
  }
  static constexpr const char* kKey = "HTTP\\shell\\open\\command";
  bool had = false;
  std::string saved;
};

std::string WaitForFile(const std::string& path) {
  for (int i = 0; i < 100 && !test::PathExists(path); ++i) Sleep(100);
  Sleep(200);
  return ReadWholeFile(path);
}

TEST_F(BrowserCommand, AppendsTheQuotedUrlAfterTwoSpacesOrFillsInPercentOne) {
  ScratchFolder scratch;
  SetCommand(kRecorder + " " + (scratch / "a.txt"));
  ASSERT_TRUE(OpenURL(nullptr, "http://example.invalid/a"));
  EXPECT_EQ(WaitForFile(scratch / "a.txt"),
            kRecorder + " " + (scratch / "a.txt") + "  \"http://example.invalid/a\"\nQ:\\sandbox\\scratch\n");

  SetCommand(kRecorder + " " + (scratch / "b.txt") + " \"%1\" again=%1");
  ASSERT_TRUE(OpenURL(nullptr, "http://x.invalid/"));
  EXPECT_EQ(WaitForFile(scratch / "b.txt"), kRecorder + " " + (scratch / "b.txt") +
                                               " \"http://x.invalid/\" again=http://x.invalid/\nQ:\\sandbox\\scratch\n");

  SetCommand("Q:\\helpers\\missing.exe");
  EXPECT_FALSE(OpenURL(nullptr, "http://x.invalid/"));
}

TEST(ClaimSingleInstance, SecondClaimOfTheSameNameFails) {
  const std::string name = "QuorvaneTest-" + std::to_string(GetCurrentProcessId());
  EXPECT_TRUE(ClaimSingleInstance(name));
  EXPECT_FALSE(ClaimSingleInstance(name));
  EXPECT_TRUE(ClaimSingleInstance(name + "-other"));
}

}  // namespace
}  // namespace qv
