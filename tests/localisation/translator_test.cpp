// The component translator over small stand-in forms: which properties of which components
// get texts under which keys, when texts are applied, and how translators and language data
// keep clear of each other when either is destroyed.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "localisation/CLMultiLang.h"
#include "support/TestFiles.h"
#include "toolkit/Collection.h"

namespace qv {

class TTestColumn : public TCollectionItem {
  QV_CLASS(TTestColumn, TCollectionItem)

 public:
  std::string caption = "column";
  std::string hint;
  int width = 10;
};

QV_PUBLISHED(TTestColumn) {
  using P = Publish<TTestColumn>;
  return {
      P::String("Caption", "TCaption", &TTestColumn::caption, &TTestColumn::caption),
      P::Integer("Width", "Integer", &TTestColumn::width, &TTestColumn::width),
      P::String("Hint", "string", &TTestColumn::hint, &TTestColumn::hint),
  };
}

// A nested object that is neither a list nor a collection.
class TTestFont : public TPersistent {
  QV_CLASS(TTestFont, TPersistent)

 public:
  std::string name = "Verdana";
};

QV_PUBLISHED(TTestFont) {
  using P = Publish<TTestFont>;
  return {P::String("Name", "TFontName", &TTestFont::name, &TTestFont::name)};
}

// A control publishing what real controls do; its setters log the order of writes.
class TTestControl : public TComponent {
  QV_CLASS(TTestControl, TComponent)

 public:
  explicit TTestControl(ComponentOwner owner) : TComponent(owner) {}

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& text) {
    caption_ = text;
    writes.push_back("Caption");
  }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& text) {
    hint_ = text;
    writes.push_back("Hint");
  }
  std::string Version() const { return "1.0"; }
  TStringList* Lines() { return hasLines ? &lines : nullptr; }

  TStringList lines;
  bool hasLines = true;
  TCollectionOf<TTestColumn> columns;
  TTestFont font;
  int count = 0;
  std::vector<std::string> writes;

 private:
  std::string caption_ = "designed";
  std::string hint_;
};

QV_PUBLISHED(TTestControl) {
  using P = Publish<TTestControl>;
  return {
      // Declared out of name order: the translator must sort them.
      P::String("Hint", "string", &TTestControl::Hint, &TTestControl::SetHint),
      P::String("Caption", "TCaption", &TTestControl::Caption, &TTestControl::SetCaption),
      P::Strings("Lines", &TTestControl::Lines),
      P::Object<TCollection>("Columns", &TTestControl::columns, AssignInto{}),
      P::Object<TTestFont>("Font", &TTestControl::font, AssignInto{}),
      P::Integer("Count", "Integer", &TTestControl::count, &TTestControl::count),
      P::String("Version", "string", &TTestControl::Version, nullptr),
      P::Event("OnClick", "TNotifyEvent"),
  };
}

// The root a translator sits on: a form of its own class, with a caption of its own.
class TfrmFirst : public TComponent {
  QV_CLASS(TfrmFirst, TComponent)

 public:
  explicit TfrmFirst(ComponentOwner owner) : TComponent(owner) {}
  std::string caption = "form";
};

QV_PUBLISHED(TfrmFirst) {
  using P = Publish<TfrmFirst>;
  return {P::String("Caption", "TCaption", &TfrmFirst::caption, &TfrmFirst::caption)};
}

class TfrmSecond : public TfrmFirst {
  QV_CLASS(TfrmSecond, TfrmFirst)

 public:
  using TfrmFirst::TfrmFirst;
};

QV_PUBLISHED(TfrmSecond) { return {}; }

// A translator with a text property of its own, to show translators are not translated.
class TTestTranslator : public TCLMultiLang {
  QV_CLASS(TTestTranslator, TCLMultiLang)

 public:
  using TCLMultiLang::TCLMultiLang;
  std::string hint = "translator";
};

QV_PUBLISHED(TTestTranslator) {
  using P = Publish<TTestTranslator>;
  return {P::String("Hint", "string", &TTestTranslator::hint, &TTestTranslator::hint)};
}

