#include "support/WindowDriver.h"

#include <vector>

#include "util/Text.h"

namespace qv::test {

namespace {

// The window class of the toolkit's message box.
const char kMessageBoxClass[] = "TspSkinMessageForm";

struct TopLevelSearch {
  const std::string* className;
  DWORD processId;
  HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TopLevelSearch*>(param);
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  if (*search->className != name || !IsWindowVisible(window)) return TRUE;
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (search->processId != 0 && owner != search->processId) return TRUE;
  search->found = window;
  return FALSE;
}

struct NameSearch {
  const std::string* name;
  HWND found;
};

BOOL CALLBACK MatchName(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<NameSearch*>(param);
  if (!SameText(ComponentNameOf(window), *search->name)) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

std::string ComponentNameOf(HWND window) {
  const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropA(window, "QvName")));
  if (atom == 0) return "";
  char name[256] = {};
  const UINT length = GlobalGetAtomNameA(atom, name, sizeof name);
  return std::string(name, length);
}

HWND WaitForTopLevel(const std::string& className, DWORD processId, int timeoutMs) {
  for (int waited = 0;; waited += 50) {
    TopLevelSearch search{&className, processId, nullptr};
    EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    if (search.found || waited >= timeoutMs) return search.found;
    Sleep(50);
  }
}

HWND FindByName(HWND parent, const std::string& name) {
  NameSearch search{&name, nullptr};
  EnumChildWindows(parent, MatchName, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string WindowText(HWND window) {
  char text[4096] = {};
  // WM_GETTEXT through a timed send: a window of a busy process cannot hang the driver.
  DWORD_PTR length = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                      &length);
  return std::string(text, length);
}

bool IsChecked(HWND button) {
  DWORD_PTR state = 0;
  SendMessageTimeoutA(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
  return state == BST_CHECKED;
}

bool IsShown(HWND window) { return window != nullptr && IsWindowVisible(window); }

void Click(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

MessageBoxView WaitForMessageBox(DWORD processId, int timeoutMs) {
  MessageBoxView view;
  view.window = WaitForTopLevel(kMessageBoxClass, processId, timeoutMs);
  if (!view.window) return view;
  view.caption = WindowText(view.window);
  if (HWND label = FindByName(view.window, "lblMessage")) view.text = WindowText(label);
  return view;
}

bool Answer(const MessageBoxView& box, const std::string& buttonName, int timeoutMs) {
  HWND button = FindByName(box.window, buttonName);
  if (!button) return false;
  Click(button);
  for (int waited = 0; waited < timeoutMs; waited += 50) {
    if (!IsWindow(box.window) || !IsWindowVisible(box.window)) return true;
    Sleep(50);
  }
  return false;
}

}  // namespace qv::test
