// The settings store over real files in the sandbox: lookup order, parsing of typed values,
// the start counter, the all-users decision, the message boxes' state and safe saving.
#include "shell/CLSettings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "shell/EngineLists.h"
#include "support/TestFiles.h"
#include "support/TraceCapture.h"
#include "util/Files.h"

namespace qv {
namespace {

const char kFirstStartContent[] = "[setting]\r\nRunTimes=1\r\n\r\n";

// The bytes of a literal, zero bytes included.
template <size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

std::string WithoutBackslash(std::string path) {
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

bool IsSettingsTag(const std::string& tag) {
  // Records keep only the first bytes of a tag.
  return !tag.empty() && std::string("CLSettings").compare(0, tag.size(), tag) == 0;
}

// The "CLSettings" trace texts that begin with prefix.
std::vector<std::string> SettingsTraces(const test::TraceCapture& capture, const std::string& prefix) {
  std::vector<std::string> texts;
  for (const test::TraceRecord& record : capture.Records())
    if (IsSettingsTag(record.tag) && record.text.compare(0, prefix.size(), prefix) == 0)
      texts.push_back(record.text);
  return texts;
}

// Registers engine lists for the lifetime of the object, as an engine would.
class RegisteredLists {
 public:
  explicit RegisteredLists(EngineSettingLists lists) : lists_(std::move(lists)) {
    SetCurrentEngineSettingLists(&lists_);
  }
  ~RegisteredLists() { SetCurrentEngineSettingLists(nullptr); }

 private:
  EngineSettingLists lists_;
};

// A program at D:\Tools\app.exe whose folder, per-user and all-users data folders lie in a
// scratch folder; the all-users folder is writable only when commonWritable says so.
class SettingsStore : public testing::Test {
 protected:
  SettingsEnvironment Environment() {
    SettingsEnvironment environment;
    environment.exeFileName = "D:\\Tools\\app.exe";
    environment.exeFolder = scratch / "prog\\";
    environment.userAppData = scratch / "user";
    environment.commonAppData = scratch / "common";
    environment.canWriteFolder = [this](const std::string& folder) {
      askedFolders.push_back(folder);
      return commonWritable;
    };
    environment.decimalSeparator = ".";
    return environment;
  }
  std::unique_ptr<TCLSettings> Open() { return std::make_unique<TCLSettings>(Environment()); }

  std::string UserFolder() const { return scratch / "user\\D__Tools_app.exe\\"; }
  std::string CommonFolder() const { return scratch / "common\\D__Tools_app.exe\\"; }
  std::string UserSettingFile() const { return UserFolder() + "setting.dat"; }
  std::string UserFlagFile() const { return UserFolder() + "UserFlag.ini"; }

  test::ScratchFolder scratch;
  bool commonWritable = false;
  std::vector<std::string> askedFolders;
};

TEST_F(SettingsStore, FirstStartCountsItselfInAPrivateSettingFile) {
  test::TraceCapture capture;
  auto settings = Open();

  EXPECT_EQ(settings->ConfigPath(), "D__Tools_app.exe");
  EXPECT_EQ(settings->UserFolder(), UserFolder());
  EXPECT_EQ(settings->CommonFolder(), CommonFolder());
  EXPECT_FALSE(settings->AllUsers());
  EXPECT_EQ(settings->SettingsFolder(), UserFolder());
  EXPECT_EQ(settings->RunTimes(), 0);
  EXPECT_EQ(settings->ReadInteger("RunTimes"), 1);
  EXPECT_EQ(test::ReadWholeFile(UserSettingFile()), kFirstStartContent);
  EXPECT_EQ(test::ReadWholeFile(UserFlagFile()), "[Flag]\r\nAllUsers=0\r\n\r\n");
  EXPECT_EQ(SettingsTraces(capture, "Setting Not Found :"),
            (std::vector<std::string>{"Setting Not Found :App.ConfigPath",
                                      "Setting Not Found :RunTimes"}));
  EXPECT_FALSE(test::PathExists(UserSettingFile() + ".bad"));
  EXPECT_EQ(settings->GetInstallAgeDays(), 0);  // its folders were made just now
}

TEST_F(SettingsStore, RunTimesAdvancesWithEveryConstruction) {
  for (int start = 0; start < 3; ++start) {
    SCOPED_TRACE(start);
    auto settings = Open();
    EXPECT_EQ(settings->RunTimes(), start);
    EXPECT_EQ(settings->ReadInteger("RunTimes"), start + 1);
  }
  EXPECT_EQ(test::ReadWholeFile(UserSettingFile()), "[setting]\r\nRunTimes=3\r\n\r\n");
}

TEST_F(SettingsStore, ConfigPathComesFromTheListsOrShippedFilesOrTheProgramPath) {
  struct Case {
    const char* exeFileName;
    const char* constFile;  // nullptr: none
    const char* overwrite;  // engine list line, nullptr: no engine
    const char* expected;
  } cases[] = {
      {"D:\\Tools\\app.exe", nullptr, nullptr, "D__Tools_app.exe"},
      {"C:/x\\y:z.exe", nullptr, nullptr, "C__x_y_z.exe"},
      {"D:\\Tools\\app.exe", "[setting]\nApp.ConfigPath=Quorvane\n", nullptr, "Quorvane"},
      {"D:\\Tools\\app.exe", "[setting]\nApp.ConfigPath=\n", nullptr, "D__Tools_app.exe"},
      {"D:\\Tools\\app.exe", "[setting]\nApp.ConfigPath=Quorvane\n", "app.configpath=Listed",
       "Listed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    test::ScratchFolder folder;
    if (c.constFile) test::PlantFile(folder / "prog\\const.dat", c.constFile);
    EngineSettingLists lists;
    if (c.overwrite) lists.overwrite.push_back(c.overwrite);
    SetCurrentEngineSettingLists(c.overwrite ? &lists : nullptr);

    SettingsEnvironment environment = Environment();
    environment.exeFileName = c.exeFileName;
    environment.exeFolder = folder / "prog\\";
    environment.userAppData = folder / "user";
    TCLSettings settings(environment);
    SetCurrentEngineSettingLists(nullptr);

    EXPECT_EQ(settings.ConfigPath(), c.expected);
    EXPECT_EQ(settings.SettingsFolder(), folder / "user\\" + c.expected + "\\");
    EXPECT_TRUE(test::PathExists(settings.SettingsFolder() + "setting.dat"));
  }
}

TEST_F(SettingsStore, LooksKeysUpInFiveSourcesInOrder) {
  test::PlantFile(scratch / "prog\\const.dat",
                  "[setting]\nA=const\nB=const\nC=const\nD=const\nEmptyUser=const\n"
                  "EmptyOem=const\n[other]\nG=other\n");
  test::PlantFile(scratch / "prog\\oem.const.dat",
                  "[Setting]\nA=oem\nB=oem\nC=oem\nEmptyOem=\n");
  test::PlantFile(UserSettingFile(),
                  "[setting]\nA=user\nb=user\nEmptyUser=\nEmptyOver=user\n[ShowAgain]\nH=1\n");
  auto settings = Open();

  struct Case {
    const char* key;
    const char* withEngine;
    const char* withoutEngine;
    bool traced;  // with the engine
  } cases[] = {
      {"A", "over", "user", false},         // the override list wins over every file
      {"a", "over", "user", false},         // keys ignore case in lists and files
      {"B", "user", "user", false},         // setting.dat before oem.const.dat
      {"C", "oem", "oem", false},           // oem.const.dat before const.dat
      {"D", "const", "const", false},
      {"F", "def", "", false},              // the default list comes last
      {"EmptyUser", "", "", false},         // empty values hide the sources after them
      {"EmptyOem", "", "", false},
      {"EmptyOver", "", "user", false},
      {"EmptyDef", "", "", false},
      {"G", "", "", true},                  // only section "setting" counts
      {"H", "", "", true},
      {"Loose", "", "", true},              // a list line without "=" never matches
      {"Missing", "", "", true},
  };
  RegisteredLists lists({{"A=over", "EmptyOver=", "Loose", "a=second"},
                         {"A=def", "F=def", "EmptyDef=", "D=def"}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    test::TraceCapture capture;
    EXPECT_EQ(settings->ReadString(c.key), c.withEngine);
    EXPECT_EQ(SettingsTraces(capture, "Setting Not Found :"),
              c.traced ? std::vector<std::string>{std::string("Setting Not Found :") + c.key}
                       : std::vector<std::string>{});
  }
  SetCurrentEngineSettingLists(nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("no engine: ") + c.key);
    EXPECT_EQ(settings->ReadString(c.key), c.withoutEngine);
  }
}

TEST_F(SettingsStore, WritesGoToSettingDatOnlyAndTheOverrideListStillWins) {
  test::PlantFile(scratch / "prog\\const.dat", "[setting]\nLanguage=const\n");
  const std::string constBefore = test::ReadWholeFile(scratch / "prog\\const.dat");
  auto settings = Open();
  RegisteredLists lists({{"Language=over"}, {}});

  settings->WriteString("Language", "German");
  settings->WriteString("Skin", " spaced ");

  EXPECT_EQ(settings->ReadString("Language"), "over");
  EXPECT_EQ(test::ReadWholeFile(scratch / "prog\\const.dat"), constBefore);
  EXPECT_EQ(test::ReadWholeFile(UserSettingFile()),
            "[setting]\r\nRunTimes=1\r\nLanguage=German\r\nSkin= spaced \r\n\r\n");
  SetCurrentEngineSettingLists(nullptr);
  EXPECT_EQ(settings->ReadString("LANGUAGE"), "German");
}

TEST_F(SettingsStore, ParsesIntegersAndBooleansStrictly) {
  struct Case {
    const char* value;
    int32_t integer;
    bool boolean;
  } cases[] = {
      {"1", 1, true}, {"-1", -1, true}, {"0", 0, false}, {"", 0, false}, {"true", 0, false},
      {"yes", 0, false}, {"12abc", 0, false}, {"0x1F", 31, true}, {" 7", 7, true},
      {"$ff", 255, true}, {"7 ", 0, false}, {"2147483648", 0, false}, {"-2147483648", INT32_MIN, true},
      {"1.0", 0, false},
  };
  auto settings = Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("\"") + c.value + "\"");
    // The engine lists keep values as they are, blanks included.
    RegisteredLists lists({{std::string("Key=") + c.value}, {}});
    EXPECT_EQ(settings->ReadInteger("Key"), c.integer);
    EXPECT_EQ(settings->ReadBool("Key"), c.boolean);
  }
  EXPECT_EQ(settings->ReadInteger("Missing"), 0);
  EXPECT_FALSE(settings->ReadBool("Missing"));
  settings->WriteBool("Flag", true);
  settings->WriteBool("Other", false);
  settings->WriteInteger("Count", -5);
  TMemIniFile saved(UserSettingFile());
  EXPECT_EQ(saved.ReadString("setting", "Flag", ""), "1");
  EXPECT_EQ(saved.ReadString("setting", "Other", ""), "0");
  EXPECT_EQ(saved.ReadString("setting", "Count", ""), "-5");
}

TEST(SettingFloats, ParseWithTheGivenSeparatorOnly) {
  struct Case {
    const char* text;
    const char* separator;
    bool ok;
    double value;
  } cases[] = {
      {"1.5", ".", true, 1.5},     {"1,5", ",", true, 1.5},   {"1.5", ",", false, 0},
      {"1,5", ".", false, 0},      {"-2", ".", true, -2},     {"+2.", ".", true, 2},
      {".25", ".", true, 0.25},    {" 3", ".", true, 3},      {"3 ", ".", false, 0},
      {"1E3", ".", true, 1000},    {"1.5e-2", ".", true, 0.015}, {"2E+2", ".", true, 200},
      {"1E", ".", false, 0},       {"E5", ".", false, 0},     {".", ".", false, 0},
      {"", ".", false, 0},         {"1.2.3", ".", false, 0},  {"nan", ".", false, 0},
      {"inf", ".", false, 0},      {"1e999", ".", false, 0},  {"0x10", ".", false, 0},
      {"45000,123456", ",", true, 45000.123456},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " with " + c.separator);
    double value = -99;
    EXPECT_EQ(SettingTextToFloat(c.text, c.separator, value), c.ok);
    if (c.ok) {
      EXPECT_DOUBLE_EQ(value, c.value);
    } else {
      EXPECT_EQ(value, -99);
    }
  }
}

TEST(SettingFloats, WriteTheShortestGeneralFormWithFifteenDigits) {
  struct Case {
    double value;
    const char* separator;
    const char* text;
  } cases[] = {
      {0.1, ".", "0.1"},       {0.1 + 0.2, ".", "0.3"},       {-2, ".", "-2"},
      {0, ".", "0"},           {1e20, ".", "1E20"},           {1.5e-7, ".", "1.5E-7"},
      {0.0001, ".", "0.0001"}, {45000.5, ",", "45000,5"},     {1e15, ".", "1E15"},
      {123456789012345678.0, ".", "1.23456789012346E17"},     {2.5e-10, ",", "2,5E-10"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FloatToSettingText(c.value, c.separator), c.text);
  }
}

TEST_F(SettingsStore, FloatsUseTheDecimalSeparatorOfTheLocale) {
  SettingsEnvironment environment = Environment();
  environment.decimalSeparator = ",";
  TCLSettings settings(environment);
  settings.WriteFloat("Update.LastDate", 45000.25);
  settings.WriteString("Point", "1.5");
  EXPECT_EQ(TMemIniFile(UserSettingFile()).ReadString("setting", "Update.LastDate", ""), "45000,25");
  EXPECT_DOUBLE_EQ(settings.ReadFloat("Update.LastDate"), 45000.25);
  EXPECT_EQ(settings.ReadFloat("Point"), 0.0);  // a decimal point under a comma locale
  EXPECT_EQ(settings.ReadFloat("Missing"), 0.0);
}

TEST_F(SettingsStore, FloatsFollowTheUserLocaleOfTheSystem) {
  char previous[16] = {};
  ASSERT_GT(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, previous, sizeof previous), 0);
  if (!SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, ","))
    GTEST_SKIP() << "the user locale cannot be changed here";
  SettingsEnvironment environment = Environment();
  environment.decimalSeparator.clear();
  {
    TCLSettings settings(environment);
    settings.WriteFloat("Value", 2.5);
    EXPECT_EQ(TMemIniFile(UserSettingFile()).ReadString("setting", "Value", ""), "2,5");
    EXPECT_DOUBLE_EQ(settings.ReadFloat("Value"), 2.5);
  }
  SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, previous);
}

