// Forms: the loading sequence of a stored description, the window class and name property
// seen from another process, the window-procedure chain, modal loops and the keys a form
// previews.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "forms_fixture.h"
#include "toolkit/Application.h"
#include "toolkit/Forms.h"
#include "toolkit/StdControls.h"

namespace qv {

using Log = std::vector<std::string>;

// Logs its loaded notification with what it can see of the form's designed values.
class TLoadProbe : public TComponent {
  QV_CLASS(TLoadProbe, TComponent)

 public:
  TLoadProbe(ComponentOwner owner, Log* log) : TComponent(owner), log_(log) {}
  TButton* watched = nullptr;

 protected:
  void Loaded() override {
    TComponent::Loaded();
    log_->push_back("loaded " + Name() + (watched ? " sees " + watched->Caption() : ""));
  }

 private:
  Log* log_;
};

QV_PUBLISHED(TLoadProbe) { return {}; }

class TfrmProbe : public TForm {
  QV_CLASS(TfrmProbe, TForm)

 public:
  using TForm::TForm;

  Log log;
  TButton* btnOK = nullptr;
  TButton* btnCancel = nullptr;
  TCheckBox* cbOption = nullptr;
  bool throwOnCreate = false;

 protected:
  void Describe() override {
    SetName(UniqueName("frmProbe"));
    SetCaption("Probe");
    SetBorderStyle(bsDialog);
    SetClientSize(300, 120);
    auto* first = Make<TLoadProbe>(&log);
    first->SetName("probeFirst");
    btnOK = Make<TButton>();
    btnOK->SetName("btnOK");
    btnOK->SetParent(this);
    btnOK->SetBounds(10, 80, 75, 25);
    btnOK->SetCaption("&OK");
    btnOK->SetModalResult(mrOk);
    btnOK->SetDefault(true);
    btnCancel = Make<TButton>();
    btnCancel->SetName("btnCancel");
    btnCancel->SetParent(this);
    btnCancel->SetBounds(100, 80, 75, 25);
    btnCancel->SetCaption("&Cancel");
    btnCancel->SetModalResult(mrCancel);
    btnCancel->SetCancel(true);
    cbOption = Make<TCheckBox>();
    cbOption->SetName("cbOption");
    cbOption->SetParent(this);
    cbOption->SetBounds(10, 10, 150, 17);
    cbOption->SetCaption("Option");
    auto* last = Make<TLoadProbe>(&log);
    last->SetName("probeLast");
    last->watched = btnOK;  // set after the button's values: seen in Loaded, not before
    OnCreate = [this](TObject*) {
      log.push_back("create");
      if (throwOnCreate) throw std::runtime_error("title.png is missing");
    };
  }
  void Loaded() override {
    TForm::Loaded();
    log.push_back("loaded form");
  }
};

QV_PUBLISHED(TfrmProbe) { return {}; }

// A throwing description, to see the form go again.
class TfrmBroken : public TForm {
  QV_CLASS(TfrmBroken, TForm)

 public:
  using TForm::TForm;

