// The application engine: inter-instance messages, the two-part start-up, the title, keyed
// message boxes and the settings overlay lists.
#include "shell/CLEngine.h"

#include <stdlib.h>  // __argc, __argv: the program's own command line, as the C runtime split it

#include <algorithm>
#include <iterator>
#include <utility>

#include "localisation/CLForm.h"
#include "localisation/CLMultiLang.h"
#include "shell/CLSettings.h"
#include "shell/CopyDataParam.h"
#include "toolkit/Application.h"
#include "toolkit/Forms.h"
#include "toolkit/Menus.h"
#include "toolkit/ResourceStrData.h"
#include "toolkit/SkinData.h"
#include "toolkit/SkinMessage.h"
#include "util/Text.h"

namespace qv {

namespace {

TCLEngine* g_engine = nullptr;
TCLEngine::AutoUpdateCheck g_autoUpdateCheck;

// The owner as a form, checked before anything is built on it.
TForm* RequireForm(TComponent* owner) {
  auto* form = dynamic_cast<TForm*>(owner);
  if (!form) throw EInvalidCast("Invalid class typecast: the engine's owner must be a form");
  return form;
}

std::vector<std::string> Lines(const TStrings& list) {
  std::vector<std::string> lines;
  lines.reserve(static_cast<size_t>(list.Count()));
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Strings(i));
  return lines;
}

}  // namespace

TCLEngine* GetEngine() { return g_engine; }

QV_PUBLISHED(TCLEngine) {
  using P = Publish<TCLEngine>;
  return {
      P::Object<TspSkinData>("SkinData", &TCLEngine::SkinData, &TCLEngine::SetSkinData),
      P::Object<TMenuItem>("SkinMenuItem", &TCLEngine::SkinMenuItem, &TCLEngine::SetSkinMenuItem),
      P::Event("OnSkinChanged", "TNotifyEvent"),
      P::Object<TCLMultiLangData>("LanguageData", &TCLEngine::LanguageData,
                                  &TCLEngine::SetLanguageData),
      P::Object<TMenuItem>("LanguageMenuItem", &TCLEngine::LanguageMenuItem,
                           &TCLEngine::SetLanguageMenuItem),
      P::Event("OnLanguageChanged", "TNotifyEvent"),
      P::Strings("SettingOverwrite", &TCLEngine::settingOverwrite_),
      P::Strings("SettingDefault", &TCLEngine::settingDefault_),
      P::Integer("ParentHWND", "Cardinal", &TCLEngine::parentHWND_, &TCLEngine::parentHWND_),
      P::Event("OnCmdFile", "TOnCmdFile"),
      P::Event("OnTitleChange", "TNotifyEvent"),
      P::Boolean("TitleIncludeVer", &TCLEngine::TitleIncludeVer, &TCLEngine::SetTitleIncludeVer),
      P::Boolean("InternalMode", &TCLEngine::internalMode_, &TCLEngine::internalMode_),
  };
}

TCLEngine::TCLEngine(ComponentOwner owner)
    : TComponent(owner), ownerForm_(RequireForm(owner.Get())) {
  msgGetAppID_ = RegisterWindowMessageA(kMsgGetAppID);
  msgCloseApp_ = RegisterWindowMessageA(kMsgCloseApp);
  msgInitPost_ = RegisterWindowMessageA(kMsgInitPost);
  msgCmdParam_ = RegisterWindowMessageA(kMsgCmdParam);
  msgIfBusy_ = RegisterWindowMessageA(kMsgIfBusy);

  // EngineWndProc answers or passes on every message itself.
  oldWndProc_.Install(ownerForm_, [this](TMessage& message) {
    EngineWndProc(message);
    return true;
  });

  settingDefault_.Add("Path.Skins=skins");
  settingDefault_.Add("Path.Languages=lang");
  settingOverwrite_.OnChange = [this](TObject*) { SettingListsChanged(); };
  settingDefault_.OnChange = [this](TObject*) { SettingListsChanged(); };
  SettingListsChanged();

  if (!g_engine) {
    g_engine = this;
    SetCurrentEngineSettingLists(&settingLists_);
    SetFormBindingEngine(this);
  }
}

TCLEngine::~TCLEngine() {
  if (IsGlobal()) {
    g_engine = nullptr;
    SetCurrentEngineSettingLists(nullptr);
    SetFormBindingEngine(nullptr);
  }
  settingOverwrite_.OnChange = nullptr;
  settingDefault_.OnChange = nullptr;
  oldWndProc_.Remove();
}

