// The skinned message box, driven the way an outside program answers it: another thread finds
// the box by window class, finds its controls by their "QvName" property, reads them and posts
// clicks, keys or WM_CLOSE. Covers the codes of every button, the answer when closed without
// one, the "don't display again" check box, captions from the resource strings, the owner
// window and the application quitting while the box is up.
#include "toolkit/SkinMessage.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/WindowDriver.h"
#include "toolkit/ResourceStrData.h"

namespace qv {
namespace {

using B = MessageButton;
constexpr int kWaitMs = 5000;

// What the driver saw of a box before acting on it.
struct BoxView {
  HWND box = nullptr;
  HWND owner = nullptr;
  std::string caption;
  RECT client{};
  struct Control {
    HWND window;
    std::string text;
    RECT rect;  // in the box's client coordinates
    bool checked;
    bool enabled;
  };
  std::map<std::string, Control> controls;

  bool Has(const std::string& name) const { return controls.count(name) != 0; }
  std::string Text(const std::string& name) const {
    auto it = controls.find(name);
    return it == controls.end() ? "<missing>" : it->second.text;
  }
};

BoxView Inspect(HWND box) {
  BoxView view;
  view.box = box;
  view.owner = GetWindow(box, GW_OWNER);
  view.caption = test::WindowText(box);
  GetClientRect(box, &view.client);
  EnumChildWindows(
      box,
      [](HWND child, LPARAM param) -> BOOL {
        auto& v = *reinterpret_cast<BoxView*>(param);
        std::string name = test::ComponentNameOf(child);
        if (name.empty()) return TRUE;
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, v.box, reinterpret_cast<POINT*>(&rect), 2);
        v.controls[name] = {child, test::WindowText(child), rect, test::IsChecked(child),
                            IsWindowEnabled(child) != FALSE};
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&view));
  return view;
}

bool WaitUntilGone(HWND box, int ms) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < deadline) {
    if (!IsWindow(box)) return true;
    Sleep(20);
  }
  return !IsWindow(box);
}

// Answers the next box from another thread. Whatever happens, the box's caller gets its
// answer within seconds: a box that does not go after the action is sent WM_CLOSE, and a call
// that does not come back is ended with a WM_QUIT; the test is told the box was not answered.
class BoxDriver {
 public:
  using Action = std::function<void(const BoxView&)>;

  explicit BoxDriver(Action action)
      : uiThread_(GetCurrentThreadId()), thread_([this, action] { Run(action); }) {}
  ~BoxDriver() { Join(); }
  BoxDriver(const BoxDriver&) = delete;
  BoxDriver& operator=(const BoxDriver&) = delete;

  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  // The UI thread tells the driver that the box's call has come back.
  void Returned() { returned_ = true; }
  const BoxView& View() const { return view_; }
  // The box appeared, went after the action, and its call came back, all without help.
  bool Answered() const { return answered_; }

 private:
  void Run(const Action& action) {
    HWND box = test::WaitForTopLevel(TspSkinMessage::kWindowClass, GetCurrentProcessId(),
                                     kWaitMs);
    if (box) {
      view_ = Inspect(box);
      action(view_);
      answered_ = WaitUntilGone(box, kWaitMs);
      if (!answered_) {
        PostMessageA(box, WM_CLOSE, 0, 0);
        WaitUntilGone(box, 2000);
      }
    }
    // Whatever happened to the box, the call must come back; a loop that outlives its box
    // is ended by quitting.
    if (!WaitForReturn(answered_ ? kWaitMs : 2000)) {
      answered_ = false;
      PostThreadMessageA(uiThread_, WM_QUIT, 0, 0);
    }
  }

  bool WaitForReturn(int ms) const {
    for (int waited = 0; !returned_ && waited < ms; waited += 20) Sleep(20);
    return returned_;
  }

  DWORD uiThread_;
  BoxView view_;
  bool answered_ = false;
  std::atomic<bool> returned_ = false;
  std::thread thread_;
};

