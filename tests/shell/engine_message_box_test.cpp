// Keyed message boxes, answered the way a user would: another thread waits for the box, reads
// its text, caption and check box, ticks the check box when told to and clicks a button.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "support/WindowDriver.h"
#include "tests/shell/engine_fixture.h"
#include "toolkit/ResourceStrData.h"
#include "toolkit/SkinData.h"
#include "toolkit/SkinMessage.h"

namespace qv {
namespace {

using B = MessageButton;

// What the user saw of one box, if one came.
struct Seen {
  bool shown = false;
  std::string text;
  std::string caption;
  bool hasCheckBox = false;
  bool checkBoxTicked = false;
  std::string checkBoxText;
  bool answered = false;
};

// Answers the next box of this process from another thread: optionally ticks
// "cbShowAgain", then clicks the button. A box that does not come within waitMs counts as
// not shown; a box that does not go is closed so the caller never hangs.
class BoxUser {
 public:
  BoxUser(std::string button, bool tick, int waitMs = 5000)
      : thread_([this, button, tick, waitMs] { Run(button, tick, waitMs); }) {}
  ~BoxUser() { Join(); }

  const Seen& Join() {
    if (thread_.joinable()) thread_.join();
    return seen_;
  }

 private:
  void Run(const std::string& button, bool tick, int waitMs) {
    test::MessageBoxView box = test::WaitForMessageBox(GetCurrentProcessId(), waitMs);
    if (!box.window) return;
    seen_.shown = true;
    seen_.text = box.text;
    seen_.caption = box.caption;
    HWND check = test::FindByName(box.window, "cbShowAgain");
    seen_.hasCheckBox = check != nullptr && test::IsShown(check);
    seen_.checkBoxTicked = check != nullptr && test::IsChecked(check);
    if (check) seen_.checkBoxText = test::WindowText(check);
    if (tick && check) test::Click(check);
    seen_.answered = test::Answer(box, button);
    if (!seen_.answered) PostMessageA(box.window, WM_CLOSE, 0, 0);
  }

  Seen seen_;
  std::thread thread_;
};

class KeyedMessage : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    // The engine's skin carries resource strings of its own: the box must use them.
    form = MakeForm([](TfrmEngineTest& f) {
      auto* strings = f.Make<TspResourceStrData>();
      strings->ResStrings().SetValues("MSG_CAP_SHOWFLAG", "Never again, please");
      auto* skin = f.Make<TspSkinData>();
      skin->SetResourceStrData(strings);
      f.engine1->SetSkinData(skin);
    });
    ASSERT_TRUE(FinishStartup(form));
  }

  int Show(const std::string& key, std::vector<std::string> args, int showAgainID,
           MessageButtons buttons, int defaultResult = 0, bool fromLibRes = false) {
    return form->engine1->ShowKeyedMessage(key, args, showAgainID, MessageKind::Information,
                                           buttons, defaultResult, fromLibRes);
  }

  TfrmEngineTest* form = nullptr;
};

TEST_F(KeyedMessage, ShowsTheKeysTextWithArgumentsUnderTheProgramName) {
  struct Case {
    const char* key;
    std::vector<std::string> args;
    bool fromLibRes;
    std::string text;
  };
  const Case cases[] = {
      {"MSGBOX_Hello", {"Ann", "Bob"}, false, "Hello Ann, again Ann, not {3}"},
      {"MSGBOX_Nowhere", {}, false, "[AppRes]MSGBOX_Nowhere"},
      {"LIB_Close", {}, true, "Close it"},
      {"LIB_Nowhere", {}, true, "[LibRes]LIB_Nowhere"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    BoxUser user("btnOK", false);
    EXPECT_EQ(Show(c.key, c.args, 0, {B::OK}, 0, c.fromLibRes), mrOk);
    const Seen& seen = user.Join();
    ASSERT_TRUE(seen.shown);
    EXPECT_TRUE(seen.answered);
    EXPECT_EQ(seen.text, c.text);
    EXPECT_EQ(seen.caption, "Cleaner");
    EXPECT_FALSE(seen.hasCheckBox) << "no show-again number, no check box";
  }
}

TEST_F(KeyedMessage, ATickedCheckBoxRemembersTheAnswer) {
  const MessageButtons yesNo{B::Yes, B::No};
  {  // Answered without ticking: asked again next time.
    BoxUser user("btnYes", false);
    EXPECT_EQ(Show("MSGBOX_Ask", {}, 5, yesNo), mrYes);
    const Seen& seen = user.Join();
    ASSERT_TRUE(seen.shown);
    EXPECT_TRUE(seen.hasCheckBox);
    EXPECT_FALSE(seen.checkBoxTicked);
    EXPECT_EQ(seen.checkBoxText, "Never again, please");
  }
  EXPECT_TRUE(GetSettings()->ReadShowAgain(5));
  {  // Ticked and answered No: remembered.
    BoxUser user("btnNo", true);
    EXPECT_EQ(Show("MSGBOX_Ask", {}, 5, yesNo), mrNo);
    const Seen& seen = user.Join();
    ASSERT_TRUE(seen.shown);
    EXPECT_FALSE(seen.checkBoxTicked) << "the check box starts unticked every time";
  }
  EXPECT_FALSE(GetSettings()->ReadShowAgain(5));
  EXPECT_EQ(GetSettings()->ReadShowAgainResult(5), mrNo);

  struct Case {
    const char* name;
    int defaultResult;
    int result;
  };
  const Case cases[] = {
      {"the remembered answer comes back", 0, mrNo},
      {"a non-zero default wins", mrCancel, mrCancel},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BoxUser user("btnYes", false, 1500);
    EXPECT_EQ(Show("MSGBOX_Ask", {}, 5, yesNo, c.defaultResult), c.result);
    EXPECT_FALSE(user.Join().shown) << "no box once the user asked for none";
  }
  // Other numbers are asked as before.
  BoxUser user("btnYes", false);
  EXPECT_EQ(Show("MSGBOX_Ask", {}, 6, yesNo), mrYes);
  EXPECT_TRUE(user.Join().shown);
}

TEST_F(KeyedMessage, TheBoxIsOneComponentOfTheForm) {
  TspSkinMessage* box = form->engine1->GetMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->Owner(), form);
  EXPECT_EQ(box->SkinData(), form->engine1->SkinData());
  EXPECT_EQ(form->engine1->GetMessageBox(), box);
  // Destroyed by someone else, it is made again rather than used.
  form->RemoveComponent(box).reset();
  TspSkinMessage* again = form->engine1->GetMessageBox();
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->Owner(), form);
}

}  // namespace
}  // namespace qv
