// The modal message box: builds a popup with a STATIC text, an icon, push buttons and an
// optional check box, lays it out for its text, and runs its own modal loop with the owner
// window disabled, as a system message box does.
#include "toolkit/SkinMessage.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "toolkit/Controls.h"
#include "toolkit/GdiObjects.h"
#include "toolkit/ResourceStrData.h"
#include "toolkit/SkinData.h"
#include "toolkit/StringList.h"

namespace qv {

QV_PUBLISHED(TspSkinMessage) {
  using P = Publish<TspSkinMessage>;
  return {
      P::Object<TspResourceStrData>("ResourceStrData", &TspSkinMessage::ResourceStrData,
                                    &TspSkinMessage::SetResourceStrData),
      P::Boolean("ShowAgainCheckBox", &TspSkinMessage::showAgainCheckBox_,
                 &TspSkinMessage::showAgainCheckBox_),
      P::Object<TspSkinData>("SkinData", &TspSkinMessage::SkinData, &TspSkinMessage::SetSkinData),
  };
}

namespace {

constexpr int kButtonIdBase = 100;  // + the button's ordinal; clear of IDOK and IDCANCEL
constexpr int kCheckBoxId = 200;
constexpr int kMessageId = 201;
constexpr int kIconId = 202;
constexpr const char* kNameProp = "QvName";
constexpr const char* kShowFlagFallback = "Do not display this message again";

const char* ButtonComponentName(MessageButton button) {
  constexpr const char* names[kMessageButtonCount] = {
      "btnYes", "btnNo",    "btnOK",      "btnCancel",   "btnAbort", "btnRetry",
      "btnIgnore", "btnAll", "btnNoToAll", "btnYesToAll", "btnHelp"};
  return names[static_cast<int>(button)];
}

const char* KindCaptionName(MessageKind kind) {
  switch (kind) {
    case MessageKind::Warning: return "MSG_CAP_WARNING";
    case MessageKind::Error: return "MSG_CAP_ERROR";
    case MessageKind::Information: return "MSG_CAP_INFORMATION";
    case MessageKind::Confirmation: return "MSG_CAP_CONFIRM";
    case MessageKind::Custom: break;
  }
  return nullptr;
}

LPCSTR KindIcon(MessageKind kind) {
  switch (kind) {
    case MessageKind::Warning: return IDI_WARNING;
    case MessageKind::Error: return IDI_ERROR;
    case MessageKind::Information: return IDI_INFORMATION;
    case MessageKind::Confirmation: return IDI_QUESTION;
    case MessageKind::Custom: break;
  }
  return nullptr;
}

// Drivers find controls by name without knowing their ids; the atom lives as long as the
// window, so it is deleted again when the box goes.
void SetComponentName(HWND window, const char* name) {
  ATOM atom = GlobalAddAtomA(name);
  if (atom != 0 && !SetPropA(window, kNameProp, reinterpret_cast<HANDLE>(UINT_PTR{atom}))) {
    GlobalDeleteAtom(atom);
  }
}

BOOL CALLBACK RemoveComponentName(HWND window, LPARAM) {
  HANDLE atom = RemovePropA(window, kNameProp);
  if (atom) GlobalDeleteAtom(static_cast<ATOM>(reinterpret_cast<UINT_PTR>(atom)));
  return TRUE;
}

// What one shown box needs while its loop runs; lives on MessageDlg's stack.
struct DialogState {
  MessageButtons buttons;
  int closeResult = mrNone;
  int result = mrNone;
  int defaultId = 0;
  bool done = false;
  bool destroyed = false;
  bool checked = false;
  TspMessageLook look;
  UniqueBrush backBrush;

  void Finish(int code) {
    if (done) return;
    result = code;
    done = true;
  }
};

DialogState* StateOf(HWND window) {
  return reinterpret_cast<DialogState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    return DefWindowProcA(window, message, wParam, lParam);
  }
  DialogState* state = StateOf(window);
  if (!state) return DefWindowProcA(window, message, wParam, lParam);

