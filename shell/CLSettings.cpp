// The settings store: five lookup sources, setting.dat in the per-user or all-users folder,
// the start counter and the message boxes' state.
#include "shell/CLSettings.h"

#include <windows.h>

#include <charconv>
#include <cmath>

#include "diagnostics/TraceDebug.h"
#include "shell/EngineLists.h"
#include "util/Files.h"
#include "util/PathText.h"
#include "util/Paths.h"
#include "util/Registry.h"
#include "util/Text.h"

namespace qv {

namespace {

const char kSettingSection[] = "setting";
const char kShowAgainSection[] = "ShowAgain";
const char kShowAgainResultSection[] = "ShowAgainModuleResult";
const char kFlagSection[] = "Flag";
const char kAllUsersName[] = "AllUsers";
const char kConstFileName[] = "const.dat";
const char kSettingFileName[] = "setting.dat";
const char kUserFlagFileName[] = "UserFlag.ini";
const char kTraceTag[] = "CLSettings";

void Trace(const std::string& text) { GetTracer()->TraceMsgWithTag(text, kTraceTag); }

std::string WithoutTrailingBackslash(std::string path) {
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

std::wstring Widen(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(size_t(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), wide.data(), length);
  return wide;
}

bool SystemCanWriteFolder(const std::string& folder) {
  const std::wstring wide = Widen(folder);
  return !wide.empty() && HasFileAccess(GENERIC_WRITE, wide);
}

// A setting.dat that the tolerant parser would partly ignore, so that saving the parse would
// lose what it holds: binary content, or lines of text before any section. The one-space
// placeholder, an empty file and comments are fine.
bool LooksUnparseable(const std::string& bytes, const TMemIniFile& parsed) {
  return bytes.find('\0') != std::string::npos || parsed.DroppedLines() > 0;
}

std::unique_ptr<TCLSettings> g_settings;

}  // namespace

SettingsEnvironment SettingsEnvironment::FromSystem() {
  SettingsEnvironment environment;
  environment.exeFileName = GetExeFileName();
  environment.exeFolder = GetExeDir();
  environment.userAppData = GetUserShellFolder("AppData");
  environment.commonAppData = GetCommonShellFolder("Common AppData");
  return environment;
}

TCLSettings::TCLSettings() : TCLSettings(SettingsEnvironment::FromSystem()) {}

TCLSettings::TCLSettings(SettingsEnvironment environment) : environment_(std::move(environment)) {
  exeFolder_ = WithTrailingBackslash(environment_.exeFolder);
  constFile_.LoadFromFile(CombinePath(exeFolder_, kConstFileName));
  oemFile_.LoadFromFile(CombinePath(exeFolder_, std::string("oem.") + kConstFileName));

  // setting.dat is not open yet, so this comes from the engine lists or the shipped files.
  configPath_ = ReadString("App.ConfigPath");
  if (configPath_.empty()) {
    configPath_ = ReplaceAll(environment_.exeFileName, "\\", "_");
    configPath_ = ReplaceAll(configPath_, ":", "_");
    configPath_ = ReplaceAll(configPath_, "/", "_");
  }
  userFolder_ = WithTrailingBackslash(CombinePath(environment_.userAppData, configPath_));
  commonFolder_ = WithTrailingBackslash(CombinePath(environment_.commonAppData, configPath_));

  SelectSettingsFolder(DecideAllUsers());

  runTimes_ = ReadInteger("RunTimes");
  WriteInteger("RunTimes", runTimes_ + 1);
}

TMemIniFile TCLSettings::OpenUserFlag() const {
  ForceDirectories(userFolder_);
  return TMemIniFile(CombinePath(userFolder_, kUserFlagFileName));
}

bool TCLSettings::SaveUserFlag(const TMemIniFile& flags) {
  if (flags.UpdateFile()) return true;
  Trace("Cannot save " + flags.FileName() + " (error " + std::to_string(GetLastError()) + ")");
  return false;
}

bool TCLSettings::CanWriteCommonFolder() const {
  ForceDirectories(commonFolder_);
  if (environment_.canWriteFolder) return environment_.canWriteFolder(commonFolder_);
  return SystemCanWriteFolder(commonFolder_);
}

// Settles "AllUsers" in UserFlag.ini: a first start decides by write access to the all-users
// folder; a stored "1" that is no longer usable falls back to "0" for good. The answer comes
// from the document in memory, so a flag file that cannot be saved still gives the decision
// just made rather than the stale or missing entry on disk.
bool TCLSettings::DecideAllUsers() {
  TMemIniFile flags = OpenUserFlag();
  if (flags.ValueExists(kFlagSection, kAllUsersName)) {
    if (flags.ReadBool(kFlagSection, kAllUsersName, true) && !CanWriteCommonFolder()) {
      flags.WriteString(kFlagSection, kAllUsersName, "0");
      SaveUserFlag(flags);
    }
  } else {
    flags.WriteString(kFlagSection, kAllUsersName, CanWriteCommonFolder() ? "1" : "0");
    SaveUserFlag(flags);
  }
  return flags.ReadBool(kFlagSection, kAllUsersName, true);
}

void TCLSettings::SelectSettingsFolder(bool allUsers) {
  allUsers_ = allUsers;
  settingsFolder_ = allUsers ? commonFolder_ : userFolder_;
  ForceDirectories(settingsFolder_);
  settingsFolder_ = WithTrailingBackslash(ToLongPath(settingsFolder_));
  settingFile_.reset();
  savesRefused_ = false;

  const std::string path = CombinePath(settingsFolder_, kSettingFileName);
  if (!FileExists(path)) WriteTextFile(" ", path);

  auto document = std::make_unique<TMemIniFile>();
  document->SetFileName(path);
  std::string bytes;
  if (ReadFileBytes(path, bytes)) {
    document->SetText(bytes);
    if (LooksUnparseable(bytes, *document) && !KeepCopyOfUnparseableFile(path, bytes))
      savesRefused_ = true;
  } else if (FileExists(path)) {
    Trace("Cannot read " + path + "; changes are kept for this run only");
    savesRefused_ = true;
  }
  settingFile_ = std::move(document);
}

// Copies a setting.dat we could not make sense of to a free "setting.dat.bad" name beside
// it, before anything is saved over it.
bool TCLSettings::KeepCopyOfUnparseableFile(const std::string& path, const std::string& bytes) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string copy = path + ".bad";
    if (attempt > 0) copy += '.' + std::to_string(attempt);
    if (FileExists(copy) || DirectoryExists(copy)) continue;
    if (!ReplaceFileContents(copy, bytes)) break;
    Trace("Kept unreadable " + path + " as " + copy);
    return true;
  }
  Trace("Cannot keep a copy of unreadable " + path + "; changes are kept for this run only");
  return false;
}

