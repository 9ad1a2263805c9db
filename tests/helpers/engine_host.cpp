// Test helper: a program whose main form carries an engine, started by a test with the
// command line under test. It runs the start-up to its end and writes every file parameter
// that reaches OnCmdFile, one per line, then "done", to engine_host.txt in its working folder.
// Its settings live below the working folder too.
#include <windows.h>

#include <fstream>
#include <memory>
#include <string>

#include "shell/CLEngine.h"
#include "shell/CLSettings.h"
#include "toolkit/Application.h"

namespace qv {

class TfrmEngineHost : public TForm {
  QV_CLASS(TfrmEngineHost, TForm)

 public:
  using TForm::TForm;
  TCLEngine* engine1 = nullptr;
  std::string received;

 protected:
  void Describe() override {
    SetName(UniqueName("frmEngineHost"));
    engine1 = Make<TCLEngine>();
    engine1->SetName("engine1");
    engine1->OnCmdFile = [this](const std::string& file) { received += file + "\n"; };
  }
};

QV_PUBLISHED(TfrmEngineHost) { return {}; }

}  // namespace qv

int main() {
  using namespace qv;
  char folder[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, folder);
  const std::string here = folder;

  SettingsEnvironment environment;
  environment.exeFileName = here + "\\prog\\engine_host.exe";
  environment.exeFolder = here + "\\prog\\";
  environment.userAppData = here + "\\user";
  environment.commonAppData = here + "\\common";
  environment.canWriteFolder = [](const std::string&) { return false; };
  SetSettings(std::make_unique<TCLSettings>(environment));

  Application().Initialize();
  auto* form = Application().CreateForm<TfrmEngineHost>();
  for (int i = 0; i < 200 && form->engine1->Busy(); ++i) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    Application().ProcessMessages();
  }
  Application().ProcessMessages();  // what PostInit posted

  std::ofstream(here + "\\engine_host.txt", std::ios::binary)
      << form->received << (form->engine1->Busy() ? "busy" : "done") << "\n";
  Application().DestroyComponents();
  FreeSettings();
  return 0;
}
