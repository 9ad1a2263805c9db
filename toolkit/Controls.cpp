// Controls over plain Win32 windows: the window class per control class, the window
// procedure boundary (no exception leaves it), the replaceable procedure chain, alignment,
// the cross-process name property and the font cache.
#include "toolkit/Controls.h"

#include <windowsx.h>

#include <algorithm>
#include <map>
#include <set>

#include "toolkit/Application.h"
#include "toolkit/Forms.h"
#include "toolkit/GdiObjects.h"

namespace qv {

namespace {

constexpr char kControlProperty[] = "QvControl";

bool FontFaceExists(const std::string& face) {
  static std::map<std::string, bool> known;
  auto it = known.find(face);
  if (it != known.end()) return it->second;
  LOGFONTA query{};
  query.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(query.lfFaceName, face.c_str(), LF_FACESIZE);
  bool found = false;
  WindowDC screen(nullptr);
  EnumFontFamiliesExA(
      screen.Get(), &query,
      [](const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) -> int {
        *reinterpret_cast<bool*>(found) = true;
        return 0;
      },
      reinterpret_cast<LPARAM>(&found), 0);
  known.emplace(face, found);
  return found;
}

void RegisterControlClass(const std::string& name, bool topLevel) {
  static std::set<std::string> registered;
  if (registered.count(name)) return;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = topLevel ? 0 : CS_PARENTDC;
  wc.lpfnWndProc = ControlWindowProcedure;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  if (topLevel) {
    // The program's own icon when the executable carries one.
    wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(1));
    if (!wc.hIcon) wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  }
  wc.lpszClassName = name.c_str();
  if (RegisterClassExA(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
    registered.insert(name);
  }
}

}  // namespace

// ---- TFont -------------------------------------------------------------------------------

QV_PUBLISHED(TFont) {
  using P = Publish<TFont>;
  return {
      P::String("Name", "TFontName", &TFont::Name, &TFont::SetName),
      P::Integer("Height", "Integer", &TFont::Height, &TFont::SetHeight),
      P::Integer("Color", "TColor", &TFont::Color, &TFont::SetColor),
      P::Set("Style", "TFontStyles", &TFont::Style, &TFont::SetStyle),
  };
}

void TFont::SetName(const std::string& name) {
  if (name == name_) return;
  name_ = name;
  Changed();
}

void TFont::SetHeight(int pixels) {
  if (pixels == height_) return;
  height_ = pixels;
  Changed();
}

void TFont::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed();
}

void TFont::SetStyle(TFontStyles style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}

