// Benchmark: plants files in the "Cache" shell folder, starts the program, runs "Clear Now"
// with every item ticked and prints the seconds from the confirmation to the final message.
//   clear_now_time <program.exe> <files>
#include <windows.h>

#include <cstdio>
#include <string>

#include "support/TestFiles.h"
#include "support/TraceFixtures.h"
#include "support/WindowDriver.h"

int main(int argc, char** argv) {
  using namespace qv::test;
  if (argc < 3) return 2;
  const int files = atoi(argv[2]);
  const std::string cache = UserShellFolder("Cache") + "\\bench\\";
  for (int i = 0; i < files; ++i) PlantFile(cache + "f" + std::to_string(i / 100) + "\\" + std::to_string(i) + ".htm");

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string commandLine = std::string("\"") + argv[1] + "\"";
  if (!CreateProcessA(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return 3;
  HWND main = WaitForTopLevel("TfrmMain", process.dwProcessId, 30000);
  if (!main) return 4;
  Sleep(1000);
  Click(FindByName(main, "btnClearAll"));
  MessageBoxView confirm = WaitForMessageBox(process.dwProcessId);
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  Answer(confirm, "btnYes");
  MessageBoxView done = WaitForMessageBox(process.dwProcessId, 600000);
  QueryPerformanceCounter(&end);
  const bool cleared = !PathExists(cache + "f0\\0.htm");
  if (done.window) Answer(done, "btnOK");
  PostMessageA(main, WM_CLOSE, 0, 0);
  WaitForSingleObject(process.hProcess, 10000);
  RemoveTree(cache);
  std::printf("seconds=%.3f cleared=%d\n", double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart),
              cleared ? 1 : 0);
  return done.window ? 0 : 5;
}