namespace {

const char* const kTexts =
    "[TfrmFirst]\r\n"
    "frmOne.Caption=First form\r\n"
    "btnGo.Caption=Go to {AppName}\r\n"
    "btnGo.Hint=Starts it\r\n"
    "btnGo.Lines=first<BR>second\r\n"
    "btnGo.Columns[1].Caption=Second column\r\n"
    "btnGo.Columns[1].Width=99\r\n"
    "btnGo.Font.Name=Arial\r\n"
    "btnGo.Name=btnRenamed\r\n"
    "btnGo.Version=2.0\r\n"
    "btnGo.Count=5\r\n"
    "Caption=Bare form caption\r\n"
    "tmrTick.Hint=Timer hint\r\n"
    "trOther.Hint=not for translators\r\n"
    "btnInner.Caption=owned by a panel\r\n"
    "btnEmptyList.Lines=a<BR>b\r\n"
    "[TfrmSecond]\r\n"
    "btnGo.Caption=Second class\r\n"
    "[AppRes]\r\n"
    "AppName=Quorvane\r\n";

class Translator : public ::testing::Test {
 protected:
  void SetUp() override {
    data->CurrentData().SetText(kTexts);
    std::string name;
    data->GetAppName(name);
  }

  // A form of class F with a translator linked to data, a control btnGo with three columns,
  // a non-visual component, and whatever extra builds.
  template <typename F>
  F* MakeForm(const std::string& name) {
    auto form = TComponent::MakeUnowned<F>();
    F* raw = form.get();
    form->SetName(name);
    auto* button = form->template Make<TTestControl>();
    button->SetName("btnGo");
    for (int i = 0; i < 3; ++i) button->columns.Add();
    form->template Make<TTestControl>()->SetName("tmrTick");
    auto* translator = form->template Make<TCLMultiLang>();
    translator->SetName("smLanguage");
    translator->SetLanguageData(data.get());
    forms.push_back(std::move(form));
    return raw;
  }
  static TTestControl* Control(TComponent* form, const char* name) {
    return dynamic_cast<TTestControl*>(form->FindComponent(name));
  }
  static TCLMultiLang* TranslatorOf(TComponent* form) {
    return dynamic_cast<TCLMultiLang*>(form->FindComponent("smLanguage"));
  }

