// Test helper: plays the second copy of the program towards a window carrying an engine. Sends
// one inter-instance message to the first top-level window of the class, with the blocking
// send, then sets the event "QvEngineMessageSent" (when it exists) so a test can tell that
// the send has returned. Exit code: the answer, 1001 no such window, 1002 the send failed.
//   engine_message <window class> getappid|ifbusy|closeapp
//   engine_message <window class> copydata <text> | copydata-empty | copydata-oversized
#include <windows.h>

#include <cstring>
#include <string>

namespace {

bool Send(HWND window, UINT message, LPARAM lParam, DWORD_PTR& answer) {
  return SendMessageTimeoutA(window, message, 0, lParam, SMTO_NORMAL, 15000, &answer) != 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 100;
  HWND window = FindWindowExA(nullptr, nullptr, argv[1], nullptr);
  if (!window) return 1001;
  const std::string verb = argv[2];

  DWORD_PTR answer = 0;
  bool sent = false;
  if (verb == "getappid" || verb == "ifbusy" || verb == "closeapp") {
    const char* name = verb == "getappid" ? "CL GetAppID"
                       : verb == "ifbusy" ? "CL IfBusy"
                                          : "CL CloseApp";
    sent = Send(window, RegisterWindowMessageA(name), 0, answer);
  } else if (verb.rfind("copydata", 0) == 0) {
    // As the runner of a new copy sends it: tag 0, the bytes without a terminating zero.
    std::string bytes;
    if (verb == "copydata" && argc > 3) bytes = argv[3];
    if (verb == "copydata-oversized") bytes.assign(40 * 1024, 'x');
    COPYDATASTRUCT record{0, static_cast<DWORD>(bytes.size()),
                          bytes.empty() ? nullptr : bytes.data()};
    sent = Send(window, WM_COPYDATA, reinterpret_cast<LPARAM>(&record), answer);
  } else {
    return 100;
  }
  if (HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, "QvEngineMessageSent")) {
    SetEvent(event);
    CloseHandle(event);
  }
  return sent ? static_cast<int>(answer) : 1002;
}
