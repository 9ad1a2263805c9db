// The form binding: hands the application engine's skin data and language data to the
// components of a freshly loaded form.
#include "localisation/CLForm.h"

#include <vector>

#include "localisation/CLMultiLang.h"
#include "toolkit/Forms.h"
#include "util/Text.h"

namespace qv {

namespace {

TComponent* g_bindingEngine = nullptr;

// The engine's published object property of that name, or nullptr.
TPersistent* EngineObject(const char* name) {
  TComponent* engine = FormBindingEngine();
  if (!engine) return nullptr;
  const PropertyInfo* prop = FindProperty(*engine, name);
  if (!prop || prop->kind != PropertyKind::Object) return nullptr;
  return GetObjectProp(*engine, *prop);
}

}  // namespace

void SetFormBindingEngine(TComponent* engine) { g_bindingEngine = engine; }
TComponent* FormBindingEngine() { return g_bindingEngine; }

QV_PUBLISHED(TCLForm) {
  using P = Publish<TCLForm>;
  return {
      P::Boolean("RuntimeSetSkinData", &TCLForm::runtimeSetSkinData_,
                 &TCLForm::runtimeSetSkinData_),
      P::Boolean("RuntimeSetLanguageData", &TCLForm::runtimeSetLanguageData_,
                 &TCLForm::runtimeSetLanguageData_),
      P::Boolean("RunTimeSetFormProperties", &TCLForm::runTimeSetFormProperties_,
                 &TCLForm::runTimeSetFormProperties_),
  };
}

TCLForm::TCLForm(ComponentOwner owner) : TComponent(owner) {}

void TCLForm::Loaded() {
  TComponent::Loaded();
  if (runtimeSetSkinData_) BindSkinData();
  if (runtimeSetLanguageData_) BindLanguageData();
  if (runTimeSetFormProperties_) SetFormProperties();
}

void TCLForm::BindSkinData() {
  TPersistent* skinData = EngineObject("SkinData");
  TComponent* form = Owner();
  if (!skinData || !form) return;
  // By index: a setter may add components to the form.
  for (int i = 0; i < form->ComponentCount(); ++i) {
    TComponent* component = form->Components(i);
    for (const PropertyInfo* prop : GetPropList(*component, PropertyOrder::ByName)) {
      // Only object references can hold a skin data component.
      if (prop->kind != PropertyKind::Object || prop->ReadOnly()) continue;
      if (!SameText(prop->typeName, "TspSkinData")) continue;
      if (GetObjectProp(*component, *prop) == nullptr) SetObjectProp(*component, *prop, skinData);
    }
  }
}

void TCLForm::BindLanguageData() {
  auto* languageData = dynamic_cast<TCLMultiLangData*>(EngineObject("LanguageData"));
  TComponent* form = Owner();
  if (!languageData || !form) return;
  for (int i = 0; i < form->ComponentCount(); ++i) {
    // Exactly the translator class: one derived from it looks after its own language data.
    auto* translator = dynamic_cast<TCLMultiLang*>(form->Components(i));
    if (!translator || translator->ClassName() != "TCLMultiLang") continue;
    if (translator->LanguageData() == nullptr) translator->SetLanguageData(languageData);
  }
}

void TCLForm::SetFormProperties() {
  if (auto* form = dynamic_cast<TForm*>(Owner())) form->SetPosition(poMainFormCenter);
}

}  // namespace qv
