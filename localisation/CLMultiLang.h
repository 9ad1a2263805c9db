// Language data and component translation. TCLMultiLangData holds the current language's
// table and a default table that answers what the current one lacks; TCLMultiLang puts the
// texts of its language data into its form's components by keys made of the form's class,
// the component's name and the property's name, and again whenever a new language loads.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "localisation/CLMultiLangLan.h"
#include "toolkit/Component.h"
#include "toolkit/StringList.h"

namespace qv {

class TCLMultiLang;

class TCLMultiLangData : public TComponent {
  QV_CLASS(TCLMultiLangData, TComponent)

 public:
  explicit TCLMultiLangData(ComponentOwner owner);
  ~TCLMultiLangData() override;

  // "Info" entries of the tables: the language's own name, its translator, the file's version.
  std::string CurrentLanguage();
  std::string CurrentLanguageTranslator();
  std::string CurrentVersion();

  // Stored settings that no operation consults; kept so that stored descriptions carry them.
  bool ExcludeEmptyProp() const { return excludeEmptyProp_; }
  void SetExcludeEmptyProp(bool value) { excludeEmptyProp_ = value; }
  TStringList& ExcludeProps() { return excludeProps_; }
  bool ExcludeNumberEndProps() const { return excludeNumberEndProps_; }
  void SetExcludeNumberEndProps(bool value) { excludeNumberEndProps_ = value; }
  bool ExcludeWithAction() const { return excludeWithAction_; }
  void SetExcludeWithAction(bool value) { excludeWithAction_ = value; }

  // A translator applies the texts as soon as its form has loaded.
  bool AutoApply() const { return autoApply_; }
  void SetAutoApply(bool value) { autoApply_ = value; }

  // The text of the current and the default table; assigning copies the lines.
  TStringList& CurrentData() { return currentTable_.Data(); }
  TStringList& DefaultData() { return defaultTable_.Data(); }
  void SetCurrentData(const TStrings& lines) { currentTable_.SetData(lines); }
  void SetDefaultData(const TStrings& lines) { defaultTable_.SetData(lines); }

  // Makes the file the current table (an unreadable file gives an empty one), refreshes the
  // application's name and re-applies every registered translator.
  void LoadLanguageFile(const std::string& path);
  // Empties the current table so that lookups fall back to the default table. Keeps AppName
  // and applies nothing.
  void ClearCurrentLanguage();

  // The text of section / prefix.name (name alone for an empty prefix) from the current
  // table, else from the default table; an empty text in the current table hides the
  // default's. "{AppName}" in it becomes AppName(), except in AppRes's own AppName entry.
  // False, with value untouched, when neither table has the entry.
  bool Lookup(std::string_view section, std::string_view prefix, std::string_view name,
              std::string& value);

  // Adds to list (name=value lines) the section's non-empty entries whose names list lacks,
  // from the current table first, then from the default table. Entries list already has stay.
  void GetSectionTexts(std::string_view section, TStrings& list);

  // value := AppRes/AppName (empty when neither table has it); also remembered as AppName().
  void GetAppName(std::string& value);
  const std::string& AppName() const { return appName_; }

  void RegisterTranslator(TCLMultiLang* translator);
  void UnregisterTranslator(TCLMultiLang* translator);
  const std::vector<TCLMultiLang*>& Translators() const { return translators_; }
  // Apply on every registered translator, in order of registration.
  void ApplyToTranslators();

  // From another language data: copies the four exclusion settings and AutoApply.
  void Assign(const TPersistent* source) override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  std::string InfoText(std::string_view name);

  bool excludeEmptyProp_ = false;
  TStringList excludeProps_;
  bool excludeNumberEndProps_ = false;
  bool autoApply_ = true;
  bool excludeWithAction_ = false;
  TCLMultiLangLan currentTable_;
  TCLMultiLangLan defaultTable_;
  std::vector<TCLMultiLang*> translators_;
  std::string appName_;
};

class TCLMultiLang : public TComponent {
  QV_CLASS(TCLMultiLang, TComponent)

 public:
  explicit TCLMultiLang(ComponentOwner owner);
  ~TCLMultiLang() override;

  // Fired after every Apply, whether or not any text was found.
  TNotifyEvent OnChangeLanguage;

  TCLMultiLangData* LanguageData() const { return languageData_; }
  // Leaves the old language data, links and registers with the new one. Applies nothing.
  void SetLanguageData(TCLMultiLangData* data);

  // Translates the owner form and every named component it owns (other translators and
  // language data excepted), then fires OnChangeLanguage. Nothing without language data.
  void Apply();
  // Looks up and sets every translatable property of one component: strings (the component
  // name excepted), "TStrings" lists and the string properties of collection items.
  void TranslateComponent(TComponent& component);

  // From another translator: copies OnChangeLanguage and LanguageData (so this one registers).
  void Assign(const TPersistent* source) override;

 protected:
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TCLMultiLangData* languageData_ = nullptr;
};

}  // namespace qv
