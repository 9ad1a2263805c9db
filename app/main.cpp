// The program entry: initialises the application object, creates the main window and runs
// the message loop. The settings store is opened by the first lookup and freed at the end.
#include <windows.h>

#include "app/uMainForm.h"
#include "diagnostics/TraceDebug.h"
#include "shell/CLSettings.h"
#include "toolkit/Application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Tracing is for debug mode, which the program does not switch on yet.
  qv::GetTracer()->SetTraceActive(false);
  qv::GetTracer()->SetAutoStartViewer(false);

  qv::TApplication& application = qv::Application();
  application.Initialize();
  try {
    application.CreateForm<qv::TfrmMain>();
  } catch (...) {
    application.HandleException(nullptr);
    qv::FreeSettings();
    return 1;
  }
  application.Run();
  qv::FreeSettings();
  return 0;
}
