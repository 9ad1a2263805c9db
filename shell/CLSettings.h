// The settings store: answers every key from the engine's override list, the user's
// setting.dat, oem.const.dat, const.dat and the engine's default list, in that order, and
// writes to setting.dat only, saving at once. It also keeps the message boxes' don't-show-again
// state, counts the program's starts and decides whether setting.dat is per-user or shared.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "util/MemIniFile.h"

namespace qv {

// Where the store looks and what it asks the system; FromSystem() gives the real ones, tests
// point them into a scratch folder.
struct SettingsEnvironment {
  std::string exeFileName;    // the program's full path (names the settings folder by default)
  std::string exeFolder;      // the program's folder, long form, trailing "\"
  std::string userAppData;    // the per-user "AppData" folder
  std::string commonAppData;  // the machine-wide "Common AppData" folder
  // Whether the current user may write the folder; empty: the system's access check.
  std::function<bool(const std::string& folder)> canWriteFolder;
  // The decimal separator of floating-point values; empty: the user's locale, asked each time.
  std::string decimalSeparator;

  static SettingsEnvironment FromSystem();
};

class TCLSettings {
 public:
  TCLSettings();  // over SettingsEnvironment::FromSystem()
  explicit TCLSettings(SettingsEnvironment environment);
  TCLSettings(const TCLSettings&) = delete;
  TCLSettings& operator=(const TCLSettings&) = delete;

  // The value of key from the first source that holds it (an empty value counts); "" and a
  // trace line when none does.
  std::string ReadString(const std::string& key);
  int32_t ReadInteger(const std::string& key);  // 0 unless a whole decimal or hex number
  bool ReadBool(const std::string& key);        // ReadInteger != 0
  double ReadFloat(const std::string& key);     // 0 unless a number in the locale's format

  // Store the entry in section "setting" of setting.dat and save it. A save that fails is
  // traced and leaves the previous file intact; the value still reads back for this run.
  void WriteString(const std::string& key, const std::string& value);
  void WriteInteger(const std::string& key, int32_t value);
  void WriteBool(const std::string& key, bool value);
  void WriteFloat(const std::string& key, double value);

  // The keyed message boxes' state, in setting.dat only.
  bool ReadShowAgain(int32_t number);            // true when missing or not a number
  void WriteShowAgain(int32_t number, bool show);
  int32_t ReadShowAgainResult(int32_t number);   // 1 when missing or not a number
  void WriteShowAgainResult(int32_t number, int32_t answer);

  // Saves setting.dat now; false (and a trace line) when it could not be saved.
  bool Flush();
  // Age in whole days of the oldest of the program, per-user and all-users folders; 0 when
  // none of their creation times can be read.
  int GetInstallAgeDays() const;

  // "RunTimes" as read at construction, before this start was counted: 0 on the first start.
  int32_t RunTimes() const { return runTimes_; }
  const std::string& SettingsFolder() const { return settingsFolder_; }
  bool AllUsers() const { return allUsers_; }
  const std::string& ExeFolder() const { return exeFolder_; }
  const std::string& UserFolder() const { return userFolder_; }
  const std::string& CommonFolder() const { return commonFolder_; }
  const std::string& ConfigPath() const { return configPath_; }

 private:
  TMemIniFile OpenUserFlag() const;
  bool SaveUserFlag(const TMemIniFile& flags);
  bool CanWriteCommonFolder() const;
  bool DecideAllUsers();
  void SelectSettingsFolder(bool allUsers);
  bool KeepCopyOfUnparseableFile(const std::string& path, const std::string& bytes);
  bool SaveSettingFile();
  std::string DecimalSeparator() const;

  SettingsEnvironment environment_;
  bool allUsers_ = false;
  TMemIniFile constFile_;
  TMemIniFile oemFile_;
  std::unique_ptr<TMemIniFile> settingFile_;  // absent until the folder is chosen
  std::string exeFolder_;
  std::string settingsFolder_;
  std::string userFolder_;
  std::string commonFolder_;
  int32_t runTimes_ = 0;
  std::string configPath_;
  // Set when setting.dat exists but could neither be read nor kept aside: saving over it
  // would destroy settings we never saw, so changes stay in memory for this run.
  bool savesRefused_ = false;
};

// The one store of the process, constructed on the first call.
TCLSettings* GetSettings();
// Destroys the store; the next GetSettings reads everything again and counts another start.
void FreeSettings();
// Makes settings the process's store in place of the current one, which is destroyed. Lets a
// test hand code that calls GetSettings() a store over scratch folders.
void SetSettings(std::unique_ptr<TCLSettings> settings);

// The shortest general form with up to 15 significant digits ("0.1", "1E20", "1.5E-7"),
// with separator in place of the decimal point.
std::string FloatToSettingText(double value, std::string_view separator);
// Optional leading blanks, an optional sign, digits with at most one separator, an optional
// exponent; nothing else. False for anything else, including values out of range.
bool SettingTextToFloat(std::string_view text, std::string_view separator, double& value);

}  // namespace qv
