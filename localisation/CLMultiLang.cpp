// Language data (two tables, "{AppName}", the translators it re-applies) and the component
// translator that walks a form's published properties and sets the texts it finds.
#include "localisation/CLMultiLang.h"

#include <algorithm>
#include <unordered_set>

#include "toolkit/Collection.h"
#include "util/Text.h"

namespace qv {

namespace {

std::string LowerKey(std::string_view text) {
  std::string key(text);
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return key;
}

// Patterns of properties a translator could leave out; carried as a stored setting only.
const char* const kDefaultExcludeProps[] = {
    "TWebBrowser:",
    ":TComponentName",
    ".SkinDataName",
    "TspResourceStrData:",
    "TShockwaveFlash:",
    "TspSkinNotebook:",
    "TEmbeddedWB:",
    "TspCompressedStoredSkin:",
    "TspSkinMessage:",
    "TCLEngine:",
    "TspSkinData:",
    ".Text",
    "TIEDownload:",
    ":TComponentName",
    ".SkinDataName",
    ".EditSkinDataName",
    ".LabelSkinDataName",
    ".ButtonSkinDataName",
    ".BothSkinDataName",
    ".MessageLabelSkinDataName",
    ".Category",
    ".CompressedFileName",
    ".TrackBarSkinDataName",
    ".TabWidths",
    ".HeaderSkinDataName",
    ".LVHeaderSkinDataName",
};

}  // namespace

// ---- TCLMultiLangData --------------------------------------------------------------------

QV_PUBLISHED(TCLMultiLangData) {
  using P = Publish<TCLMultiLangData>;
  using D = TCLMultiLangData;
  return {
      P::String("CurrentLanguage", "string", &D::CurrentLanguage, nullptr),
      P::String("CurrentLanguageTranslator", "string", &D::CurrentLanguageTranslator, nullptr),
      P::String("CurrentVersion", "string", &D::CurrentVersion, nullptr),
      P::Boolean("ExcludeEmptyProp", &D::excludeEmptyProp_, &D::excludeEmptyProp_),
      P::Strings("ExcludeProps", &D::excludeProps_),
      P::Boolean("ExcludeNumberEndProps", &D::excludeNumberEndProps_, &D::excludeNumberEndProps_),
      P::Boolean("AutoApply", &D::autoApply_, &D::autoApply_),
      P::Boolean("ExcludeWithAction", &D::excludeWithAction_, &D::excludeWithAction_),
      P::Strings("CurrentData", &D::CurrentData),
      P::Strings("DefaultData", &D::DefaultData),
  };
}

TCLMultiLangData::TCLMultiLangData(ComponentOwner owner) : TComponent(owner) {
  for (const char* pattern : kDefaultExcludeProps) excludeProps_.Add(pattern);
}

TCLMultiLangData::~TCLMultiLangData() {
  // The translators hear of this through their free notification and drop their link; the
  // list itself needs no care.
  translators_.clear();
}

std::string TCLMultiLangData::InfoText(std::string_view name) {
  std::string value;
  Lookup("Info", "", name, value);
  return value;
}

std::string TCLMultiLangData::CurrentLanguage() { return InfoText("Language"); }
std::string TCLMultiLangData::CurrentLanguageTranslator() { return InfoText("Translator"); }
std::string TCLMultiLangData::CurrentVersion() { return InfoText("Version"); }

void TCLMultiLangData::LoadLanguageFile(const std::string& path) {
  appName_.clear();
  currentTable_.LoadFromFile(path);
  std::string name;
  GetAppName(name);
  ApplyToTranslators();
}

void TCLMultiLangData::ClearCurrentLanguage() { currentTable_.Clear(); }

bool TCLMultiLangData::Lookup(std::string_view section, std::string_view prefix,
                              std::string_view name, std::string& value) {
  std::string text;
  if (!currentTable_.Lookup(section, prefix, name, text) &&
      !defaultTable_.Lookup(section, prefix, name, text)) {
    return false;
  }
  if (!(SameText(section, "AppRes") && SameText(name, "AppName"))) {
    text = ReplaceTextIgnoreCase(text, "{AppName}", appName_);
  }
  value = std::move(text);
  return true;
}

void TCLMultiLangData::GetSectionTexts(std::string_view section, TStrings& list) {
  TStringList fromCurrent;
  TStringList fromDefault;
  currentTable_.ReadSectionValues(section, fromCurrent);
  defaultTable_.ReadSectionValues(section, fromDefault);

  // Names compared as the list compares them (ASCII letter case ignored), through a set so
  // that long lists merge in one pass.
  std::unordered_set<std::string> names;
  for (int i = 0; i < list.Count(); ++i) {
    const std::string line = list.Strings(i);
    const size_t eq = line.find('=');
    if (eq != std::string::npos) names.insert(LowerKey(std::string_view(line).substr(0, eq)));
  }
  list.BeginUpdate();
  try {
    for (const TStringList* source : {&fromCurrent, &fromDefault}) {
      for (int i = 0; i < source->Count(); ++i) {
        if (names.insert(LowerKey(source->Names(i))).second) list.Add(source->Strings(i));
      }
    }
  } catch (...) {
    list.EndUpdate();
    throw;
  }
  list.EndUpdate();
}

void TCLMultiLangData::GetAppName(std::string& value) {
  value.clear();
  Lookup("AppRes", "", "AppName", value);
  appName_ = value;
}

void TCLMultiLangData::RegisterTranslator(TCLMultiLang* translator) {
  if (translator == nullptr) return;
  if (std::find(translators_.begin(), translators_.end(), translator) != translators_.end()) return;
  translators_.push_back(translator);
  // A translator destroyed elsewhere (on another form) must leave the list.
  FreeNotification(translator);
}

void TCLMultiLangData::UnregisterTranslator(TCLMultiLang* translator) {
  translators_.erase(std::remove(translators_.begin(), translators_.end(), translator),
                     translators_.end());
}

void TCLMultiLangData::ApplyToTranslators() {
  // A translator's OnChangeLanguage may register, unregister or destroy translators: walk a
  // copy and skip those that have left the list meanwhile.
  const std::vector<TCLMultiLang*> snapshot = translators_;
  for (TCLMultiLang* translator : snapshot) {
    if (std::find(translators_.begin(), translators_.end(), translator) != translators_.end())
      translator->Apply();
  }
}

void TCLMultiLangData::Assign(const TPersistent* source) {
  if (const auto* other = dynamic_cast<const TCLMultiLangData*>(source)) {
    excludeEmptyProp_ = other->excludeEmptyProp_;
    excludeProps_.Assign(&other->excludeProps_);
    excludeNumberEndProps_ = other->excludeNumberEndProps_;
    autoApply_ = other->autoApply_;
    return;
  }
  TComponent::Assign(source);
}

void TCLMultiLangData::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove) {
    // Only the pointer is compared: the component may be half destroyed.
    translators_.erase(std::remove(translators_.begin(), translators_.end(), component),
                       translators_.end());
  }
}

