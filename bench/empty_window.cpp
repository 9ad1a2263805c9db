// Benchmark reference: the least a Win32 program does to show one empty window, then it
// waits until it is closed (or 30 seconds pass).
#include <windows.h>

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY || message == WM_TIMER) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "QvEmptyWindow";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "QvEmptyWindow", "empty", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 678, 368,
                                nullptr, nullptr, instance, nullptr);
  SetTimer(window, 1, 30000, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
