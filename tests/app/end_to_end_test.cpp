// The real quorvane.exe in the sandbox, driven from outside the way a person would use it:
// traces are planted for every item, the program is started, buttons are clicked, message
// boxes are read and answered, and afterwards the traces must be gone and the canaries kept.
// Screenshots of the four panels and of a message box are kept in build/artefacts.
#include <windows.h>
#include <shellapi.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include "localisation/CLMultiLang.h"
#include "support/TestFiles.h"
#include "support/TraceFixtures.h"
#include "support/WindowDriver.h"
#include "util/Files.h"
#include "util/Paths.h"
#include "util/Text.h"

namespace qv::test {
namespace {

const char kProgram[] = "Q:\\Quorvane\\quorvane.exe";
const char kArtefacts[] = "Q:\\artefacts";
const char kExplorerKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
const char kCanaryKey[] = "Software\\QuorvaneEndToEnd";

// The text a keyed message box shows: the English language file's text for the key.
std::string MessageText(const std::string& key, const std::vector<std::string>& args = {}) {
  static auto texts = [] {
    auto data = TComponent::MakeUnowned<TCLMultiLangData>();
    data->LoadLanguageFile("Q:\\Quorvane\\langs\\English.lan");
    return data;
  }();
  std::string text;
  texts->Lookup("AppRes", "", key, text);
  return FillPlaceholders(text, args, int(args.size()) - 1);
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 20000) {
  for (int waited = 0; waited < timeoutMs; waited += 50) {
    if (condition()) return true;
    Sleep(50);
  }
  return condition();
}

// One run of the program: started in the constructor, closed in the destructor.
class RunningQuorvane {
 public:
  RunningQuorvane() {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    char commandLine[] = "\"Q:\\Quorvane\\quorvane.exe\"";
    if (!CreateProcessA(kProgram, commandLine, nullptr, nullptr, FALSE, 0, nullptr, "Q:\\Quorvane", &startup,
                        &process_))
      return;
    main_ = WaitForTopLevel("TfrmMain", process_.dwProcessId, 20000);
    // The second half of the start-up has run once the engine no longer says it is busy.
    const UINT ifBusy = RegisterWindowMessageA("CL IfBusy");
    WaitUntil([&] {
      DWORD_PTR busy = 1;
      return main_ && SendMessageTimeoutA(main_, ifBusy, 0, 0, SMTO_ABORTIFHUNG, 2000, &busy) && busy == 0;
    });
  }
  ~RunningQuorvane() {
    if (process_.hProcess == nullptr) return;
    if (main_) PostMessageA(main_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process_.hProcess, 1);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
  RunningQuorvane(const RunningQuorvane&) = delete;
  RunningQuorvane& operator=(const RunningQuorvane&) = delete;

  HWND Main() const { return main_; }
  DWORD ProcessId() const { return process_.dwProcessId; }
  HWND Control(const std::string& name) const { return FindByName(main_, name); }

  // Clicks a button and reads the message box it opens.
  MessageBoxView ClickForMessage(const std::string& button) {
    Click(Control(button));
    return WaitForMessageBox(ProcessId());
  }

 private:
  PROCESS_INFORMATION process_{};
  HWND main_ = nullptr;
};

// Every trace the items remove, planted in the sandbox's user profile, with canaries beside
// them that must survive.
class PlantedProfile {
 public:
  PlantedProfile()
      : firefoxKey_(HKEY_CURRENT_USER, "Software\\Calloway"), canaryKey_(HKEY_CURRENT_USER, kCanaryKey) {
    appData_ = UserShellFolder("AppData");
    profile_ = appData_ + "\\Mozilla\\Firefox\\Profiles\\e2etest.default\\";
    localProfile_ = UserShellFolder("Local AppData") + "\\Mozilla\\Firefox\\Profiles\\e2etest.default\\";
    cacheFolder_ = UserShellFolder("Cache") + "\\e2etest\\";
    tempFolder_ = GetTempFolder() + "e2etest\\";
    recent_ = UserShellFolder("Recent") + "\\";
    profilesIni_ = appData_ + "\\Mozilla\\Firefox\\profiles.ini";
    savedProfilesIni_ = ReadWholeFile(profilesIni_);
  }
  ~PlantedProfile() {
    RemoveTree(profile_);
    RemoveTree(localProfile_);
    RemoveTree(cacheFolder_);
    RemoveTree(tempFolder_);
    RemoveTree(firefoxFolder_);
    RemoveTree(appData_ + "\\e2etest-canary.txt");
    RemoveTree(recent_ + "AutomaticDestinations\\e2etest.automaticDestinations-ms");
    if (savedProfilesIni_ == "<missing>")
      RemoveTree(profilesIni_);
    else
      PlantFile(profilesIni_, savedProfilesIni_);
  }