  std::unique_ptr<TCLMultiLangData> data = TComponent::MakeUnowned<TCLMultiLangData>();
  std::vector<std::unique_ptr<TComponent>> forms;
};

TEST_F(Translator, SetsStringsListsAndCollectionItemsOfNamedComponents) {
  TfrmFirst* form = MakeForm<TfrmFirst>("frmOne");
  TTestControl* button = Control(form, "btnGo");
  auto* unnamed = form->Make<TTestControl>();
  auto* empty = form->Make<TTestControl>();
  empty->SetName("btnEmptyList");
  empty->hasLines = false;
  auto* panel = form->Make<TTestControl>();
  panel->SetName("pnHolder");
  panel->Make<TTestControl>()->SetName("btnInner");
  auto* other = form->Make<TTestTranslator>();
  other->SetName("trOther");

  TranslatorOf(form)->Apply();

  EXPECT_EQ(form->caption, "First form");
  EXPECT_EQ(button->Caption(), "Go to Quorvane");
  EXPECT_EQ(button->Hint(), "Starts it");
  EXPECT_EQ(button->lines.Count(), 2);
  EXPECT_EQ(button->lines.Text(), "first\r\nsecond\r\n");
  EXPECT_EQ(button->columns.Items(0)->caption, "column");
  EXPECT_EQ(button->columns.Items(1)->caption, "Second column");
  EXPECT_EQ(button->columns.Items(1)->width, 10);  // not a string
  EXPECT_EQ(button->font.name, "Verdana");         // nested objects are not entered
  EXPECT_EQ(button->Name(), "btnGo");              // the component name is never translated
  EXPECT_EQ(button->count, 0);
  // In name order: Caption before Hint, though declared the other way round.
  EXPECT_EQ(button->writes, (std::vector<std::string>{"Caption", "Hint"}));

  EXPECT_EQ(Control(form, "tmrTick")->Hint(), "Timer hint");  // non-visual parts too
  // Without a name a component's keys would be the form's own: it is skipped.
  EXPECT_EQ(unnamed->Caption(), "designed");
  EXPECT_EQ(other->hint, "translator");
  EXPECT_EQ(Control(panel, "btnInner")->Caption(), "designed");  // owned by another owner
  EXPECT_EQ(empty->Caption(), "designed");
}

TEST_F(Translator, AnUnnamedFormIsKeyedByBarePropertyNames) {
  TfrmFirst* form = MakeForm<TfrmFirst>("");
  TranslatorOf(form)->Apply();
  EXPECT_EQ(form->caption, "Bare form caption");
  EXPECT_EQ(Control(form, "btnGo")->Caption(), "Go to Quorvane");
}

TEST_F(Translator, TheFormsClassNamesTheSection) {
  TfrmFirst* first = MakeForm<TfrmFirst>("frmOne");
  TfrmFirst* sameClass = MakeForm<TfrmFirst>("frmTwo");
  TfrmSecond* second = MakeForm<TfrmSecond>("frmOne");
  data->ApplyToTranslators();
  EXPECT_EQ(Control(first, "btnGo")->Caption(), "Go to Quorvane");
  EXPECT_EQ(Control(sameClass, "btnGo")->Caption(), "Go to Quorvane");
  EXPECT_EQ(sameClass->caption, "form");  // its own name has no key
  EXPECT_EQ(Control(second, "btnGo")->Caption(), "Second class");
  EXPECT_EQ(second->caption, "form");
}

TEST_F(Translator, FiresOnChangeLanguageAfterEveryApplyOnlyWithLanguageData) {
  TfrmFirst* form = MakeForm<TfrmFirst>("frmOne");
  TCLMultiLang* translator = TranslatorOf(form);
  std::vector<std::string> seen;
  translator->OnChangeLanguage = [&](TObject* sender) {
    EXPECT_EQ(sender, translator);
    seen.push_back(Control(form, "btnGo")->Caption());
  };
  translator->Apply();
  data->CurrentData().Clear();  // nothing found: still fired
  translator->Apply();
  EXPECT_EQ(seen, (std::vector<std::string>{"Go to Quorvane", "Go to Quorvane"}));

  translator->SetLanguageData(nullptr);
  translator->Apply();
  EXPECT_EQ(seen.size(), 2u);
}

TEST_F(Translator, LinkingRegistersWithoutApplyingAndRelinkingLeavesTheOldData) {
  TfrmFirst* form = MakeForm<TfrmFirst>("frmOne");
  TCLMultiLang* translator = TranslatorOf(form);
  EXPECT_EQ(data->Translators(), std::vector<TCLMultiLang*>{translator});
  EXPECT_EQ(Control(form, "btnGo")->Caption(), "designed");

  translator->SetLanguageData(data.get());  // no duplicate
  EXPECT_EQ(data->Translators().size(), 1u);

  auto otherData = TComponent::MakeUnowned<TCLMultiLangData>();
  translator->SetLanguageData(otherData.get());
  EXPECT_TRUE(data->Translators().empty());
  EXPECT_EQ(otherData->Translators(), std::vector<TCLMultiLang*>{translator});

  auto copy = form->Make<TCLMultiLang>();
  copy->Assign(translator);
  EXPECT_EQ(copy->LanguageData(), otherData.get());
  EXPECT_EQ(otherData->Translators().size(), 2u);
  EXPECT_THROW(copy->Assign(otherData.get()), EConvertError);
}

TEST_F(Translator, AppliesAtLoadOnlyWhenTheLanguageDataAsksForIt) {
  for (bool autoApply : {true, false}) {
    SCOPED_TRACE(autoApply);
    data->SetAutoApply(autoApply);
    auto form = TComponent::MakeUnowned<TfrmFirst>();
    TTestControl* button = nullptr;
    TCLMultiLang* translator = nullptr;
    form->ReadDescription([&] {
      form->SetName("frmOne");
      button = form->Make<TTestControl>();
      button->SetName("btnGo");
      translator = form->Make<TCLMultiLang>();
      translator->SetLanguageData(data.get());
    });
    EXPECT_EQ(button->Caption(), autoApply ? "Go to Quorvane" : "designed");
    EXPECT_EQ(data->Translators(), std::vector<TCLMultiLang*>{translator});
  }
}

TEST_F(Translator, LoadingALanguageFileReappliesEveryRegisteredTranslator) {
  test::ScratchFolder folder;
  test::PlantFile(
      folder / "Deutsch.lan",
      "[AppRes]\r\nAppName=Quorvane DE\r\n[TfrmFirst]\r\nbtnGo.Caption=Los {AppName}\r\n"
      "[TfrmSecond]\r\nbtnGo.Caption=Zweite\r\n");
  test::PlantFile(folder / "English.lan",
                  "[AppRes]\r\nAppName=Quorvane EN\r\n[TfrmFirst]\r\nbtnGo.Caption=Go {AppName}\r\n"
                  "[TfrmSecond]\r\nbtnGo.Caption=Second\r\n");
  TfrmFirst* first = MakeForm<TfrmFirst>("frmOne");
  TfrmSecond* second = MakeForm<TfrmSecond>("frmTwo");
  int applied = 0;
  TranslatorOf(second)->OnChangeLanguage = [&](TObject*) { ++applied; };

  data->LoadLanguageFile(folder / "Deutsch.lan");
  EXPECT_EQ(Control(first, "btnGo")->Caption(), "Los Quorvane DE");
  EXPECT_EQ(Control(second, "btnGo")->Caption(), "Zweite");
  EXPECT_EQ(applied, 1);

  data->LoadLanguageFile(folder / "English.lan");
  EXPECT_EQ(Control(first, "btnGo")->Caption(), "Go Quorvane EN");
  EXPECT_EQ(Control(second, "btnGo")->Caption(), "Second");
  data->LoadLanguageFile(folder / "Deutsch.lan");
  EXPECT_EQ(Control(first, "btnGo")->Caption(), "Los Quorvane DE");
  EXPECT_EQ(applied, 3);

  // Back to the built-in texts: clearing applies nothing by itself.
  data->DefaultData().SetText("[TfrmFirst]\r\nbtnGo.Caption=Go\r\n");
  data->ClearCurrentLanguage();
  EXPECT_EQ(Control(first, "btnGo")->Caption(), "Los Quorvane DE");
  data->ApplyToTranslators();
  EXPECT_EQ(Control(first, "btnGo")->Caption(), "Go");
  EXPECT_EQ(Control(second, "btnGo")->Caption(), "Zweite");  // no key: kept
  EXPECT_EQ(applied, 4);
}

TEST_F(Translator, NeitherSideOutlivesItsLinkToTheOther) {
  // Language data created after the translator on the same form goes first when the form
  // is destroyed; the translator must not reach it afterwards.
  {
    auto form = TComponent::MakeUnowned<TfrmFirst>();
    auto* translator = form->Make<TCLMultiLang>();
    auto* localData = form->Make<TCLMultiLangData>();
    translator->SetLanguageData(localData);
    form->RemoveComponent(localData).reset();
    EXPECT_EQ(translator->LanguageData(), nullptr);
    translator->Apply();  // nothing to reach
  }
  // Language data on another form destroyed first; then a translator destroyed while
  // registered leaves the list.
  TfrmFirst* first = MakeForm<TfrmFirst>("frmOne");
  TfrmFirst* second = MakeForm<TfrmFirst>("frmTwo");
  ASSERT_EQ(data->Translators().size(), 2u);
  forms[0].reset();
  EXPECT_EQ(data->Translators(), std::vector<TCLMultiLang*>{TranslatorOf(second)});
  (void)first;
  data.reset();
  EXPECT_EQ(TranslatorOf(second)->LanguageData(), nullptr);
  TranslatorOf(second)->Apply();
}

TEST_F(Translator, AnEventThatDestroysAnotherTranslatorDoesNotBreakTheWalk) {
  TfrmFirst* first = MakeForm<TfrmFirst>("frmOne");
  TfrmFirst* second = MakeForm<TfrmFirst>("frmTwo");
  (void)second;
  TranslatorOf(first)->OnChangeLanguage = [&](TObject*) { forms[1].reset(); };
  data->ApplyToTranslators();
  EXPECT_EQ(data->Translators(), std::vector<TCLMultiLang*>{TranslatorOf(first)});
}

}  // namespace
}  // namespace qv