TEST_F(SettingsStore, ShowAgainStateDefaultsAndPersists) {
  test::PlantFile(UserSettingFile(),
                  "[ShowAgain]\n7=abc\n[ShowAgainModuleResult]\n7=abc\n[setting]\n5=0\n");
  {
    auto settings = Open();
    RegisteredLists lists({{"5=0"}, {"5=0"}});  // the lists play no part
    EXPECT_TRUE(settings->ReadShowAgain(5));
    EXPECT_EQ(settings->ReadShowAgainResult(5), 1);
    EXPECT_TRUE(settings->ReadShowAgain(7));  // not a number
    EXPECT_EQ(settings->ReadShowAgainResult(7), 1);
    settings->WriteShowAgain(5, false);
    settings->WriteShowAgainResult(5, 6);
    settings->WriteShowAgain(-3, true);
  }
  auto settings = Open();
  EXPECT_FALSE(settings->ReadShowAgain(5));
  EXPECT_EQ(settings->ReadShowAgainResult(5), 6);
  EXPECT_TRUE(settings->ReadShowAgain(-3));
  TMemIniFile saved(UserSettingFile());
  EXPECT_EQ(saved.ReadString("ShowAgain", "5", ""), "0");
  EXPECT_EQ(saved.ReadString("ShowAgainModuleResult", "5", ""), "6");
}

