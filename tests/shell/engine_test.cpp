// The application engine inside one process: construction on forms only, the process engine
// and its overlay lists, the two start-up halves, the title, the text lookups and the answers
// of its window procedure to messages sent within the process.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "shell/EngineLists.h"
#include "tests/shell/engine_fixture.h"

namespace qv {

QV_PUBLISHED(TfrmEngineTest) { return {}; }

namespace {

UINT Registered(const char* name) { return RegisterWindowMessageA(name); }

bool Reached(const TfrmEngineTest* form, UINT message) {
  for (UINT m : form->reachedForm)
    if (m == message) return true;
  return false;
}

TEST_F(EngineTest, ConstructionNeedsAFormAsOwner) {
  auto plain = TComponent::MakeUnowned<TComponent>();
  EXPECT_THROW(plain->Make<TCLEngine>(), EInvalidCast);
  EXPECT_EQ(plain->ComponentCount(), 0);
  EXPECT_THROW(TComponent::MakeUnowned<TCLEngine>(), EInvalidCast);
  EXPECT_EQ(GetEngine(), nullptr) << "a failed construction must not become the process engine";
  EXPECT_EQ(CurrentEngineSettingLists(), nullptr);
}

TEST_F(EngineTest, FirstEngineServesTheProcessAndASecondNeverDoes) {
  TfrmEngineTest* first =
      MakeForm([](TfrmEngineTest& f) { f.engine1->SettingOverwrite().Add("App.Name=First"); });
  TfrmEngineTest* second = MakeForm([](TfrmEngineTest& f) {
    f.engine1->SettingOverwrite().Add("App.Name=Second");
    f.lang1->DefaultData().SetText("[AppRes]\nMSGBOX_Hello=Second's hello\n");
  });
  EXPECT_EQ(GetEngine(), first->engine1);
  EXPECT_EQ(GetSettings()->ReadString("App.Name"), "First");
  // The second engine's lookups still go to the first engine's language.
  EXPECT_EQ(second->engine1->GetResText("MSGBOX_Hello", false), "Hello {1}, again {1}, not {3}");

  // The first one goes: there is no process engine until a new one is constructed, and the
  // surviving second engine does not take over.
  Application().RemoveComponent(first).reset();
  EXPECT_EQ(GetEngine(), nullptr);
  EXPECT_EQ(GetSettings()->ReadString("App.Name"), "Quorvane Test");
  EXPECT_EQ(second->engine1->GetResText("MSGBOX_Hello", false), "Second's hello");

  TfrmEngineTest* third = MakeForm();
  EXPECT_EQ(GetEngine(), third->engine1);
}

TEST_F(EngineTest, OverlayListsReachTheSettingsStore) {
  TfrmEngineTest* form = MakeForm([](TfrmEngineTest& f) {
    f.engine1->SettingOverwrite().Add("app.ver=9.9");  // names match without regard to case
    f.engine1->SettingOverwrite().Add("App.Ver=8.8");  // the first line of a name wins
  });
  TCLSettings* settings = GetSettings();
  EXPECT_EQ(settings->ReadString("App.Ver"), "9.9");
  EXPECT_EQ(settings->ReadString("Path.Skins"), "skins");  // the constructor's defaults
  EXPECT_EQ(settings->ReadString("Path.Languages"), "lang");

  // Assigning the published list replaces its lines, and the store sees the change at once.
  TStringList defaults;
  defaults.SetText("Path.Languages=langs\nApp.Name=Default name\n");
  SetObjectProp(*form->engine1, "SettingDefault", &defaults);
  EXPECT_EQ(settings->ReadString("Path.Languages"), "langs");
  EXPECT_EQ(settings->ReadString("Path.Skins"), "");
  EXPECT_EQ(settings->ReadString("App.Name"), "Quorvane Test") << "a file beats the defaults";
  form->engine1->SettingOverwrite().Clear();
  EXPECT_EQ(settings->ReadString("App.Ver"), "1.2");

  Application().RemoveComponent(form).reset();
  EXPECT_EQ(CurrentEngineSettingLists(), nullptr);
  EXPECT_EQ(settings->ReadString("Path.Languages"), "");
}

TEST_F(EngineTest, StartupRunsInTwoHalvesWithEventsHeldUntilTheLoop) {
  TfrmEngineTest* form = MakeForm();
  TCLEngine* engine = form->engine1;
  EXPECT_TRUE(engine->Busy());
  EXPECT_FALSE(engine->Loading());
  EXPECT_TRUE(form->events.empty()) << "no event fires while the form loads";
  MSG pending;
  EXPECT_TRUE(PeekMessageA(&pending, form->Handle(), Registered(kMsgInitPost),
                           Registered(kMsgInitPost), PM_NOREMOVE))
      << "the second half waits in the form's queue";

  ASSERT_TRUE(FinishStartup(form));
  EXPECT_EQ(form->events, (std::vector<std::string>{"language", "skin", "title"}));
  EXPECT_EQ(engine->Title(), "Cleaner  1.2");

  // Anyone can post "CL InitPost"; only the first one starts the program.
  PostMessageA(form->Handle(), Registered(kMsgInitPost), 0, 0);
  Application().ProcessMessages();
  EXPECT_EQ(form->events.size(), 3u);
}

TEST_F(EngineTest, AutoUpdateCheckRunsOnceInTheSecondHalf) {
  std::vector<bool> busyAtCheck;
  TCLEngine::SetAutoUpdateCheck([&](TCLEngine& e) { busyAtCheck.push_back(e.Busy()); });
  TfrmEngineTest* form = MakeForm();
  EXPECT_TRUE(busyAtCheck.empty());
  ASSERT_TRUE(FinishStartup(form));
  TCLEngine::SetAutoUpdateCheck(nullptr);
  EXPECT_EQ(busyAtCheck, std::vector<bool>{true});
}

TEST_F(EngineTest, TitleFromNameAndVersion) {
  struct Case {
    const char* name;
    std::vector<std::string> overwrite;
    bool languageName;  // the language has an AppName
    bool includeVer;
    std::string title;
    bool applied;
  };
  const Case cases[] = {
      {"language name, two spaces, version", {}, true, true, "Cleaner  1.2", true},
      {"without version", {}, true, false, "Cleaner", true},
      {"App.Name without a language name", {}, false, true, "Quorvane Test  1.2", true},
      {"no name anywhere", {"App.Name="}, false, true, "  1.2", true},
      {"App.NoAutoTitle: computed, not applied",
       {"App.NoAutoTitle=1"},
       true,
       true,
       "Cleaner  1.2",
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TfrmEngineTest* form = MakeForm([&](TfrmEngineTest& f) {
      for (const std::string& line : c.overwrite) f.engine1->SettingOverwrite().Add(line);
      if (!c.languageName) f.lang1->DefaultData().SetText("[AppRes]\nOther=1\n");
    });
    form->SetCaption("designed");
    Application().SetTitle("designed");
    form->events.clear();
    form->engine1->SetTitleIncludeVer(c.includeVer);  // rebuilds the title
    EXPECT_EQ(form->engine1->Title(), c.title);
    const std::string shown = c.applied ? c.title : "designed";
    EXPECT_EQ(form->Caption(), shown);
    EXPECT_EQ(Application().Title(), shown);
    EXPECT_EQ(form->events,
              c.applied ? std::vector<std::string>{"title"} : std::vector<std::string>{});
    Application().RemoveComponent(form).reset();
  }
}

TEST_F(EngineTest, TextLookups) {
  TfrmEngineTest* form = MakeForm();
  TCLEngine* engine = form->engine1;
  EXPECT_EQ(engine->GetLangText("AppRes", "MSGBOX_Ask"), "Go on?");
  EXPECT_EQ(engine->GetAppText("MSGBOX_Ask"), "Go on?");
  EXPECT_EQ(engine->GetLibText("LIB_Close"), "Close it");
  EXPECT_EQ(engine->GetLibText("MSGBOX_Ask"), "") << "sections are kept apart";
  EXPECT_EQ(engine->GetResText("LIB_Close", true), "Close it");
  EXPECT_EQ(engine->GetResText("LIB_Missing", true), "[LibRes]LIB_Missing");
  EXPECT_EQ(engine->GetResText("MSGBOX_Missing", false), "[AppRes]MSGBOX_Missing");
  EXPECT_EQ(engine->GetProgramName(), "Cleaner");

  TStringList list;
  list.SetText("AppName=Mine\n");
  engine->TranslateStrings("AppRes", list);
  EXPECT_EQ(list.Values("AppName"), "Mine") << "names the list holds stay";
  EXPECT_EQ(list.Values("MSGBOX_Ask"), "Go on?");

  // Without language data every lookup is empty and the name comes from the settings.
  engine->SetLanguageData(nullptr);
  EXPECT_EQ(engine->GetAppText("MSGBOX_Ask"), "");
  EXPECT_EQ(engine->GetResText("MSGBOX_Ask", false), "[AppRes]MSGBOX_Ask");
  EXPECT_EQ(engine->GetProgramName(), "Quorvane Test");
  TStringList untouched;
  engine->TranslateStrings("AppRes", untouched);
  EXPECT_EQ(untouched.Count(), 0);

  // Language data destroyed under the engine is forgotten, not used.
  engine->SetLanguageData(form->lang1);
  form->RemoveComponent(form->lang1).reset();
  EXPECT_EQ(engine->LanguageData(), nullptr);
  EXPECT_EQ(engine->GetProgramName(), "Quorvane Test");
}

TEST_F(EngineTest, CopyDataRecordsWithinTheProcess) {
  struct Case {
    const char* name;
    const char* data;
    DWORD count;
    bool posted;
    std::string param;
  };
  static const char kText[] = "C:\\Docs\\report.txt and more";
  const Case cases[] = {
      {"exactly count bytes, no zero expected", kText, 18, true, "C:\\Docs\\report.txt"},
      {"zero bytes: empty parameter", nullptr, 0, true, ""},
      {"zero bytes with data", kText, 0, true, ""},
      {"count without data is refused", nullptr, 5, false, "before"},
      {"oversized count is refused", kText, 64 * 1024, false, "before"},
  };
  const UINT cmdParam = Registered(kMsgCmdParam);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TfrmEngineTest* form = MakeForm();
    ASSERT_TRUE(FinishStartup(form));
    form->engine1->OnCmdFile = [form](const std::string& f) {
      form->events.push_back("file:" + f);
    };
    // Seed the last parameter so that a refused record visibly changes nothing.
    COPYDATASTRUCT seed{0, 6, const_cast<char*>("before")};
    SendMessageA(form->Handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&seed));
    Application().ProcessMessages();
    form->events.clear();

    COPYDATASTRUCT record{7, c.count, const_cast<char*>(c.data)};
    EXPECT_EQ(SendMessageA(form->Handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record)), 0);
    EXPECT_TRUE(form->events.empty()) << "the handler runs later, from the queue";
    EXPECT_EQ(form->engine1->CmdParam(), c.param);
    Application().ProcessMessages();
    EXPECT_EQ(form->events,
              c.posted ? std::vector<std::string>{"file:" + c.param} : std::vector<std::string>{});
    EXPECT_FALSE(Reached(form, WM_COPYDATA)) << "records are the engine's, answered or not";
    EXPECT_FALSE(Reached(form, cmdParam));
    Application().RemoveComponent(form).reset();
  }
}

