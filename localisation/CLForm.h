// The form binding: a non-visual component that gives its form the application engine's skin
// and language without code of the form's own. When the form has been loaded (before its
// creation handler runs) it hands the engine's skin data to components that have none, links
// the form's translators to the engine's language data and sets a few form properties, each
// by its own switch.
#pragma once

#include "toolkit/Component.h"

namespace qv {

// The component whose published "SkinData" and "LanguageData" the bindings hand out: the
// application engine, which lives above this layer, registers itself here while it is the
// process's engine and passes nullptr when it goes. nullptr: there is none.
void SetFormBindingEngine(TComponent* engine);
TComponent* FormBindingEngine();

class TCLForm : public TComponent {
  QV_CLASS(TCLForm, TComponent)

 public:
  explicit TCLForm(ComponentOwner owner);

  bool RuntimeSetSkinData() const { return runtimeSetSkinData_; }
  void SetRuntimeSetSkinData(bool value) { runtimeSetSkinData_ = value; }
  bool RuntimeSetLanguageData() const { return runtimeSetLanguageData_; }
  void SetRuntimeSetLanguageData(bool value) { runtimeSetLanguageData_ = value; }
  bool RunTimeSetFormProperties() const { return runTimeSetFormProperties_; }
  void SetRunTimeSetFormProperties(bool value) { runTimeSetFormProperties_ = value; }

  // Gives every component of the owner whose "TspSkinData" properties hold nothing the
  // engine's skin data. Nothing without an engine or without its skin data.
  void BindSkinData();
  // Links every translator (class "TCLMultiLang" exactly) of the owner that has no language
  // data to the engine's. Applies no text. Nothing without an engine or its language data.
  void BindLanguageData();
  // Centres the owner form over the application's main window. Nothing unless the owner is a
  // form. (The toolkit's forms never scale, scroll or size themselves, so there is nothing
  // to switch off for those.)
  void SetFormProperties();

 protected:
  // Runs the switched-on operations: skin data, language data, form properties.
  void Loaded() override;

 private:
  bool runtimeSetSkinData_ = false;
  bool runtimeSetLanguageData_ = false;
  bool runTimeSetFormProperties_ = false;
};

}  // namespace qv
