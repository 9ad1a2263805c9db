// What a message box is asked to show and what it answers: the kind (which icon), the set of
// buttons, the code each button returns, and the answer when the box is closed without one.
// Shared by the message box and the application engine. Portable code (no windows.h).
#pragma once

#include <array>
#include <optional>

#include "toolkit/Properties.h"

namespace qv {

enum class MessageKind {
  Warning = 0,       // exclamation
  Error = 1,         // stop sign
  Information = 2,   // information
  Confirmation = 3,  // question mark
  Custom = 4,        // no icon
};

// The ordinals are the bit numbers of the set: Yes is value 1, No 2, OK 4 ... Help 1024.
enum class MessageButton {
  Yes,
  No,
  OK,
  Cancel,
  Abort,
  Retry,
  Ignore,
  All,
  NoToAll,
  YesToAll,
  Help,
};
using MessageButtons = EnumSet<MessageButton>;

inline constexpr int kMessageButtonCount = 11;

// Every button in the order the box lays them out (left to right).
inline constexpr std::array<MessageButton, kMessageButtonCount> kAllMessageButtons = {
    MessageButton::Yes,    MessageButton::No,      MessageButton::OK,       MessageButton::Cancel,
    MessageButton::Abort,  MessageButton::Retry,   MessageButton::Ignore,   MessageButton::All,
    MessageButton::NoToAll, MessageButton::YesToAll, MessageButton::Help,
};

// The codes a message box returns.
enum MessageResult : int {
  mrNone = 0,  // also the Help button's code
  mrOk = 1,
  mrCancel = 2,
  mrAbort = 3,
  mrRetry = 4,
  mrIgnore = 5,
  mrYes = 6,
  mrNo = 7,
  mrAll = 8,
  mrNoToAll = 9,
  mrYesToAll = 10,
};

constexpr int MessageButtonResult(MessageButton button) {
  constexpr int codes[kMessageButtonCount] = {mrYes,    mrNo,        mrOk,         mrCancel,
                                              mrAbort,  mrRetry,     mrIgnore,     mrAll,
                                              mrNoToAll, mrYesToAll, mrNone};
  return codes[static_cast<int>(button)];
}

// The name of the button's caption among the skin's resource strings ("MSG_BTN_YES").
constexpr const char* MessageButtonResName(MessageButton button) {
  constexpr const char* names[kMessageButtonCount] = {
      "MSG_BTN_YES",   "MSG_BTN_NO",     "MSG_BTN_OK",      "MSG_BTN_CANCEL",
      "MSG_BTN_ABORT", "MSG_BTN_RETRY",  "MSG_BTN_IGNORE",  "MSG_BTN_ALL",
      "MSG_BTN_NOTOALL", "MSG_BTN_YESTOALL", "MSG_BTN_HELP"};
  return names[static_cast<int>(button)];
}

// The buttons a box really shows: an empty set shows OK alone, so the user always has a
// button to answer with.
constexpr MessageButtons ShownMessageButtons(MessageButtons buttons) {
  return buttons.Empty() ? MessageButtons{MessageButton::OK} : buttons;
}

// The first shown button in layout order: the default one, pressed by Enter.
constexpr MessageButton DefaultMessageButton(MessageButtons buttons) {
  MessageButtons shown = ShownMessageButtons(buttons);
  for (MessageButton b : kAllMessageButtons) {
    if (shown.Contains(b)) return b;
  }
  return MessageButton::OK;
}

// The answer when the box is closed without pressing a button (Esc, Alt+F4, the close box,
// the application quitting): Cancel's code when Cancel is shown, else No's, else OK's, else
// the default button's. A box never answers with a button it did not offer, except Help's 0.
constexpr int MessageCloseResult(MessageButtons buttons) {
  MessageButtons shown = ShownMessageButtons(buttons);
  for (MessageButton b : {MessageButton::Cancel, MessageButton::No, MessageButton::OK}) {
    if (shown.Contains(b)) return MessageButtonResult(b);
  }
  return MessageButtonResult(DefaultMessageButton(shown));
}

}  // namespace qv