  switch (message) {
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      int code = HIWORD(wParam);
      if (id >= kButtonIdBase && id < kButtonIdBase + kMessageButtonCount) {
        if (code == BN_CLICKED) {
          state->Finish(MessageButtonResult(static_cast<MessageButton>(id - kButtonIdBase)));
        }
      } else if (id == kCheckBoxId) {
        if (code == BN_CLICKED) {
          state->checked = SendMessageA(reinterpret_cast<HWND>(lParam), BM_GETCHECK, 0, 0) ==
                           BST_CHECKED;
        }
      } else if (id == IDCANCEL) {  // Esc, through the dialog manager
        state->Finish(state->closeResult);
      } else if (id == IDOK) {  // Enter without a default button
        state->Finish(MessageButtonResult(DefaultMessageButton(state->buttons)));
      }
      return 0;
    }
    case DM_GETDEFID:
      return MAKELRESULT(state->defaultId, DC_HASDEFID);
    case DM_SETDEFID:  // the dialog manager moves the default along with the focus
      state->defaultId = static_cast<int>(wParam);
      return TRUE;
    case WM_CLOSE:  // close box, Alt+F4, or a driver's WM_CLOSE
      state->Finish(state->closeResult);
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      if (state->look.textColor == CLR_INVALID && !state->backBrush) break;
      HDC dc = reinterpret_cast<HDC>(wParam);
      if (state->look.textColor != CLR_INVALID) SetTextColor(dc, state->look.textColor);
      if (state->backBrush) {
        SetBkColor(dc, state->look.backColor);
        return reinterpret_cast<LRESULT>(state->backBrush.Get());
      }
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_ERASEBKGND: {
      if (!state->backBrush) break;
      RECT client;
      GetClientRect(window, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, state->backBrush.Get());
      return 1;
    }
    case WM_DESTROY:
      EnumChildWindows(window, RemoveComponentName, 0);
      state->destroyed = true;
      state->Finish(state->closeResult);  // destroyed from outside: as if closed
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// No exception may cross into the system: a failure ends the box as if it had been closed.
LRESULT CALLBACK MessageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    return HandleMessage(window, message, wParam, lParam);
  } catch (...) {
    if (DialogState* state = StateOf(window)) state->Finish(state->closeResult);
    return 0;
  }
}

void RegisterMessageClass() {
  static const bool registered = [] {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = MessageWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = TspSkinMessage::kWindowClass;
    return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  if (!registered) throw EMessageBoxError("Cannot register the message box window class");
}

UniqueFont SystemMessageFont() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    return UniqueFont(CreateFontIndirectA(&metrics.lfMessageFont));
  }
  return UniqueFont();
}

RECT WorkAreaNear(HWND window) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY);
  if (monitor && GetMonitorInfoA(monitor, &info)) return info.rcWork;
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return area;
}

SIZE MeasureText(HDC dc, const std::string& text, UINT format, int width = 0) {
  RECT r{0, 0, width, 0};
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, format | DT_CALCRECT);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

HWND CreateChild(HWND parent, const char* windowClass, const std::string& text, DWORD style,
                 int id, const char* componentName, HFONT font) {
  HWND child = CreateWindowExA(0, windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0,
                               0, 0, 0, parent, reinterpret_cast<HMENU>(INT_PTR{id}),
                               GetModuleHandleA(nullptr), nullptr);
  if (!child) throw EMessageBoxError("Cannot create the message box's controls");
  SetComponentName(child, componentName);
  SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

// Destroys the box unless it is already gone, whatever way MessageDlg leaves.
class BoxWindow {
 public:
  BoxWindow(HWND window, const DialogState& state) : window_(window), state_(state) {}
  ~BoxWindow() {
    if (!state_.destroyed && IsWindow(window_)) DestroyWindow(window_);
  }
  BoxWindow(const BoxWindow&) = delete;
  BoxWindow& operator=(const BoxWindow&) = delete;
  HWND Get() const { return window_; }

 private:
  HWND window_;
  const DialogState& state_;
};

// Keeps the owner disabled while the box is up; enabling it again before the box goes lets
// the system hand activation back to it rather than to some other program.
class OwnerDisabler {
 public:
  explicit OwnerDisabler(HWND owner) : owner_(owner) {
    // EnableWindow answers whether the window was disabled before; a nested box leaves an
    // owner that an outer one disabled to that outer one.
    wasEnabled_ = owner_ && IsWindow(owner_) && !EnableWindow(owner_, FALSE);
  }
  ~OwnerDisabler() { Restore(); }
  OwnerDisabler(const OwnerDisabler&) = delete;
  OwnerDisabler& operator=(const OwnerDisabler&) = delete;
  void Restore() {
    if (wasEnabled_ && IsWindow(owner_)) EnableWindow(owner_, TRUE);
    wasEnabled_ = false;
  }

 private:
  HWND owner_;
  bool wasEnabled_ = false;
};

}  // namespace

struct TspSkinMessage::Running {
  Running* outer;
  HWND window;
  bool componentGone = false;
};

TspSkinMessage::TspSkinMessage(ComponentOwner owner) : TComponent(owner) {}

TspSkinMessage::~TspSkinMessage() {
  for (Running* box = running_; box; box = box->outer) {
    box->componentGone = true;
    if (IsWindow(box->window)) DestroyWindow(box->window);
  }
}