TEST_F(SettingsStore, AllUsersFlagDecidesWhereSettingDatLives) {
  struct Case {
    const char* flagFile;  // nullptr: none yet
    bool commonWritable;
    const char* flagAfter;
    bool allUsers;
  } cases[] = {
      {nullptr, true, "[Flag]\r\nAllUsers=1\r\n\r\n", true},
      {nullptr, false, "[Flag]\r\nAllUsers=0\r\n\r\n", false},
      {"[Flag]\r\nAllUsers=1\r\n", false, "[Flag]\r\nAllUsers=0\r\n\r\n", false},
      {"[Flag]\r\nAllUsers=1\r\n", true, "[Flag]\r\nAllUsers=1\r\n", true},
      {"[Flag]\r\nAllUsers=0\r\n", true, "[Flag]\r\nAllUsers=0\r\n", false},
      {"[flag]\nallusers=abc\n", false, "[flag]\r\nallusers=0\r\n\r\n", false},
      {"[flag]\nallusers=abc\n", true, "[flag]\nallusers=abc\n", true},
      {"[Flag]\nOther=1\n", false, "[Flag]\r\nOther=1\r\nAllUsers=0\r\n\r\n", false},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(testing::Message() << "row " << i);
    test::RemoveTree(scratch / "user");
    test::RemoveTree(scratch / "common");
    if (c.flagFile) test::PlantFile(UserFlagFile(), c.flagFile);
    commonWritable = c.commonWritable;
    askedFolders.clear();

    auto settings = Open();
    EXPECT_EQ(test::ReadWholeFile(UserFlagFile()), c.flagAfter);
    EXPECT_EQ(settings->AllUsers(), c.allUsers);
    const std::string chosen = c.allUsers ? CommonFolder() : UserFolder();
    const std::string other = c.allUsers ? UserFolder() : CommonFolder();
    EXPECT_EQ(settings->SettingsFolder(), chosen);
    EXPECT_EQ(test::ReadWholeFile(chosen + "setting.dat"), kFirstStartContent);
    EXPECT_FALSE(test::PathExists(other + "setting.dat"));
    for (const std::string& folder : askedFolders) {
      EXPECT_EQ(folder, CommonFolder());
      EXPECT_TRUE(test::PathExists(folder));  // created before it is checked
    }
  }
}