// ---- TCLMultiLang ------------------------------------------------------------------------

QV_PUBLISHED(TCLMultiLang) {
  using P = Publish<TCLMultiLang>;
  return {
      P::Event("OnChangeLanguage", "TNotifyEvent"),
      P::Object<TCLMultiLangData>("LanguageData", &TCLMultiLang::LanguageData,
                                  &TCLMultiLang::SetLanguageData),
  };
}

TCLMultiLang::TCLMultiLang(ComponentOwner owner) : TComponent(owner) {}

TCLMultiLang::~TCLMultiLang() {
  // languageData_ is cleared by Notification when the data goes first, so it is alive here.
  if (languageData_) languageData_->UnregisterTranslator(this);
}

void TCLMultiLang::SetLanguageData(TCLMultiLangData* data) {
  if (data == languageData_) {
    if (data) data->RegisterTranslator(this);
    return;
  }
  if (TCLMultiLangData* old = languageData_) {
    old->UnregisterTranslator(this);
    languageData_ = nullptr;
    RemoveFreeNotification(old);
  }
  languageData_ = data;
  if (data) {
    // The language data may be destroyed first (it may sit earlier on the form, or on another
    // form): the notification clears the link before the pointer can dangle.
    FreeNotification(data);
    data->RegisterTranslator(this);
  }
}

void TCLMultiLang::Loaded() {
  TComponent::Loaded();
  if (languageData_) {
    languageData_->RegisterTranslator(this);
    if (languageData_->AutoApply()) Apply();
  }
}

void TCLMultiLang::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == languageData_) languageData_ = nullptr;
}

void TCLMultiLang::Apply() {
  if (languageData_ == nullptr) return;
  if (TComponent* form = Owner()) {
    TranslateComponent(*form);
    // By index and re-checked: a property setter may add or remove components.
    for (int i = 0; i < form->ComponentCount(); ++i) {
      TComponent* component = form->Components(i);
      if (component->Name().empty()) continue;
      if (dynamic_cast<TCLMultiLang*>(component) || dynamic_cast<TCLMultiLangData*>(component))
        continue;
      TranslateComponent(*component);
      if (languageData_ == nullptr) return;  // a setter destroyed the language data
    }
  }
  if (OnChangeLanguage) OnChangeLanguage(this);
}

void TCLMultiLang::TranslateComponent(TComponent& component) {
  if (languageData_ == nullptr || Owner() == nullptr) return;
  const std::string section = Owner()->ClassName();
  const std::string prefix = component.Name();
  std::string text;

  for (const PropertyInfo* prop : GetPropList(component, PropertyOrder::ByName)) {
    if (languageData_ == nullptr) return;
    const bool isString = prop->kind == PropertyKind::String;
    const bool isReference =
        prop->kind == PropertyKind::StringList || prop->kind == PropertyKind::Object;
    if (!isString && !isReference) continue;

    if (SameText(prop->typeName, "TStrings")) {
      if (!isReference) continue;
      auto* lines = dynamic_cast<TStrings*>(GetObjectProp(component, *prop));
      if (lines && languageData_->Lookup(section, prefix, prop->name, text)) lines->SetText(text);
    } else if (isString) {
      if (SameText(prop->typeName, "TComponentName") || prop->ReadOnly()) continue;
      if (languageData_->Lookup(section, prefix, prop->name, text))
        SetStrProp(component, *prop, text);
    } else if (prop->kind == PropertyKind::Object) {
      auto* collection = dynamic_cast<TCollection*>(GetObjectProp(component, *prop));
      if (collection == nullptr) continue;
      for (int i = 0; i < collection->Count(); ++i) {
        TCollectionItem* item = collection->Items(i);
        const std::string itemPrefix = prop->name + "[" + std::to_string(i) + "].";
        for (const PropertyInfo* itemProp : GetPropList(*item, PropertyOrder::ByName)) {
          if (itemProp->kind != PropertyKind::String || itemProp->ReadOnly()) continue;
          if (languageData_ == nullptr) return;
          if (languageData_->Lookup(section, prefix, itemPrefix + itemProp->name, text))
            SetStrProp(*item, *itemProp, text);
        }
      }
    }
  }
}

void TCLMultiLang::Assign(const TPersistent* source) {
  if (const auto* other = dynamic_cast<const TCLMultiLang*>(source)) {
    OnChangeLanguage = other->OnChangeLanguage;
    SetLanguageData(other->languageData_);
    return;
  }
  TComponent::Assign(source);
}

}  // namespace qv