bool TCLSettings::SaveSettingFile() {
  if (!settingFile_) return false;
  if (savesRefused_) {
    Trace("Not saving " + settingFile_->FileName() + ": its previous content could not be kept");
    return false;
  }
  if (settingFile_->UpdateFile()) return true;
  Trace("Cannot save " + settingFile_->FileName() + " (error " + std::to_string(GetLastError()) +
        ")");
  return false;
}

std::string TCLSettings::ReadString(const std::string& key) {
  std::string value;
  const EngineSettingLists* lists = CurrentEngineSettingLists();
  if (lists != nullptr && FindListValue(lists->overwrite, key, value)) return value;
  for (const TMemIniFile* document : {settingFile_.get(), &oemFile_, &constFile_})
    if (document != nullptr && document->FindValue(kSettingSection, key, value)) return value;
  if (lists != nullptr && FindListValue(lists->defaults, key, value)) return value;
  Trace("Setting Not Found :" + key);
  return std::string();
}

int32_t TCLSettings::ReadInteger(const std::string& key) {
  return StrToIntDefault(ReadString(key), 0);
}

bool TCLSettings::ReadBool(const std::string& key) { return ReadInteger(key) != 0; }

double TCLSettings::ReadFloat(const std::string& key) {
  double value = 0;
  return SettingTextToFloat(ReadString(key), DecimalSeparator(), value) ? value : 0.0;
}

void TCLSettings::WriteString(const std::string& key, const std::string& value) {
  if (!settingFile_) return;
  settingFile_->WriteString(kSettingSection, key, value);
  SaveSettingFile();
}

void TCLSettings::WriteInteger(const std::string& key, int32_t value) {
  WriteString(key, std::to_string(value));
}

