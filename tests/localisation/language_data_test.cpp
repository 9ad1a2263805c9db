// Language tables and language data: token decoding, lookups through the current and the
// default table, "{AppName}", section merging, lazy parsing, and language files that are
// damaged, huge or hostile.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "localisation/CLMultiLang.h"
#include "support/TestFiles.h"

namespace qv {
namespace {

std::vector<std::string> Lines(const TStrings& list) {
  std::vector<std::string> lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Strings(i));
  return lines;
}

TEST(DecodeText, ExpandsLineBreaksThenSpacesInAnyLetterCase) {
  struct Case {
    const char* text;
    const char* decoded;
  } cases[] = {
      {"one<BR>two", "one\r\ntwo"},
      {"one<br>two<Br>three", "one\r\ntwo\r\nthree"},
      {"ends in space<sp>", "ends in space "},
      {"<SP><sP>x", "  x"},
      {"<BR<BR>>", "<BR\r\n>"},
      // "<BR>" goes first, so a "<SP>" inside it cannot make a line break appear.
      {"<B<SP>R>", "<B R>"},
      {"{AppName} <b> <br", "{AppName} <b> <br"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(DecodeText(c.text), c.decoded);
  }
}

TEST(ReplaceTextIgnoreCase, NeverSearchesTheInsertedText) {
  EXPECT_EQ(ReplaceTextIgnoreCase("a{appname}b{APPNAME}", "{AppName}", "{AppName}!"),
            "a{AppName}!b{AppName}!");
  EXPECT_EQ(ReplaceTextIgnoreCase("{{AppName}}", "{AppName}", "x"), "{x}");
  EXPECT_EQ(ReplaceTextIgnoreCase("{AppNam", "{AppName}", "x"), "{AppNam");
}

TEST(LanguageTable, ParsesOncePerChangeOnFirstUse) {
  TCLMultiLangLan table;
  EXPECT_TRUE(table.Stale());
  table.Data().SetText("[s]\r\na=one\r\n");
  std::string value = "untouched";
  EXPECT_FALSE(table.Lookup("s", "", "b", value));
  EXPECT_EQ(value, "untouched");
  EXPECT_FALSE(table.Stale());

  table.Data().Add("b=two");  // any change to the lines is seen by the next lookup
  EXPECT_TRUE(table.Stale());
  EXPECT_TRUE(table.Lookup("S", "", "B", value));
  EXPECT_EQ(value, "two");

  table.Clear();
  EXPECT_FALSE(table.Lookup("s", "", "a", value));
  EXPECT_EQ(table.Data().Count(), 0);
}

TEST(LanguageTable, AssignCopiesAnotherTableAndIgnoresOtherObjects) {
  TCLMultiLangLan source;
  source.Data().SetText("[s]\na=1\n");
  TCLMultiLangLan target;
  target.Assign(&source);
  EXPECT_FALSE(target.Stale());  // parsed at once
  std::string value;
  EXPECT_TRUE(target.Lookup("s", "", "a", value));
  EXPECT_EQ(value, "1");

  TStringList other;
  other.SetText("[s]\na=2\n");
  EXPECT_NO_THROW(target.Assign(&other));
  EXPECT_TRUE(target.Lookup("s", "", "a", value));
  EXPECT_EQ(value, "1");
}

TEST(LanguageTable, ReadSectionValuesKeepsTheFirstEntryOfEachNameAndDropsEmptyTexts) {
  TCLMultiLangLan table;
  table.Data().SetText(
      "[s]\na=1\nb=2\nA=3\nc=\nC=5\nno separator\nd=x<br>y\n[S]\ne=hidden\n[t]\nf=6\n");
  TStringList list;
  list.Add("stale=line");
  table.ReadSectionValues("s", list);
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"a=1", "b=2", "d=x\r\ny"}));
}