 protected:
  void Describe() override {
    Make<TButton>()->SetName("btnOK");
    throw std::runtime_error("broken description");
  }
};

QV_PUBLISHED(TfrmBroken) { return {}; }

namespace {

using FormsTest = test::WindowTest;

TEST_F(FormsTest, ReadsTheDescriptionThenLoadsInCreationOrderThenRunsTheCreationHandler) {
  auto* form = Application().CreateForm<TfrmProbe>();
  EXPECT_EQ(form->log, (Log{"loaded form", "loaded probeFirst", "loaded probeLast sees &OK",
                            "create"}));
  EXPECT_FALSE(form->InState(csLoading));
  EXPECT_FALSE(form->btnOK->InState(csLoading));
  EXPECT_EQ(Application().MainForm(), form);
  EXPECT_EQ(form->ClassName(), "TfrmProbe");
  EXPECT_EQ(form->ClientWidth(), 300);
  EXPECT_EQ(form->ClientHeight(), 120);
  EXPECT_FALSE(form->Visible());  // created hidden; Run or Show shows it

  // A second form is created but does not take over as main form.
  auto* second = Application().CreateForm<TfrmProbe>();
  EXPECT_EQ(Application().MainForm(), form);
  EXPECT_NE(second, form);
  EXPECT_EQ(form->Name(), "frmProbe");
  EXPECT_EQ(second->Name(), "frmProbe_1");
  EXPECT_TRUE(errors.empty());
}

TEST_F(FormsTest, AnErrorInTheCreationHandlerGoesToTheErrorBoxAndTheFormLives) {
  auto form = TComponent::MakeUnowned<TfrmProbe>();
  form->throwOnCreate = true;
  form->Initialize();
  EXPECT_EQ(errors, (Log{"title.png is missing"}));
  EXPECT_EQ(form->log.back(), "create");
  ASSERT_NE(form->Handle(), nullptr);

  // A description that throws destroys the half-made form and propagates.
  EXPECT_THROW(Application().CreateForm<TfrmBroken>(), std::runtime_error);
  EXPECT_EQ(Application().ComponentCount(), 0);
  EXPECT_EQ(Application().MainForm(), nullptr);
}

TEST_F(FormsTest, ClientSizeSurvivesAChangeOfBorderAndTheWindowKeepsIt) {
  auto form = CreateUnownedForm<TfrmProbe>();
  form->SetBorderStyle(bsSingle);
  HWND window = form->Handle();
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 120);
  EXPECT_FALSE(GetWindowLongPtrA(window, GWL_STYLE) & WS_THICKFRAME);  // fixed size
  form->SetClientSize(678, 368);
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 678);
  EXPECT_EQ(client.bottom, 368);
}

TEST_F(FormsTest, AnotherProcessFindsTheFormByClassAndItsControlsByName) {
  auto* form = Application().CreateForm<TfrmProbe>();
  form->Show();
  char className[64] = {};
  GetClassNameA(form->Handle(), className, sizeof className);
  EXPECT_STREQ(className, "TfrmProbe");

  struct Case {
    const char* args;
    DWORD expected;
  } cases[] = {
      {"TfrmProbe btnOK", 10},
      {"TfrmProbe cbOption", 10},
      {"TfrmProbe cbOption click", 11},  // the driver ticks it and reads it back
      {"TfrmProbe missing", 2},
      {"TfrmNothing btnOK", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    std::string command = std::string("Q:\\helpers\\find_form_control.exe ") + c.args;
    STARTUPINFOA si{sizeof si};
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &si, &pi));
    // Keep answering messages: the driver's BM_CLICK is a send to this thread.
    EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; },
                          15000));
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(code, c.expected);
  }
  EXPECT_TRUE(form->cbOption->Checked());
}

TEST_F(FormsTest, TheNamePropertyGoesWithTheWindow) {
  auto form = CreateUnownedForm<TfrmProbe>();
  HWND button = form->btnOK->Handle();
  auto nameOf = [](HWND window) {
    const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropA(window, kNameProperty)));
    char name[64] = {};
    if (atom) GlobalGetAtomNameA(atom, name, sizeof name);
    return std::string(name);
  };
  EXPECT_EQ(nameOf(form->Handle()), "frmProbe");
  EXPECT_EQ(nameOf(button), "btnOK");
  const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropA(button, kNameProperty)));
  form.reset();
  EXPECT_FALSE(IsWindow(button));
  char name[64] = {};
  EXPECT_EQ(GlobalGetAtomNameA(atom, name, sizeof name), 0u);  // the atom went too
}

// A component that answers one registered message ahead of its form's procedure.
class TAnswerer : public TComponent {
  QV_CLASS(TAnswerer, TComponent)

 public:
  static UINT Message() { return RegisterWindowMessageA("Qv Test Answer"); }

  TAnswerer(ComponentOwner owner, Log* seen) : TComponent(owner), seen_(seen) {
    hook_.Install(dynamic_cast<TWinControl*>(owner.Get()), [this](TMessage& m) {
      if (m.Msg == Message()) {
        m.Result = 42;
        return true;
      }
      if (m.Msg == WM_SETTEXT) seen_->push_back(reinterpret_cast<const char*>(m.LParam));
      return false;
    });
  }