void TFont::Assign(const TPersistent* source) {
  if (auto* other = dynamic_cast<const TFont*>(source)) {
    name_ = other->name_;
    height_ = other->height_;
    color_ = other->color_;
    style_ = other->style_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

void TFont::Changed() {
  if (OnChange) OnChange(this);
}

HFONT TFont::Handle(const SkinStyle& style) const {
  std::string face = name_.empty() ? style.font.face : name_;
  if (!FontFaceExists(face)) face = FontFaceExists(style.font.face) ? style.font.face : "";
  const int height = height_ > 0 ? height_ : style.font.pixelHeight;
  const bool bold = style_.Contains(fsBold) || (name_.empty() && height_ == 0 && style.font.bold);
  const std::string key = face + "|" + std::to_string(height) + "|" + (bold ? "b" : "") +
                          (style_.Contains(fsItalic) ? "i" : "") +
                          (style_.Contains(fsUnderline) ? "u" : "");
  static std::map<std::string, UniqueFont> cache;
  auto it = cache.find(key);
  if (it != cache.end()) return it->second.Get();
  HFONT font = CreateFontA(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL,
                           style_.Contains(fsItalic), style_.Contains(fsUnderline), FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                           face.empty() ? nullptr : face.c_str());
  if (!font) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  return cache.emplace(key, UniqueFont(font)).first->second.Get();
}

// ---- TControl ----------------------------------------------------------------------------

QV_PUBLISHED(TControl) {
  using P = Publish<TControl>;
  return {
      P::Integer("Left", "Integer", &TControl::Left, &TControl::SetLeft),
      P::Integer("Top", "Integer", &TControl::Top, &TControl::SetTop),
      P::Integer("Width", "Integer", &TControl::Width, &TControl::SetWidth),
      P::Integer("Height", "Integer", &TControl::Height, &TControl::SetHeight),
      P::Enum("Align", "TAlign", &TControl::Align, &TControl::SetAlign),
      P::Boolean("Visible", &TControl::Visible, &TControl::SetVisible),
      P::Boolean("Enabled", &TControl::Enabled, &TControl::SetEnabled),
      P::String("Caption", "TCaption", &TControl::Caption, &TControl::SetCaption),
      P::String("Hint", "string", &TControl::Hint, &TControl::SetHint),
      P::Object<TFont>("Font", &TControl::font_, AssignInto{}),
      P::Integer("Color", "TColor", &TControl::Color, &TControl::SetColor),
      P::Event("OnClick", "TNotifyEvent"),
  };
}

TControl::TControl(ComponentOwner owner) : TComponent(owner), font_(std::make_unique<TFont>()) {
  font_->OnChange = [this](TObject*) { AppearanceChanged(); };
}

TControl::~TControl() {
  if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  for (TWinControl* p = parent; p; p = p->Parent()) {
    if (p == this) throw EComponentError("A control cannot be its own parent");
  }
  if (parent_) parent_->RemoveControl(this);
  parent_ = nullptr;
  if (parent) parent->InsertControl(this);
}

TForm* TControl::ParentForm() const {
  const TControl* c = this;
  while (c->parent_) c = c->parent_;
  return dynamic_cast<TForm*>(const_cast<TControl*>(c));
}

void TControl::SetBounds(int left, int top, int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  const bool resized = width != width_ || height != height_;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  BoundsChanged();
  if (resized && align_ != alNone) RequestParentRealign();
}

void TControl::StoreBounds(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
}

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  VisibleChanged();
  if (align_ != alNone) RequestParentRealign();
}

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  EnabledChanged();
}

void TControl::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  CaptionChanged();
}

void TControl::SetHint(const std::string& hint) {
  if (hint == hint_) return;
  hint_ = hint;
  HintChanged();
}

void TControl::SetAlign(TAlign align) {
  if (align == align_) return;
  align_ = align;
  RequestParentRealign();
}

void TControl::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  AppearanceChanged();
}