  void PlantEverything() {
    // Firefox is installed (its registered folder holds its exe) and this is its default profile.
    firefoxFolder_ = appData_ + "\\e2etest-calloway";
    PlantFile(firefoxFolder_ + "\\Calloway.exe", "");
    SetRegistryString(HKEY_CURRENT_USER, "Software\\Calloway", "", firefoxFolder_);
    PlantFile(profilesIni_, "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/e2etest.default\r\n"
                            "Default=1\r\n");

    SetRegistryString(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\TypedURLs", "url1",
                      "http://typed.e2etest.example/");
    PlantFile(cacheFolder_ + "page.htm", "<html>cached</html>");
    ASSERT_TRUE(CommitCacheEntry("Cookie:user@e2etest.example/", COOKIE_CACHE_ENTRY));
    SetRegistryBinary(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage2",
                      "E2ETESTHASH", "stored password");
    for (const char* file : {"places.sqlite", "places.sqlite-wal", "downloads.sqlite", "formhistory.sqlite",
                             "cookies.sqlite", "cookies.sqlite-journal", "signons.sqlite", "logins.json"})
      PlantFile(profile_ + file);
    PlantFile(localProfile_ + "Cache\\a.bin");
    PlantFile(localProfile_ + "cache2\\entries\\b.bin");
    PlantClipboard("e2etest clipboard");
    PlantRecycled();
    for (int i = 0; i < 200; ++i) PlantFile(tempFolder_ + "file" + std::to_string(i) + ".tmp");
    PlantFile(recent_ + "e2etest.lnk", "shortcut");
    SetRegistryBinary(HKEY_CURRENT_USER, std::string(kExplorerKey) + "\\RecentDocs", "0", "e2etest.txt");
    SetRegistryString(HKEY_CURRENT_USER, std::string(kExplorerKey) + "\\RunMRU", "a", "e2etest.exe\\1");

    // Canaries: things beside the traces that no item removes.
    PlantFile(profile_ + "key4.db", "keys");
    PlantFile(profile_ + "prefs.js", "prefs");
    PlantFile(appData_ + "\\e2etest-canary.txt", "canary");
    PlantFile(recent_ + "AutomaticDestinations\\e2etest.automaticDestinations-ms", "jump list");
    SetRegistryString(HKEY_CURRENT_USER, kCanaryKey, "keep", "canary");
  }

