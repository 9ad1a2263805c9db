// The toolkit's modal message box: text, caption, the kind's icon, a row of buttons whose
// captions come from the skin's resource strings, and an optional "don't display again"
// check box. Built on plain Win32 windows with its own modal loop, like a system message box.
//
// For drivers and end-to-end tests the box is a top-level window of class
// "TspSkinMessageForm"; its children carry a window property "QvName" holding a global atom
// with their component name: "lblMessage" (the text), "imgIcon", "cbShowAgain" and one
// "btn" + button name per button ("btnYes", "btnOK", "btnNoToAll", "btnHelp" ...).
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

#include "toolkit/Component.h"
#include "toolkit/MessageTypes.h"

namespace qv {

class TspResourceStrData;
class TspSkinData;

// The box's window could not be made.
class EMessageBoxError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// How the box paints: the hook through which a skin gives it its font and colours. The
// defaults are the system's message font and dialog colours.
struct TspMessageLook {
  HFONT font = nullptr;             // not owned; nullptr: the system's message font
  COLORREF textColor = CLR_INVALID;  // CLR_INVALID: the system's colour
  COLORREF backColor = CLR_INVALID;
};

class TspSkinMessage : public TComponent {
  QV_CLASS(TspSkinMessage, TComponent)

 public:
  static constexpr const char* kWindowClass = "TspSkinMessageForm";

  explicit TspSkinMessage(ComponentOwner owner);
  // Closes any box still up (its call answers as if closed), so that a component destroyed
  // from inside its own box's loop leaves no window or loop behind that refers to it.
  ~TspSkinMessage() override;

  // Shows the box and waits for the answer: the pressed button's code, or
  // MessageCloseResult(buttons) when the box is closed without one (Esc, Alt+F4, the close
  // box, the box destroyed from outside, or the application quitting, whose WM_QUIT is
  // posted again for the caller's loop). An empty button set shows OK alone. Enter presses
  // the first button in layout order. An empty caption takes the kind's caption from the
  // resource strings ("MSG_CAP_WARNING" ...; none for Custom). helpContext is kept for the
  // caller's help system; the Help button just answers 0. Throws EMessageBoxError when the
  // window cannot be created.
  int MessageDlg(const std::string& text, const std::string& caption, MessageKind kind,
                 MessageButtons buttons, int helpContext);

  // Whether the next box shows the unticked check box "MSG_CAP_SHOWFLAG".
  bool ShowAgainCheckBox() const { return showAgainCheckBox_; }
  void SetShowAgainCheckBox(bool show) { showAgainCheckBox_ = show; }
  // Whether the user ticked that check box in the last box (false when it was not shown).
  bool ShowAgainChecked() const { return showAgainChecked_; }

  // The window disabled while the box is up, then enabled and activated again; the box is
  // centred over it (over the work area without one).
  HWND OwnerWindow() const { return ownerWindow_; }
  void SetOwnerWindow(HWND owner) { ownerWindow_ = owner; }

  // The captions; without it the English defaults apply and the check box reads
  // "Do not display this message again".
  TspResourceStrData* ResourceStrData() const { return resourceStrData_; }
  void SetResourceStrData(TspResourceStrData* data);

  const TspMessageLook& Look() const { return look_; }
  void SetLook(const TspMessageLook& look) { look_ = look; }

  // With skin data, what the look leaves at its defaults (font, colours) comes from the
  // current skin when a box opens.
  TspSkinData* SkinData() const { return skinData_; }
  void SetSkinData(TspSkinData* data);

  int HelpContext() const { return helpContext_; }

  // The caption for a resource-string name: the list's value, or the English default when
  // the list is missing or has no text for it.
  std::string ResText(const char* name) const;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  struct Running;  // a box on screen; nested boxes chain to the outer one

  Running* running_ = nullptr;
  bool showAgainCheckBox_ = false;
  bool showAgainChecked_ = false;
  HWND ownerWindow_ = nullptr;
  TspResourceStrData* resourceStrData_ = nullptr;
  TspSkinData* skinData_ = nullptr;
  TspMessageLook look_;
  int helpContext_ = 0;
};

}  // namespace qv