// A current and a default table as the main window has them: the default answers what the
// current one lacks.
class LanguageData : public ::testing::Test {
 protected:
  void SetUp() override {
    data->CurrentData().SetText(
        "[Info]\r\nLanguage=Deutsch\r\nTranslator=Anna\r\nVersion=2\r\n"
        "[AppRes]\r\nAppName=Quorvane\r\nTitle=Update {appname}\r\nEmpty=\r\n"
        "[LibRes]\r\nBoth=current\r\nBlank=\r\nAppName=Lib {APPNAME}\r\n"
        "Lines=one<BR>two<sp>\r\n");
    data->DefaultData().SetText(
        "[AppRes]\r\nAppName=Builtin\r\nEmpty=default text\r\nOnlyDefault=def {AppName}\r\n"
        "[LibRes]\r\nBoth=default\r\nBlank=default blank\r\nOnlyDefault=from default\r\n"
        "[TfrmMain]\r\nbtnGo.Caption=Go\r\n");
  }

  std::unique_ptr<TCLMultiLangData> data = TComponent::MakeUnowned<TCLMultiLangData>();
};

TEST_F(LanguageData, LooksUpThroughBothTables) {
  std::string name;
  data->GetAppName(name);
  EXPECT_EQ(name, "Quorvane");
  EXPECT_EQ(data->AppName(), "Quorvane");

  struct Case {
    const char* section;
    const char* prefix;
    const char* name;
    bool found;
    const char* value;
  } cases[] = {
      {"LibRes", "", "Both", true, "current"},
      {"LibRes", "", "OnlyDefault", true, "from default"},
      {"LibRes", "", "Blank", true, ""},  // empty in the current table hides the default
      {"AppRes", "", "Empty", true, ""},
      {"AppRes", "", "Title", true, "Update Quorvane"},
      {"AppRes", "", "OnlyDefault", true, "def Quorvane"},
      {"appres", "", "APPNAME", true, "Quorvane"},
      {"LibRes", "", "AppName", true, "Lib Quorvane"},  // only AppRes's own entry is exempt
      {"LibRes", "", "lines", true, "one\r\ntwo "},
      {"TfrmMain", "btnGo", "Caption", true, "Go"},
      {"tfrmmain", "BTNGO", "caption", true, "Go"},
      {"TfrmMain", "", "btnGo.Caption", true, "Go"},
      {"TfrmMain", "btnGo", "Hint", false, "untouched"},
      {"Missing", "", "Both", false, "untouched"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.prefix + "/" + c.name);
    std::string value = "untouched";
    EXPECT_EQ(data->Lookup(c.section, c.prefix, c.name, value), c.found);
    EXPECT_EQ(value, c.value);
  }
}

TEST_F(LanguageData, AppNameIsEmptyUntilLookedUpAndItsOwnEntryStaysUnreplaced) {
  std::string value;
  EXPECT_TRUE(data->Lookup("AppRes", "", "Title", value));
  EXPECT_EQ(value, "Update ");

  data->CurrentData().SetText("[AppRes]\nAppName=Q {AppName}\nTitle=T {AppName}\n");
  data->GetAppName(value);
  EXPECT_EQ(value, "Q {AppName}");
  EXPECT_TRUE(data->Lookup("AppRes", "", "Title", value));
  EXPECT_EQ(value, "T Q {AppName}");
}

TEST_F(LanguageData, InfoTextsAndClearingTheCurrentLanguage) {
  std::string name;
  data->GetAppName(name);
  EXPECT_EQ(data->CurrentLanguage(), "Deutsch");
  EXPECT_EQ(data->CurrentLanguageTranslator(), "Anna");
  EXPECT_EQ(data->CurrentVersion(), "2");

  data->ClearCurrentLanguage();
  EXPECT_EQ(data->CurrentLanguage(), "");
  EXPECT_EQ(data->CurrentVersion(), "");
  EXPECT_EQ(data->AppName(), "Quorvane");  // kept until the next language file
  std::string value;
  EXPECT_TRUE(data->Lookup("LibRes", "", "Both", value));
  EXPECT_EQ(value, "default");
  EXPECT_TRUE(data->Lookup("AppRes", "", "OnlyDefault", value));
  EXPECT_EQ(value, "def Quorvane");
}

