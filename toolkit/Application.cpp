// The application object: message loop, key routing to forms, timers and the error box.
#include "toolkit/Application.h"

#include <commctrl.h>

#include "util/Paths.h"

namespace qv {

QV_PUBLISHED(TApplication) {
  using P = Publish<TApplication>;
  return {
      P::String("Title", "string", &TApplication::Title, &TApplication::SetTitle),
      P::Boolean("ShowMainForm", &TApplication::ShowMainForm, &TApplication::SetShowMainForm),
  };
}

TApplication& Application() {
  static std::unique_ptr<TApplication> app = TComponent::MakeUnowned<TApplication>();
  return *app;
}

TApplication::TApplication(ComponentOwner owner) : TComponent(owner) {
  SetName("Application");
}

TApplication::~TApplication() {
  DestroyComponents();
  if (utility_) DestroyWindow(utility_);
}

void TApplication::Initialize() {
  terminated_ = false;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
}

void TApplication::SetMainForm(TForm* form) {
  if (mainForm_) mainForm_->RemoveFreeNotification(this);
  mainForm_ = form;
  if (form) form->FreeNotification(this);
}

HWND TApplication::MainFormHandle() const {
  return mainForm_ && mainForm_->HandleAllocated() ? mainForm_->Handle() : nullptr;
}

void TApplication::SetTitle(const std::string& title) { title_ = title; }

void TApplication::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == mainForm_) mainForm_ = nullptr;
}

void TApplication::Run() {
  if (mainForm_ && showMainForm_ && !terminated_) mainForm_->Show();
  while (!terminated_) HandleMessage();
}

void TApplication::Terminate() {
  if (!terminated_) PostQuitMessage(0);
  terminated_ = true;
}

bool TApplication::HandleMessage() {
  MSG msg{};
  const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
  if (got == 0 || got == -1) {
    terminated_ = true;
    return false;
  }
  DispatchOne(msg);
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg{};
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      return;
    }
    DispatchOne(msg);
  }
}

void TApplication::DispatchOne(MSG& msg) {
  // Keys go to the form first (key preview, default and cancel buttons), then the dialog
  // navigation of the form (Tab, arrows, mnemonics), then the control.
  if (msg.hwnd) {
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    if (auto* form = dynamic_cast<TForm*>(TWinControl::FromHandle(root))) {
      try {
        if (form->PreviewKeyMessage(msg)) return;
      } catch (...) {
        HandleException(form);
        return;
      }
      // Tab and arrow keys move the focus, Alt with a letter presses the control whose
      // caption has it underlined. Plain letters stay with the focused control.
      const bool navigation = msg.message == WM_KEYDOWN &&
                              (msg.wParam == VK_TAB || (msg.wParam >= VK_LEFT && msg.wParam <= VK_DOWN));
      if ((navigation || msg.message == WM_SYSCHAR) && IsDialogMessageA(root, &msg)) return;
    }
  }
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

std::string TApplication::ExeName() const { return GetExeFileName(); }

void TApplication::HandleException(TObject* sender) noexcept {
  (void)sender;
  std::string text;
  try {
    throw;
  } catch (const std::exception& e) {
    text = e.what();
  } catch (...) {
    text = "Unknown error";
  }
  ShowException(text);
}

void TApplication::ShowException(const std::string& message) noexcept {
  try {
    if (presenter_) {
      presenter_(message);
      return;
    }
    std::string text = message;
    if (!text.empty() && text.back() != '.') text += '.';
    MessageBoxA(MainFormHandle(), text.c_str(), title_.c_str(), MB_OK | MB_ICONSTOP);
  } catch (...) {
    // Nothing more can be done for an error that happened while reporting one.
  }
}

TApplication::ErrorPresenter TApplication::SetErrorPresenter(ErrorPresenter presenter) {
  ErrorPresenter previous = std::move(presenter_);
  presenter_ = std::move(presenter);
  return previous;
}

HWND TApplication::UtilityWindow() {
  if (!utility_) {
    static const char kClass[] = "TQvApplicationUtility";
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = UtilityProcedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassExA(&wc);
    utility_ = CreateWindowExA(0, kClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               wc.hInstance, nullptr);
  }
  return utility_;
}

LRESULT CALLBACK TApplication::UtilityProcedure(HWND window, UINT msg, WPARAM wParam,
                                                LPARAM lParam) {
  if (msg == WM_TIMER) {
    TApplication& app = Application();
    auto it = app.timers_.find(wParam);
    if (it != app.timers_.end()) {
      // A copy: the callback may stop its own timer.
      std::function<void()> callback = it->second;
      try {
        callback();
      } catch (...) {
        app.HandleException(&app);
      }
    }
    return 0;
  }
  return DefWindowProcA(window, msg, wParam, lParam);
}

UINT_PTR TApplication::SetTimer(UINT intervalMs, std::function<void()> callback) {
  HWND window = UtilityWindow();
  if (!window) return 0;
  const UINT_PTR id = nextTimerId_++;
  if (!::SetTimer(window, id, intervalMs, nullptr)) return 0;
  timers_[id] = std::move(callback);
  return id;
}

void TApplication::KillTimer(UINT_PTR id) {
  if (id == 0) return;
  if (utility_) ::KillTimer(utility_, id);
  timers_.erase(id);
}

}  // namespace qv