  // Each trace that is still there, by a short name.
  std::vector<std::string> RemainingTraces() const {
    std::vector<std::string> left;
    auto check = [&](const char* name, bool present) {
      if (present) left.push_back(name);
    };
    check("TypedURLs", ReadRegistryValue(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\TypedURLs",
                                         "url1")
                           .has_value());
    check("IE cache file", PathExists(cacheFolder_ + "page.htm"));
    check("IE cookie", CacheEntryExists("Cookie:user@e2etest.example/"));
    check("IE stored password",
          ReadRegistryValue(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage2",
                            "E2ETESTHASH")
              .has_value());
    for (const char* file : {"places.sqlite", "places.sqlite-wal", "downloads.sqlite", "formhistory.sqlite",
                             "cookies.sqlite", "cookies.sqlite-journal", "signons.sqlite", "logins.json"})
      check(file, PathExists(profile_ + file));
    check("Firefox Cache", PathExists(localProfile_ + "Cache\\a.bin"));
    check("Firefox cache2", PathExists(localProfile_ + "cache2\\entries\\b.bin"));
    check("clipboard", ClipboardText() == "e2etest clipboard");
    check("Recycle Bin", RecycledItems() > 0);
    check("temporary files", PathExists(tempFolder_ + "file0.tmp"));
    check("Recent shortcut", PathExists(recent_ + "e2etest.lnk"));
    check("RecentDocs", ReadRegistryValue(HKEY_CURRENT_USER, std::string(kExplorerKey) + "\\RecentDocs", "0")
                            .has_value());
    check("RunMRU",
          ReadRegistryValue(HKEY_CURRENT_USER, std::string(kExplorerKey) + "\\RunMRU", "a").has_value());
    return left;
  }

  bool CanariesIntact() const {
    return ReadWholeFile(profile_ + "key4.db") == "keys" && ReadWholeFile(profile_ + "prefs.js") == "prefs" &&
           ReadWholeFile(appData_ + "\\e2etest-canary.txt") == "canary" &&
           ReadWholeFile(recent_ + "AutomaticDestinations\\e2etest.automaticDestinations-ms") == "jump list" &&
           ReadRegistryValue(HKEY_CURRENT_USER, kCanaryKey, "keep") == std::optional<std::string>("canary");
  }

  // The scripts run on after the program has reported; they are done when their traces are.
  bool WaitForScripts() const {
    return WaitUntil([&] {
      const auto left = RemainingTraces();
      for (const char* scripted : {"TypedURLs", "Recent shortcut", "RecentDocs", "RunMRU"})
        if (std::find(left.begin(), left.end(), scripted) != left.end()) return false;
      return true;
    });
  }

  static std::string ClipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return "<busy>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
      if (const char* chars = static_cast<const char*>(GlobalLock(data))) text = chars;
      GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
  }

  static long long RecycledItems() {
    SHQUERYRBINFO info{};
    info.cbSize = sizeof info;
    return SUCCEEDED(SHQueryRecycleBinA(nullptr, &info)) ? info.i64NumItems : -1;
  }

 private:
  static void PlantClipboard(const std::string& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
  }

  void PlantRecycled() {
    const std::string file = appData_ + "\\e2etest-recycled.txt";
    PlantFile(file, "deleted once");
    std::string from = file + std::string(1, '\0');
    SHFILEOPSTRUCTA operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    ASSERT_EQ(SHFileOperationA(&operation), 0);
    ASSERT_GT(RecycledItems(), 0);
  }