TEST_F(SettingsStore, AllUsersDecisionHoldsEvenWhenUserFlagCannotBeSaved) {
  // Reading the flag file back would find no entry, which reads as "all users". A folder in
  // the flag file's place can neither be read nor replaced.
  test::PlantFolder(UserFlagFile());
  test::TraceCapture capture;
  auto settings = Open();
  EXPECT_FALSE(FileExists(UserFlagFile()));
  EXPECT_FALSE(settings->AllUsers());
  EXPECT_EQ(settings->SettingsFolder(), UserFolder());
  EXPECT_EQ(test::ReadWholeFile(UserSettingFile()), kFirstStartContent);
  EXPECT_EQ(SettingsTraces(capture, "Cannot save " + UserFlagFile()).size(), 1u);
}

TEST_F(SettingsStore, InstallAgeIsZeroWhenNoFolderCanBeRead) {
  test::PlantFile(scratch / "blocker", "a file where folders should be");
  SettingsEnvironment environment = Environment();
  environment.exeFolder = scratch / "missing\\";
  environment.userAppData = scratch / "blocker\\user";
  environment.commonAppData = scratch / "blocker\\common";
  test::TraceCapture capture;
  TCLSettings settings(environment);

  EXPECT_EQ(settings.GetInstallAgeDays(), 0);
  // Nothing can be saved anywhere, yet the store answers from memory.
  EXPECT_EQ(settings.ReadInteger("RunTimes"), 1);
  settings.WriteString("Language", "French");
  EXPECT_EQ(settings.ReadString("Language"), "French");
  EXPECT_FALSE(settings.Flush());
  EXPECT_FALSE(SettingsTraces(capture, "Cannot save ").empty());
}

