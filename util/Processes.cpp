#include "util/Processes.h"

#include <vector>

#include "util/Handles.h"
#include "util/PathText.h"
#include "util/Paths.h"
#include "util/Registry.h"
#include "util/Text.h"

namespace qv {

namespace {

// CreateProcessA may write into the command line, so it gets a buffer of its own.
bool StartProcess(const char* application, std::string commandLine, const char* folder,
                  STARTUPINFOA& startup, PROCESS_INFORMATION& process) {
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');
  return CreateProcessA(application, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                        &process) != FALSE;
}

}  // namespace

bool RunProgram(const std::string& program, const std::string& arguments, bool hidden, bool wait,
                int timeoutMs) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (hidden) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
  }

  PROCESS_INFORMATION process{};
  bool started;
  if (!program.empty()) {
    const std::string path = CombinePath(GetExeDir(), program);
    const size_t slash = path.find_last_of('\\');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    started = StartProcess(path.c_str(), "\"" + path + "\" " + arguments, folder.empty() ? nullptr : folder.c_str(),
                           startup, process);
  } else {
    started = StartProcess(nullptr, arguments, nullptr, startup, process);
  }
  if (!started) return false;

  UniqueHandle processHandle(process.hProcess), threadHandle(process.hThread);
  if (wait) WaitForSingleObjectEx(processHandle.Get(), timeoutMs < 0 ? INFINITE : DWORD(timeoutMs), TRUE);
  return true;
}

bool OpenURL(HWND owner, const std::string& url) {
  std::string command = ReadRegistryString(HKEY_CLASSES_ROOT, "HTTP\\shell\\open\\command", "", "");
  if (command.empty()) {
    ShellExecuteA(owner, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return true;
  }
  if (command.find("%1") != std::string::npos)
    command = ReplaceAll(command, "%1", url);
  else
    command += "  \"" + url + "\"";

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!StartProcess(nullptr, command, nullptr, startup, process)) return false;
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return true;
}

bool ForceForegroundWindow(HWND window) {
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  ShowWindow(window, SW_SHOW);
  if (GetForegroundWindow() == window) return true;

  // The system refuses SetForegroundWindow to a process that does not own the foreground.
  // Sharing the foreground thread's input state lifts that; failing that, the foreground
  // lock time-out is set to zero for the moment of the switch.
  const DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  const DWORD ownThread = GetWindowThreadProcessId(window, nullptr);
  if (AttachThreadInput(ownThread, foregroundThread, TRUE)) {
    BringWindowToTop(window);
    SetForegroundWindow(window);
    AttachThreadInput(ownThread, foregroundThread, FALSE);
  }
  if (GetForegroundWindow() != window) {
    DWORD timeout = 0;
    SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0);
    SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, SPIF_SENDCHANGE);
    BringWindowToTop(window);
    SetForegroundWindow(window);
    SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<void*>(uintptr_t(timeout)),
                          SPIF_SENDCHANGE);
  }
  return GetForegroundWindow() == window;
}

bool ClaimSingleInstance(const std::string& mutexName) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, mutexName.c_str());
  const DWORD error = GetLastError();
  // Another account's copy holds the mutex with a descriptor that denies us: it exists too.
  if (mutex == nullptr) return error != ERROR_ACCESS_DENIED;
  if (error == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return false;
  }
  return true;  // kept open for the life of the process
}

}  // namespace qv