  RegistryKeyGuard firefoxKey_;
  RegistryKeyGuard canaryKey_;
  std::string appData_, profile_, localProfile_, cacheFolder_, tempFolder_, recent_, firefoxFolder_;
  std::string profilesIni_, savedProfilesIni_;
};

const char* const kCheckBoxes[] = {
    "rbClearIEBrowserH", "rbIEDeleteTemp",    "rbIEDeleteCookie", "rbIEDeletePswd",
    "rbFFClearBrowseH",  "rbFFDeleteCache",   "rbFFDeleteCookies", "rbFFDeletePassword",
    "rbClearClipboard",  "rbEmptyRecycle",    "rbEmptyWindowsTemp", "rbWHClearRecent",
    "rbWHClearWindowRunHistory", "rbWHClearSearch", "rbWHClearOpenProg",
};

// Asks the host-side screenshot service (started by scripts/test) for a picture of the whole
// display, kept as build/artefacts/NAME.png; without the service nothing is saved.
void SaveArtefact(const std::string& name) {
  ForceDirectories(kArtefacts);
  Sleep(300);  // let the last change paint
  const std::string request = std::string(kArtefacts) + "\\" + name + ".request";
  PlantFile(request, "");
  WaitUntil([&] { return !PathExists(request); }, 5000);
  RemoveTree(request);
}

class EndToEnd : public ::testing::Test {
 protected:
  PlantedProfile profile;
};

TEST_F(EndToEnd, StartsWithEveryBoxTickedAndTheProgramNameAndVersionAsTitle) {
  RunningQuorvane app;
  ASSERT_NE(app.Main(), nullptr) << "the main window did not appear";
  for (const char* box : kCheckBoxes) {
    SCOPED_TRACE(box);
    HWND control = app.Control(box);
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(IsChecked(control));
  }
  // The engine's title: the program's name, two spaces and the version.
  EXPECT_EQ(WindowText(app.Main()), "Quorvane  1.0.0.0");
  EXPECT_TRUE(IsShown(app.Control("pnIE")));
  EXPECT_FALSE(IsShown(app.Control("sgClearall")));
}

TEST_F(EndToEnd, ClearNowRemovesEveryPlantedTraceAndKeepsTheCanaries) {
  profile.PlantEverything();
  ASSERT_EQ(profile.RemainingTraces().size(), 20u) << ::testing::PrintToString(profile.RemainingTraces());
  RunningQuorvane app;
  ASSERT_NE(app.Main(), nullptr);

  MessageBoxView confirm = app.ClickForMessage("btnClearAll");
  ASSERT_NE(confirm.window, nullptr);
  EXPECT_EQ(confirm.text, MessageText("MSGBOX_ClearNotify"));
  EXPECT_EQ(confirm.caption, "Quorvane");
  SaveArtefact("message-box");
  ASSERT_TRUE(Answer(confirm, "btnYes"));

  // The gauge shows while the items are removed; the final message ends the pass.
  bool gaugeShown = false;
  MessageBoxView done;
  for (int waited = 0; waited < 60000 && !done.window; waited += 10) {
    gaugeShown = gaugeShown || IsShown(app.Control("sgClearall"));
    done = WaitForMessageBox(app.ProcessId(), 0);
    if (!done.window) Sleep(10);
  }
  ASSERT_NE(done.window, nullptr) << "no final message";
  EXPECT_TRUE(gaugeShown);
  EXPECT_EQ(done.text, MessageText("MSGBOX_CLEARALLCLEARED"));
  ASSERT_TRUE(Answer(done, "btnOK"));
  EXPECT_FALSE(IsShown(app.Control("sgClearall")));

  EXPECT_TRUE(profile.WaitForScripts());
  EXPECT_EQ(profile.RemainingTraces(), std::vector<std::string>{});
  EXPECT_TRUE(profile.CanariesIntact());
}

TEST_F(EndToEnd, AnsweringNoRemovesNothing) {
  profile.PlantEverything();
  const auto before = profile.RemainingTraces();
  RunningQuorvane app;
  MessageBoxView confirm = app.ClickForMessage("btnClearAll");
  ASSERT_NE(confirm.window, nullptr);
  ASSERT_TRUE(Answer(confirm, "btnNo"));
  EXPECT_EQ(WaitForMessageBox(app.ProcessId(), 1500).window, nullptr);
  EXPECT_EQ(profile.RemainingTraces(), before);
  EXPECT_TRUE(profile.CanariesIntact());
}

TEST_F(EndToEnd, NothingTickedIsSaidAfterTheConfirmation) {
  RunningQuorvane app;
  for (const char* box : kCheckBoxes) Click(app.Control(box));
  ASSERT_TRUE(WaitUntil([&] {
    for (const char* box : kCheckBoxes)
      if (IsChecked(app.Control(box))) return false;
    return true;
  }, 5000));
  MessageBoxView confirm = app.ClickForMessage("btnClearAll");
  ASSERT_TRUE(Answer(confirm, "btnYes"));
  MessageBoxView nothing = WaitForMessageBox(app.ProcessId());
  ASSERT_NE(nothing.window, nullptr);
  EXPECT_EQ(nothing.text, MessageText("MSGBOX_NoItemChoosed"));
  EXPECT_FALSE(IsShown(app.Control("sgClearall")));
  ASSERT_TRUE(Answer(nothing, "btnOK"));
}

TEST_F(EndToEnd, ARunningFirefoxStopsClearNowBeforeAnythingIsRemoved) {
  profile.PlantEverything();
  const auto before = profile.RemainingTraces();
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "QuorvaneE2EFirefoxReady");
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION firefox{};
  char commandLine[] = "\"Q:\\helpers\\TopLevelWindow.exe\" MozillaWindowClass QuorvaneE2EFirefoxReady";
  ASSERT_TRUE(CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &firefox));
  ASSERT_EQ(WaitForSingleObject(ready, 10000), WAIT_OBJECT_0);
  {
    RunningQuorvane app;
    MessageBoxView confirm = app.ClickForMessage("btnClearAll");
    ASSERT_TRUE(Answer(confirm, "btnYes"));
    MessageBoxView refused = WaitForMessageBox(app.ProcessId());
    ASSERT_NE(refused.window, nullptr);
    EXPECT_EQ(refused.text, MessageText("MSGBOX_CloseFFAndClear"));
    ASSERT_TRUE(Answer(refused, "btnOK"));
    EXPECT_EQ(WaitForMessageBox(app.ProcessId(), 1500).window, nullptr);
  }
  TerminateProcess(firefox.hProcess, 0);
  CloseHandle(firefox.hProcess);
  CloseHandle(firefox.hThread);
  CloseHandle(ready);
  EXPECT_EQ(profile.RemainingTraces(), before);
  EXPECT_TRUE(profile.CanariesIntact());
}