void TControl::BringToFront() {
  if (!parent_) return;
  auto& list = parent_->controls_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  list.push_back(this);
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated()) {
    SetWindowPos(w->handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  if (align_ != alNone) RequestParentRealign();
}

void TControl::SendToBack() {
  if (!parent_) return;
  auto& list = parent_->controls_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  list.insert(list.begin(), this);
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated()) {
    SetWindowPos(w->handle_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  if (align_ != alNone) RequestParentRealign();
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::Loaded() {
  TComponent::Loaded();
  NameMaybeChanged();
}

void TControl::RequestParentRealign() {
  if (parent_) parent_->AlignControls();
}

// ---- TWinControl -------------------------------------------------------------------------

QV_PUBLISHED(TWinControl) {
  using P = Publish<TWinControl>;
  return {
      P::Boolean("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop),
      P::Event("OnKeyDown", "TKeyEvent"),
      P::Event("OnKeyUp", "TKeyEvent"),
  };
}

TWinControl::TWinControl(ComponentOwner owner) : TControl(owner) {
  windowProc_ = [this](TMessage& m) { WndProc(m); };
}

TWinControl::~TWinControl() {
  DestroyComponents();
  for (TControl* c : controls_) c->parent_ = nullptr;
  controls_.clear();
  DestroyHandle();
}

TWinControl* TWinControl::FromHandle(HWND window) {
  if (!window) return nullptr;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId()) return nullptr;
  return static_cast<TWinControl*>(GetPropA(window, kControlProperty));
}

HWND TWinControl::Handle() {
  if (!handle_ && !creating_) CreateHandle();
  return handle_;
}

void TWinControl::CreateParams(TCreateParams& params) {
  if (!Parent()) throw std::runtime_error("Control '" + Name() + "' has no parent window");
  params.style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  params.parent = Parent()->Handle();
  if (visible_) params.style |= WS_VISIBLE;
  if (!Enabled()) params.style |= WS_DISABLED;
  if (tabStop_) params.style |= WS_TABSTOP;
  params.x = left_;
  params.y = top_;
  params.width = width_;
  params.height = height_;
}

void TWinControl::CreateHandle() {
  creating_ = true;
  try {
    TCreateParams params;
    CreateParams(params);
    if ((params.style & WS_CHILD) && !params.parent) {
      throw std::runtime_error("Parent window could not be created");
    }
    const std::string& className = ClassName();
    RegisterControlClass(className, !(params.style & WS_CHILD));
    static int nextId = 100;
    HMENU menu = (params.style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextId++))
                                           : nullptr;
    HWND created = CreateWindowExA(params.exStyle, className.c_str(), Caption().c_str(),
                                   params.style, params.x, params.y, params.width, params.height,
                                   params.parent, menu, GetModuleHandleA(nullptr), this);
    if (!created) {
      throw std::runtime_error("Cannot create the window of " + ClassName() + " " + Name());
    }
    handle_ = created;
    UpdateNameProperty();
    // Children whose windows were waiting for this one. A new child window goes below its
    // siblings, so creation order is also the keyboard tab order.
    for (TControl* c : controls_) {
      if (auto* w = dynamic_cast<TWinControl*>(c)) w->HandleNeeded();
    }
    AlignControls();
    HandleCreated();
  } catch (...) {
    creating_ = false;
    throw;
  }
  creating_ = false;
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  HWND window = handle_;
  ClearNameProperty();
  // Messages sent while the window goes no longer reach this object.
  RemovePropA(window, kControlProperty);
  handle_ = nullptr;
  for (TControl* c : controls_) {
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  }
  DestroyWindow(window);
}

void TWinControl::WindowDestroyed() {
  // The window went without DestroyHandle (its parent window was destroyed).
  ClearNameProperty();
  if (handle_) RemovePropA(handle_, kControlProperty);
  handle_ = nullptr;
}

void TWinControl::UpdateNameProperty() {
  if (!handle_) return;
  ClearNameProperty();
  if (Name().empty()) return;
  nameAtom_ = GlobalAddAtomA(Name().c_str());
  if (nameAtom_) {
    SetPropA(handle_, kNameProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(nameAtom_)));
  }
}

void TWinControl::ClearNameProperty() {
  if (!nameAtom_) return;
  if (handle_) RemovePropA(handle_, kNameProperty);
  GlobalDeleteAtom(nameAtom_);
  nameAtom_ = 0;
}

void TWinControl::NameMaybeChanged() {
  char current[256] = {};
  if (nameAtom_) GlobalGetAtomNameA(nameAtom_, current, sizeof current);
  if (Name() != current) UpdateNameProperty();
}

void TWinControl::InsertControl(TControl* control) {
  controls_.push_back(control);
  control->parent_ = this;
  if (auto* w = dynamic_cast<TWinControl*>(control)) {
    if (handle_) {
      if (w->handle_) {
        ::SetParent(w->handle_, handle_);
        SetWindowPos(w->handle_, nullptr, w->left_, w->top_, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      } else {
        w->HandleNeeded();
      }
    } else if (w->handle_) {
      // Its window waits, without parent, until this one has a window.
      w->DestroyHandle();
    }
  }
  if (control->Align() != alNone) AlignControls();
}

void TWinControl::RemoveControl(TControl* control) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
  control->parent_ = nullptr;
  if (auto* w = dynamic_cast<TWinControl*>(control)) w->DestroyHandle();
  if (control->Align() != alNone) AlignControls();
}

void TWinControl::SetWindowProc(TWndMethod proc) {
  windowProc_ = proc ? std::move(proc) : TWndMethod([this](TMessage& m) { WndProc(m); });
  windowProcTag_ = nullptr;
}

LRESULT TWinControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage message{msg, wParam, lParam, 0};
  windowProc_(message);
  return message.Result;
}

