// The language files shipped beside the program: well-formed, holding every key the program
// looks up, the same keys in every language, the same placeholders in every translation,
// and only tokens the program expands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "localisation/CLMultiLang.h"
#include "support/TestFiles.h"
#include "util/MemIniFile.h"
#include "util/Paths.h"

namespace qv {
namespace {

// The build copies dist\ into the build folder, one level above the test programs.
std::string LanguageFile(const std::string& language) {
  return GetExeDir() + "..\\dist\\langs\\" + language + ".lan";
}

const char* const kLanguages[] = {"English", "Deutsch"};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Section -> (lower-case key -> raw text), for one file.
using KeyTexts = std::map<std::string, std::map<std::string, std::string>>;

KeyTexts ReadKeys(const TMemIniFile& ini) {
  KeyTexts keys;
  for (const std::string& section : ini.ReadSections()) {
    auto& texts = keys[Lower(section)];
    for (const std::string& line : ini.ReadSectionValues(section)) {
      const size_t eq = line.find('=');
      texts[Lower(line.substr(0, eq))] = eq == std::string::npos ? "" : line.substr(eq + 1);
    }
  }
  return keys;
}

TEST(LanguageFiles, AreWellFormed) {
  for (const char* language : kLanguages) {
    SCOPED_TRACE(language);
    const std::string bytes = test::ReadWholeFile(LanguageFile(language));
    ASSERT_NE(bytes, "<missing>");
    EXPECT_EQ(bytes.find('\0'), std::string::npos);
    EXPECT_NE(bytes.substr(0, 1), "\xEF");  // no byte-order mark: it would hide [Info]

    TMemIniFile ini;
    ini.SetText(bytes);
    EXPECT_EQ(ini.DroppedLines(), 0u);
    std::set<std::string> sections;
    for (const std::string& section : ini.ReadSections()) {
      SCOPED_TRACE(section);
      EXPECT_TRUE(sections.insert(Lower(section)).second) << "repeated section";
      std::set<std::string> names;
      for (const std::string& line : ini.ReadSectionValues(section)) {
        const size_t eq = line.find('=');
        EXPECT_NE(eq, std::string::npos) << "not an entry: " << line;
        EXPECT_TRUE(names.insert(Lower(line.substr(0, eq))).second) << "repeated: " << line;
        EXPECT_NE(eq + 1, line.size()) << "empty text: " << line;
      }
    }
  }
}

TEST(LanguageFiles, HoldEveryKeyTheProgramLooksUp) {
  const std::map<std::string, std::vector<std::string>> required = {
      {"Info", {"Language", "Translator", "Version"}},
      {"AppRes",
       {"AppName", "MSGBOX_Cleared", "MSGBOX_FireFoxIsNotInstalled", "MSGBOX_CloseFFAndClear",
        "MSGBOX_ClearNotify", "MSGBOX_NoItemChoosed", "MSGBOX_CLEARALLCLEARED",
        "MSGBOX_ClearedPartly", "MSGBOX_CLEARALLPARTLY"}},
      {"LibRes",
       {"btnOk.Caption", "btnCancel.Caption", "cbAutoCheckUpdate.Caption", "lblSupport.Caption",
        "frmCLAboutForm.Caption", "frmCLUpdateForm.Caption", "TfrmCLAboutForm.Caption",
        "TfrmCLUpdateForm.Caption", "TfrmCLAboutForm.CopyRightLine1",
        "TfrmCLAboutForm.CopyRightLine2", "TfrmCLAboutForm.CopyRightLine3", "Update.Connecting",
        "Update.NetError", "Update.LastVersionAlready"}},
      {"SkinRes",
       {"MSG_BTN_YES", "MSG_BTN_NO", "MSG_BTN_OK", "MSG_BTN_CANCEL", "MSG_BTN_ABORT",
        "MSG_BTN_RETRY", "MSG_BTN_IGNORE", "MSG_BTN_ALL", "MSG_BTN_NOTOALL", "MSG_BTN_YESTOALL",
        "MSG_BTN_HELP", "MSG_CAP_SHOWFLAG", "MSG_CAP_WARNING", "MSG_CAP_ERROR",
        "MSG_CAP_INFORMATION", "MSG_CAP_CONFIRM"}},
      {"TfrmMain",
       {"lblTitle.Caption",
        "lblSubTitle.Caption",
        "btnInstallFF.Caption",
        "btnClearAll.Caption",
        "btnSelectAll.Caption",
        "btnIE.Caption",
        "btnFF.Caption",
        "btnWH.Caption",
        "btnSF.Caption",
        "rbClearIEBrowserH.Caption",
        "btnIECBH.Caption",
        "lblClearBrowserH.Caption",
        "rbIEDeleteTemp.Caption",
        "btnIEDT.Caption",
        "rbIEDeleteCookie.Caption",
        "btnIEDC.Caption",
        "rbIEDeletePswd.Caption",
        "btnIEDP.Caption",
        "rbFFClearBrowseH.Caption",
        "btnFFCBH.Caption",
        "lblFFClearBH.Caption",
        "rbFFDeleteCache.Caption",
        "btnFFDC.Caption",
        "rbFFDeleteCookies.Caption",
        "btnFFDCookie.Caption",
        "rbFFDeletePassword.Caption",
        "btnFFDP.Caption",
        "rbWHClearRecent.Caption",
        "btnWHCRDL.Caption",
        "rbWHClearWindowRunHistory.Caption",
        "btnWHCR.Caption",
        "rbWHClearSearch.Caption",
        "btnWHCS.Caption",
        "rbWHClearOpenProg.Caption",
        "btnWHCSM.Caption",
        "rbClearClipboard.Caption",
        "btnSysClearClipboard.Caption",
        "rbEmptyRecycle.Caption",
        "btnSysER.Caption",
        "rbEmptyWindowsTemp.Caption",
        "btnSysEWT.Caption",
        "mniUpdate.Caption",
        "mniAbout.Caption"}},
  };
  for (const char* language : kLanguages) {
    auto data = TComponent::MakeUnowned<TCLMultiLangData>();
    data->LoadLanguageFile(LanguageFile(language));
    EXPECT_EQ(data->CurrentLanguage(), language);  // the catalogue shows the file's name
    EXPECT_EQ(data->AppName(), "Quorvane");
    for (const auto& [section, keys] : required) {
      for (const std::string& key : keys) {
        SCOPED_TRACE(std::string(language) + ": [" + section + "] " + key);
        std::string text;
        EXPECT_TRUE(data->Lookup(section, "", key, text));
        EXPECT_FALSE(text.empty());
      }
    }
  }
}

TEST(LanguageFiles, TranslateTheSameKeysWithTheSamePlaceholders) {
  std::vector<KeyTexts> files;
  for (const char* language : kLanguages) {
    TMemIniFile ini;
    ASSERT_TRUE(ini.LoadFromFile(LanguageFile(language))) << language;
    files.push_back(ReadKeys(ini));
  }
  const KeyTexts& english = files[0];
  for (size_t f = 1; f < files.size(); ++f) {
    SCOPED_TRACE(kLanguages[f]);
    const KeyTexts& other = files[f];
    // Key sets per section, both ways.
    for (const auto& [a, b] : {std::pair{&english, &other}, std::pair{&other, &english}}) {
      for (const auto& [section, texts] : *a) {
        ASSERT_TRUE(b->count(section)) << "section missing: " << section;
        for (const auto& [key, text] : texts)
          EXPECT_TRUE(b->at(section).count(key)) << "[" << section << "] " << key << " missing";
      }
    }
    // "{1}", "{2}" are filled by the program: a translation must use the same ones.
    auto placeholders = [](const std::string& text) {
      std::set<std::string> found;
      for (size_t i = text.find('{'); i != std::string::npos; i = text.find('{', i + 1)) {
        const size_t end = text.find('}', i);
        if (end != std::string::npos && end > i + 1 &&
            std::all_of(text.begin() + i + 1, text.begin() + end, ::isdigit))
          found.insert(text.substr(i, end - i + 1));
      }
      return found;
    };
    for (const auto& [section, texts] : english) {
      if (!other.count(section)) continue;
      for (const auto& [key, text] : texts) {
        if (!other.at(section).count(key)) continue;
        EXPECT_EQ(placeholders(text), placeholders(other.at(section).at(key)))
            << "[" << section << "] " << key;
      }
    }
  }
}

TEST(LanguageFiles, UseOnlyTokensTheProgramExpands) {
  for (const char* language : kLanguages) {
    TMemIniFile ini;
    ASSERT_TRUE(ini.LoadFromFile(LanguageFile(language))) << language;
    for (const auto& [section, texts] : ReadKeys(ini)) {
      for (const auto& [key, text] : texts) {
        SCOPED_TRACE(std::string(language) + ": [" + section + "] " + key + "=" + text);
        // Whatever is left between angle brackets or braces once the known tokens are taken
        // out is a misspelt token that would show on screen.
        std::string rest = text;
        for (const char* token : {"<BR>", "<SP>", "{AppName}", "{1}", "{2}"})
          rest = ReplaceTextIgnoreCase(rest, token, "");
        EXPECT_EQ(rest.find_first_of("<>{}"), std::string::npos);
      }
    }
  }
}

TEST(LanguageFiles, GermanIsInTheSingleByteCodePage) {
  auto data = TComponent::MakeUnowned<TCLMultiLangData>();
  data->LoadLanguageFile(LanguageFile("Deutsch"));
  std::string text;
  ASSERT_TRUE(data->Lookup("TfrmMain", "btnSelectAll", "Caption", text));
  EXPECT_EQ(text, "Alle ausw\xE4hlen");  // one byte per letter, as Windows-1252 has it
  ASSERT_TRUE(data->Lookup("LibRes", "", "TfrmCLAboutForm.Caption", text));
  EXPECT_EQ(text,
            "\xDC"
            "ber Quorvane");
}

}  // namespace
}  // namespace qv
