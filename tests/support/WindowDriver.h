// Drives a program's windows from outside, the way a person would, for end-to-end tests:
// finds top-level windows by class, their controls by component name, clicks, reads check
// states and texts, and finds and answers message boxes. Component names are read from the
// "QvName" window property every toolkit window carries (a global atom holding the name).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace qv::test {

// The component name of a window, or "" when it carries none.
std::string ComponentNameOf(HWND window);

// Waits up to timeoutMs for a visible top-level window of this class (optionally of the given
// process), or returns nullptr.
HWND WaitForTopLevel(const std::string& className, DWORD processId = 0, int timeoutMs = 10000);

// The first descendant of parent whose component name is name (letter case ignored).
HWND FindByName(HWND parent, const std::string& name);

std::string WindowText(HWND window);
bool IsChecked(HWND button);
bool IsShown(HWND window);  // the window and all its parents are visible

// Sends the click a mouse click would make (BM_CLICK) without waiting for its handler, so a
// modal box opened by the handler does not block the caller.
void Click(HWND button);

// A message box as the user sees it: its window, its text and its buttons by name.
struct MessageBoxView {
  HWND window = nullptr;
  std::string text;
  std::string caption;
};
// Waits for a message box of the given process; a null window in the result means none came.
MessageBoxView WaitForMessageBox(DWORD processId, int timeoutMs = 10000);
// Clicks the box's button of that component name ("btnYes", "btnNo", "btnOK", ...) and waits
// until the box has gone.
bool Answer(const MessageBoxView& box, const std::string& buttonName, int timeoutMs = 5000);

}  // namespace qv::test
