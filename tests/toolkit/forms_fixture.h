// Shared fixture of the window tests: the application object ready for a run, error boxes
// recorded instead of shown, deferred actions from timers, and a watchdog so that no modal
// loop can wait for ever.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/Application.h"

namespace qv::test {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application().Initialize();
    previousPresenter_ =
        Application().SetErrorPresenter([this](const std::string& text) { errors.push_back(text); });
  }

  void TearDown() override {
    for (UINT_PTR id : timers_) Application().KillTimer(id);
    Application().DestroyComponents();
    Application().ProcessMessages();
    Application().SetErrorPresenter(previousPresenter_);
    Application().Initialize();
  }

  // Runs action once, from the message loop, after ms milliseconds.
  void After(UINT ms, std::function<void()> action) {
    auto id = std::make_shared<UINT_PTR>(0);
    *id = Application().SetTimer(ms, [id, action] {
      Application().KillTimer(*id);
      action();
    });
    timers_.push_back(*id);
  }

  // Pumps messages until done() or the time is up; false on time-out.
  static bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
    const DWORD start = GetTickCount();
    while (!done()) {
      if (GetTickCount() - start > timeoutMs) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      Application().ProcessMessages();
    }
    return true;
  }

  std::vector<std::string> errors;

 private:
  TApplication::ErrorPresenter previousPresenter_;
  std::vector<UINT_PTR> timers_;
};

}  // namespace qv::test