TEST_F(LanguageData, GetSectionTextsAddsOnlyNamesTheListLacks) {
  data->CurrentData().SetText(
      "[SkinRes]\nMSG_BTN_YES=&Ja\nMSG_BTN_NO=&Nein\nMSG_BTN_OK=\nMSG_BTN_CANCEL=Abbrechen\n"
      "MSG_CAP_SHOWFLAG=Nicht<SP>mehr<br>zeigen\nMSG_BTN_ALL=\n");
  data->DefaultData().SetText(
      "[SkinRes]\nMSG_BTN_NO=&No\nMSG_BTN_OK=OK\nMSG_BTN_HELP=&Help\nMSG_BTN_ALL=\n");
  TStringList list;
  list.Add("MSG_BTN_YES=&Yes");
  list.Add("msg_btn_cancel=Cancel");
  list.Add("plain line");
  int changes = 0;
  list.OnChange = [&](TObject*) { ++changes; };

  data->GetSectionTexts("skinres", list);
  EXPECT_EQ(Lines(list),
            (std::vector<std::string>{"MSG_BTN_YES=&Yes", "msg_btn_cancel=Cancel", "plain line",
                                      "MSG_BTN_NO=&Nein", "MSG_CAP_SHOWFLAG=Nicht mehr\r\nzeigen",
                                      // empty in the current table: taken from the default
                                      "MSG_BTN_OK=OK", "MSG_BTN_HELP=&Help"}));
  EXPECT_EQ(changes, 1);  // one notification for the whole merge

  data->GetSectionTexts("Missing", list);
  EXPECT_EQ(list.Count(), 7);
}

TEST(LanguageDataAssign, CopiesTheStoredSettingsOnlyAndRefusesOtherClasses) {
  auto source = TComponent::MakeUnowned<TCLMultiLangData>();
  auto target = TComponent::MakeUnowned<TCLMultiLangData>();
  EXPECT_EQ(target->ExcludeProps().Count(), 26);
  EXPECT_TRUE(target->AutoApply());
  source->SetAutoApply(false);
  source->SetExcludeEmptyProp(true);
  source->SetExcludeNumberEndProps(true);
  source->ExcludeProps().SetText(".Hint\n");
  source->CurrentData().SetText("[Info]\nLanguage=X\n");

  target->Assign(source.get());
  EXPECT_FALSE(target->AutoApply());
  EXPECT_TRUE(target->ExcludeEmptyProp());
  EXPECT_TRUE(target->ExcludeNumberEndProps());
  EXPECT_EQ(Lines(target->ExcludeProps()), std::vector<std::string>{".Hint"});
  EXPECT_EQ(target->CurrentLanguage(), "");

  TCLMultiLangLan table;
  try {
    target->Assign(&table);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TCLMultiLangLan to a TCLMultiLangData");
  }
}

// ---- Language files ------------------------------------------------------------------------

class LanguageFile : public ::testing::Test {
 protected:
  // Loads bytes as a language file over a default table holding [Info] Language=Builtin.
  void Load(const std::string& bytes) {
    test::PlantFile(path, bytes);
    data->DefaultData().SetText("[Info]\nLanguage=Builtin\n[AppRes]\nAppName=Builtin\n");
    data->LoadLanguageFile(path);
  }
  std::string Text(const char* section, const char* name) {
    std::string value = "<none>";
    data->Lookup(section, "", name, value);
    return value;
  }

  test::ScratchFolder folder;
  std::string path = folder / "Test.lan";
  std::unique_ptr<TCLMultiLangData> data = TComponent::MakeUnowned<TCLMultiLangData>();
};

TEST_F(LanguageFile, LoadsByTheIniRulesWithItsOwnAppName) {
  Load(
      "; comment\r\n[Info]\r\nLanguage = Deutsch \r\n[AppRes]\rAppName=Quorvane DE\r"
      "[LibRes]\nfrmCLUpdateForm.Caption={AppName} aktualisieren\nbroken line\n"
      "frmCLUpdateForm.Caption=second\n");
  EXPECT_EQ(data->CurrentLanguage(), "Deutsch");
  EXPECT_EQ(data->AppName(), "Quorvane DE");
  EXPECT_EQ(Text("LibRes", "frmCLUpdateForm.Caption"), "Quorvane DE aktualisieren");
}