int TWinControl::ClientWidth() {
  if (!handle_) return width_;
  RECT r{};
  GetClientRect(handle_, &r);
  return r.right - r.left;
}

int TWinControl::ClientHeight() {
  if (!handle_) return height_;
  RECT r{};
  GetClientRect(handle_, &r);
  return r.bottom - r.top;
}

void TWinControl::SetTabStop(bool tabStop) {
  if (tabStop == tabStop_) return;
  tabStop_ = tabStop;
  if (handle_) {
    LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
    style = tabStop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    SetWindowLongPtrA(handle_, GWL_STYLE, style);
  }
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus() {
  if (TForm* form = ParentForm(); form && form != this) form->SetActiveControl(this);
  if (handle_ && IsWindowVisible(handle_) && IsWindowEnabled(handle_)) ::SetFocus(handle_);
}

TColor TWinControl::BackgroundColor() const {
  if (Color() != clDefault) return Color();
  return Parent() ? Parent()->BackgroundColor() : CurrentSkinStyle().formColor;
}

void TWinControl::AlignControls() {
  if (aligning_) return;
  aligning_ = true;
  RECT r{0, 0, ClientWidth(), ClientHeight()};
  auto place = [](TControl* c, int l, int t, int w, int h) { c->SetBounds(l, t, w, h); };
  auto pass = [&](TAlign which) {
    std::vector<TControl*> list;
    for (TControl* c : controls_) {
      if (c->Align() == which && c->Visible()) list.push_back(c);
    }
    // Like controls keep their order on the side they are stacked against.
    std::stable_sort(list.begin(), list.end(), [which](TControl* a, TControl* b) {
      switch (which) {
        case alTop: return a->Top() < b->Top();
        case alBottom: return a->Top() + a->Height() > b->Top() + b->Height();
        case alLeft: return a->Left() < b->Left();
        case alRight: return a->Left() + a->Width() > b->Left() + b->Width();
        default: return false;
      }
    });
    for (TControl* c : list) {
      switch (which) {
        case alTop:
          place(c, r.left, r.top, r.right - r.left, c->Height());
          r.top += c->Height();
          break;
        case alBottom:
          place(c, r.left, r.bottom - c->Height(), r.right - r.left, c->Height());
          r.bottom -= c->Height();
          break;
        case alLeft:
          place(c, r.left, r.top, c->Width(), r.bottom - r.top);
          r.left += c->Width();
          break;
        case alRight:
          place(c, r.right - c->Width(), r.top, c->Width(), r.bottom - r.top);
          r.right -= c->Width();
          break;
        case alClient:
          place(c, r.left, r.top, std::max<int>(r.right - r.left, 0),
                std::max<int>(r.bottom - r.top, 0));
          break;
        default:
          break;
      }
    }
  };
  try {
    for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) pass(a);
  } catch (...) {
    aligning_ = false;
    throw;
  }
  aligning_ = false;
}

