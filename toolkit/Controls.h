// The base of every visible control: TControl holds what a control is (bounds, caption, hint,
// font, colour, alignment, visibility) and TWinControl gives it a Win32 window of its own, a
// window procedure that components can replace and chain, child controls and alignment.
//
// Every control's window, and every form's, carries the window property "QvName": a global
// atom holding the component's name. A program in another process (the end-to-end driver)
// finds a control with FindWindowExA / EnumChildWindows and reads it with
//   ATOM atom = (ATOM)(UINT_PTR)GetPropA(hwnd, "QvName");
//   GlobalGetAtomNameA(atom, buffer, size);
// Buttons and check boxes answer BM_CLICK, BM_GETCHECK and BM_SETCHECK like system buttons.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Component.h"
#include "toolkit/SkinStyle.h"

namespace qv {

inline constexpr char kNameProperty[] = "QvName";

// A window message on its way through a control's window procedure chain.
struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};
using TWndMethod = std::function<void(TMessage&)>;

// "Use the skin's colour": the default of every colour property.
inline constexpr TColor clDefault = 0x20000000;

enum TFontStyle { fsBold, fsItalic, fsUnderline };
using TFontStyles = EnumSet<TFontStyle>;

// A control's font. Empty name, zero height and clDefault colour mean "the skin's", so a
// change of skin reaches every control that was not given a font of its own.
class TFont : public TPersistent {
  QV_CLASS(TFont, TPersistent)

 public:
  TFont() = default;

  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  int Height() const { return height_; }  // character height in pixels
  void SetHeight(int pixels);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style);

  void Assign(const TPersistent* source) override;

  // A font handle for this description resolved against the style; shared and cached for
  // the life of the process (a program uses a handful of fonts). A face the system lacks
  // falls back to the style's face, then to the system's default.
  HFONT Handle(const SkinStyle& style) const;
  TColor ResolvedColor(TColor fallback) const { return color_ == clDefault ? fallback : color_; }

  TNotifyEvent OnChange;

 private:
  void Changed();

  std::string name_;
  int height_ = 0;
  TColor color_ = clDefault;
  TFontStyles style_;
};

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

enum TShiftFlag { ssShift, ssAlt, ssCtrl };
using TShiftState = EnumSet<TShiftFlag>;
// key is the virtual-key code; a handler that sets it to 0 keeps it from going further.
using TKeyEvent = std::function<void(TObject* sender, WORD& key, TShiftState shift)>;

class TWinControl;
class TForm;

// The window procedure of every toolkit window (internal; exposed for the window classes).
LRESULT CALLBACK ControlWindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

class TControl : public TComponent {
  QV_CLASS(TControl, TComponent)

 public:
  explicit TControl(ComponentOwner owner);
  ~TControl() override;

  TWinControl* Parent() const { return parent_; }
  // Places the control inside parent (nullptr takes it out); its window follows.
  virtual void SetParent(TWinControl* parent);
  // The form the control stands on (itself for a form), or nullptr.
  TForm* ParentForm() const;

  int Left() const { return left_; }
  int Top() const { return top_; }
  virtual int Width() const { return width_; }
  virtual int Height() const { return height_; }
  void SetLeft(int left) { SetBounds(left, top_, width_, height_); }
  void SetTop(int top) { SetBounds(left_, top, width_, height_); }
  void SetWidth(int width) { SetBounds(left_, top_, width, height_); }
  void SetHeight(int height) { SetBounds(left_, top_, width_, height); }
  virtual void SetBounds(int left, int top, int width, int height);

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }

  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint);

  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);

  TFont& Font() { return *font_; }
  const TFont& Font() const { return *font_; }
  TColor Color() const { return color_; }
  void SetColor(TColor color);

  // Z-order among the parent's controls: in front of all, or behind all.
  void BringToFront();
  void SendToBack();

  // Runs the OnClick handler; buttons and check boxes add their own effect first.
  virtual void Click();
  TNotifyEvent OnClick;

 protected:
  void Loaded() override;

  // Hooks for the window side.
  virtual void BoundsChanged() {}
  virtual void VisibleChanged() {}
  virtual void EnabledChanged() {}
  virtual void CaptionChanged() {}
  virtual void HintChanged() {}
  virtual void AppearanceChanged() {}  // font or colour
  virtual void NameMaybeChanged() {}
  // The control's bounds as its window reports them, without moving it again.
  void StoreBounds(int left, int top, int width, int height);
  void RequestParentRealign();

  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
  bool visible_ = true;

 private:
  friend class TWinControl;

  TWinControl* parent_ = nullptr;
  bool enabled_ = true;
  std::string caption_;
  std::string hint_;
  TAlign align_ = alNone;
  std::unique_ptr<TFont> font_;
  TColor color_ = clDefault;
};