void Post(const BoxView& view, const std::string& control, UINT message, WPARAM wParam = 0) {
  auto it = view.controls.find(control);
  ASSERT_NE(it, view.controls.end()) << "no control " << control;
  PostMessageA(it->second.window, message, wParam, 0);
}

BoxDriver::Action ClickAll(std::vector<std::string> controls) {
  return [controls](const BoxView& view) {
    for (const std::string& c : controls) Post(view, c, BM_CLICK);
  };
}
BoxDriver::Action Click(const std::string& control) {
  return ClickAll({control});
}

// Presses a key on the control that has the focus, as the keyboard would.
BoxDriver::Action Key(WPARAM key) {
  return [key](const BoxView& view) {
    for (const auto& [name, control] : view.controls) {
      if (name.rfind("btn", 0) == 0) {
        PostMessageA(control.window, WM_KEYDOWN, key, 0);
        return;
      }
    }
  };
}

BoxDriver::Action Close() {
  return [](const BoxView& view) { PostMessageA(view.box, WM_CLOSE, 0, 0); };
}

struct Outcome {
  int result;
  BoxView view;
};

class MessageBoxTest : public testing::Test {
 protected:
  void TearDown() override {
    // A WM_QUIT from a driver that had to force its way out must not end a later test's box.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }

  Outcome Show(BoxDriver::Action action, MessageButtons buttons, const std::string& text = "Go?",
               MessageKind kind = MessageKind::Information, const std::string& caption = "Quorvane") {
    BoxDriver driver(std::move(action));
    int result = box->MessageDlg(text, caption, kind, buttons, 0);
    driver.Returned();
    driver.Join();
    EXPECT_TRUE(driver.Answered()) << "the box did not appear, ignored the driver or hung";
    return {result, driver.View()};
  }

  std::unique_ptr<TspSkinMessage> box = TComponent::MakeUnowned<TspSkinMessage>();
};

const char* ButtonName(MessageButton b) {
  constexpr const char* names[] = {"btnYes",   "btnNo",  "btnOK",      "btnCancel",
                                   "btnAbort", "btnRetry", "btnIgnore", "btnAll",
                                   "btnNoToAll", "btnYesToAll", "btnHelp"};
  return names[static_cast<int>(b)];
}

TEST_F(MessageBoxTest, EveryButtonReturnsItsCode) {
  struct Case { MessageButton button; int code; } cases[] = {
      {B::Yes, 6},   {B::No, 7},      {B::OK, 1},      {B::Cancel, 2},
      {B::Abort, 3}, {B::Retry, 4},   {B::Ignore, 5},  {B::All, 8},
      {B::NoToAll, 9}, {B::YesToAll, 10}, {B::Help, 0},
  };
  const MessageButtons all = MessageButtons::FromBits(0x7FF);
  for (const Case& c : cases) {
    SCOPED_TRACE(ButtonName(c.button));
    Outcome out = Show(Click(ButtonName(c.button)), all);
    EXPECT_EQ(out.result, c.code);
  }
}

TEST_F(MessageBoxTest, ShowsExactlyTheRequestedButtonsInARowAtTheBottom) {
  struct Case { MessageButtons buttons; std::vector<MessageButton> expected; } cases[] = {
      {{B::OK}, {B::OK}},
      {{B::Yes, B::No}, {B::Yes, B::No}},
      {{B::Cancel, B::OK}, {B::OK, B::Cancel}},
      {{B::Abort, B::Retry, B::Ignore}, {B::Abort, B::Retry, B::Ignore}},
      {{B::YesToAll, B::Yes, B::NoToAll, B::No, B::All, B::Cancel},
       {B::Yes, B::No, B::Cancel, B::All, B::NoToAll, B::YesToAll}},
      {{}, {B::OK}},  // never a box without a way to answer
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.buttons.Bits());
    Outcome out = Show(Close(), c.buttons);
    int buttonsSeen = 0;
    for (const auto& [name, control] : out.view.controls) {
      if (name.rfind("btn", 0) == 0) ++buttonsSeen;
    }
    EXPECT_EQ(buttonsSeen, static_cast<int>(c.expected.size()));
    // Left to right in table order, on one row below the text, inside the box.
    const BoxView::Control* previous = nullptr;
    for (MessageButton b : c.expected) {
      ASSERT_TRUE(out.view.Has(ButtonName(b))) << ButtonName(b);
      const auto& button = out.view.controls.at(ButtonName(b));
      EXPECT_GE(button.rect.left, 0);
      EXPECT_LE(button.rect.right, out.view.client.right);
      EXPECT_LE(button.rect.bottom, out.view.client.bottom);
      EXPECT_GE(button.rect.top, out.view.controls.at("lblMessage").rect.bottom);
      if (previous) {
        EXPECT_GE(button.rect.left, previous->rect.right);
        EXPECT_EQ(button.rect.top, previous->rect.top);
      }
      previous = &button;
    }
  }
}

