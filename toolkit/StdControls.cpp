// The standard controls: input handling (mouse, keys, BM_* messages) and painting with the
// current skin style.
#include "toolkit/StdControls.h"

#include <windowsx.h>

#include <algorithm>
#include <functional>

#include "toolkit/Application.h"
#include "toolkit/Forms.h"
#include "toolkit/GdiObjects.h"
#include "toolkit/Pictures.h"
#include "util/Processes.h"

namespace qv {

namespace {

void FillSolid(HDC dc, const RECT& r, TColor color) {
  UniqueBrush brush(CreateSolidBrush(color));
  FillRect(dc, &r, brush.Get());
}

// A rounded rectangle filled with one colour and framed with another.
void RoundBox(HDC dc, const RECT& r, TColor fill, TColor frame, int radius) {
  UniqueBrush brush(CreateSolidBrush(fill));
  UniquePen pen(CreatePen(PS_SOLID, 1, frame));
  SelectObjectScope b(dc, brush.Get());
  SelectObjectScope p(dc, pen.Get());
  RoundRect(dc, r.left, r.top, r.right, r.bottom, radius, radius);
}

TColor Blend(TColor a, TColor b, int percentOfB) {
  auto mix = [&](int shift) {
    const int ca = (a >> shift) & 0xFF;
    const int cb = (b >> shift) & 0xFF;
    return static_cast<TColor>((ca * (100 - percentOfB) + cb * percentOfB) / 100) << shift;
  };
  return mix(0) | mix(8) | mix(16);
}

// Tracks the mouse leaving a control so that its hover look goes away.
void TrackLeave(HWND window) {
  TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
  TrackMouseEvent(&track);
}

bool PointInClient(HWND window, LPARAM lParam) {
  RECT r{};
  GetClientRect(window, &r);
  POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  return PtInRect(&r, p) != FALSE;
}

// The mouse side of a clickable control: hover tracking, capture while pressed, and a click
// when the button is released over the control. repaint shows a state change, press runs
// on a left-button press (focus), click on a release inside. True when the message is
// answered (Result set); false when the control's procedure goes on with it.
bool HandlePointer(PointerState& state, HWND window, TMessage& m, const std::function<void()>& repaint,
                   const std::function<void()>& press, const std::function<void()>& click) {
  switch (m.Msg) {
    case WM_MOUSEMOVE:
      if (!state.hot) {
        state.hot = true;
        TrackLeave(window);
        repaint();
      }
      return false;
    case WM_MOUSELEAVE:
      state.hot = false;
      repaint();
      return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      state.pressed = true;
      SetCapture(window);
      press();
      repaint();
      m.Result = 0;
      return true;
    case WM_LBUTTONUP:
      if (state.pressed) {
        state.pressed = false;
        ReleaseCapture();
        repaint();
        if (PointInClient(window, m.LParam)) click();
      }
      m.Result = 0;
      return true;
    case WM_CAPTURECHANGED:
      state.pressed = false;
      repaint();
      return false;
    default:
      return false;
  }
}

}  // namespace

// ---- TButton -----------------------------------------------------------------------------

QV_PUBLISHED(TButton) {
  using P = Publish<TButton>;
  return {
      P::Integer("ModalResult", "TModalResult", &TButton::ModalResult, &TButton::SetModalResult),
      P::Boolean("Default", &TButton::Default, &TButton::SetDefault),
      P::Boolean("Cancel", &TButton::Cancel, &TButton::SetCancel),
      P::Object<TImageList>("Images", &TButton::Images, &TButton::SetImages),
      P::Integer("ImageIndex", "TImageIndex", &TButton::ImageIndex, &TButton::SetImageIndex),
  };
}

TButton::TButton(ComponentOwner owner) : TWinControl(owner) {
  width_ = 75;
  height_ = 25;
  SetTabStop(true);
}

void TButton::SetDefault(bool value) {
  default_ = value;
  Invalidate();
}

void TButton::SetImages(TImageList* images) {
  if (images == images_) return;
  if (images_) images_->RemoveFreeNotification(this);
  images_ = images;
  if (images_) images_->FreeNotification(this);
  Invalidate();
}

void TButton::SetImageIndex(int index) {
  imageIndex_ = index;
  Invalidate();
}

void TButton::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == opRemove && component == images_) images_ = nullptr;
}

void TButton::Click() {
  if (modalResult_ != mrNone) {
    if (TForm* form = ParentForm()) form->SetModalResult(modalResult_);
  }
  TWinControl::Click();
}

