// Forms: styles from the border settings, the loading sequence, modal loops, closing,
// activation and the keys a form previews for its controls.
#include "toolkit/Forms.h"

#include <vector>

#include "toolkit/Application.h"
#include "toolkit/GdiObjects.h"

namespace qv {

namespace {

// With a skin that draws the window frames, a captioned form's frame and title bar take the
// skin's caption colours over what the system drew. The system's caption buttons are left
// uncovered, so they still look like what they do.
void PaintSkinnedFrame(HWND window) {
  const SkinStyle& s = CurrentSkinStyle();
  const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
  if (!s.skinnableForm || (style & WS_CAPTION) != WS_CAPTION) return;
  RECT outer{};
  RECT client{};
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  OffsetRect(&client, -outer.left, -outer.top);
  OffsetRect(&outer, -outer.left, -outer.top);
  const int border = client.left;
  int buttons = 0;
  if (style & WS_SYSMENU) {
    buttons = 1;
    if (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) buttons = 3;
  }
  const RECT buttonArea{outer.right - border - buttons * GetSystemMetrics(SM_CXSIZE), border,
                        outer.right - border, client.top};

  HDC dc = GetWindowDC(window);
  if (!dc) return;
  ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
  ExcludeClipRect(dc, buttonArea.left, buttonArea.top, buttonArea.right, buttonArea.bottom);
  UniqueBrush brush(CreateSolidBrush(s.captionColor));
  FillRect(dc, &outer, brush.Get());
  char title[256] = "";
  GetWindowTextA(window, title, sizeof title);
  {
    RECT text{border + 6, border, buttonArea.left - 4, client.top};
    TFont font;
    SelectObjectScope f(dc, font.Handle(s));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, s.captionTextColor);
    DrawTextA(dc, title, -1, &text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
  ReleaseDC(window, dc);
}

}  // namespace

QV_PUBLISHED(TForm) {
  using P = Publish<TForm>;
  return {
      P::Enum("BorderStyle", "TFormBorderStyle", &TForm::BorderStyle, &TForm::SetBorderStyle),
      P::Set("BorderIcons", "TBorderIcons", &TForm::BorderIcons, &TForm::SetBorderIcons),
      P::Enum("Position", "TPosition", &TForm::Position, &TForm::SetPosition),
      P::Boolean("KeyPreview", &TForm::KeyPreview, &TForm::SetKeyPreview),
      P::Integer("ClientWidth", "Integer", &TForm::ClientWidth, &TForm::SetClientWidth),
      P::Integer("ClientHeight", "Integer", &TForm::ClientHeight, &TForm::SetClientHeight),
      P::Event("OnCreate", "TNotifyEvent"),
      P::Event("OnShow", "TNotifyEvent"),
      P::Event("OnHide", "TNotifyEvent"),
      P::Event("OnActivate", "TNotifyEvent"),
      P::Event("OnDeactivate", "TNotifyEvent"),
      P::Event("OnClose", "TCloseEvent"),
      P::Event("OnCloseQuery", "TCloseQueryEvent"),
  };
}

TForm::TForm(ComponentOwner owner) : TWinControl(owner) {
  visible_ = false;
  width_ = 320;
  height_ = 240;
}

TForm::~TForm() {
  if (modal_) modalResult_ = mrCancel;
}

void TForm::Initialize() {
  if (initialized_) return;
  initialized_ = true;
  ReadDescription([this] { Describe(); });
  if (OnCreate) {
    try {
      OnCreate(this);
    } catch (...) {
      Application().HandleException(this);
    }
  }
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
  if (style == borderStyle_) return;
  const int cw = ClientWidth();
  const int ch = ClientHeight();
  borderStyle_ = style;
  if (HandleAllocated()) {
    SetWindowLongPtrA(Handle(), GWL_STYLE, WindowStyle() | (visible_ ? WS_VISIBLE : 0));
    SetWindowLongPtrA(Handle(), GWL_EXSTYLE, WindowExStyle());
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  SetClientSize(cw, ch);
}

void TForm::SetBorderIcons(TBorderIcons icons) {
  if (icons == borderIcons_) return;
  borderIcons_ = icons;
  if (HandleAllocated()) {
    SetWindowLongPtrA(Handle(), GWL_STYLE, WindowStyle() | (visible_ ? WS_VISIBLE : 0));
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
}

void TForm::SetExtraExStyle(DWORD exStyle) {
  extraExStyle_ = exStyle;
  if (HandleAllocated()) {
    SetWindowLongPtrA(Handle(), GWL_EXSTYLE, WindowExStyle());
    SetWindowPos(Handle(), (exStyle & WS_EX_TOPMOST) ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0,
                 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
}

DWORD TForm::WindowStyle() const {
  DWORD style = WS_CLIPCHILDREN;
  switch (borderStyle_) {
    case bsNone:
      return style | WS_POPUP;
    case bsDialog:
      return style | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    case bsSingle:
    case bsSizeable:
      style |= WS_CAPTION;
      if (borderStyle_ == bsSizeable) style |= WS_THICKFRAME;
      if (borderIcons_.Contains(biSystemMenu)) {
        style |= WS_SYSMENU;
        if (borderIcons_.Contains(biMinimize)) style |= WS_MINIMIZEBOX;
        if (borderIcons_.Contains(biMaximize)) style |= WS_MAXIMIZEBOX;
      }
      return style;
  }
  return style;
}

DWORD TForm::WindowExStyle() const {
  DWORD ex = WS_EX_CONTROLPARENT | extraExStyle_;
  if (borderStyle_ == bsDialog) ex |= WS_EX_DLGMODALFRAME;
  return ex;
}

void TForm::FrameSize(int clientWidth, int clientHeight, int& width, int& height) const {
  RECT r{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&r, WindowStyle(), FALSE, WindowExStyle());
  width = r.right - r.left;
  height = r.bottom - r.top;
}

int TForm::ClientWidth() {
  if (HandleAllocated()) return TWinControl::ClientWidth();
  if (clientWidth_ >= 0) return clientWidth_;
  int fw = 0, fh = 0;
  FrameSize(0, 0, fw, fh);
  return std::max(width_ - fw, 0);
}

int TForm::ClientHeight() {
  if (HandleAllocated()) return TWinControl::ClientHeight();
  if (clientHeight_ >= 0) return clientHeight_;
  int fw = 0, fh = 0;
  FrameSize(0, 0, fw, fh);
  return std::max(height_ - fh, 0);
}

void TForm::SetClientSize(int width, int height) {
  int w = 0, h = 0;
  FrameSize(width, height, w, h);
  SetBounds(left_, top_, w, h);
  if (!HandleAllocated()) {
    // The frame is known for sure only when the window is made; keep the wish till then.
    clientWidth_ = width;
    clientHeight_ = height;
  }
}

void TForm::BoundsChanged() {
  clientWidth_ = clientHeight_ = -1;  // outer bounds set later win over a client size
  if (!HandleAllocated()) return;
  SetWindowPos(Handle(), nullptr, left_, top_, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string TForm::UniqueName(const std::string& base) const {
  TComponent* owner = Owner();
  if (!owner || !owner->FindComponent(base) || owner->FindComponent(base) == this) return base;
  for (int i = 1;; ++i) {
    std::string name = base + "_" + std::to_string(i);
    TComponent* holder = owner->FindComponent(name);
    if (!holder || holder == this) return name;
  }
}

void TForm::CreateParams(TCreateParams& params) {
  params.style = WindowStyle();
  params.exStyle = WindowExStyle();
  if (clientWidth_ >= 0) FrameSize(clientWidth_, clientHeight_, width_, height_);
  clientWidth_ = clientHeight_ = -1;
  params.x = left_;
  params.y = top_;
  params.width = width_;
  params.height = height_;
  // Secondary forms stay above the main window and leave the taskbar to it.
  TForm* main = Application().MainForm();
  if (main && main != this && main->HandleAllocated()) params.parent = main->Handle();
  if (!Enabled()) params.style |= WS_DISABLED;
}

TColor TForm::BackgroundColor() const {
  return Color() != clDefault ? Color() : CurrentSkinStyle().formColor;
}

void TForm::SetVisible(bool visible) {
  if (visible == visible_) return;
  if (!visible && modal_ && modalResult_ == mrNone) modalResult_ = mrCancel;
  TControl::SetVisible(visible);
}

void TForm::VisibleChanged() {
  if (visible_) {
    HandleNeeded();
    if (!positioned_) {
      positioned_ = true;
      ApplyPosition();
    }
    if (OnShow) OnShow(this);
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
  } else if (HandleAllocated()) {
    if (OnHide) OnHide(this);
    ShowWindow(Handle(), SW_HIDE);
  }
}

void TForm::ApplyPosition() {
  if (position_ == poDesigned) return;
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  TForm* main = Application().MainForm();
  if (position_ == poMainFormCenter && main && main != this && main->HandleAllocated() &&
      IsWindowVisible(main->Handle())) {
    GetWindowRect(main->Handle(), &area);
  }
  const int left = area.left + ((area.right - area.left) - width_) / 2;
  const int top = area.top + ((area.bottom - area.top) - height_) / 2;
  SetBounds(left, top, width_, height_);
}

int TForm::ShowModal() {
  if (visible_ || modal_) throw EInvalidOperation("Cannot make a visible window modal");
  TApplication& app = Application();
  HWND previouslyActive = GetActiveWindow();
  HandleNeeded();

  // Every other window of this thread waits until the modal form is done.
  struct Disabler {
    HWND self;
    std::vector<HWND> disabled;
  } disabler{Handle(), {}};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM data) -> BOOL {
        auto* d = reinterpret_cast<Disabler*>(data);
        if (window != d->self && IsWindowVisible(window) && IsWindowEnabled(window)) {
          EnableWindow(window, FALSE);
          d->disabled.push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&disabler));
  auto enableOthers = [&disabler] {
    for (HWND w : disabler.disabled) {
      if (IsWindow(w)) EnableWindow(w, TRUE);
    }
    disabler.disabled.clear();
  };

  modal_ = true;
  modalResult_ = mrNone;
  try {
    Show();
    while (true) {
      if (app.Terminated()) {
        modalResult_ = mrCancel;
        break;
      }
      if (modalResult_ != mrNone) {
        // Ending the loop is a close: the handlers may refuse it.
        TCloseAction action = caHide;
        if (!CloseQuery()) {
          modalResult_ = mrNone;
        } else {
          if (OnClose) OnClose(this, action);
          if (action == caNone) {
            modalResult_ = mrNone;
          } else {
            break;
          }
        }
      }
      app.HandleMessage();
    }
  } catch (...) {
    enableOthers();
    modal_ = false;
    Hide();
    throw;
  }
  // Enable the others before hiding, so that activation goes back to one of them.
  enableOthers();
  const int result = modalResult_;
  modal_ = false;
  Hide();
  if (previouslyActive && IsWindow(previouslyActive) && IsWindowVisible(previouslyActive)) {
    SetActiveWindow(previouslyActive);
  }
  modalResult_ = result;
  return result;
}

bool TForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TForm::Close() {
  if (modal_) {
    modalResult_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  if (OnClose) OnClose(this, action);
  if (action == caNone) return;
  Hide();
  if (Application().MainForm() == this) Application().Terminate();
}

void TForm::SetActiveControl(TWinControl* control) {
  if (control == activeControl_) return;
  if (activeControl_) activeControl_->RemoveFreeNotification(this);
  activeControl_ = control;
  if (control) control->FreeNotification(this);
  if (control && active_ && control->HandleAllocated() && GetFocus() != control->Handle()) {
    control->SetFocus();
  }
}

void TForm::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == opRemove && component == activeControl_) activeControl_ = nullptr;
}

void TForm::FocusFirstControl() {
  if (activeControl_ && activeControl_->HandleAllocated() &&
      IsWindowVisible(activeControl_->Handle()) && IsWindowEnabled(activeControl_->Handle())) {
    ::SetFocus(activeControl_->Handle());
    return;
  }
  if (HWND first = GetNextDlgTabItem(Handle(), nullptr, FALSE)) {
    ::SetFocus(first);
  } else {
    ::SetFocus(Handle());
  }
}

bool TForm::DialogKey(WORD key) {
  // Depth first over the controls, in creation order: the first one that wants the key.
  std::function<bool(TWinControl*)> visit = [&](TWinControl* parent) {
    for (int i = 0; i < parent->ControlCount(); ++i) {
      auto* w = dynamic_cast<TWinControl*>(parent->Controls(i));
      if (!w || !w->Visible() || !w->Enabled()) continue;
      if (w->WantsDialogKey(key)) {
        w->Click();
        return true;
      }
      if (visit(w)) return true;
    }
    return false;
  };
  return visit(this);
}

bool TForm::PreviewKeyMessage(const MSG& msg) {
  const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
  const bool up = msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP;
  if (!down && !up) return false;
  WORD key = static_cast<WORD>(msg.wParam);
  if (keyPreview_ && msg.hwnd != Handle()) {
    if (down) {
      DoKeyDown(key, CurrentShiftState());
    } else {
      DoKeyUp(key, CurrentShiftState());
    }
    if (key == 0) return true;
  }
  if (msg.message == WM_KEYDOWN && (key == VK_RETURN || key == VK_ESCAPE)) {
    MSG copy = msg;
    const LRESULT code = SendMessageA(msg.hwnd, WM_GETDLGCODE, key, reinterpret_cast<LPARAM>(&copy));
    if (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
    if (key == VK_RETURN && (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
      SendMessageA(msg.hwnd, BM_CLICK, 0, 0);  // Enter on a button presses that button
      return true;
    }
    DialogKey(key);  // the default or cancel button, if the form has one
    return true;
  }
  return false;
}

void TForm::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_CLOSE:
      Close();
      m.Result = 0;
      return;
    case WM_ACTIVATE:
      if (LOWORD(m.WParam) != WA_INACTIVE) {
        active_ = true;
        if (OnActivate) OnActivate(this);
        if (!HIWORD(m.WParam)) FocusFirstControl();  // not when minimised
        m.Result = 0;
        return;
      }
      active_ = false;
      if (OnDeactivate) OnDeactivate(this);
      break;
    case WM_SHOWWINDOW:
      // A window shown or hidden by the system (or another program) keeps Visible in step.
      visible_ = m.WParam != 0;
      break;
    case WM_NCPAINT:
    case WM_NCACTIVATE:
    case WM_SETTEXT:
      // The system paints the frame (or the caption, for the last two), then the skin.
      TWinControl::WndProc(m);
      PaintSkinnedFrame(Handle());
      return;
    default:
      break;
  }
  TWinControl::WndProc(m);
}

}  // namespace qv