void TCLSettings::WriteBool(const std::string& key, bool value) { WriteInteger(key, value ? 1 : 0); }

void TCLSettings::WriteFloat(const std::string& key, double value) {
  WriteString(key, FloatToSettingText(value, DecimalSeparator()));
}

bool TCLSettings::ReadShowAgain(int32_t number) {
  return !settingFile_ || settingFile_->ReadBool(kShowAgainSection, std::to_string(number), true);
}

void TCLSettings::WriteShowAgain(int32_t number, bool show) {
  if (!settingFile_) return;
  settingFile_->WriteBool(kShowAgainSection, std::to_string(number), show);
  SaveSettingFile();
}

int32_t TCLSettings::ReadShowAgainResult(int32_t number) {
  if (!settingFile_) return 1;
  return settingFile_->ReadInteger(kShowAgainResultSection, std::to_string(number), 1);
}

void TCLSettings::WriteShowAgainResult(int32_t number, int32_t answer) {
  if (!settingFile_) return;
  settingFile_->WriteInteger(kShowAgainResultSection, std::to_string(number), answer);
  SaveSettingFile();
}

bool TCLSettings::Flush() { return SaveSettingFile(); }

int TCLSettings::GetInstallAgeDays() const {
  int result = 0;
  const TDateTime now = Now();
  // Without the trailing "\": a folder path ending in one is not a name every call accepts.
  for (const std::string& folder : {exeFolder_, userFolder_, commonFolder_}) {
    FILETIME created;
    if (!GetFileCreationTime(WithoutTrailingBackslash(folder), created)) continue;
    const double days = std::fabs(now - FileTimeToDateTime(created));
    if (days < 2147483647.0 && int(days) > result) result = int(days);
  }
  return result;
}

std::string TCLSettings::DecimalSeparator() const {
  if (!environment_.decimalSeparator.empty()) return environment_.decimalSeparator;
  char buffer[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, sizeof buffer) > 1) return buffer;
  return ".";
}

TCLSettings* GetSettings() {
  if (!g_settings) g_settings = std::make_unique<TCLSettings>();
  return g_settings.get();
}

void FreeSettings() { g_settings.reset(); }

void SetSettings(std::unique_ptr<TCLSettings> settings) { g_settings = std::move(settings); }

std::string FloatToSettingText(double value, std::string_view separator) {
  // to_chars rather than printf: the C runtime's locale must not pick the decimal point.
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                    std::chars_format::general, 15);
  std::string text(buffer, result.ec == std::errc() ? result.ptr : buffer);
  // "1.5e-07" -> "1.5E-7", "1e+20" -> "1E20": the exponent without "+" or leading zeros.
  const size_t e = text.find('e');
  if (e != std::string::npos) {
    std::string exponent = text.substr(e + 1);
    std::string sign;
    if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) {
      if (exponent[0] == '-') sign = "-";
      exponent.erase(0, 1);
    }
    const size_t digits = exponent.find_first_not_of('0');
    exponent = digits == std::string::npos ? "0" : exponent.substr(digits);
    text = text.substr(0, e) + "E" + sign + exponent;
  }
  const size_t point = text.find('.');
  if (point != std::string::npos) text.replace(point, 1, separator);
  return text;
}

bool SettingTextToFloat(std::string_view text, std::string_view separator, double& value) {
  // Rebuild the number in the one form from_chars reads ("-12.5e3"), checking the grammar.
  std::string plain;
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') plain += '-';
    ++i;
  }
  auto isDigit = [&](size_t at) { return at < text.size() && text[at] >= '0' && text[at] <= '9'; };
  size_t digits = 0;
  while (isDigit(i)) {
    plain += text[i++];
    ++digits;
  }
  if (!separator.empty() && text.substr(i, separator.size()) == separator) {
    plain += '.';
    i += separator.size();
    while (isDigit(i)) {
      plain += text[i++];
      ++digits;
    }
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    plain += 'e';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
    if (!isDigit(i)) return false;
    while (isDigit(i)) plain += text[i++];
  }
  if (i != text.size()) return false;

  double parsed = 0;
  const auto result = std::from_chars(plain.data(), plain.data() + plain.size(), parsed);
  if (result.ec != std::errc() || result.ptr != plain.data() + plain.size()) return false;
  value = parsed;
  return true;
}

}  // namespace qv
