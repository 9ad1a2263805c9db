// Shared by the engine tests: a stand-in main form carrying language data and an engine, and a
// fixture whose settings store reads a scratch folder (const.dat with a name, a version and an
// application ID) instead of the sandbox's profile.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "localisation/CLMultiLang.h"
#include "shell/CLEngine.h"
#include "shell/CLSettings.h"
#include "support/TestFiles.h"
#include "toolkit/Application.h"
#include "toolkit/forms_fixture.h"

namespace qv {

// The texts of the stand-in form's built-in language.
inline constexpr char kEngineTestTexts[] =
    "[AppRes]\n"
    "AppName=Cleaner\n"
    "MSGBOX_Hello=Hello {1}, again {1}, not {3}\n"
    "MSGBOX_Ask=Go on?\n"
    "[LibRes]\n"
    "LIB_Close=Close it\n";

// A main form with language data "lang1" and engine "engine1" linked to it. Its own window
// procedure (the last link, behind the engine) records the messages that reach it, and the
// engine's events are logged in order.
class TfrmEngineTest : public TForm {
  QV_CLASS(TfrmEngineTest, TForm)

 public:
  using Setup = std::function<void(TfrmEngineTest&)>;
  explicit TfrmEngineTest(ComponentOwner owner, Setup setup = nullptr)
      : TForm(owner), setup_(std::move(setup)) {}

  TCLMultiLangData* lang1 = nullptr;
  TCLEngine* engine1 = nullptr;
  std::vector<std::string> events;  // "language", "skin", "title", "file:<name>"
  std::vector<UINT> reachedForm;    // messages the engine passed on

 protected:
  void Describe() override {
    SetName(UniqueName("frmEngineTest"));
    lang1 = Make<TCLMultiLangData>();
    lang1->SetName("lang1");
    lang1->DefaultData().SetText(kEngineTestTexts);
    engine1 = Make<TCLEngine>();
    engine1->SetName("engine1");
    engine1->SetLanguageData(lang1);
    engine1->OnLanguageChanged = [this](TObject*) { events.push_back("language"); };
    engine1->OnSkinChanged = [this](TObject*) { events.push_back("skin"); };
    engine1->OnTitleChange = [this](TObject*) { events.push_back("title"); };
    if (setup_) setup_(*this);
  }

  void WndProc(TMessage& message) override {
    if (message.Msg == WM_COPYDATA || message.Msg >= 0xC000) reachedForm.push_back(message.Msg);
    TForm::WndProc(message);
  }

 private:
  Setup setup_;
};

class EngineTest : public test::WindowTest {
 protected:
  void SetUp() override {
    test::WindowTest::SetUp();
    test::PlantFile(scratch / "prog\\const.dat",
                    "[setting]\r\nApp.Name=Quorvane Test\r\nApp.Ver=1.2\r\nApp.ID=4242\r\n");
    SettingsEnvironment environment;
    environment.exeFileName = scratch / "prog\\quorvane.exe";
    environment.exeFolder = scratch / "prog\\";
    environment.userAppData = scratch / "user";
    environment.commonAppData = scratch / "common";
    environment.canWriteFolder = [](const std::string&) { return false; };
    SetSettings(std::make_unique<TCLSettings>(environment));
  }

  void TearDown() override {
    test::WindowTest::TearDown();
    FreeSettings();
    // A "CL CloseApp" leaves the application's WM_QUIT behind; it must not end a later loop.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    Application().Initialize();
  }

  TfrmEngineTest* MakeForm(TfrmEngineTest::Setup setup = nullptr) {
    return CreateForm<TfrmEngineTest>(&Application(), std::move(setup));
  }

  // Runs the message loop until the engine's second start-up half is done.
  static bool FinishStartup(TfrmEngineTest* form) {
    return PumpUntil([form] { return !form->engine1->Busy(); });
  }

  test::ScratchFolder scratch;
};

}  // namespace qv