 private:
  Log* seen_;
  WindowProcHook hook_;
};

QV_PUBLISHED(TAnswerer) { return {}; }

TEST_F(FormsTest, AComponentAnswersAheadOfTheFormsProcedureAndRestoresItWhenRemoved) {
  auto form = CreateUnownedForm<TfrmProbe>();
  HWND window = form->Handle();
  EXPECT_EQ(SendMessageA(window, TAnswerer::Message(), 0, 0), 0);

  Log seen;
  auto* answerer = form->Make<TAnswerer>(&seen);
  EXPECT_EQ(SendMessageA(window, TAnswerer::Message(), 0, 0), 42);
  // What it does not answer still reaches the form.
  SetWindowTextA(window, "Renamed");
  char text[32] = {};
  GetWindowTextA(window, text, sizeof text);
  EXPECT_STREQ(text, "Renamed");
  EXPECT_EQ(seen, (Log{"Renamed"}));

  // A second link on top; the first one removed out of order leaves the chain intact.
  Log seenAgain;
  auto* second = form->Make<TAnswerer>(&seenAgain);
  form->RemoveComponent(answerer).reset();
  EXPECT_EQ(SendMessageA(window, TAnswerer::Message(), 0, 0), 42);  // the second answers
  form->RemoveComponent(second).reset();
  EXPECT_EQ(SendMessageA(window, TAnswerer::Message(), 0, 0), 0);
  SetWindowTextA(window, "Again");
  EXPECT_EQ(seen, (Log{"Renamed"}));
  EXPECT_EQ(seenAgain, Log{});

  // Destroying the form with a hook still installed destroys the component first.
  form->Make<TAnswerer>(&seen);
  form.reset();
}

TEST_F(FormsTest, ShowModalReturnsTheModalResultOfTheButtonClicked) {
  auto form = CreateUnownedForm<TfrmProbe>();
  int clicks = 0;
  form->btnCancel->OnClick = [&](TObject*) { ++clicks; };
  After(50, [&] { PostMessageA(form->btnCancel->Handle(), BM_CLICK, 0, 0); });
  After(5000, [&] { form->SetModalResult(mrAbort); });  // watchdog
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(IsWindowVisible(form->Handle()));

  // The same form again, answered from another thread.
  HWND ok = form->btnOK->Handle();
  std::thread clicker([ok] {
    Sleep(50);
    PostMessageA(ok, BM_CLICK, 0, 0);
  });
  After(5000, [&] { form->SetModalResult(mrAbort); });
  EXPECT_EQ(form->ShowModal(), mrOk);
  clicker.join();
}

TEST_F(FormsTest, AModalFormDisablesTheOtherWindowsAndClosingItCancels) {
  auto* main = Application().CreateForm<TfrmProbe>();
  main->Show();
  auto dialog = CreateUnownedForm<TfrmProbe>();
  bool mainDisabled = false;
  After(50, [&] {
    mainDisabled = !IsWindowEnabled(main->Handle());
    PostMessageA(dialog->Handle(), WM_CLOSE, 0, 0);
  });
  After(5000, [&] { dialog->SetModalResult(mrAbort); });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_TRUE(mainDisabled);
  EXPECT_TRUE(IsWindowEnabled(main->Handle()));
  EXPECT_TRUE(main->Visible());  // closing a secondary form leaves the program running
  EXPECT_FALSE(Application().Terminated());

  dialog->Show();
  EXPECT_THROW(dialog->ShowModal(), EInvalidOperation);
}

TEST_F(FormsTest, OnCloseQueryCanKeepAModalFormOpen) {
  auto form = CreateUnownedForm<TfrmProbe>();
  int asked = 0;
  form->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = ++asked > 1; };
  After(50, [&] { PostMessageA(form->btnOK->Handle(), BM_CLICK, 0, 0); });
  After(150, [&] { PostMessageA(form->btnCancel->Handle(), BM_CLICK, 0, 0); });
  After(5000, [&] { form->SetModalResult(mrAbort); });
  EXPECT_EQ(form->ShowModal(), mrCancel);  // the first close was refused
  EXPECT_EQ(asked, 2);
}

