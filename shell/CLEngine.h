// The application engine: the non-visual component a main form carries once. It answers the
// messages that a second copy of the program sends, runs the two-part start-up (while the form
// loads, then from the message loop), builds the window title, shows message boxes whose texts
// are looked up by key in the language data, and holds the two lists that the settings store
// consults before and after its files.
//   class TfrmMain : public TForm { ... void Describe() override {
//     engine1 = Make<TCLEngine>(); engine1->SetName("engine1");
//     engine1->SetLanguageData(lang); engine1->OnCmdFile = [this](const std::string& f) {...};
//   } };
//   GetEngine()->ShowKeyedMessage("MSGBOX_ClearNotify", {}, 0, MessageKind::Information,
//                                 {MessageButton::Yes, MessageButton::No}, 0, false);
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "shell/EngineLists.h"
#include "toolkit/Component.h"
#include "toolkit/Controls.h"
#include "toolkit/MessageTypes.h"
#include "toolkit/StringList.h"

namespace qv {

class TCLEngine;
class TCLMultiLangData;
class TForm;
class TMenuItem;
class TspSkinData;
class TspSkinMessage;

// A component placed where its class cannot serve ("Invalid class typecast").
class EInvalidCast : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The handler of a file parameter from the command line or from another copy.
using TOnCmdFile = std::function<void(const std::string& strFileName)>;

// The process's engine: the first one constructed while none was, or nullptr.
TCLEngine* GetEngine();

// The names of the messages between copies of the program; registered by name, so every
// process on the desktop gets the same number for each.
inline constexpr char kMsgGetAppID[] = "CL GetAppID";
inline constexpr char kMsgCloseApp[] = "CL CloseApp";
inline constexpr char kMsgInitPost[] = "CL InitPost";
inline constexpr char kMsgCmdParam[] = "CL CmdParam";
inline constexpr char kMsgIfBusy[] = "CL IfBusy";

class TCLEngine : public TComponent {
  QV_CLASS(TCLEngine, TComponent)

 public:
  // The owner must be a form (EInvalidCast otherwise): the engine places itself ahead of the
  // form's window procedure.
  explicit TCLEngine(ComponentOwner owner);
  ~TCLEngine() override;

  // ---- Published properties
  // The skin that skin switches change; also the message box's. Referenced, not owned.
  TspSkinData* SkinData() const { return skinData_; }
  void SetSkinData(TspSkinData* skinData);
  TMenuItem* SkinMenuItem() const { return skinMenuItem_; }
  void SetSkinMenuItem(TMenuItem* item);
  TCLMultiLangData* LanguageData() const { return languageData_; }
  void SetLanguageData(TCLMultiLangData* data);
  TMenuItem* LanguageMenuItem() const { return languageMenuItem_; }
  void SetLanguageMenuItem(TMenuItem* item);
  // "name=value" lines: values that win over every settings file, and values used when no
  // settings file has the key. Assigning copies the lines.
  TStringList& SettingOverwrite() { return settingOverwrite_; }
  void SetSettingOverwrite(const TStrings& lines) { settingOverwrite_.Assign(&lines); }
  TStringList& SettingDefault() { return settingDefault_; }
  void SetSettingDefault(const TStrings& lines) { settingDefault_.Assign(&lines); }
  // When not 0, the about window becomes a child of this window.
  uint32_t ParentHWND() const { return parentHWND_; }
  void SetParentHWND(uint32_t window) { parentHWND_ = window; }
  bool TitleIncludeVer() const { return titleIncludeVer_; }
  void SetTitleIncludeVer(bool include);  // and rebuilds the title
  // Stored for the about window; nothing in the engine reads it.
  bool InternalMode() const { return internalMode_; }
  void SetInternalMode(bool internal) { internalMode_ = internal; }

  TNotifyEvent OnSkinChanged;
  TNotifyEvent OnLanguageChanged;
  TOnCmdFile OnCmdFile;
  TNotifyEvent OnTitleChange;