// Saving must never destroy the previous setting.dat: each row makes replacing it fail.
TEST_F(SettingsStore, FailedSaveKeepsThePreviousFileAndTheValueInMemory) {
  struct Case {
    const char* how;
    DWORD holderSharing;  // how another handle holds setting.dat open meanwhile
  } cases[] = {
      {"open without share-delete", FILE_SHARE_READ | FILE_SHARE_WRITE},
      {"open without any sharing", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    test::RemoveTree(scratch / "user");
    Open();  // first start: setting.dat holds RunTimes=1
    auto settings = Open();
    const std::string before = test::ReadWholeFile(UserSettingFile());
    ASSERT_EQ(before, "[setting]\r\nRunTimes=2\r\n\r\n");

    HANDLE holder = CreateFileA(UserSettingFile().c_str(), GENERIC_READ, c.holderSharing, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    test::TraceCapture capture;
    settings->WriteString("Language", "Dutch");  // must not throw or end the program
    EXPECT_EQ(settings->ReadString("Language"), "Dutch");
    EXPECT_FALSE(settings->Flush());
    CloseHandle(holder);
    EXPECT_EQ(test::ReadWholeFile(UserSettingFile()), before);
    EXPECT_EQ(SettingsTraces(capture, "Cannot save " + UserSettingFile()).size(), 2u);

    EXPECT_TRUE(settings->Flush());  // once the obstacle is gone the value is saved
    EXPECT_EQ(TMemIniFile(UserSettingFile()).ReadString("setting", "Language", ""), "Dutch");
  }
}

TEST_F(SettingsStore, FirstStartThatCannotSaveLeavesTheOneSpacePlaceholder) {
  test::PlantFile(UserSettingFile(), " ");
  HANDLE holder = CreateFileA(UserSettingFile().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  test::TraceCapture capture;
  auto settings = Open();
  CloseHandle(holder);
  EXPECT_EQ(test::ReadWholeFile(UserSettingFile()), " ");
  EXPECT_EQ(settings->RunTimes(), 0);
  EXPECT_EQ(settings->ReadInteger("RunTimes"), 1);
  EXPECT_EQ(SettingsTraces(capture, "Cannot save ").size(), 1u);
}

TEST_F(SettingsStore, UnparseableSettingFileIsKeptAsideBeforeItIsReplaced) {
  struct Case {
    const char* name;
    std::string content;
    bool keptAside;
    int32_t runTimes;
  } cases[] = {
      {"binary", Bytes("\x01\x00\xff\n[setting]\nRunTimes=4\n\x00\x00"), true, 4},
      {"wide characters", Bytes("[\0s\0]\0\r\0\n\0"), true, 0},
      {"text without a section", "RunTimes=9\nLanguage=German\n", true, 0},
      {"text before the first section", "Skin=Blue\n[setting]\nRunTimes=2\n", true, 2},
      {"placeholder", " ", false, 0},
      {"empty", "", false, 0},
      {"comments only", "; nothing yet\r\n", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::RemoveTree(scratch / "user");
    test::PlantFile(UserSettingFile(), c.content);
    test::TraceCapture capture;
    auto settings = Open();

    EXPECT_EQ(settings->RunTimes(), c.runTimes);
    EXPECT_EQ(TMemIniFile(UserSettingFile()).ReadInteger("setting", "RunTimes", -1), c.runTimes + 1);
    EXPECT_EQ(test::ReadWholeFile(UserSettingFile() + ".bad"), c.keptAside ? c.content : "<missing>");
    EXPECT_EQ(SettingsTraces(capture, "Kept unreadable ").size(), c.keptAside ? 1u : 0u);
  }

  // A second bad file does not replace the first copy.
  test::RemoveTree(scratch / "user");
  test::PlantFile(UserSettingFile(), Bytes("\0first"));
  Open();
  test::PlantFile(UserSettingFile(), Bytes("\0again"));
  Open();
  EXPECT_EQ(test::ReadWholeFile(UserSettingFile() + ".bad"), Bytes("\0first"));
  EXPECT_EQ(test::ReadWholeFile(UserSettingFile() + ".bad.1"), Bytes("\0again"));
}

TEST_F(SettingsStore, SettingFileThatCannotBeReadIsNeverSavedOver) {
  const std::string content = "[setting]\r\nLanguage=Czech\r\nRunTimes=40\r\n";
  test::PlantFile(UserSettingFile(), content);
  HANDLE exclusive = CreateFileA(UserSettingFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
  test::TraceCapture capture;
  auto settings = Open();
  settings->WriteString("Skin", "Blue");
  CloseHandle(exclusive);

  EXPECT_EQ(settings->ReadString("Skin"), "Blue");
  EXPECT_FALSE(settings->Flush());
  EXPECT_EQ(test::ReadWholeFile(UserSettingFile()), content);
  EXPECT_EQ(SettingsTraces(capture, "Cannot read " + UserSettingFile()).size(), 1u);
  EXPECT_FALSE(SettingsTraces(capture, "Not saving ").empty());
  EXPECT_EQ(Open()->RunTimes(), 40);  // the next start reads it again and counts on
}

TEST(GlobalSettings, ConstructsOnceAndCountsAgainAfterFree) {
  TCLSettings* first = GetSettings();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetSettings(), first);
  const int32_t runTimes = first->RunTimes();
  const std::string folder = first->SettingsFolder();
  EXPECT_TRUE(test::PathExists(folder + "setting.dat"));
  FreeSettings();
  FreeSettings();  // freeing twice is harmless

  TCLSettings* second = GetSettings();
  EXPECT_EQ(second->RunTimes(), runTimes + 1);
  EXPECT_EQ(second->ReadInteger("RunTimes"), runTimes + 2);
  EXPECT_EQ(second->SettingsFolder(), folder);
  const std::string userFolder = second->UserFolder();
  FreeSettings();
  if (runTimes == 0) {  // made by this test: leave the sandbox's profile as it was
    test::RemoveTree(WithoutBackslash(folder));
    test::RemoveTree(WithoutBackslash(userFolder));
  }
}

}  // namespace
}  // namespace qv