TEST_F(MessageBoxTest, ClosedWithoutAButtonGivesTheDefinedAnswer) {
  struct Case { const char* how; BoxDriver::Action action; MessageButtons buttons; int code; } cases[] = {
      {"WM_CLOSE", Close(), {B::Yes, B::No, B::Cancel}, mrCancel},
      {"WM_CLOSE", Close(), {B::Yes, B::No}, mrNo},
      {"WM_CLOSE", Close(), {B::OK}, mrOk},
      {"WM_CLOSE", Close(), {B::Abort, B::Retry, B::Ignore}, mrAbort},
      {"WM_CLOSE", Close(), {B::YesToAll, B::Help}, mrYesToAll},
      {"WM_CLOSE", Close(), {B::Help}, mrNone},
      {"WM_CLOSE", Close(), {}, mrOk},
      {"Esc", Key(VK_ESCAPE), {B::OK, B::Cancel}, mrCancel},
      {"Esc", Key(VK_ESCAPE), {B::Yes, B::No}, mrNo},
      {"Enter", Key(VK_RETURN), {B::Yes, B::No}, mrYes},  // the first button is the default
      {"Enter", Key(VK_RETURN), {B::Cancel, B::Retry}, mrCancel},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.how) + " on buttons " + std::to_string(c.buttons.Bits()));
    Outcome out = Show(c.action, c.buttons);
    EXPECT_EQ(out.result, c.code);
  }
}

TEST_F(MessageBoxTest, ReportsWhetherTheShowAgainCheckBoxWasTicked) {
  box->SetShowAgainCheckBox(true);
  Outcome ticked = Show(ClickAll({"cbShowAgain", "btnYes"}), {B::Yes, B::No});
  EXPECT_EQ(ticked.result, mrYes);
  EXPECT_FALSE(ticked.view.controls.at("cbShowAgain").checked) << "shown ticked";
  EXPECT_TRUE(box->ShowAgainChecked());

  // Ticked and unticked again, then closed: not ticked, and the last box's state counts.
  Outcome untouched = Show(ClickAll({"cbShowAgain", "cbShowAgain", "btnNo"}), {B::Yes, B::No});
  EXPECT_EQ(untouched.result, mrNo);
  EXPECT_FALSE(box->ShowAgainChecked());

  // Ticked and closed without a button still reports the tick with the close answer.
  Outcome closed = Show(
      [](const BoxView& v) {
        Post(v, "cbShowAgain", BM_CLICK);
        PostMessageA(v.box, WM_CLOSE, 0, 0);
      },
      {B::OK});
  EXPECT_EQ(closed.result, mrOk);
  EXPECT_TRUE(box->ShowAgainChecked());

  box->SetShowAgainCheckBox(false);
  Outcome without = Show(Click("btnOK"), {B::OK});
  EXPECT_FALSE(without.view.Has("cbShowAgain"));
  EXPECT_FALSE(box->ShowAgainChecked());
}