bool TCLEngine::IsGlobal() const { return g_engine == this; }

// Lookups go to the process's engine; an engine outliving it answers for itself.
const TCLEngine& TCLEngine::TextEngine() const { return g_engine ? *g_engine : *this; }

template <typename T>
void TCLEngine::SetReference(T*& field, T* value) {
  if (field == value) return;
  TComponent* old = field;
  field = value;
  // The link is one per pair of components: keep it while another reference still needs it.
  const TComponent* held[] = {skinData_, skinMenuItem_, languageData_, languageMenuItem_,
                              messageBox_};
  if (old && std::find(std::begin(held), std::end(held), old) == std::end(held))
    RemoveFreeNotification(old);
  if (value) FreeNotification(value);
}

void TCLEngine::SetSkinData(TspSkinData* skinData) { SetReference(skinData_, skinData); }
void TCLEngine::SetSkinMenuItem(TMenuItem* item) { SetReference(skinMenuItem_, item); }
void TCLEngine::SetLanguageData(TCLMultiLangData* data) { SetReference(languageData_, data); }
void TCLEngine::SetLanguageMenuItem(TMenuItem* item) { SetReference(languageMenuItem_, item); }

void TCLEngine::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == skinData_) skinData_ = nullptr;
  if (component == skinMenuItem_) skinMenuItem_ = nullptr;
  if (component == languageData_) languageData_ = nullptr;
  if (component == languageMenuItem_) languageMenuItem_ = nullptr;
  if (component == messageBox_) messageBox_ = nullptr;
}

void TCLEngine::SetTitleIncludeVer(bool include) {
  titleIncludeVer_ = include;
  UpdateTitle();
}

void TCLEngine::SettingListsChanged() {
  settingLists_.overwrite = Lines(settingOverwrite_);
  settingLists_.defaults = Lines(settingDefault_);
}

void TCLEngine::PostToOwner(UINT message) {
  // The form's window is made if it has none yet: the message must wait there for the loop.
  PostMessageA(ownerForm_->Handle(), message, 0, 0);
}

// ---- Start-up --------------------------------------------------------------------------

void TCLEngine::Loaded() {
  TComponent::Loaded();
  {
    // Cleared on every way out, so that a skin or language file that fails to load does not
    // hold the change events back for good.
    struct LoadingScope {
      bool& flag;
      explicit LoadingScope(bool& loading) : flag(loading) { flag = true; }
      ~LoadingScope() { flag = false; }
    } scope(loading_);
    // The saved skin and then the saved language are applied here, with their change events
    // held back until PostInit.
  }
  PostToOwner(msgInitPost_);
}

void TCLEngine::PostInit() {
  if (OnLanguageChanged) OnLanguageChanged(this);
  if (OnSkinChanged) OnSkinChanged(this);
  UpdateTitle();
  AutoCheckForUpdate();
  PostCmdLineFile();
  busy_ = false;
}

void TCLEngine::SetAutoUpdateCheck(AutoUpdateCheck check) { g_autoUpdateCheck = std::move(check); }

void TCLEngine::AutoCheckForUpdate() {
  if (g_autoUpdateCheck) g_autoUpdateCheck(*this);
}

void TCLEngine::PostCmdLineFile() {
  if (__argc < 2 || __argv == nullptr || __argv[1] == nullptr) return;
  const char first = __argv[1][0];
  if (first == '\0' || first == '-' || first == '/') return;
  cmdParam_ = __argv[1];
  PostToOwner(msgCmdParam_);
}

// ---- Messages --------------------------------------------------------------------------