void TWinControl::BoundsChanged() {
  if (!handle_) return;
  SetWindowPos(handle_, nullptr, left_, top_, width_, height_,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::VisibleChanged() {
  if (handle_) ShowWindow(handle_, visible_ ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::EnabledChanged() {
  if (handle_) {
    EnableWindow(handle_, Enabled());
    Invalidate();
  }
}

void TWinControl::CaptionChanged() {
  if (handle_) {
    SetWindowTextA(handle_, Caption().c_str());
    Invalidate();
  }
}

void TWinControl::AppearanceChanged() { Invalidate(); }

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

TShiftState TWinControl::CurrentShiftState() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

UINT TWinControl::SkinChangedMessage() {
  static const UINT message = RegisterWindowMessageA("Qv SkinStyleChanged");
  return message;
}

void TWinControl::DoKeyDown(WORD& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::DoKeyUp(WORD& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::Paint(HDC dc, const RECT& client) {
  UniqueBrush brush(CreateSolidBrush(BackgroundColor()));
  FillRect(dc, &client, brush.Get());
}

void TWinControl::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_ERASEBKGND:
      m.Result = 1;  // WM_PAINT fills the whole client area off-screen
      return;
    case WM_PAINT: {
      BufferedPaint paint(handle_);
      Paint(paint.Dc(), paint.Client());
      m.Result = 0;
      return;
    }
    case WM_WINDOWPOSCHANGED: {
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(m.LParam);
      if (!(pos->flags & SWP_NOSIZE) || !(pos->flags & SWP_NOMOVE)) {
        RECT r{};
        GetWindowRect(handle_, &r);
        if (HWND parent = GetParent(handle_); parent && (GetWindowLongPtrA(handle_, GWL_STYLE) & WS_CHILD)) {
          MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        }
        const bool resized = (r.right - r.left) != width_ || (r.bottom - r.top) != height_;
        StoreBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
        if (resized) AlignControls();
      }
      break;
    }
    case WM_SETFOCUS:
      if (TForm* form = ParentForm(); form && form != this) form->SetActiveControl(this);
      Invalidate();
      break;
    case WM_KILLFOCUS:
      Invalidate();
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      WORD key = static_cast<WORD>(m.WParam);
      DoKeyDown(key, CurrentShiftState());
      if (key == 0) return;
      break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      WORD key = static_cast<WORD>(m.WParam);
      DoKeyUp(key, CurrentShiftState());
      if (key == 0) return;
      break;
    }
    default:
      if (m.Msg == SkinChangedMessage()) {
        AppearanceChanged();
        m.Result = 0;
        return;
      }
      break;
  }
  DefaultHandler(m);
}

void TWinControl::DefaultHandler(TMessage& m) {
  m.Result = DefWindowProcA(handle_, m.Msg, m.WParam, m.LParam);
}

// The one entry of every toolkit window: finds the control, runs its procedure chain and
// catches whatever it throws, which goes to the application's error box.
LRESULT CALLBACK ControlWindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWinControl* control = nullptr;
  if (msg == WM_NCCREATE) {
    control = static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    SetPropA(window, kControlProperty, control);
    control->handle_ = window;
  } else {
    control = static_cast<TWinControl*>(GetPropA(window, kControlProperty));
  }
  if (!control) return DefWindowProcA(window, msg, wParam, lParam);
  TMessage message{msg, wParam, lParam, 0};
  try {
    control->windowProc_(message);
  } catch (...) {
    Application().HandleException(control);
    message.Result = DefWindowProcA(window, msg, wParam, lParam);
  }
  if (msg == WM_NCDESTROY) control->WindowDestroyed();
  return message.Result;
}

// ---- WindowProcHook ----------------------------------------------------------------------

struct WindowProcHook::Link {
  TWndMethod previous;
  const void* previousTag = nullptr;
  Handler handler;
  bool active = true;
};

void WindowProcHook::Install(TWinControl* control, Handler handler) {
  Remove();
  if (!control) return;
  auto link = std::make_shared<Link>();
  link->previous = control->windowProc_;
  link->previousTag = control->windowProcTag_;
  link->handler = std::move(handler);
  control->windowProc_ = [link](TMessage& m) {
    // A handler may remove its own hook: keep the link alive until this message is done.
    std::shared_ptr<Link> keep = link;
    if (keep->active && keep->handler && keep->handler(m)) return;
    keep->previous(m);
  };
  control->windowProcTag_ = link.get();
  control_ = control;
  link_ = std::move(link);
}

void WindowProcHook::Remove() {
  if (!control_) return;
  link_->active = false;
  if (control_->windowProcTag_ == link_.get()) {
    // Still the latest link: take it out of the chain altogether.
    TWndMethod previous = link_->previous;
    control_->windowProcTag_ = link_->previousTag;
    control_->windowProc_ = std::move(previous);
  }
  control_ = nullptr;
  link_.reset();
}

void WindowProcHook::CallPrevious(TMessage& message) const {
  if (link_) link_->previous(message);
}

}  // namespace qv