TEST_F(MessageBoxTest, CaptionsComeFromTheResourceStrings) {
  box->SetShowAgainCheckBox(true);
  const MessageButtons buttons = {B::Yes, B::No, B::OK, B::NoToAll};

  // Without resource strings: English captions, and the engine's wording for the check box.
  Outcome plain = Show(Close(), buttons, "Go?", MessageKind::Warning, "");
  EXPECT_EQ(plain.view.Text("btnYes"), "&Yes");
  EXPECT_EQ(plain.view.Text("btnOK"), "OK");
  EXPECT_EQ(plain.view.Text("btnNoToAll"), "N&o to All");
  EXPECT_EQ(plain.view.Text("cbShowAgain"), "Do not display this message again");
  EXPECT_EQ(plain.view.caption, "Warning");  // an empty caption takes the kind's

  auto strings = TComponent::MakeUnowned<TspResourceStrData>();
  box->SetResourceStrData(strings.get());
  strings->ResStrings().SetValues("MSG_BTN_OK", "Okay then");
  strings->ResStrings().SetValues("MSG_BTN_NO", "");  // a missing caption falls back
  strings->ResStrings().SetValues("MSG_CAP_CONFIRM", "Please confirm");
  Outcome skinned = Show(Close(), buttons, "Go?", MessageKind::Confirmation, "");
  EXPECT_EQ(skinned.view.Text("btnOK"), "Okay then");
  EXPECT_EQ(skinned.view.Text("btnNo"), "&No");
  EXPECT_EQ(skinned.view.Text("btnYes"), "&Yes");
  EXPECT_EQ(skinned.view.Text("cbShowAgain"), "Don't display this message again");
  EXPECT_EQ(skinned.view.caption, "Please confirm");

  Outcome titled = Show(Close(), buttons, "Go?", MessageKind::Confirmation, "Quorvane");
  EXPECT_EQ(titled.view.caption, "Quorvane");

  // The box forgets resource strings that go away rather than reading freed memory.
  strings.reset();
  EXPECT_EQ(box->ResourceStrData(), nullptr);
  EXPECT_EQ(box->ResText("MSG_BTN_OK"), "OK");
}

TEST_F(MessageBoxTest, ShowsTheTextAndTheKindsIcon) {
  struct Case { MessageKind kind; bool icon; } kinds[] = {
      {MessageKind::Warning, true},      {MessageKind::Error, true},
      {MessageKind::Information, true},  {MessageKind::Confirmation, true},
      {MessageKind::Custom, false},
  };
  for (const Case& c : kinds) {
    SCOPED_TRACE(static_cast<int>(c.kind));
    Outcome out = Show(Close(), {B::OK}, "Clear & go", c.kind);
    EXPECT_EQ(out.view.Text("lblMessage"), "Clear & go");
    EXPECT_EQ(out.view.Has("imgIcon"), c.icon);
  }

  // A long text wraps inside the box instead of widening it past the screen.
  std::string longText;
  for (int i = 0; i < 60; ++i) longText += "privacy traces removed ";
  longText += "\r\nSecond line.";
  Outcome out = Show(Click("btnOK"), {B::OK}, longText);
  EXPECT_EQ(out.view.Text("lblMessage"), longText);
  const RECT& label = out.view.controls.at("lblMessage").rect;
  EXPECT_LE(label.right, out.view.client.right);
  EXPECT_GT(label.bottom - label.top, 3 * 12) << "not wrapped over several lines";
  RECT screen;
  GetWindowRect(GetDesktopWindow(), &screen);
  EXPECT_LE(out.view.client.right, screen.right - screen.left);
}

TEST_F(MessageBoxTest, TakesTheFontOfItsLook) {
  LOGFONTA spec{};
  spec.lfHeight = -20;
  lstrcpyA(spec.lfFaceName, "Tahoma");
  HFONT font = CreateFontIndirectA(&spec);
  box->SetLook({font, RGB(0, 0, 128), RGB(255, 255, 224)});
  std::map<std::string, DWORD_PTR> fonts;
  Show(
      [&fonts](const BoxView& v) {
        for (const char* name : {"lblMessage", "btnOK"}) {
          SendMessageTimeoutA(v.controls.at(name).window, WM_GETFONT, 0, 0, SMTO_ABORTIFHUNG,
                              2000, &fonts[name]);
        }
        PostMessageA(v.box, WM_CLOSE, 0, 0);
      },
      {B::OK});
  EXPECT_EQ(fonts["lblMessage"], reinterpret_cast<DWORD_PTR>(font));
  EXPECT_EQ(fonts["btnOK"], reinterpret_cast<DWORD_PTR>(font));
  DeleteObject(font);
}

