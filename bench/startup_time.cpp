// Benchmark: starts a program several times and prints the median time in milliseconds from
// process start until its first visible top-level window exists, then closes it.
//   startup_time <program.exe> <runs>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Search {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK Match(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  search->found = window;
  return FALSE;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string program = argv[1];
  const int runs = std::max(1, atoi(argv[2]));
  std::string folder = program.substr(0, program.find_last_of('\\') + 1);
  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string commandLine = "\"" + program + "\"";
    LARGE_INTEGER start, shown;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process))
      return 3;
    Search search{process.dwProcessId, nullptr};
    for (int waited = 0; waited < 30000 && !search.found; waited += 1) {
      EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
      if (!search.found) Sleep(1);
    }
    QueryPerformanceCounter(&shown);
    if (search.found) times.push_back(Seconds(start, shown) * 1000.0);
    if (search.found) PostMessageA(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  if (times.empty()) return 4;
  std::sort(times.begin(), times.end());
  std::printf("median_ms=%.1f\n", times[times.size() / 2]);
  return 0;
}