TEST_F(FormsTest, KeyPreviewShowsTheFormEveryKeyBeforeTheFocusedControl) {
  auto form = CreateUnownedForm<TfrmProbe>();
  form->SetKeyPreview(true);
  Log keys;
  form->OnKeyUp = [&](TObject* sender, WORD& key, TShiftState) {
    keys.push_back("form " + std::to_string(key));
    EXPECT_EQ(sender, form.get());
    if (key == VK_ESCAPE) form->SetModalResult(mrOk);  // Esc closes with OK
    if (key == 'X') key = 0;                             // swallowed
  };
  form->cbOption->OnKeyUp = [&](TObject*, WORD& key, TShiftState) {
    keys.push_back("box " + std::to_string(key));
  };
  After(50, [&] {
    HWND box = form->cbOption->Handle();
    PostMessageA(box, WM_KEYUP, 'A', 0xC0000001);
    PostMessageA(box, WM_KEYUP, 'X', 0xC0000001);
    PostMessageA(box, WM_KEYUP, VK_ESCAPE, 0xC0000001);
  });
  After(5000, [&] { form->SetModalResult(mrAbort); });
  EXPECT_EQ(form->ShowModal(), mrOk);
  EXPECT_EQ(keys, (Log{"form 65", "box 65", "form 88", "form 27", "box 27"}));
}

TEST_F(FormsTest, EnterPressesTheDefaultButtonAndEscTheCancelButton) {
  struct Case {
    WORD key;
    int expected;
  } cases[] = {{VK_RETURN, mrOk}, {VK_ESCAPE, mrCancel}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    auto form = CreateUnownedForm<TfrmProbe>();
    form->cbOption->SetFocus();  // a control that does not take Enter itself
    After(50, [&] { PostMessageA(form->cbOption->Handle(), WM_KEYDOWN, c.key, 1); });
    After(5000, [&] { form->SetModalResult(mrAbort); });
    EXPECT_EQ(form->ShowModal(), c.expected);
  }
}

TEST_F(FormsTest, ActivationAndDeactivationEventsFollowTheActiveWindow) {
  auto first = CreateUnownedForm<TfrmProbe>();
  auto second = CreateUnownedForm<TfrmProbe>();
  Log events;
  first->OnActivate = [&](TObject*) { events.push_back("first on"); };
  first->OnDeactivate = [&](TObject*) { events.push_back("first off"); };
  second->OnActivate = [&](TObject*) { events.push_back("second on"); };
  first->Show();
  Application().ProcessMessages();
  EXPECT_TRUE(first->Active());
  second->Show();
  Application().ProcessMessages();
  EXPECT_EQ(events, (Log{"first on", "first off", "second on"}));
  EXPECT_FALSE(first->Active());
  EXPECT_TRUE(second->Active());
}

TEST_F(FormsTest, CentresOnTheScreenOrOverTheMainWindowWhenFirstShown) {
  const int screenW = GetSystemMetrics(SM_CXSCREEN);
  const int screenH = GetSystemMetrics(SM_CYSCREEN);
  auto* main = Application().CreateForm<TfrmProbe>();
  main->SetPosition(poScreenCenter);
  main->SetBounds(0, 0, 600, 300);
  main->Show();
  EXPECT_EQ(main->Left(), (screenW - 600) / 2);
  EXPECT_EQ(main->Top(), (screenH - 300) / 2);
  main->SetBounds(100, 50, 600, 300);

  auto dialog = CreateUnownedForm<TfrmProbe>();
  dialog->SetPosition(poMainFormCenter);
  dialog->SetBounds(0, 0, 200, 100);
  dialog->Show();
  EXPECT_EQ(dialog->Left(), 100 + (600 - 200) / 2);
  EXPECT_EQ(dialog->Top(), 50 + (300 - 100) / 2);
  RECT r{};
  GetWindowRect(dialog->Handle(), &r);
  EXPECT_EQ(r.left, dialog->Left());
  EXPECT_EQ(r.right - r.left, 200);
}

}  // namespace
}  // namespace qv