TEST_F(MessageBoxTest, DisablesItsOwnerWhileUpAndGivesItBack) {
  HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(owner, nullptr);
  box->SetOwnerWindow(owner);
  bool ownerEnabledDuring = true;
  Outcome out = Show(
      [&](const BoxView& v) {
        ownerEnabledDuring = IsWindowEnabled(owner) != FALSE;
        Post(v, "btnOK", BM_CLICK);
      },
      {B::OK});
  EXPECT_EQ(out.view.owner, owner);
  EXPECT_FALSE(ownerEnabledDuring);
  EXPECT_TRUE(IsWindowEnabled(owner));

  // An owner that was disabled already (by an outer box) stays disabled.
  EnableWindow(owner, FALSE);
  Show(Click("btnOK"), {B::OK});
  EXPECT_FALSE(IsWindowEnabled(owner));
  EnableWindow(owner, TRUE);

  // The owner going away takes the box with it; the call ends with the close answer.
  Outcome orphaned = Show([owner](const BoxView&) { PostMessageA(owner, WM_CLOSE, 0, 0); },
                          {B::Yes, B::No});
  EXPECT_EQ(orphaned.result, mrNo);
  EXPECT_FALSE(IsWindow(owner));
}

TEST_F(MessageBoxTest, EndsWhenTheApplicationQuitsAndPassesTheQuitOn) {
  DWORD uiThread = GetCurrentThreadId();
  Outcome out = Show([uiThread](const BoxView&) { PostThreadMessageA(uiThread, WM_QUIT, 42, 0); },
                     {B::Yes, B::No, B::Cancel});
  EXPECT_EQ(out.result, mrCancel);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
      << "the caller's loop must still see the quit";
  EXPECT_EQ(msg.wParam, 42u);
}

TEST_F(MessageBoxTest, ClosesWhenTheComponentIsDestroyedUnderIt) {
  // A handler running inside the box's loop frees the component, as freeing its form would.
  static std::unique_ptr<TspSkinMessage>* victim;
  victim = &box;
  SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    victim->reset();
  });
  Outcome out = Show([](const BoxView&) {}, {B::OK, B::Cancel});
  EXPECT_EQ(out.result, mrCancel);
  EXPECT_EQ(box, nullptr);
}

TEST_F(MessageBoxTest, LeavesNoControlNamesInTheAtomTable) {
  if (GlobalFindAtomA("btnYesToAll") != 0) GTEST_SKIP() << "another program uses the name";
  Show(Click("btnYesToAll"), {B::YesToAll});
  EXPECT_EQ(GlobalFindAtomA("btnYesToAll"), 0);
}

TEST(ResourceStrData, PublishesItsListWithACaptionForEveryButton) {
  auto data = TComponent::MakeUnowned<TspResourceStrData>();
  const PropertyInfo* prop = FindProperty(*data, "ResStrings");
  ASSERT_NE(prop, nullptr);
  EXPECT_EQ(prop->kind, PropertyKind::StringList);
  EXPECT_EQ(GetObjectProp(*data, *prop), &data->ResStrings());
  for (MessageButton b : kAllMessageButtons) {
    EXPECT_FALSE(data->GetResStr(MessageButtonResName(b)).empty()) << MessageButtonResName(b);
  }
  EXPECT_EQ(data->GetResStr("msg_btn_yes"), "&Yes");
  EXPECT_EQ(data->GetResStr("MSG_CAP_SHOWFLAG"), "Don't display this message again");

  auto box = TComponent::MakeUnowned<TspSkinMessage>();
  SetObjectProp(*box, "ResourceStrData", data.get());
  EXPECT_EQ(box->ResourceStrData(), data.get());
  SetOrdProp(*box, "ShowAgainCheckBox", 1);
  EXPECT_TRUE(box->ShowAgainCheckBox());
}

}  // namespace
}  // namespace qv