class TWinControl : public TControl {
  QV_CLASS(TWinControl, TControl)

 public:
  explicit TWinControl(ComponentOwner owner);
  // Destroys the owned components first, while this window still exists (so components
  // that replaced its window procedure can put the previous one back), then the window.
  ~TWinControl() override;

  // The window, created on first use together with the parent's.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded() { (void)Handle(); }
  // The control behind one of the toolkit's windows of this process, or nullptr.
  static TWinControl* FromHandle(HWND window);

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const { return controls_.at(static_cast<size_t>(index)); }

  // The window procedure chain. Every message of the window goes to WindowProc(); at the
  // start it is the control's own procedure. A component that wants to see the messages
  // first keeps the current one and installs its own (see WindowProcHook).
  const TWndMethod& WindowProc() const { return windowProc_; }
  void SetWindowProc(TWndMethod proc);
  // Sends a message through the chain (creating the window if needed) and returns the answer.
  LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

  virtual int ClientWidth();
  virtual int ClientHeight();

  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool tabStop);
  bool Focused() const;
  // Gives the control the keyboard focus; on a form that is not showing yet it becomes the
  // control focused when the form is activated.
  virtual void SetFocus();

  // What controls standing on this one fill their background with.
  virtual TColor BackgroundColor() const;
  // Whether the control acts on a dialog key (Enter, Esc) that the focused control leaves
  // alone: default and cancel buttons do.
  virtual bool WantsDialogKey(WORD key) const {
    (void)key;
    return false;
  }

  // Places the aligned child controls (top, bottom, left, right, then client) inside the
  // client area.
  void AlignControls();

  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;

 protected:
  struct TCreateParams {
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;
    int x = 0, y = 0, width = 0, height = 0;
  };
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateHandle();
  void DestroyHandle();
  // Called once the window exists (children created, properties applied).
  virtual void HandleCreated() {}

  // The control's own window procedure: the last link of the chain. Overrides handle their
  // messages and pass the rest to the inherited one, which ends in DefaultHandler.
  virtual void WndProc(TMessage& message);
  virtual void DefaultHandler(TMessage& message);
  // Custom painting into a double-buffered DC; the default fills BackgroundColor().
  virtual void Paint(HDC dc, const RECT& client);
  void Invalidate();
  virtual void DoKeyDown(WORD& key, TShiftState shift);
  virtual void DoKeyUp(WORD& key, TShiftState shift);

  void BoundsChanged() override;
  void VisibleChanged() override;
  void EnabledChanged() override;
  void CaptionChanged() override;
  void AppearanceChanged() override;
  void NameMaybeChanged() override;

  static TShiftState CurrentShiftState();
  static UINT SkinChangedMessage();

 private:
  friend class TControl;
  friend class WindowProcHook;
  friend LRESULT CALLBACK ControlWindowProcedure(HWND, UINT, WPARAM, LPARAM);
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  void WindowDestroyed();
  void UpdateNameProperty();
  void ClearNameProperty();

  HWND handle_ = nullptr;
  bool creating_ = false;
  bool tabStop_ = false;
  bool aligning_ = false;
  ATOM nameAtom_ = 0;
  std::vector<TControl*> controls_;  // not owned; order = z-order, last on top
  TWndMethod windowProc_;
  const void* windowProcTag_ = nullptr;  // the hook whose procedure is current, if any
};

// A handler placed ahead of a control's window procedure for as long as this object lives.
// The handler returns true for a message it answered (with message.Result set); everything
// else goes on to the procedure that was current when the hook was installed. Removing a
// hook that is not the latest one leaves the chain intact: it only stops answering.
// The hook must go before the control does (components of a form are destroyed while the
// form's window still exists, so a hook held by one of them is safe).
class WindowProcHook {
 public:
  using Handler = std::function<bool(TMessage&)>;

  WindowProcHook() = default;
  ~WindowProcHook() { Remove(); }
  WindowProcHook(const WindowProcHook&) = delete;
  WindowProcHook& operator=(const WindowProcHook&) = delete;

  void Install(TWinControl* control, Handler handler);
  void Remove();
  bool Installed() const { return control_ != nullptr; }
  // Passes a message on to the procedure the hook replaced.
  void CallPrevious(TMessage& message) const;

 private:
  struct Link;
  TWinControl* control_ = nullptr;
  std::shared_ptr<Link> link_;
};

}  // namespace qv
