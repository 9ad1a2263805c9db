// The form binding: a form loaded while an engine exists gets the engine's skin data and
// language data in its components before its creation handler runs, within the limits of its
// switches; what the form's description set is kept; without an engine nothing happens.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "localisation/CLForm.h"
#include "localisation/CLMultiLang.h"
#include "shell/CLEngine.h"
#include "toolkit/Application.h"
#include "toolkit/SkinData.h"
#include "toolkit/SkinMessage.h"
#include "toolkit/forms_fixture.h"

namespace qv {

// A skinned control of the test's own: two properties of the skin data type (one declared with
// the type name in other letter case), one reference of another type and a caption for the
// translator.
class TTestSkinned : public TComponent {
  QV_CLASS(TTestSkinned, TComponent)

 public:
  using TComponent::TComponent;
  TspSkinData* skinData = nullptr;
  TspSkinData* ctrlSkinData = nullptr;
  TComponent* buddy = nullptr;
  std::string caption = "designed";
};

QV_PUBLISHED(TTestSkinned) {
  using P = Publish<TTestSkinned>;
  return {
      P::Object<TspSkinData>("SkinData", &TTestSkinned::skinData, &TTestSkinned::skinData),
      P::Object<TspSkinData>("CtrlSkinData", "tspSKINDATA", &TTestSkinned::ctrlSkinData,
                             &TTestSkinned::ctrlSkinData),
      P::Object<TComponent>("Buddy", "TComponent", &TTestSkinned::buddy, &TTestSkinned::buddy),
      P::String("Caption", "TCaption", &TTestSkinned::caption, &TTestSkinned::caption),
  };
}

// A translator class of its own, which the binding must leave alone.
class TMyMultiLang : public TCLMultiLang {
  QV_CLASS(TMyMultiLang, TCLMultiLang)

 public:
  using TCLMultiLang::TCLMultiLang;
};

QV_PUBLISHED(TMyMultiLang) { return {}; }

// The main form: an engine with skin data and language data.
class TfrmBindingMain : public TForm {
  QV_CLASS(TfrmBindingMain, TForm)

 public:
  using TForm::TForm;
  TCLEngine* engine1 = nullptr;
  TspSkinData* skin = nullptr;
  TCLMultiLangData* lang = nullptr;

 protected:
  void Describe() override {
    SetName(UniqueName("frmBindingMain"));
    skin = Make<TspSkinData>();
    lang = Make<TCLMultiLangData>();
    lang->DefaultData().SetText("[TfrmBound]\nctrl.Caption=translated\n");
    engine1 = Make<TCLEngine>();
    engine1->SetSkinData(skin);
    engine1->SetLanguageData(lang);
  }
};

QV_PUBLISHED(TfrmBindingMain) { return {}; }

// What a bound form's creation handler saw.
struct AtCreate {
  TspSkinData* ctrlSkin = nullptr;
  TspSkinData* ctrlCtrlSkin = nullptr;
  TspSkinData* messageBoxSkin = nullptr;
  TCLMultiLangData* translatorData = nullptr;
  TPosition position = poDesigned;
};

// A framework window: a control, a message box, a translator, a derived translator and the
// binding, in that order, with what its description may set beforehand.
class TfrmBound : public TForm {
  QV_CLASS(TfrmBound, TForm)

 public:
  struct Design {
    bool skin = true, language = true, formProperties = true;
    TspSkinData* designedSkin = nullptr;
    TCLMultiLangData* designedLanguage = nullptr;
  };
  TfrmBound(ComponentOwner owner, Design design) : TForm(owner), design_(design) {}

  TTestSkinned* ctrl = nullptr;
  TspSkinMessage* messageBox = nullptr;
  TCLMultiLang* translator = nullptr;
  TMyMultiLang* ownTranslator = nullptr;
  TCLForm* binding = nullptr;
  AtCreate atCreate;

 protected:
  void Describe() override {
    SetName(UniqueName("frmBound"));
    ctrl = Make<TTestSkinned>();
    ctrl->SetName("ctrl");
    ctrl->ctrlSkinData = design_.designedSkin;
    messageBox = Make<TspSkinMessage>();
    translator = Make<TCLMultiLang>();
    translator->SetLanguageData(design_.designedLanguage);
    ownTranslator = Make<TMyMultiLang>();
    binding = Make<TCLForm>();
    SetBoolProp("RuntimeSetSkinData", design_.skin);
    SetBoolProp("RuntimeSetLanguageData", design_.language);
    SetBoolProp("RunTimeSetFormProperties", design_.formProperties);
    OnCreate = [this](TObject*) {
      atCreate = {ctrl->skinData, ctrl->ctrlSkinData, messageBox->SkinData(),
                  translator->LanguageData(), Position()};
    };
  }