TEST_F(EngineTest, PassesOnWhatItDoesNotAnswer) {
  TfrmEngineTest* form = MakeForm();
  ASSERT_TRUE(FinishStartup(form));
  const UINT cmdParam = Registered(kMsgCmdParam);
  // WM_COPYDATA without a record, and "CL CmdParam" while no OnCmdFile handler is set.
  SendMessageA(form->Handle(), WM_COPYDATA, 0, 0);
  SendMessageA(form->Handle(), cmdParam, 0, 0);
  EXPECT_TRUE(Reached(form, WM_COPYDATA));
  EXPECT_TRUE(Reached(form, cmdParam));
  EXPECT_EQ(SendMessageA(form->Handle(), WM_GETTEXTLENGTH, 0, 0),
            static_cast<LRESULT>(form->Caption().size()))
      << "ordinary messages still get the form's answers";

  // Once the engine is gone the form's own procedure is the first again.
  form->reachedForm.clear();
  form->RemoveComponent(form->engine1).reset();
  EXPECT_EQ(SendMessageA(form->Handle(), Registered(kMsgIfBusy), 0, 0), 0);
  EXPECT_TRUE(Reached(form, Registered(kMsgIfBusy)));
}

TEST_F(EngineTest, ProgramArgumentsOfTheTestAreSwitchesAndPassNothing) {
  // This test program is started with "--gtest_output=..." first: a switch, not a file.
  TfrmEngineTest* form = MakeForm();
  form->engine1->OnCmdFile = [form](const std::string& f) { form->events.push_back("file:" + f); };
  ASSERT_TRUE(FinishStartup(form));
  Application().ProcessMessages();
  EXPECT_EQ(form->engine1->CmdParam(), "");
  EXPECT_EQ(form->events, (std::vector<std::string>{"language", "skin", "title"}));
}

}  // namespace
}  // namespace qv