void TspSkinMessage::SetResourceStrData(TspResourceStrData* data) {
  if (resourceStrData_) RemoveFreeNotification(resourceStrData_);
  resourceStrData_ = data;
  if (resourceStrData_) FreeNotification(resourceStrData_);
}

void TspSkinMessage::SetSkinData(TspSkinData* data) {
  if (skinData_) RemoveFreeNotification(skinData_);
  skinData_ = data;
  if (skinData_) FreeNotification(skinData_);
}

void TspSkinMessage::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && component == resourceStrData_) resourceStrData_ = nullptr;
  if (operation == opRemove && component == skinData_) skinData_ = nullptr;
}

std::string TspSkinMessage::ResText(const char* name) const {
  if (resourceStrData_) {
    std::string value = resourceStrData_->GetResStr(name);
    if (!value.empty()) return value;
  }
  if (std::string_view(name) == "MSG_CAP_SHOWFLAG") return kShowFlagFallback;
  static const std::unique_ptr<TStringList> defaults = [] {
    auto lines = std::make_unique<TStringList>();
    lines->SetText(TspResourceStrData::DefaultResStrings());
    return lines;
  }();
  return defaults->Values(name);
}

int TspSkinMessage::MessageDlg(const std::string& text, const std::string& caption,
                               MessageKind kind, MessageButtons buttons, int helpContext) {
  showAgainChecked_ = false;
  helpContext_ = helpContext;
  RegisterMessageClass();

  DialogState state;
  state.buttons = ShownMessageButtons(buttons);
  state.closeResult = MessageCloseResult(buttons);
  TspMessageLook look = look_;
  if (skinData_) {
    const SkinStyle& skin = CurrentSkinStyle();
    if (look.textColor == CLR_INVALID) look.textColor = skin.messageTextColor;
    if (look.backColor == CLR_INVALID) look.backColor = skin.messageColor;
    if (!look.font) look.font = TFont().Handle(skin);  // shared, lives with the process
  }
  state.look = look;
  if (look.backColor != CLR_INVALID) state.backBrush.Reset(CreateSolidBrush(look.backColor));
  state.defaultId = kButtonIdBase + static_cast<int>(DefaultMessageButton(buttons));

  UniqueFont ownFont;
  HFONT font = look.font;
  if (!font) {
    ownFont = SystemMessageFont();
    font = ownFont ? ownFont.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }

  std::string title = caption;
  if (title.empty()) {
    if (const char* name = KindCaptionName(kind)) title = ResText(name);
  }

  HWND owner = ownerWindow_ && IsWindow(ownerWindow_) ? ownerWindow_ : nullptr;
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  HWND hwnd = CreateWindowExA(exStyle, kWindowClass, title.c_str(), style, 0, 0, 0, 0, owner,
                              nullptr, GetModuleHandleA(nullptr), &state);
  if (!hwnd) throw EMessageBoxError("Cannot create the message box window");
  BoxWindow box(hwnd, state);

  // Controls.
  HWND icon = nullptr;
  if (LPCSTR iconId = KindIcon(kind)) {
    icon = CreateChild(hwnd, "STATIC", "", SS_ICON, kIconId, "imgIcon", font);
    SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconA(nullptr, iconId)), 0);
  }
  HWND label =
      CreateChild(hwnd, "STATIC", text, SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, kMessageId,
                  "lblMessage", font);
  HWND checkBox = nullptr;
  std::string checkCaption;
  if (showAgainCheckBox_) {
    checkCaption = ResText("MSG_CAP_SHOWFLAG");
    checkBox = CreateChild(hwnd, "BUTTON", checkCaption, BS_AUTOCHECKBOX | WS_TABSTOP,
                           kCheckBoxId, "cbShowAgain", font);
  }
  struct ShownButton {
    HWND window;
    std::string caption;
  };
  std::vector<ShownButton> shown;
  HWND defaultButton = nullptr;
  for (MessageButton b : kAllMessageButtons) {
    if (!state.buttons.Contains(b)) continue;
    int id = kButtonIdBase + static_cast<int>(b);
    bool isDefault = id == state.defaultId;
    std::string buttonCaption = ResText(MessageButtonResName(b));
    HWND button = CreateChild(hwnd, "BUTTON", buttonCaption,
                              (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP, id,
                              ButtonComponentName(b), font);
    if (isDefault) defaultButton = button;
    shown.push_back({button, buttonCaption});
  }

  // Layout: icon and text side by side, the check box below, the buttons centred at the
  // bottom, all in the same button width.
  const RECT work = WorkAreaNear(owner);
  const int workWidth = work.right - work.left;
  const int workHeight = work.bottom - work.top;
  const int margin = 12;
  const int gap = 10;
  const int spacing = 6;
  int iconSize = icon ? GetSystemMetrics(SM_CXICON) : 0;
  SIZE textSize{};
  int lineHeight = 0;
  int buttonWidth = 75;
  int checkWidth = 0;
  {
    WindowDC dc(hwnd);
    SelectObjectScope selectedFont(dc.Get(), font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc.Get(), &metrics);
    lineHeight = metrics.tmHeight;
    int maxTextWidth = std::clamp(workWidth * 2 / 3, 200, 520);
    textSize = MeasureText(dc.Get(), text.empty() ? std::string(" ") : text,
                           DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS,
                           maxTextWidth);
    textSize.cx = std::min<LONG>(textSize.cx, maxTextWidth);
    textSize.cy = std::min<LONG>(std::max<LONG>(textSize.cy, lineHeight), workHeight / 2);
    for (const ShownButton& b : shown) {
      buttonWidth = std::max<int>(buttonWidth, MeasureText(dc.Get(), b.caption, DT_SINGLELINE).cx + 24);
    }
    if (checkBox) {
      checkWidth = MeasureText(dc.Get(), checkCaption, DT_SINGLELINE).cx +
                   GetSystemMetrics(SM_CXMENUCHECK) + 12;
    }
  }
  const int buttonHeight = std::max(23, lineHeight + 10);
  const int checkHeight = std::max(17, lineHeight + 4);
  const int buttonCount = static_cast<int>(shown.size());
  const int rowWidth = buttonCount * buttonWidth + (buttonCount - 1) * spacing;
  const int contentWidth = (icon ? iconSize + gap : 0) + textSize.cx;
  const int contentHeight = std::max<int>(iconSize, textSize.cy);
  const int clientWidth =
      std::max({contentWidth, rowWidth, checkWidth, 160}) + 2 * margin;

  int y = margin;
  if (icon) MoveWindow(icon, margin, y, iconSize, iconSize, FALSE);
  int textX = margin + (icon ? iconSize + gap : 0);
  int textY = y + (contentHeight - textSize.cy) / 2;  // a short text sits level with the icon
  MoveWindow(label, textX, textY, textSize.cx, textSize.cy, FALSE);
  y += contentHeight + margin;
  if (checkBox) {
    MoveWindow(checkBox, margin, y, clientWidth - 2 * margin, checkHeight, FALSE);
    y += checkHeight + spacing + 2;
  }
  int x = (clientWidth - rowWidth) / 2;
  for (const ShownButton& b : shown) {
    MoveWindow(b.window, x, y, buttonWidth, buttonHeight, FALSE);
    x += buttonWidth + spacing;
  }
  y += buttonHeight + margin;

  RECT frame{0, 0, clientWidth, y};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT around = work;
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &around);
  int left = around.left + ((around.right - around.left) - width) / 2;
  int top = around.top + ((around.bottom - around.top) - height) / 2;
  left = std::max<int>(work.left, std::min<int>(left, work.right - width));
  top = std::max<int>(work.top, std::min<int>(top, work.bottom - height));
  SetWindowPos(hwnd, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

  // The modal loop. The component may be destroyed while it runs (by a handler of some
  // other window); it then marks this box so that nothing below touches its members.
  Running running{running_, hwnd};
  running_ = &running;
  struct Unlink {
    TspSkinMessage* self;
    Running& running;
    ~Unlink() {
      if (!running.componentGone) self->running_ = running.outer;
    }
  } unlink{this, running};
  OwnerDisabler disabler(owner);
  ShowWindow(hwnd, SW_SHOWNORMAL);
  SetForegroundWindow(hwnd);
  if (defaultButton) SetFocus(defaultButton);

  bool quit = false;
  WPARAM quitCode = 0;
  while (!state.done) {
    MSG msg;
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      quit = true;
      quitCode = msg.wParam;
      break;
    }
    if (got == -1) break;
    if (!IsDialogMessageA(hwnd, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  state.Finish(state.closeResult);  // the loop ended without an answer: quit or failure

  if (checkBox && !state.destroyed && IsWindow(checkBox)) {
    state.checked = SendMessageA(checkBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  if (!running.componentGone) showAgainChecked_ = checkBox != nullptr && state.checked;

  disabler.Restore();
  if (!state.destroyed) DestroyWindow(hwnd);
  if (owner && IsWindow(owner) && IsWindowVisible(owner) &&
      GetWindowThreadProcessId(owner, nullptr) == GetCurrentThreadId()) {
    SetActiveWindow(owner);
  }
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
  return state.result;
}

}  // namespace qv