bool TButton::WantsDialogKey(WORD key) const {
  return (key == VK_RETURN && default_) || (key == VK_ESCAPE && cancel_);
}

void TButton::WndProc(TMessage& m) {
  HWND window = HandleAllocated() ? Handle() : nullptr;
  const auto repaint = [this] { Invalidate(); };
  const auto press = [this] {
    if (TabStop()) SetFocus();
  };
  const auto click = [this] { Click(); };
  if (HandlePointer(pointer_, window, m, repaint, press, click)) return;
  switch (m.Msg) {
    case BM_CLICK:
      if (Enabled()) Click();
      m.Result = 0;
      return;
    case WM_GETDLGCODE:
      m.Result = DLGC_BUTTON | (default_ ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
      return;
    case WM_KEYDOWN:
      if (m.WParam == VK_SPACE) {
        spaceDown_ = true;
        Invalidate();
      } else if (m.WParam == VK_RETURN) {
        Click();
        m.Result = 0;
        return;
      }
      break;
    case WM_KEYUP:
      if (m.WParam == VK_SPACE && spaceDown_) {
        spaceDown_ = false;
        Invalidate();
        Click();
      }
      break;
    default:
      break;
  }
  TWinControl::WndProc(m);
}

void TButton::Paint(HDC dc, const RECT& client) {
  const SkinStyle& s = CurrentSkinStyle();
  FillSolid(dc, client, Parent() ? Parent()->BackgroundColor() : s.formColor);
  const bool enabled = Enabled();
  const bool down = (pointer_.pressed && pointer_.hot) || spaceDown_;
  TColor face = Color() != clDefault ? Color() : s.buttonFace;
  if (enabled && down) {
    face = s.buttonPressed;
  } else if (enabled && pointer_.hot) {
    face = s.buttonHot;
  }
  const bool focused = Focused();
  TColor frame = (default_ || focused) && enabled ? s.accentColor : s.buttonBorder;
  // The skin's glow frame marks the button under the mouse.
  const bool glow = s.buttonGlow && enabled && pointer_.hot && !down;
  if (glow) frame = s.glowColor;
  RECT box = client;
  RoundBox(dc, box, face, frame, 6);
  if (glow) {
    RECT inner{box.left + 1, box.top + 1, box.right - 1, box.bottom - 1};
    UniquePen pen(CreatePen(PS_SOLID, 1, Blend(s.glowColor, face, 40)));
    SelectObjectScope p(dc, pen.Get());
    SelectObjectScope b(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, inner.left, inner.top, inner.right, inner.bottom, 5, 5);
  }
  if (focused && enabled) {
    RECT inner{box.left + 1, box.top + 1, box.right - 1, box.bottom - 1};
    UniquePen pen(CreatePen(PS_SOLID, 1, Blend(s.accentColor, face, 55)));
    SelectObjectScope p(dc, pen.Get());
    SelectObjectScope b(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, inner.left, inner.top, inner.right, inner.bottom, 5, 5);
  }

  // Small buttons ("Delete Now" on 75 pixels) need every pixel of their width for the text.
  const bool hasImage = images_ && imageIndex_ >= 0 && imageIndex_ < images_->Count();
  RECT text = client;
  InflateRect(&text, hasImage ? -8 : -3, 0);
  const int shift = down ? 1 : 0;
  if (hasImage) {
    const int iw = images_->Width();
    const int ih = images_->Height();
    const int top = (client.bottom - client.top - ih) / 2 + shift;
    images_->Draw(dc, text.left + 4 + shift, top, imageIndex_, enabled);
    text.left += iw + 12;
  }
  OffsetRect(&text, shift, shift);
  SelectObjectScope f(dc, Font().Handle(s));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, enabled ? Font().ResolvedColor(s.buttonText) : s.subtleTextColor);
  const UINT align = (images_ && imageIndex_ >= 0) ? DT_LEFT : DT_CENTER;
  DrawTextA(dc, Caption().c_str(), -1, &text, align | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
}

// ---- TCheckBox ---------------------------------------------------------------------------

QV_PUBLISHED(TCheckBox) {
  using P = Publish<TCheckBox>;
  return {P::Boolean("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked)};
}

TCheckBox::TCheckBox(ComponentOwner owner) : TWinControl(owner) {
  width_ = 97;
  height_ = 17;
  SetTabStop(true);
}

void TCheckBox::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  Invalidate();
}

void TCheckBox::Click() {
  SetChecked(!checked_);
  TWinControl::Click();
}

void TCheckBox::WndProc(TMessage& m) {
  HWND window = HandleAllocated() ? Handle() : nullptr;
  const auto repaint = [this] { Invalidate(); };
  const auto press = [this] { SetFocus(); };
  const auto click = [this] { Click(); };
  if (HandlePointer(pointer_, window, m, repaint, press, click)) return;
  switch (m.Msg) {
    case BM_CLICK:
      if (Enabled()) Click();
      m.Result = 0;
      return;
    case BM_GETCHECK:
      m.Result = checked_ ? BST_CHECKED : BST_UNCHECKED;
      return;
    case BM_SETCHECK:
      SetChecked(m.WParam == BST_CHECKED);
      m.Result = 0;
      return;
    case WM_GETDLGCODE:
      m.Result = DLGC_BUTTON;
      return;
    case WM_KEYUP:
      if (m.WParam == VK_SPACE) Click();
      break;
    default:
      break;
  }
  TWinControl::WndProc(m);
}

void TCheckBox::Paint(HDC dc, const RECT& client) {
  const SkinStyle& s = CurrentSkinStyle();
  FillSolid(dc, client, Parent() ? Parent()->BackgroundColor() : s.formColor);
  const bool enabled = Enabled();
  const int size = 15;
  const int top = (client.bottom - client.top - size) / 2;
  RECT box{client.left + 1, top, client.left + 1 + size, top + size};
  if (checked_) {
    RoundBox(dc, box, enabled ? s.accentColor : s.subtleTextColor,
             enabled ? s.accentColor : s.subtleTextColor, 4);
    // The tick: two strokes in the face colour.
    UniquePen pen(CreatePen(PS_SOLID, 2, s.checkBoxFace));
    SelectObjectScope p(dc, pen.Get());
    POINT tick[3] = {{box.left + 3, box.top + 7}, {box.left + 6, box.top + 10},
                     {box.left + 11, box.top + 4}};
    Polyline(dc, tick, 3);
  } else {
    RoundBox(dc, box, s.checkBoxFace, pointer_.hot && enabled ? s.accentColor : s.buttonBorder, 4);
  }
  RECT text{box.right + 6, client.top, client.right, client.bottom};
  SelectObjectScope f(dc, Font().Handle(s));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, enabled ? Font().ResolvedColor(s.textColor) : s.subtleTextColor);
  DrawTextA(dc, Caption().c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
  if (Focused()) {
    RECT measure = text;
    DrawTextA(dc, Caption().c_str(), -1, &measure, DT_LEFT | DT_SINGLELINE | DT_CALCRECT);
    const int h = measure.bottom - measure.top;
    RECT focus{text.left - 2, (client.bottom - h) / 2 - 1,
               std::min(measure.right + 2, client.right), (client.bottom + h) / 2 + 1};
    SetTextColor(dc, s.textColor);
    DrawFocusRect(dc, &focus);
  }
}

// ---- TLabel ------------------------------------------------------------------------------

QV_PUBLISHED(TLabel) {
  using P = Publish<TLabel>;
  return {
      P::Boolean("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize),
      P::Boolean("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap),
      P::Enum("Alignment", "TAlignment", &TLabel::Alignment, &TLabel::SetAlignment),
      P::Boolean("Shadow", &TLabel::Shadow, &TLabel::SetShadow),
      P::Integer("ShadowColor", "TColor", &TLabel::ShadowColor, &TLabel::SetShadowColor),
  };
}

TLabel::TLabel(ComponentOwner owner) : TWinControl(owner) {
  width_ = 65;
  height_ = 13;
}

void TLabel::SetAutoSize(bool autoSize) {
  autoSize_ = autoSize;
  if (autoSize_) AdjustBounds();
}

void TLabel::SetWordWrap(bool wrap) {
  wordWrap_ = wrap;
  if (autoSize_) AdjustBounds();
  Invalidate();
}

void TLabel::SetAlignment(TAlignment alignment) {
  alignment_ = alignment;
  Invalidate();
}

void TLabel::SetShadow(bool shadow) {
  shadow_ = shadow;
  if (autoSize_) AdjustBounds();
  Invalidate();
}

void TLabel::SetShadowColor(TColor color) {
  shadowColor_ = color;
  Invalidate();
}

HFONT TLabel::CurrentFont() const {
  const TFontStyles extra = ExtraFontStyle();
  if (extra.Empty()) return Font().Handle(CurrentSkinStyle());
  TFont font;
  font.Assign(&Font());
  font.SetStyle(TFontStyles::FromBits(Font().Style().Bits() | extra.Bits()));
  return font.Handle(CurrentSkinStyle());
}

UINT TLabel::DrawFlags() const {
  UINT flags = DT_NOPREFIX;
  flags |= alignment_ == taCenter ? DT_CENTER : alignment_ == taRightJustify ? DT_RIGHT : DT_LEFT;
  flags |= wordWrap_ ? DT_WORDBREAK : DT_SINGLELINE;
  return flags;
}

void TLabel::AdjustBounds() {
  WindowDC screen(nullptr);
  SelectObjectScope f(screen.Get(), CurrentFont());
  const std::string text = Caption().empty() ? std::string(" ") : Caption();
  RECT r{0, 0, wordWrap_ ? std::max(width_, 1) : 0, 0};
  DrawTextA(screen.Get(), text.c_str(), -1, &r, DrawFlags() | DT_CALCRECT);
  const int extra = shadow_ ? 2 : 0;
  if (wordWrap_) {
    SetBounds(left_, top_, width_, r.bottom - r.top + extra);
  } else {
    SetBounds(left_, top_, r.right - r.left + extra, r.bottom - r.top + extra);
  }
}

void TLabel::CaptionChanged() {
  TWinControl::CaptionChanged();
  if (autoSize_) AdjustBounds();
}

void TLabel::AppearanceChanged() {
  TWinControl::AppearanceChanged();
  if (autoSize_) AdjustBounds();
}

void TLabel::HandleCreated() {
  if (autoSize_) AdjustBounds();
}

TColor TLabel::TextColor() const { return Font().ResolvedColor(CurrentSkinStyle().textColor); }

void TLabel::Paint(HDC dc, const RECT& client) {
  const SkinStyle& s = CurrentSkinStyle();
  FillSolid(dc, client, BackgroundColor());
  SelectObjectScope f(dc, CurrentFont());
  SetBkMode(dc, TRANSPARENT);
  RECT r = client;
  if (shadow_) {
    r.right -= 2;
    r.bottom -= 2;
    RECT shadow = r;
    OffsetRect(&shadow, 2, 2);
    SetTextColor(dc, shadowColor_ != clDefault ? shadowColor_ : s.shadowColor);
    DrawTextA(dc, Caption().c_str(), -1, &shadow, DrawFlags());
  }
  SetTextColor(dc, Enabled() ? TextColor() : s.subtleTextColor);
  DrawTextA(dc, Caption().c_str(), -1, &r, DrawFlags());
}

// ---- TLinkLabel --------------------------------------------------------------------------

QV_PUBLISHED(TLinkLabel) {
  using P = Publish<TLinkLabel>;
  return {P::String("URL", "string", &TLinkLabel::URL, &TLinkLabel::SetURL)};
}

namespace {
TLinkLabel::UrlOpener& CurrentUrlOpener() {
  static TLinkLabel::UrlOpener opener;
  return opener;
}
}  // namespace

TLinkLabel::TLinkLabel(ComponentOwner owner) : TLabel(owner) {}

TLinkLabel::UrlOpener TLinkLabel::SetUrlOpener(UrlOpener opener) {
  UrlOpener previous = std::move(CurrentUrlOpener());
  CurrentUrlOpener() = std::move(opener);
  return previous;
}

void TLinkLabel::Click() {
  if (!url_.empty()) {
    if (CurrentUrlOpener()) {
      CurrentUrlOpener()(url_);
    } else {
      ShellExecuteA(Application().MainFormHandle(), "open", url_.c_str(), nullptr, nullptr,
                    SW_SHOWNORMAL);
    }
  }
  TLabel::Click();
}

TColor TLinkLabel::TextColor() const {
  return Font().ResolvedColor(CurrentSkinStyle().linkColor);
}

void TLinkLabel::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_SETCURSOR:
      SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
      m.Result = TRUE;
      return;
    case WM_LBUTTONUP:
      if (Enabled()) Click();
      m.Result = 0;
      return;
    case BM_CLICK:
      if (Enabled()) Click();
      m.Result = 0;
      return;
    default:
      break;
  }
  TLabel::WndProc(m);
}

// ---- TPanel ------------------------------------------------------------------------------

QV_PUBLISHED(TPanel) {
  using P = Publish<TPanel>;
  return {P::Boolean("Border", &TPanel::Border, &TPanel::SetBorder)};
}

TPanel::TPanel(ComponentOwner owner) : TWinControl(owner) {
  width_ = 185;
  height_ = 41;
}

void TPanel::SetBorder(bool border) {
  border_ = border;
  Invalidate();
}

TColor TPanel::BackgroundColor() const {
  return Color() != clDefault ? Color() : CurrentSkinStyle().panelColor;
}

void TPanel::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  // Tab and arrow navigation go into the panel's controls.
  params.exStyle |= WS_EX_CONTROLPARENT;
}

void TPanel::Paint(HDC dc, const RECT& client) {
  const SkinStyle& s = CurrentSkinStyle();
  FillSolid(dc, client, BackgroundColor());
  if (border_) {
    UniqueBrush frame(CreateSolidBrush(s.panelBorder));
    FrameRect(dc, &client, frame.Get());
  }
  if (!Caption().empty()) {
    RECT r = client;
    SelectObjectScope f(dc, Font().Handle(s));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, Font().ResolvedColor(s.textColor));
    DrawTextA(dc, Caption().c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

// ---- TBevel ------------------------------------------------------------------------------

QV_PUBLISHED(TBevel) { return {}; }

TBevel::TBevel(ComponentOwner owner) : TWinControl(owner) {
  width_ = 50;
  height_ = 2;
}

void TBevel::Paint(HDC dc, const RECT& client) {
  const SkinStyle& s = CurrentSkinStyle();
  FillSolid(dc, client, BackgroundColor());
  const int w = client.right - client.left;
  const int h = client.bottom - client.top;
  if (w >= h) {
    const int y = (h - 2) / 2;
    FillSolid(dc, RECT{0, y, w, y + 1}, s.bevelDark);
    FillSolid(dc, RECT{0, y + 1, w, y + 2}, s.bevelLight);
  } else {
    const int x = (w - 2) / 2;
    FillSolid(dc, RECT{x, 0, x + 1, h}, s.bevelDark);
    FillSolid(dc, RECT{x + 1, 0, x + 2, h}, s.bevelLight);
  }
}

// ---- TGauge ------------------------------------------------------------------------------

QV_PUBLISHED(TGauge) {
  using P = Publish<TGauge>;
  return {
      P::Integer("Min", "Integer", &TGauge::Min, &TGauge::SetMin),
      P::Integer("Max", "Integer", &TGauge::Max, &TGauge::SetMax),
      P::Integer("Value", "Integer", &TGauge::Value, &TGauge::SetValue),
      P::Boolean("ShowText", &TGauge::ShowText, &TGauge::SetShowText),
  };
}

TGauge::TGauge(ComponentOwner owner) : TWinControl(owner) {
  width_ = 100;
  height_ = 20;
  visible_ = false;
}

void TGauge::SetMin(int min) {
  min_ = min;
  if (max_ < min_) max_ = min_;
  SetValue(value_);
  Invalidate();
}

void TGauge::SetMax(int max) {
  max_ = max;
  if (min_ > max_) min_ = max_;
  SetValue(value_);
  Invalidate();
}

void TGauge::SetValue(int value) {
  value = std::clamp(value, min_, max_);
  if (value == value_) return;
  value_ = value;
  if (HandleAllocated()) {
    Invalidate();
    UpdateWindow(Handle());  // long steps run between repaints: show progress at once
  }
}

void TGauge::SetShowText(bool show) {
  showText_ = show;
  Invalidate();
}

int TGauge::Percent() const {
  if (max_ <= min_) return 0;
  return static_cast<int>((int64_t{value_} - min_) * 100 / (int64_t{max_} - min_));
}

void TGauge::Paint(HDC dc, const RECT& client) {
  const SkinStyle& s = CurrentSkinStyle();
  FillSolid(dc, client, Parent() ? Parent()->BackgroundColor() : s.formColor);
  RoundBox(dc, client, s.gaugeTrack, s.gaugeTrack, 6);
  const int width = client.right - client.left;
  int filled = 0;
  if (max_ > min_) {
    filled = static_cast<int>((int64_t{value_} - min_) * width / (int64_t{max_} - min_));
  }
  if (filled > 0) {
    RECT bar{client.left, client.top, client.left + std::max(filled, 6), client.bottom};
    RoundBox(dc, bar, s.accentColor, s.accentColor, 6);
  }
  if (showText_) {
    const std::string text = std::to_string(Percent()) + "%";
    RECT r = client;
    SelectObjectScope f(dc, Font().Handle(s));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, Font().ResolvedColor(s.textColor));
    DrawTextA(dc, text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

}  // namespace qv
