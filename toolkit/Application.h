// The application object: the one message loop of the user-interface thread, the forms it
// creates (the first becomes the main form), pending-message processing, timers, and the
// error box that every exception caught at a window-procedure boundary ends in.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <map>
#include <string>

#include "toolkit/Forms.h"

namespace qv {

class TApplication : public TComponent {
  QV_CLASS(TApplication, TComponent)

 public:
  explicit TApplication(ComponentOwner owner);
  ~TApplication() override;

  // Prepares a run: clears Terminated and loads the common controls.
  void Initialize();

  // Creates a form owned by the application and reads its description; the first form
  // created this way becomes the main form.
  template <typename F, typename... Args>
  F* CreateForm(Args&&... args) {
    F* form = qv::CreateForm<F>(this, std::forward<Args>(args)...);
    if (!mainForm_) SetMainForm(form);
    return form;
  }
  TForm* MainForm() const { return mainForm_; }
  void SetMainForm(TForm* form);
  // The main form's window, or nullptr.
  HWND MainFormHandle() const;

  // The text of the program's taskbar button and the caption of its error boxes.
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title);
  bool ShowMainForm() const { return showMainForm_; }
  void SetShowMainForm(bool show) { showMainForm_ = show; }

  // Shows the main form (unless ShowMainForm is off) and dispatches messages until the
  // application is terminated (Terminate, WM_QUIT, or the main form closing).
  void Run();
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Waits for one message and dispatches it; false after WM_QUIT (Terminated is then set).
  bool HandleMessage();
  // Dispatches every message already waiting, timer messages that are due included, and
  // returns without waiting.
  void ProcessMessages();

  // The full path of the running program.
  std::string ExeName() const;

  // Exceptions caught at a window-procedure boundary, in an event handler or while a form
  // was being created end here. Call from inside a catch block: the current exception's text
  // goes to the error presenter (by default a modal error box over the main form).
  void HandleException(TObject* sender) noexcept;
  void ShowException(const std::string& message) noexcept;
  using ErrorPresenter = std::function<void(const std::string& message)>;
  // Replaces the presenter (an empty one restores the error box) and returns the previous.
  ErrorPresenter SetErrorPresenter(ErrorPresenter presenter);

  // Timers on the application's message-only window: the callback runs on this thread from
  // the message loop every intervalMs milliseconds until KillTimer. Returns 0 on failure.
  UINT_PTR SetTimer(UINT intervalMs, std::function<void()> callback);
  void KillTimer(UINT_PTR id);

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void DispatchOne(MSG& msg);
  HWND UtilityWindow();
  static LRESULT CALLBACK UtilityProcedure(HWND, UINT, WPARAM, LPARAM);

  TForm* mainForm_ = nullptr;
  std::string title_;
  bool showMainForm_ = true;
  bool terminated_ = false;
  ErrorPresenter presenter_;
  HWND utility_ = nullptr;
  UINT_PTR nextTimerId_ = 1;
  std::map<UINT_PTR, std::function<void()>> timers_;
};

// The process's application object.
TApplication& Application();

}  // namespace qv