TEST_F(LanguageFile, DamagedFilesLoadAsFarAsTheyAreValid) {
  struct Case {
    const char* what;
    std::string bytes;
    const char* language;  // [Info] Language afterwards
    const char* appName;   // [AppRes] AppName afterwards
  } cases[] = {
      // No byte-order mark is recognised: the first header is no header, and its entries
      // fall before any section.
      {"byte-order mark", "\xEF\xBB\xBF[Info]\r\nLanguage=Deutsch\r\n[AppRes]\r\nAppName=Q\r\n",
       "Builtin", "Q"},
      {"NUL ends the text",
       std::string("[Info]\nLanguage=Deutsch\n") + '\0' + "[AppRes]\nAppName=Q\n", "Deutsch",
       "Builtin"},
      {"NUL inside a value", std::string("[AppRes]\nAppName=Qu") + '\0' + "orvane\n", "Builtin",
       "Qu"},
      {"empty file", "", "Builtin", "Builtin"},
      {"no sections", "Language=Deutsch\nAppName=Q\n", "Builtin", "Builtin"},
      {"unclosed header", "[Info\nLanguage=Deutsch\n[AppRes]\nAppName=Q", "Builtin", "Q"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Load(c.bytes);
    EXPECT_EQ(data->CurrentLanguage(), c.language);
    EXPECT_EQ(data->AppName(), c.appName);
  }
}

TEST_F(LanguageFile, AMissingFileLeavesOnlyTheDefaultTable) {
  Load("[Info]\nLanguage=Deutsch\n");
  data->LoadLanguageFile(folder / "Missing.lan");
  EXPECT_EQ(data->CurrentLanguage(), "Builtin");
  EXPECT_EQ(data->CurrentData().Count(), 0);
}

TEST_F(LanguageFile, AFileOverTheCapLoadsItsWholeLinesWithinTheCap) {
  // Entries up to the cap, one entry straddling it, one after it.
  const std::string head = "[AppRes]\r\nAppName=Q\r\n[Big]\r\n";
  std::string bytes = head;
  const std::string filler = "k=" + std::string(1000, 'v') + "\r\n";
  while (bytes.size() + filler.size() < TCLMultiLangLan::kMaxFileBytes - 10) bytes += filler;
  bytes += "straddling=" + std::string(TCLMultiLangLan::kMaxFileBytes - bytes.size(), 's');
  bytes += "\r\n[After]\r\nafter=1\r\n";
  ASSERT_GT(bytes.size(), TCLMultiLangLan::kMaxFileBytes);
  Load(bytes);

  EXPECT_EQ(data->AppName(), "Q");
  EXPECT_EQ(Text("Big", "k"), std::string(1000, 'v'));
  EXPECT_EQ(Text("Big", "straddling"), "<none>");  // cut at the cap: dropped, not loaded half
  EXPECT_EQ(Text("After", "after"), "<none>");
}

TEST_F(LanguageFile, BinaryJunkAndHugeLinesNeitherCrashNorHide) {
  std::mt19937 random(7);
  std::string junk(1 << 20, ' ');
  for (char& c : junk) c = static_cast<char>(1 + random() % 255);  // anything but NUL
  const std::string longValue(2 << 20, 'x');
  Load(junk + "\r\n[Known]\r\nkey=value\r\nlong=" + longValue + "<BR>\r\n");
  EXPECT_EQ(Text("Known", "key"), "value");
  EXPECT_EQ(Text("Known", "long"), longValue + "\r\n");
}

TEST_F(LanguageFile, AHugeSectionMergesInOnePass) {
  // About 350 000 entries in one section: merging it line by line against the list would
  // take hours; it must take no longer than parsing.
  std::string bytes = "[SkinRes]\n";
  for (int i = 0; bytes.size() < TCLMultiLangLan::kMaxFileBytes - 20; ++i) {
    bytes += 'k';
    bytes += std::to_string(i);
    bytes += "=v\n";
  }
  Load(bytes);
  TStringList list;
  list.Add("k0=kept");
  data->GetSectionTexts("SkinRes", list);
  EXPECT_GT(list.Count(), 300000);
  EXPECT_EQ(list.Strings(0), "k0=kept");
  EXPECT_EQ(list.Strings(1), "k1=v");
}

}  // namespace
}  // namespace qv