TEST_F(EndToEnd, AnOwnButtonOfEachCategoryRemovesItsTraceAndSaysSo) {
  profile.PlantEverything();
  RunningQuorvane app;
  struct Case {
    const char* panelButton;
    const char* ownButton;
    const char* trace;
  } cases[] = {
      {"btnIE", "btnIEDT", "IE cache file"},
      {"btnFF", "btnFFDC", "Firefox Cache"},
      {"btnWH", "btnWHCR", "RunMRU"},
      {"btnSF", "btnSysClearClipboard", "clipboard"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ownButton);
    Click(app.Control(c.panelButton));
    MessageBoxView done = app.ClickForMessage(c.ownButton);
    ASSERT_NE(done.window, nullptr);
    EXPECT_EQ(done.text, MessageText("MSGBOX_Cleared"));
    ASSERT_TRUE(Answer(done, "btnOK"));
    EXPECT_TRUE(WaitUntil([&] {
      const auto left = profile.RemainingTraces();
      return std::find(left.begin(), left.end(), c.trace) == left.end();
    }));
  }
  EXPECT_TRUE(profile.CanariesIntact());
}

TEST_F(EndToEnd, CategoryButtonsSwitchPanels) {
  RunningQuorvane app;
  struct Case {
    const char* button;
    const char* panel;
  } cases[] = {{"btnFF", "pnFF"}, {"btnFF", "pnFF"}, {"btnWH", "pnWH"}, {"btnSF", "pnSys"}, {"btnIE", "pnIE"}};
  const char* const panels[] = {"pnIE", "pnFF", "pnWH", "pnSys"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    Click(app.Control(c.button));
    // The new panel shows first, then the others hide: wait for the whole switch.
    auto onlyTheChosenShows = [&] {
      for (const char* panel : panels)
        if (IsShown(app.Control(panel)) != (std::string(panel) == c.panel)) return false;
      return true;
    };
    EXPECT_TRUE(WaitUntil(onlyTheChosenShows, 5000));
    SaveArtefact(std::string("panel-") + c.panel);
  }
}

}  // namespace
}  // namespace qv::test