 private:
  void SetBoolProp(const char* name, bool value) { SetOrdProp(*binding, name, value ? 1 : 0); }
  Design design_;
};

QV_PUBLISHED(TfrmBound) { return {}; }

namespace {

class FormBinding : public test::WindowTest {
 protected:
  TfrmBindingMain* MakeMain() { return CreateForm<TfrmBindingMain>(&Application()); }
  TfrmBound* MakeBound(TfrmBound::Design design) {
    return CreateForm<TfrmBound>(&Application(), design);
  }
};

TEST_F(FormBinding, HandsOutTheEnginesDataBeforeTheCreationHandler) {
  TfrmBindingMain* main = MakeMain();
  TfrmBound* form = MakeBound({});
  EXPECT_EQ(form->atCreate.ctrlSkin, main->skin);
  EXPECT_EQ(form->atCreate.ctrlCtrlSkin, main->skin) << "the type name's letter case is free";
  EXPECT_EQ(form->atCreate.messageBoxSkin, main->skin) << "the toolkit's own components too";
  EXPECT_EQ(form->atCreate.translatorData, main->lang);
  EXPECT_EQ(form->atCreate.position, poMainFormCenter);
  EXPECT_EQ(form->ctrl->buddy, nullptr) << "references of other types stay empty";
  EXPECT_EQ(form->ownTranslator->LanguageData(), nullptr) << "only the class TCLMultiLang";

  // Linked, not applied: the texts arrive with the next Apply.
  EXPECT_EQ(form->ctrl->caption, "designed");
  form->translator->Apply();
  EXPECT_EQ(form->ctrl->caption, "translated");
}

TEST_F(FormBinding, KeepsWhatTheDescriptionSet) {
  TfrmBindingMain* main = MakeMain();
  auto designedSkin = TComponent::MakeUnowned<TspSkinData>();
  auto designedLanguage = TComponent::MakeUnowned<TCLMultiLangData>();
  TfrmBound::Design design;
  design.designedSkin = designedSkin.get();
  design.designedLanguage = designedLanguage.get();
  TfrmBound* form = MakeBound(design);
  EXPECT_EQ(form->ctrl->ctrlSkinData, designedSkin.get());
  EXPECT_EQ(form->ctrl->skinData, main->skin) << "the empty one beside it is still filled";
  EXPECT_EQ(form->translator->LanguageData(), designedLanguage.get());
  Application().RemoveComponent(form).reset();
}

TEST_F(FormBinding, DoesOnlyWhatItsSwitchesSay) {
  struct Case {
    const char* name;
    TfrmBound::Design design;
    bool skin, language, centred;
  };
  const Case cases[] = {
      {"all off", {false, false, false}, false, false, false},
      {"skin only", {true, false, false}, true, false, false},
      {"language only", {false, true, false}, false, true, false},
      {"form properties only", {false, false, true}, false, false, true},
  };
  TfrmBindingMain* main = MakeMain();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TfrmBound* form = MakeBound(c.design);
    EXPECT_EQ(form->atCreate.ctrlSkin, c.skin ? main->skin : nullptr);
    EXPECT_EQ(form->atCreate.translatorData, c.language ? main->lang : nullptr);
    EXPECT_EQ(form->atCreate.position, c.centred ? poMainFormCenter : poDesigned);
    Application().RemoveComponent(form).reset();
  }
}

TEST_F(FormBinding, WithoutAnEngineOrItsDataNothingIsBound) {
  TfrmBound* early = MakeBound({});
  EXPECT_EQ(early->atCreate.ctrlSkin, nullptr);
  EXPECT_EQ(early->atCreate.translatorData, nullptr);

  TfrmBindingMain* main = MakeMain();
  main->engine1->SetSkinData(nullptr);
  main->RemoveComponent(main->lang).reset();  // the engine forgets it
  TfrmBound* form = MakeBound({});
  EXPECT_EQ(form->atCreate.ctrlSkin, nullptr);
  EXPECT_EQ(form->atCreate.translatorData, nullptr);

  // A binding that is not on a form sets no form properties and binds nothing.
  auto holder = TComponent::MakeUnowned<TComponent>();
  TCLForm* loose = holder->Make<TCLForm>();
  main->engine1->SetSkinData(main->skin);
  loose->SetFormProperties();
  loose->BindSkinData();
  loose->BindLanguageData();
}

}  // namespace
}  // namespace qv
