// The engine's answers to another process: a helper program plays the second copy of the
// program and sends "CL GetAppID", "CL IfBusy", "CL CloseApp" and WM_COPYDATA with the
// blocking send, as the runner of a new copy does. Also the program's own command line, read
// by a helper program that carries an engine on its main form.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "support/TestFiles.h"
#include "tests/shell/engine_fixture.h"
#include "util/Handles.h"

namespace qv {
namespace {

constexpr DWORD kHelperTimeoutMs = 15000;

enum class Pump {
  All,       // the ordinary message loop
  SentOnly,  // only messages sent from other threads: posted ones stay queued
};

// Starts a helper program and runs this thread's messages until it ends; its exit code, or
// -1 when it could not start or had to be stopped.
int RunHelper(const std::string& commandLine, Pump pump, const std::string& folder = "") {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string command = commandLine;
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
    ADD_FAILURE() << "cannot start " << commandLine;
    return -1;
  }
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  const DWORD start = GetTickCount();
  const DWORD wake = pump == Pump::All ? QS_ALLINPUT : QS_SENDMESSAGE;
  while (MsgWaitForMultipleObjects(1, &info.hProcess, FALSE, 50, wake) != WAIT_OBJECT_0) {
    if (GetTickCount() - start > kHelperTimeoutMs) {
      TerminateProcess(info.hProcess, 1);
      ADD_FAILURE() << commandLine << " did not end";
      return -1;
    }
    if (pump == Pump::All) {
      Application().ProcessMessages();
    } else {
      MSG msg;
      PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
  }
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  return static_cast<int>(code);
}

int Send(const std::string& arguments, Pump pump = Pump::All) {
  return RunHelper("Q:\\helpers\\engine_message.exe TfrmEngineTest " + arguments, pump);
}

class EngineMessages : public EngineTest {};

TEST_F(EngineMessages, AnswersAppIdAndBusyBeforeAndAfterTheSecondHalf) {
  TfrmEngineTest* form = MakeForm();
  // Only sent messages run: "CL InitPost" stays queued, so the engine is still starting.
  EXPECT_EQ(Send("ifbusy", Pump::SentOnly), 1);
  EXPECT_EQ(Send("getappid", Pump::SentOnly), 4242);
  EXPECT_TRUE(form->engine1->Busy());

  ASSERT_TRUE(FinishStartup(form));
  EXPECT_EQ(Send("ifbusy"), 0);
  EXPECT_EQ(Send("getappid"), 4242);
}

TEST_F(EngineMessages, CopyDataReachesOnCmdFileAfterTheSendHasReturned) {
  struct Case {
    const char* name;
    std::string arguments;
    std::vector<std::string> received;
  };
  const std::string path = "C:\\Users\\Ann\\My Documents\\report 2009.txt";
  const Case cases[] = {
      {"a path", "copydata \"" + path + "\"", {path}},
      {"zero bytes", "copydata-empty", {""}},
      {"an oversized record is refused", "copydata-oversized", {}},
  };
  UniqueHandle sent(CreateEventA(nullptr, TRUE, FALSE, "QvEngineMessageSent"));
  ASSERT_TRUE(sent);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetEvent(sent.Get());
    TfrmEngineTest* form = MakeForm();
    ASSERT_TRUE(FinishStartup(form));
    std::vector<std::string> received;
    bool afterSend = true;
    form->engine1->OnCmdFile = [&](const std::string& file) {
      received.push_back(file);
      // Inside WM_COPYDATA the sender would still wait in its send and never set the event.
      afterSend = afterSend && WaitForSingleObject(sent.Get(), 5000) == WAIT_OBJECT_0;
    };
    EXPECT_EQ(Send(c.arguments), 0);
    Application().ProcessMessages();
    EXPECT_EQ(received, c.received);
    EXPECT_TRUE(afterSend) << "OnCmdFile ran while the sender was still waiting";
    Application().RemoveComponent(form).reset();
  }
}

TEST_F(EngineMessages, CloseAppEndsTheMessageLoop) {
  TfrmEngineTest* form = Application().CreateForm<TfrmEngineTest>();
  ASSERT_EQ(Application().MainForm(), form);
  Application().SetShowMainForm(false);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string command = "Q:\\helpers\\engine_message.exe TfrmEngineTest closeapp";
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &info));
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  bool timedOut = false;
  After(kHelperTimeoutMs, [&] {
    timedOut = true;
    Application().Terminate();
  });
  Application().Run();
  Application().SetShowMainForm(true);
  EXPECT_FALSE(timedOut) << "the loop did not end on \"CL CloseApp\"";
  ASSERT_EQ(WaitForSingleObject(info.hProcess, 5000), WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeProcess(info.hProcess, &code);
  EXPECT_EQ(code, 0u) << "the answer to \"CL CloseApp\"";
}

TEST(EngineCommandLine, FirstArgumentReachesOnCmdFileUnlessItIsASwitch) {
  struct Case {
    const char* arguments;
    std::string written;
  };
  const Case cases[] = {
      {" \"C:\\Docs\\my report.txt\" -x", "C:\\Docs\\my report.txt\ndone\n"},
      {" report.txt", "report.txt\ndone\n"},
      {" -report.txt", "done\n"},
      {" /S report.txt", "done\n"},
      {"", "done\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    test::ScratchFolder folder;
    const std::string command = std::string("Q:\\helpers\\engine_host.exe") + c.arguments;
    EXPECT_EQ(RunHelper(command, Pump::All, folder.Path()), 0);
    EXPECT_EQ(test::ReadWholeFile(folder / "engine_host.txt"), c.written);
  }
}

}  // namespace
}  // namespace qv
