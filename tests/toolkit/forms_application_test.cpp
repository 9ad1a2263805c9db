// The application object: the main form and the run loop, pending messages and timers, and
// errors raised in event handlers, which reach the error presenter while the loop goes on.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "forms_fixture.h"
#include "toolkit/Application.h"
#include "toolkit/StdControls.h"
#include "toolkit/Timer.h"

namespace qv {

class TfrmLoop : public TForm {
  QV_CLASS(TfrmLoop, TForm)

 public:
  using TForm::TForm;
  TButton* btnFail = nullptr;
  TTimer* tmrTick = nullptr;

 protected:
  void Describe() override {
    SetClientSize(200, 100);
    btnFail = Make<TButton>();
    btnFail->SetName("btnFail");
    btnFail->SetParent(this);
    btnFail->OnClick = [](TObject*) { throw std::runtime_error("Access denied"); };
    tmrTick = Make<TTimer>();
    tmrTick->SetName("tmrTick");
    tmrTick->SetEnabled(false);
    tmrTick->SetInterval(100);
  }
};

QV_PUBLISHED(TfrmLoop) { return {}; }

namespace {

using ApplicationTest = test::WindowTest;

TEST_F(ApplicationTest, RunShowsTheMainFormAndClosingItEndsTheLoop) {
  auto* main = Application().CreateForm<TfrmLoop>();
  auto* other = Application().CreateForm<TfrmLoop>();
  ASSERT_EQ(Application().MainForm(), main);
  bool shownInLoop = false;
  After(50, [&] {
    shownInLoop = IsWindowVisible(main->Handle()) != FALSE;
    PostMessageA(main->Handle(), WM_CLOSE, 0, 0);
  });
  After(5000, [] { Application().Terminate(); });  // watchdog
  Application().Run();
  EXPECT_TRUE(shownInLoop);
  EXPECT_TRUE(Application().Terminated());
  EXPECT_FALSE(other->Visible());
  EXPECT_EQ(Application().MainFormHandle(), main->Handle());

  // Destroying the main form clears the reference.
  Application().RemoveComponent(main).reset();
  EXPECT_EQ(Application().MainForm(), nullptr);
  EXPECT_EQ(Application().MainFormHandle(), nullptr);
}

TEST_F(ApplicationTest, RunWithoutShowingTheMainFormEndsOnTerminate) {
  auto* main = Application().CreateForm<TfrmLoop>();
  Application().SetShowMainForm(false);
  After(50, [] { Application().Terminate(); });
  Application().Run();
  Application().SetShowMainForm(true);
  EXPECT_FALSE(IsWindowVisible(main->Handle()));
}

TEST_F(ApplicationTest, ProcessMessagesRunsADueTimerAndReturns) {
  auto* form = Application().CreateForm<TfrmLoop>();
  int ticks = 0;
  form->tmrTick->OnTimer = [&](TObject* sender) {
    EXPECT_EQ(sender, form->tmrTick);
    ++ticks;
  };
  Application().ProcessMessages();
  Sleep(150);
  Application().ProcessMessages();
  EXPECT_EQ(ticks, 0);  // disabled by design

  form->tmrTick->SetEnabled(true);
  Sleep(250);
  Application().ProcessMessages();
  EXPECT_GE(ticks, 1);
  form->tmrTick->SetEnabled(false);
  const int stopped = ticks;
  Sleep(250);
  Application().ProcessMessages();
  EXPECT_EQ(ticks, stopped);
}

TEST_F(ApplicationTest, AnErrorInAClickHandlerReachesThePresenterAndTheLoopGoesOn) {
  auto* form = Application().CreateForm<TfrmLoop>();
  int ticks = 0;
  form->tmrTick->OnTimer = [&](TObject*) {
    ++ticks;
    if (ticks == 1) PostMessageA(form->btnFail->Handle(), BM_CLICK, 0, 0);
    if (ticks == 2) throw std::logic_error("timer failed");
    if (ticks == 3) Application().Terminate();
  };
  form->tmrTick->SetEnabled(true);
  After(5000, [] { Application().Terminate(); });
  Application().Run();
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(errors, (std::vector<std::string>{"Access denied", "timer failed"}));
}

TEST_F(ApplicationTest, AnErrorWhileReportingAnErrorIsSwallowed) {
  Application().SetErrorPresenter([](const std::string&) { throw std::runtime_error("again"); });
  auto form = CreateUnownedForm<TfrmLoop>();
  EXPECT_NO_THROW(SendMessageA(form->btnFail->Handle(), BM_CLICK, 0, 0));
}

}  // namespace
}  // namespace qv