void TCLEngine::EngineWndProc(TMessage& message) {
  const UINT msg = message.Msg;
  if (msg == msgGetAppID_) {
    message.Result = GetSettings()->ReadInteger("App.ID");
  } else if (msg == msgCloseApp_) {
    Application().Terminate();
    message.Result = 0;
  } else if (msg == msgInitPost_) {
    // Only the first one starts the program: anyone on the desktop can post this message,
    // and a second run would hand the command-line file over again.
    if (busy_) PostInit();
    message.Result = 0;
  } else if (msg == msgIfBusy_) {
    message.Result = busy_ ? 1 : 0;
  } else if (msg == WM_COPYDATA && message.LParam != 0) {
    // The record comes from another process: its size is checked before anything is read,
    // and an unreasonable one is refused without a word.
    const auto* record = reinterpret_cast<const COPYDATASTRUCT*>(message.LParam);
    if (std::optional<std::string> param = CmdParamFromRecord(record->lpData, record->cbData)) {
      cmdParam_ = std::move(*param);
      // The handler runs later, so the sender, waiting inside its send, can go on at once.
      PostToOwner(msgCmdParam_);
    }
    message.Result = 0;
  } else if (msg == msgCmdParam_ && OnCmdFile) {
    OnCmdFile(cmdParam_);
    message.Result = 0;
  } else {
    oldWndProc_.CallPrevious(message);
  }
}

// ---- Texts and title -------------------------------------------------------------------

std::string TCLEngine::GetLangText(const std::string& section, const std::string& key) const {
  std::string text;
  if (languageData_) languageData_->Lookup(section, "", key, text);
  return text;
}

std::string TCLEngine::GetLibText(const std::string& key) const {
  return GetLangText("LibRes", key);
}

std::string TCLEngine::GetAppText(const std::string& key) const {
  return GetLangText("AppRes", key);
}

std::string TCLEngine::GetResText(const std::string& key, bool fromLibRes) const {
  const TCLEngine& engine = TextEngine();
  std::string text = fromLibRes ? engine.GetLibText(key) : engine.GetAppText(key);
  if (text.empty()) text = (fromLibRes ? "[LibRes]" : "[AppRes]") + key;
  return text;
}

void TCLEngine::TranslateStrings(const std::string& section, TStrings& list) const {
  if (languageData_) languageData_->GetSectionTexts(section, list);
}

std::string TCLEngine::GetProgramName() const {
  if (languageData_) {
    std::string name;
    languageData_->GetAppName(name);
    if (!name.empty()) return name;
  }
  return GetSettings()->ReadString("App.Name");
}

void TCLEngine::UpdateTitle() {
  TCLSettings* settings = GetSettings();
  std::string title = TextEngine().GetProgramName();
  if (titleIncludeVer_) title += "  " + settings->ReadString("App.Ver");
  title_ = title;
  if (settings->ReadBool("App.NoAutoTitle")) return;
  Application().SetTitle(title);
  ownerForm_->SetCaption(title);
  if (OnTitleChange) OnTitleChange(this);
}

// ---- Message boxes ---------------------------------------------------------------------

TspSkinMessage* TCLEngine::GetMessageBox() {
  if (!messageBox_) {
    messageBox_ = ownerForm_->Make<TspSkinMessage>();
    FreeNotification(messageBox_);
    messageBox_->SetSkinData(skinData_);
  }
  return messageBox_;
}

int32_t TCLEngine::ShowKeyedMessage(const std::string& key, const std::vector<std::string>& args,
                                    int32_t showAgainID, MessageKind kind, MessageButtons buttons,
                                    int32_t defaultResult, bool fromLibRes) {
  std::string text = TextEngine().GetResText(key, fromLibRes);
  text = FillPlaceholders(std::move(text), args, static_cast<int>(args.size()));

  TCLSettings* settings = GetSettings();
  if (showAgainID != 0 && !settings->ReadShowAgain(showAgainID))
    return defaultResult != 0 ? defaultResult : settings->ReadShowAgainResult(showAgainID);

  TspSkinMessage* box = GetMessageBox();
  box->SetShowAgainCheckBox(showAgainID != 0);
  // The captions are the skin's resource strings, which a language switch translates.
  if (skinData_ && skinData_->ResourceStrData())
    box->SetResourceStrData(skinData_->ResourceStrData());
  // Over the engine's form when it is on screen; otherwise centred on the screen.
  HWND owner = ownerForm_->HandleAllocated() && IsWindowVisible(ownerForm_->Handle())
                   ? ownerForm_->Handle()
                   : nullptr;
  box->SetOwnerWindow(owner);
  const int32_t result = box->MessageDlg(text, GetProgramName(), kind, buttons, 0);

  // The box may have gone with its owner while it was up; Notification cleared it then.
  if (showAgainID != 0 && messageBox_ && messageBox_->ShowAgainChecked()) {
    settings->WriteShowAgain(showAgainID, false);
    settings->WriteShowAgainResult(showAgainID, result);
  }
  return result;
}

}  // namespace qv