  // ---- State
  TForm* OwnerForm() const { return ownerForm_; }
  // True from construction until PostInit has finished: the answer to "CL IfBusy".
  bool Busy() const { return busy_; }
  // True only while the loaded notification applies skin and language; holds back the
  // skin and language change events meanwhile.
  bool Loading() const { return loading_; }
  const std::string& CmdParam() const { return cmdParam_; }
  const std::string& Title() const { return title_; }

  // The owner form's window procedure while the engine lives: answers the messages of its
  // table and passes everything else to the procedure it replaced.
  void EngineWndProc(TMessage& message);

  // ---- Texts
  // The text of the key in that section of LanguageData; "" without language data or text.
  std::string GetLangText(const std::string& section, const std::string& key) const;
  std::string GetLibText(const std::string& key) const;  // section "LibRes"
  std::string GetAppText(const std::string& key) const;  // section "AppRes"
  // The process engine's LibRes (fromLibRes) or AppRes text; when empty, "[LibRes]" + key or
  // "[AppRes]" + key, so that a missing text shows its key.
  std::string GetResText(const std::string& key, bool fromLibRes) const;
  // Adds the section's entries to list (name=value lines) where list lacks the name.
  void TranslateStrings(const std::string& section, TStrings& list) const;
  // The language's "AppName", else the setting "App.Name".
  std::string GetProgramName() const;
  // Title := program name [+ two spaces + "App.Ver"]; applied to the application and the
  // owner form (then OnTitleChange) unless "App.NoAutoTitle" is set.
  void UpdateTitle();

  // ---- Message boxes
  // Shows the text of key (args fill "{1}", "{2}" ...) in a modal box with the program's name
  // as caption and returns the pressed button's code. A non-zero showAgainID offers the
  // "don't display again" check box; once it was ticked, the box is not shown again and the
  // answer is defaultResult when non-zero, else the answer remembered then.
  int32_t ShowKeyedMessage(const std::string& key, const std::vector<std::string>& args,
                           int32_t showAgainID, MessageKind kind, MessageButtons buttons,
                           int32_t defaultResult, bool fromLibRes);
  // The skinned message box, created on first use with the engine's skin data and owned by
  // the owner form.
  TspSkinMessage* GetMessageBox();

  // ---- Start-up
  // The second half of start-up, run by the first "CL InitPost": the language and skin change
  // events, the title, the automatic update check, the command-line file; then not Busy.
  void PostInit();
  // Hands the program's first command-line argument to OnCmdFile (through a posted
  // "CL CmdParam") unless it is missing or a switch ("-" or "/" first).
  void PostCmdLineFile();

  // The automatic update check belongs to the update window, which lives above this layer;
  // it installs its check here and PostInit runs it. Without one, PostInit checks nothing.
  using AutoUpdateCheck = std::function<void(TCLEngine& engine)>;
  static void SetAutoUpdateCheck(AutoUpdateCheck check);

 protected:
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  template <typename T>
  void SetReference(T*& field, T* value);
  void SettingListsChanged();
  void PostToOwner(UINT message);
  void AutoCheckForUpdate();
  bool IsGlobal() const;
  const TCLEngine& TextEngine() const;

  TForm* ownerForm_ = nullptr;
  WindowProcHook oldWndProc_;  // keeps the procedure the engine replaced
  UINT msgGetAppID_ = 0;
  UINT msgCloseApp_ = 0;
  UINT msgInitPost_ = 0;
  UINT msgCmdParam_ = 0;
  UINT msgIfBusy_ = 0;

  TspSkinData* skinData_ = nullptr;
  TMenuItem* skinMenuItem_ = nullptr;
  TCLMultiLangData* languageData_ = nullptr;
  TMenuItem* languageMenuItem_ = nullptr;
  TStringList settingOverwrite_;
  TStringList settingDefault_;
  EngineSettingLists settingLists_;  // what the settings store reads, kept equal to the above
  uint32_t parentHWND_ = 0;
  bool titleIncludeVer_ = true;
  bool internalMode_ = false;

  std::string cmdParam_;
  bool busy_ = true;
  bool loading_ = false;
  std::string title_;
  TspSkinMessage* messageBox_ = nullptr;
};

}  // namespace qv
