// Opens a top-level window of the class named on the command line and keeps it until it is
// closed (or 30 seconds have passed, so a forgotten helper never outlives its test).
//   TopLevelWindow.exe <window class> <name of an event to set once the window exists>
#include <windows.h>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY || (message == WM_TIMER && wParam == 1)) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = argv[1];
  if (!RegisterClassA(&windowClass)) return 3;
  HWND window = CreateWindowExA(0, argv[1], "helper", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
  if (window == nullptr) return 4;
  SetTimer(window, 1, 30000, nullptr);
  HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
  if (ready != nullptr) {
    SetEvent(ready);
    CloseHandle(ready);
  }
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}
