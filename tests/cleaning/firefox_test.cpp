// The Firefox locators, probes and removals against profiles planted in the sandbox's own
// "AppData" and "Local AppData" folders (nothing else there uses Mozilla's folders), the
// registry keys that locate Firefox, and real windows of Firefox's classes.
#include "cleaning/Firefox.h"

#include <gtest/gtest.h>

#include "support/TraceFixtures.h"
#include "shell/CLSettings.h"
#include "support/TestFiles.h"
#include "util/Paths.h"

namespace qv {
namespace {

using test::PathExists;
using test::PlantFile;
using test::ReadWholeFile;

TEST(FirefoxProfilesFolder, JoinsOnlyOntoAnAbsoluteFolder) {
  struct Case {
    const char* base;
    const char* expected;
  } cases[] = {
      {"C:\\users\\me\\AppData\\Roaming", "C:\\users\\me\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\"},
      {"C:\\users\\me\\AppData\\Roaming\\", "C:\\users\\me\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\"},
      {"\\\\server\\home\\me", "\\\\server\\home\\me\\Mozilla\\Firefox\\Profiles\\"},
      {"", ""},
      {"AppData", ""},
      {"\\users\\me", ""},
      {"C:users", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.base);
    EXPECT_EQ(FirefoxProfilesFolder(c.base), c.expected);
  }
}

// The sandbox user's Mozilla folders, emptied before and after each test.
class FirefoxProfileTest : public ::testing::Test {
 protected:
  FirefoxProfileTest()
      : roaming_(test::UserShellFolder("AppData") + "\\Mozilla"),
        local_(test::UserShellFolder("Local AppData") + "\\Mozilla") {
    test::RemoveTree(roaming_);
    test::RemoveTree(local_);
  }
  ~FirefoxProfileTest() override {
    test::RemoveTree(roaming_);
    test::RemoveTree(local_);
  }

  std::string RoamingProfiles() const { return roaming_ + "\\Firefox\\Profiles\\"; }
  std::string LocalProfiles() const { return local_ + "\\Firefox\\Profiles\\"; }
  std::string Roaming(const std::string& relative) const { return RoamingProfiles() + "abcd1234.default\\" + relative; }
  std::string Local(const std::string& relative) const { return LocalProfiles() + "abcd1234.default\\" + relative; }
  void WriteProfilesIni(const std::string& text) const { PlantFile(roaming_ + "\\Firefox\\profiles.ini", text); }

 private:
  std::string roaming_;
  std::string local_;
};

TEST_F(FirefoxProfileTest, FindsNoProfileWithoutAProfilesFolder) {
  EXPECT_EQ(GetFirefoxProfileFolder(false), "");
  EXPECT_EQ(GetFirefoxProfileFolder(true), "");
  EXPECT_EQ(GetFirefoxCacheFolder(), "");
}

TEST_F(FirefoxProfileTest, FindsTheProfileFolderOrTheProfilesFolderItself) {
  test::PlantFolder(RoamingProfiles());
  PlantFile(RoamingProfiles() + "not-a-profile.txt");
  EXPECT_EQ(GetFirefoxProfileFolder(false), RoamingProfiles());

  test::PlantFolder(RoamingProfiles() + "abcd1234.default");
  test::PlantFolder(LocalProfiles() + "abcd1234.default");
  EXPECT_EQ(GetFirefoxProfileFolder(false), RoamingProfiles() + "abcd1234.default\\");
  EXPECT_EQ(GetFirefoxProfileFolder(true), LocalProfiles() + "abcd1234.default\\");
  EXPECT_EQ(GetFirefoxCacheFolder(), LocalProfiles() + "abcd1234.default\\Cache\\");
}

TEST_F(FirefoxProfileTest, OfSeveralProfilesTakesTheDefaultElseTheFirstByName) {
  for (const char* name : {"zeta.default", "Beta.work", "gamma.default-release"}) {
    test::PlantFolder(RoamingProfiles() + name);
    test::PlantFolder(LocalProfiles() + name);
  }
  EXPECT_EQ(GetFirefoxProfileFolder(false), RoamingProfiles() + "Beta.work\\");

  WriteProfilesIni("[Install4F96D1932A9F858E]\nDefault=Profiles/gamma.default-release\n"
                   "[Profile0]\nName=zeta\nIsRelative=1\nPath=Profiles/zeta.default\nDefault=1\n");
  EXPECT_EQ(GetFirefoxProfileFolder(false), RoamingProfiles() + "gamma.default-release\\");
  EXPECT_EQ(GetFirefoxProfileFolder(true), LocalProfiles() + "gamma.default-release\\");

  WriteProfilesIni("[Profile0]\nName=zeta\nIsRelative=1\nPath=Profiles/zeta.default\nDefault=1\n");
  EXPECT_EQ(GetFirefoxProfileFolder(false), RoamingProfiles() + "zeta.default\\");

  WriteProfilesIni("[Profile0]\nName=gone\nIsRelative=1\nPath=Profiles/gone.default\nDefault=1\n");
  EXPECT_EQ(GetFirefoxProfileFolder(false), RoamingProfiles() + "Beta.work\\");
}

TEST_F(FirefoxProfileTest, HistoryFilesGoWithTheirDatabaseCompanions) {
  const char* const history[] = {"places.sqlite", "places.sqlite-journal", "downloads.sqlite", "formhistory.sqlite"};
  for (const char* name : {"places.sqlite", "places.sqlite-wal", "places.sqlite-shm", "places.sqlite-journal",
                           "downloads.sqlite", "formhistory.sqlite", "formhistory.sqlite-wal"})
    PlantFile(Roaming(name));
  const char* const canaries[] = {"favicons.sqlite", "favicons.sqlite-wal", "cookies.sqlite", "key4.db",
                                  "places.sqlite.corrupt", "prefs.js"};
  for (const char* name : canaries) PlantFile(Roaming(name), "kept");

  for (const char* name : history) EXPECT_TRUE(DeleteProfileFile(name)) << name;

  for (const char* name : {"places.sqlite", "places.sqlite-wal", "places.sqlite-shm", "places.sqlite-journal",
                           "downloads.sqlite", "formhistory.sqlite", "formhistory.sqlite-wal"})
    EXPECT_FALSE(PathExists(Roaming(name))) << name;
  for (const char* name : canaries) EXPECT_EQ(ReadWholeFile(Roaming(name)), "kept") << name;
}

TEST_F(FirefoxProfileTest, ADatabaseInUseKeepsItsCompanionsAndIsReported) {
  for (const char* name : {"cookies.sqlite", "cookies.sqlite-wal", "cookies.sqlite-shm"}) PlantFile(Roaming(name));
  {
    test::HeldFile held(Roaming("cookies.sqlite"));
    EXPECT_FALSE(DeleteProfileFile("cookies.sqlite"));
    EXPECT_TRUE(PathExists(Roaming("cookies.sqlite-wal")));
    EXPECT_TRUE(PathExists(Roaming("cookies.sqlite-shm")));
  }
  EXPECT_TRUE(DeleteProfileFile("cookies.sqlite"));
  EXPECT_FALSE(PathExists(Roaming("cookies.sqlite-wal")));

  PlantFile(Roaming("cookies.sqlite-journal"));  // left behind without its database
  EXPECT_TRUE(DeleteProfileFile("cookies.sqlite"));
  EXPECT_FALSE(PathExists(Roaming("cookies.sqlite-journal")));
}

TEST_F(FirefoxProfileTest, PasswordsGoButTheKeyDatabaseStays) {
  for (const char* name : {"signons.sqlite", "signons.sqlite-journal", "logins.json", "logins-backup.json"})
    PlantFile(Roaming(name));
  for (const char* name : {"key4.db", "key3.db", "cert9.db"}) PlantFile(Roaming(name), "kept");

  EXPECT_TRUE(DeleteFirefoxPasswords());

  for (const char* name : {"signons.sqlite", "signons.sqlite-journal", "logins.json", "logins-backup.json"})
    EXPECT_FALSE(PathExists(Roaming(name))) << name;
  for (const char* name : {"key4.db", "key3.db", "cert9.db"}) EXPECT_EQ(ReadWholeFile(Roaming(name)), "kept") << name;
}

TEST_F(FirefoxProfileTest, CacheEmptiesBothCacheFoldersOfTheLocalProfile) {
  PlantFile(Local("Cache\\_CACHE_MAP_"));
  PlantFile(Local("Cache\\0\\1A\\2B3C4Dd01"));
  PlantFile(Local("cache2\\entries\\0123456789ABCDEF"));
  PlantFile(Local("cache2\\doomed\\x"));
  PlantFile(Local("cache2\\index"));
  PlantFile(Local("startupCache\\startupCache.8.little"), "kept");
  PlantFile(Local("times.json"), "kept");
  PlantFile(Roaming("cache2\\entries\\roaming-copy"), "kept");  // the roaming profile is not the cache

  {
    test::HeldFile held(Local("cache2\\index"));
    EXPECT_FALSE(DeleteFirefoxCache());
    EXPECT_FALSE(PathExists(Local("cache2\\entries")));
  }
  EXPECT_TRUE(DeleteFirefoxCache());

  EXPECT_TRUE(PathExists(Local("Cache")));
  EXPECT_TRUE(PathExists(Local("cache2")));
  for (const char* gone : {"Cache\\_CACHE_MAP_", "Cache\\0", "cache2\\doomed", "cache2\\index"})
    EXPECT_FALSE(PathExists(Local(gone))) << gone;
  EXPECT_EQ(ReadWholeFile(Local("startupCache\\startupCache.8.little")), "kept");
  EXPECT_EQ(ReadWholeFile(Local("times.json")), "kept");
  EXPECT_EQ(ReadWholeFile(Roaming("cache2\\entries\\roaming-copy")), "kept");
}

TEST_F(FirefoxProfileTest, WithoutAProfileNothingInTheCurrentFolderIsDeleted) {
  // The working folder is a scratch folder of the sandbox; without a profile these names
  // would otherwise be taken relative to it.
  const char* const planted[] = {"places.sqlite", "places.sqlite-wal", "logins.json", "Cache\\kept", "cache2\\kept"};
  for (const char* name : planted) PlantFile(name, "kept");

  EXPECT_TRUE(DeleteProfileFile("places.sqlite"));
  EXPECT_TRUE(DeleteFirefoxPasswords());
  EXPECT_TRUE(DeleteFirefoxCache());

  for (const char* name : planted) EXPECT_EQ(ReadWholeFile(name), "kept") << name;
  for (const char* name : planted) DeleteFileA(name);
  RemoveDirectoryA("Cache");
  RemoveDirectoryA("cache2");
}

TEST_F(FirefoxProfileTest, DeletesOnlyPlainFileNames) {
  PlantFile(Roaming("..\\places.sqlite"), "kept");
  EXPECT_FALSE(DeleteProfileFile("..\\places.sqlite"));
  EXPECT_FALSE(DeleteProfileFile("C:\\places.sqlite"));
  EXPECT_EQ(ReadWholeFile(Roaming("..\\places.sqlite")), "kept");
}

const std::string kMozilla = "SOFTWARE\\Mozilla\\Mozilla Firefox";

// The registry keys that locate Firefox, the "FireFoxPath" setting and executables to find.
class FirefoxPathTest : public ::testing::Test {
 protected:
  FirefoxPathTest() { GetSettings()->WriteString("FireFoxPath", ""); }
  ~FirefoxPathTest() override { GetSettings()->WriteString("FireFoxPath", ""); }

  void RegisterMozilla(const std::string& exe, REGSAM view = 0) {
    const std::string root = view == KEY_WOW64_32KEY ? "SOFTWARE\\Wow6432Node\\Mozilla\\Mozilla Firefox" : kMozilla;
    test::SetRegistryString(HKEY_LOCAL_MACHINE, root, "CurrentVersion", "3.0.5 (en-US)");
    test::SetRegistryString(HKEY_LOCAL_MACHINE, root + "\\3.0.5 (en-US)\\Main", "PathToExe", exe);
  }

  test::ScratchFolder scratch_;
  test::RegistryKeyGuard mozilla_{HKEY_LOCAL_MACHINE, "SOFTWARE\\Mozilla"};
  test::RegistryKeyGuard mozilla32_{HKEY_LOCAL_MACHINE, "SOFTWARE\\Wow6432Node\\Mozilla"};
  test::RegistryKeyGuard calloway_{HKEY_CURRENT_USER, "Software\\Calloway"};
};

TEST_F(FirefoxPathTest, NothingRegisteredMeansNotInstalled) {
  EXPECT_EQ(GetFirefoxPath(), "");
  EXPECT_FALSE(IsFirefoxInstalled());
}

TEST_F(FirefoxPathTest, FindsTheRegisteredExecutableAndRemembersIt) {
  const std::string exe = scratch_ / "firefox.exe";
  PlantFile(exe);
  RegisterMozilla(exe);
  EXPECT_EQ(GetFirefoxPath(), exe);
  EXPECT_EQ(GetSettings()->ReadString("FireFoxPath"), exe);
  EXPECT_TRUE(IsFirefoxInstalled());
}

TEST_F(FirefoxPathTest, FindsAnExecutableRegisteredInThe32BitView) {
  const std::string exe = scratch_ / "firefox32.exe";
  PlantFile(exe);
  RegisterMozilla(exe, KEY_WOW64_32KEY);
  EXPECT_EQ(GetFirefoxPath(), exe);
}

TEST_F(FirefoxPathTest, AMissingRegisteredExecutableIsAnsweredButNotRemembered) {
  RegisterMozilla(scratch_ / "uninstalled\\firefox.exe");
  EXPECT_EQ(GetFirefoxPath(), scratch_ / "uninstalled\\firefox.exe");
  EXPECT_EQ(GetSettings()->ReadString("FireFoxPath"), "");
  EXPECT_TRUE(IsFirefoxInstalled());
}

TEST_F(FirefoxPathTest, TheCallowayFolderWinsOverTheMozillaKey) {
  PlantFile(scratch_ / "firefox.exe");
  PlantFile(scratch_ / "Calloway\\Calloway.exe");
  RegisterMozilla(scratch_ / "firefox.exe");
  test::SetRegistryString(HKEY_CURRENT_USER, "Software\\Calloway", "", scratch_ / "Calloway");
  EXPECT_EQ(GetFirefoxPath(), scratch_ / "Calloway\\Calloway.exe");
  EXPECT_EQ(GetSettings()->ReadString("FireFoxPath"), scratch_ / "Calloway\\Calloway.exe");
}

TEST_F(FirefoxPathTest, AnExistingStoredPathIsTakenWithoutLookingFurther) {
  PlantFile(scratch_ / "stored\\firefox.exe");
  PlantFile(scratch_ / "registered\\firefox.exe");
  GetSettings()->WriteString("FireFoxPath", scratch_ / "stored\\firefox.exe");
  RegisterMozilla(scratch_ / "registered\\firefox.exe");
  EXPECT_EQ(GetFirefoxPath(), scratch_ / "stored\\firefox.exe");
  EXPECT_EQ(GetSettings()->ReadString("FireFoxPath"), scratch_ / "stored\\firefox.exe");
}

TEST_F(FirefoxPathTest, AStoredPathWhoseFileIsGoneIsStillAnsweredWhenNothingIsRegistered) {
  GetSettings()->WriteString("FireFoxPath", scratch_ / "gone\\firefox.exe");
  EXPECT_EQ(GetFirefoxPath(), scratch_ / "gone\\firefox.exe");
}

// A helper process that owns a top-level window of the given class until it is closed.
class WindowOwner {
 public:
  explicit WindowOwner(const std::string& windowClass) : windowClass_(windowClass) {
    const std::string event = "QvFirefoxWindowReady" + std::to_string(GetCurrentProcessId());
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, event.c_str());
    const std::string exe = GetExeDir() + "..\\helpers\\TopLevelWindow.exe";
    std::string commandLine = "\"" + exe + "\" " + windowClass + " " + event;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    EXPECT_TRUE(CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process))
        << exe;
    process_ = process.hProcess;
    if (process.hThread) CloseHandle(process.hThread);
    EXPECT_EQ(WaitForSingleObject(ready, 10000), WAIT_OBJECT_0) << "the helper opened no window";
    CloseHandle(ready);
  }
  ~WindowOwner() {
    if (HWND window = FindWindowA(windowClass_.c_str(), nullptr)) PostMessageA(window, WM_CLOSE, 0, 0);
    if (process_ != nullptr) {
      if (WaitForSingleObject(process_, 10000) != WAIT_OBJECT_0) TerminateProcess(process_, 1);
      CloseHandle(process_);
    }
  }

 private:
  std::string windowClass_;
  HANDLE process_ = nullptr;
};

TEST(IsFirefoxRunning, AnswersForTheMainWindowClassOfOldAndCurrentVersions) {
  ASSERT_FALSE(IsFirefoxRunning());
  for (const char* windowClass : {"MozillaUIWindowClass", "MozillaWindowClass"}) {
    SCOPED_TRACE(windowClass);
    {
      WindowOwner owner(windowClass);
      EXPECT_TRUE(IsFirefoxRunning());
    }
    EXPECT_FALSE(IsFirefoxRunning());
  }
  WindowOwner other("MozillaDropShadowWindowClass");  // not a main window
  EXPECT_FALSE(IsFirefoxRunning());
}

}  // namespace
}  // namespace qv
