// Starting programs and documents, bringing a window forward, and the single-instance mutex.
#pragma once

#include <windows.h>

#include <string>

namespace qv {

// Starts program (relative paths are below the exe folder) with the command line
// "<program>" + " " + arguments, optionally hidden, optionally waiting up to timeoutMs
// (-1 waits without limit). With an empty program the arguments are the whole command line.
bool RunProgram(const std::string& program, const std::string& arguments, bool hidden, bool wait,
                int timeoutMs);

// Opens the URL with the registered browser command, or through the shell when none is set.
bool OpenURL(HWND owner, const std::string& url);

// Restores, shows and brings the window to the foreground, working around the foreground lock.
bool ForceForegroundWindow(HWND window);

// True for the first claim of this mutex name in the system; the mutex stays open for the
// life of the process.
bool ClaimSingleInstance(const std::string& mutexName);

}  // namespace qv
