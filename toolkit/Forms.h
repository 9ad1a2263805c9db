// Forms: top-level windows whose Win32 window class is their class name (so FindWindowExA by
// "TfrmMain" finds the main window from any process), built from a stored description, shown
// modeless or modal, with activation, key preview, closing and positioning.
//
// A form class overrides Describe(), which creates the form's components and sets their
// designed values; Initialize() reads it in the loading state, runs every component's loaded
// notification in creation order and then the creation handler OnCreate. CreateForm does both
// steps:
//   class TfrmAbout : public TForm {
//     QV_CLASS(TfrmAbout, TForm)
//    public:
//     using TForm::TForm;
//    protected:
//     void Describe() override {
//       SetName(UniqueName("frmAbout"));
//       btnOK = Make<TButton>(); btnOK->SetName("btnOK"); btnOK->SetParent(this); ...
//     }
//   };
//   TfrmAbout* about = CreateForm<TfrmAbout>(owner);
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "toolkit/Controls.h"
#include "toolkit/MessageTypes.h"

namespace qv {

// An operation the object's state does not allow (showing a visible form modally).
class EInvalidOperation : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Modal results (mrOk, mrCancel, ...) are the message box's codes: one table for both.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize };
using TBorderIcons = EnumSet<TBorderIcon>;
enum TPosition { poDesigned, poScreenCenter, poMainFormCenter };
enum TCloseAction { caNone, caHide };

using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;

class TForm : public TWinControl {
  QV_CLASS(TForm, TWinControl)

 public:
  explicit TForm(ComponentOwner owner);
  ~TForm() override;

  // Reads the stored description, runs the loaded notifications, then OnCreate. An exception
  // from the description propagates; one from OnCreate goes to the application's error box
  // and the form lives on. Runs once; later calls do nothing.
  void Initialize();

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle style);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons icons);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition position) { position_ = position; }
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool preview) { keyPreview_ = preview; }

  // The client area; the window grows around it by its frame.
  int ClientWidth() override;
  int ClientHeight() override;
  void SetClientWidth(int width) { SetClientSize(width, ClientHeight()); }
  void SetClientHeight(int height) { SetClientSize(ClientWidth(), height); }
  void SetClientSize(int width, int height);

  // Extended window styles added to the ones the border style gives (WS_EX_LAYERED for a
  // window painted with UpdateLayeredWindow, WS_EX_TOOLWINDOW, WS_EX_TOPMOST): used when the
  // window is created and applied at once to an existing window.
  DWORD ExtraExStyle() const { return extraExStyle_; }
  void SetExtraExStyle(DWORD exStyle);

  // Shows the form and runs a message loop until ModalResult is set (by a button with a
  // modal result, Close, or the code) or the application terminates (mrCancel). The other
  // windows of the thread are disabled meanwhile. EInvalidOperation for a visible form.
  int ShowModal();
  bool Modal() const { return modal_; }
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }

  // Closes the form: a modal form ends with mrCancel; otherwise OnCloseQuery may refuse,
  // OnClose may keep the form (caNone), else the form hides, and closing the main form
  // terminates the application.
  void Close();
  bool Active() const { return active_; }

  // The control that gets the focus when the form is activated.
  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* control);

  // A key message aimed at a control of this form, offered by the message loop before the
  // control sees it: the key preview (OnKeyDown/OnKeyUp of the form when KeyPreview is on)
  // and the dialog keys Enter (default button) and Esc (cancel button). True when consumed.
  bool PreviewKeyMessage(const MSG& msg);

  TColor BackgroundColor() const override;

  // base when the owner has no other component of that name, else base_1, base_2, ...: a
  // description names its form with SetName(UniqueName("frmX")), so that several windows of
  // one class can live side by side under one owner.
  std::string UniqueName(const std::string& base) const;

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

 protected:
  // The stored description: creates the components and sets their designed values.
  virtual void Describe() {}
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;
  void SetVisible(bool visible) override;
  void VisibleChanged() override;
  void BoundsChanged() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  DWORD WindowStyle() const;
  DWORD WindowExStyle() const;
  void FrameSize(int clientWidth, int clientHeight, int& width, int& height) const;
  void ApplyPosition();
  bool CloseQuery();
  bool DialogKey(WORD key);
  void FocusFirstControl();

  TFormBorderStyle borderStyle_ = bsSizeable;
  TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
  TPosition position_ = poDesigned;
  bool keyPreview_ = false;
  DWORD extraExStyle_ = 0;
  int clientWidth_ = -1;  // designed client size, applied when the window is created
  int clientHeight_ = -1;
  bool initialized_ = false;
  bool positioned_ = false;
  bool modal_ = false;
  int modalResult_ = mrNone;
  bool active_ = false;
  TWinControl* activeControl_ = nullptr;
};

// Creates a form owned by owner and reads its description; the owner keeps it. When the
// description throws, the form is destroyed and the exception propagates.
template <typename F, typename... Args>
F* CreateForm(TComponent* owner, Args&&... args) {
  static_assert(std::is_base_of_v<TForm, F>);
  F* form = owner->Make<F>(std::forward<Args>(args)...);
  try {
    form->Initialize();
  } catch (...) {
    owner->RemoveComponent(form).reset();
    throw;
  }
  return form;
}

// The same for a form without owner, held by the caller.
template <typename F, typename... Args>
std::unique_ptr<F> CreateUnownedForm(Args&&... args) {
  static_assert(std::is_base_of_v<TForm, F>);
  std::unique_ptr<F> form = TComponent::MakeUnowned<F>(std::forward<Args>(args)...);
  form->Initialize();
  return form;
}

}  // namespace qv
