// Published properties: listing with kinds and declared types (inherited ones included),
// typed reading and writing through the table, object properties holding lists, collections
// and component references, and collections with their items.
#include "toolkit/Properties.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Collection.h"
#include "toolkit/Component.h"
#include "toolkit/StringList.h"
#include "util/Text.h"

namespace qv {

enum class TSampleMode { smOff, smOn, smAuto };
enum TSampleOption { soBold, soItalic, soUnderline };
using TSampleOptions = EnumSet<TSampleOption>;

class TSampleItem : public TCollectionItem {
  QV_CLASS(TSampleItem, TCollectionItem)

 public:
  std::string text;
  std::string hint;
  int value = 0;

  void Assign(const TPersistent* source) override {
    if (const auto* item = dynamic_cast<const TSampleItem*>(source)) {
      text = item->text;
      hint = item->hint;
      value = item->value;
      return;
    }
    TCollectionItem::Assign(source);
  }
};

QV_PUBLISHED(TSampleItem) {
  using P = Publish<TSampleItem>;
  return {
      P::String("Text", "string", &TSampleItem::text, &TSampleItem::text),
      P::Integer("Value", "Integer", &TSampleItem::value, &TSampleItem::value),
      P::String("Hint", "string", &TSampleItem::hint, &TSampleItem::hint),
  };
}

using TSampleItems = TCollectionOf<TSampleItem>;

// One property of every kind, declared the ways real components do: fields, getter and
// setter functions, an owned list, an owned collection, a reference and a read-only value.
class TSample : public TComponent {
  QV_CLASS(TSample, TComponent)

 public:
  explicit TSample(ComponentOwner owner)
      : TComponent(owner), items_(std::make_unique<TSampleItems>()) {}

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption) {
    caption_ = caption;
    ++captionWrites;
  }
  TComponent* Link() const { return link_; }
  void SetLink(TComponent* link) {
    if (link_) RemoveFreeNotification(link_);
    link_ = link;
    if (link_) FreeNotification(link_);
  }
  std::string Version() const { return "1.0"; }
  TSampleItems& Items() { return *items_; }

  TStringList lines;
  std::string hint;
  int count = 0;
  TSampleMode mode = TSampleMode::smOff;
  TSampleOptions options;
  bool enabled = false;
  double ratio = 0;
  TNotifyEvent OnChange;
  int captionWrites = 0;

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    if (operation == opRemove && component == link_) link_ = nullptr;
  }

 private:
  std::string caption_;
  std::unique_ptr<TSampleItems> items_;
  TComponent* link_ = nullptr;
};

QV_PUBLISHED(TSample) {
  using P = Publish<TSample>;
  return {
      P::String("Caption", "TCaption", &TSample::Caption, &TSample::SetCaption),
      P::String("Hint", "string", &TSample::hint, &TSample::hint),
      P::Strings("Lines", &TSample::lines),
      P::Object<TCollection>("Items", &TSample::items_, AssignInto{}),
      P::Object<TComponent>("Link", &TSample::Link, &TSample::SetLink),
      P::Integer("Count", "Integer", &TSample::count, &TSample::count),
      P::Enum("Mode", "TSampleMode", &TSample::mode, &TSample::mode),
      P::Set("Options", "TSampleOptions", &TSample::options, &TSample::options),
      P::Boolean("Enabled", &TSample::enabled, &TSample::enabled),
      P::Float("Ratio", "Double", &TSample::ratio, &TSample::ratio),
      P::Event("OnChange", "TNotifyEvent"),
      P::String("Version", "string", &TSample::Version, nullptr),
  };
}

// Adds a property and redeclares an inherited one with another declared type.
class TSampleDerived : public TSample {
  QV_CLASS(TSampleDerived, TSample)

 public:
  using TSample::TSample;
  std::string alias;
};

QV_PUBLISHED(TSampleDerived) {
  using P = Publish<TSampleDerived>;
  return {
      P::String("alias", "string", &TSampleDerived::alias, &TSampleDerived::alias),
      P::String("Hint", "THintText", &TSampleDerived::hint, &TSampleDerived::hint),
  };
}

namespace {

using K = PropertyKind;

TEST(PropertyList, ListsInheritedPropertiesFirstWithKindsAndDeclaredTypes) {
  auto sample = TComponent::MakeUnowned<TSampleDerived>();
  struct Expected { const char* name; K kind; const char* type; bool readOnly; } expected[] = {
      {"Name", K::String, "TComponentName", false},
      {"Tag", K::Integer, "Integer", false},
      {"Caption", K::String, "TCaption", false},
      {"Hint", K::String, "THintText", false},  // the redeclaration, in the ancestor's place
      {"Lines", K::StringList, "TStrings", false},
      {"Items", K::Object, "TCollection", false},
      {"Link", K::Object, "TComponent", false},
      {"Count", K::Integer, "Integer", false},
      {"Mode", K::Enumeration, "TSampleMode", false},
      {"Options", K::Set, "TSampleOptions", false},
      {"Enabled", K::Boolean, "Boolean", false},
      {"Ratio", K::Float, "Double", false},
      {"OnChange", K::Event, "TNotifyEvent", true},
      {"Version", K::String, "string", true},
      {"alias", K::String, "string", false},
  };
  std::vector<const PropertyInfo*> list = GetPropList(*sample);
  ASSERT_EQ(list.size(), std::size(expected));
  for (size_t i = 0; i < list.size(); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(list[i]->name, expected[i].name);
    EXPECT_EQ(list[i]->kind, expected[i].kind);
    EXPECT_EQ(list[i]->typeName, expected[i].type);
    EXPECT_EQ(list[i]->ReadOnly(), expected[i].readOnly);
  }

  std::vector<std::string> byName;
  for (const PropertyInfo* p : GetPropList(*sample, PropertyOrder::ByName)) byName.push_back(p->name);
  EXPECT_EQ(byName, (std::vector<std::string>{"alias", "Caption", "Count", "Enabled", "Hint",
                                              "Items", "Lines", "Link", "Mode", "Name",
                                              "OnChange", "Options", "Ratio", "Tag", "Version"}));

  // The base class keeps its own declaration; lookups ignore letter case.
  auto base = TComponent::MakeUnowned<TSample>();
  EXPECT_EQ(FindProperty(*base, "hint")->typeName, "string");
  EXPECT_EQ(FindProperty(*sample, "HINT")->typeName, "THintText");
  EXPECT_EQ(FindProperty(*base, "alias"), nullptr);
  EXPECT_EQ(GetPropList(*base).size(), 14u);

  TStringList plain;
  EXPECT_TRUE(GetPropList(plain).empty());
}

TEST(PropertyAccess, ReadsAndWritesEveryKindThroughTheTable) {
  auto sample = TComponent::MakeUnowned<TSample>();
  TSample& s = *sample;

  SetStrProp(s, "caption", "Clear Now");
  EXPECT_EQ(s.Caption(), "Clear Now");
  EXPECT_EQ(s.captionWrites, 1);  // through the setter, not around it
  EXPECT_EQ(GetStrProp(s, "Caption"), "Clear Now");
  SetStrProp(s, "Name", "btnClearAll");
  EXPECT_EQ(s.Name(), "btnClearAll");
  EXPECT_EQ(GetStrProp(s, "Version"), "1.0");

  SetOrdProp(s, "Count", -5);
  EXPECT_EQ(s.count, -5);
  SetOrdProp(s, "Mode", 2);
  EXPECT_EQ(s.mode, TSampleMode::smAuto);
  EXPECT_EQ(GetOrdProp(s, "Mode"), 2);
  SetOrdProp(s, "Options", 0b101);
  EXPECT_EQ(s.options, (TSampleOptions{soBold, soUnderline}));
  s.options.Exclude(soBold).Include(soItalic);
  EXPECT_EQ(GetOrdProp(s, "Options"), 0b110);
  SetOrdProp(s, "Enabled", 1);
  EXPECT_TRUE(s.enabled);
  EXPECT_EQ(GetOrdProp(s, "Enabled"), 1);
  SetFloatProp(s, "Ratio", 0.25);
  EXPECT_EQ(s.ratio, 0.25);
  EXPECT_EQ(GetFloatProp(s, "Ratio"), 0.25);

  // Going through the table entry avoids the name lookup.
  const PropertyInfo* hint = FindProperty(s, "Hint");
  SetStrProp(s, *hint, "tip");
  EXPECT_EQ(GetStrProp(s, *hint), "tip");
}

TEST(PropertyAccess, RefusesUnknownNamesWrongKindsReadOnlyPropertiesAndWrongClasses) {
  auto sample = TComponent::MakeUnowned<TSample>();
  TSample& s = *sample;
  TStringList notAComponent;
  struct Case { const char* what; std::function<void()> call; } cases[] = {
      {"unknown name", [&] { GetStrProp(s, "Colour"); }},
      {"string read of an integer", [&] { GetStrProp(s, "Count"); }},
      {"ordinal write of a string", [&] { SetOrdProp(s, "Caption", 1); }},
      {"object read of a string", [&] { GetObjectProp(s, "Caption"); }},
      {"float read of an integer", [&] { GetFloatProp(s, "Count"); }},
      {"read-only string", [&] { SetStrProp(s, "Version", "2.0"); }},
      {"event read", [&] { GetPropValue(s, *FindProperty(s, "OnChange")); }},
      {"event write", [&] { SetPropValue(s, *FindProperty(s, "OnChange"), int64_t{0}); }},
      {"value of another type", [&] { SetPropValue(s, *FindProperty(s, "Count"), std::string("7")); }},
      {"reference of the wrong class", [&] { SetObjectProp(s, "Link", &notAComponent); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_THROW(c.call(), EPropertyError);
  }
  EXPECT_EQ(s.Link(), nullptr);
  EXPECT_EQ(s.count, 0);
}

TEST(PropertyAccess, ObjectPropertiesGiveListsCollectionsAndReferences) {
  auto form = TComponent::MakeUnowned<TComponent>();
  TSample* s = form->Make<TSample>();

  // A list property gives the object's own list; writing copies lines into it.
  EXPECT_EQ(GetObjectProp(*s, "Lines"), &s->lines);
  TStringList source;
  source.SetText("one\r\ntwo");
  SetObjectProp(*s, "Lines", &source);
  source.Clear();
  EXPECT_EQ(s->lines.Text(), "one\r\ntwo\r\n");

  // A collection property gives the collection; writing assigns item by item.
  auto* items = dynamic_cast<TCollection*>(GetObjectProp(*s, "Items"));
  ASSERT_NE(items, nullptr);
  EXPECT_EQ(items, &s->Items());
  TSampleItems other;
  other.Add()->text = "copied";
  SetObjectProp(*s, "Items", &other);
  ASSERT_EQ(s->Items().Count(), 1);
  EXPECT_EQ(s->Items().Items(0)->text, "copied");
  EXPECT_NE(s->Items().Items(0), other.Items(0));

  // A reference: set, read back, and cleared when the referred component goes.
  TComponent* data = form->Make<TComponent>();
  SetObjectProp(*s, "Link", data);
  EXPECT_EQ(GetObjectProp(*s, "Link"), data);
  form->RemoveComponent(data).reset();
  EXPECT_EQ(GetObjectProp(*s, "Link"), nullptr);
  SetObjectProp(*s, "Link", nullptr);
  EXPECT_EQ(s->Link(), nullptr);
}

// Walks a component the way the translator does and sets every translatable text to its key:
// string properties except the component name, whole list texts, and the string properties
// of collection items. Nothing else may be touched.
void SetTextsToKeys(TComponent& comp) {
  const std::string prefix = comp.Name();
  for (const PropertyInfo* p : GetPropList(comp, PropertyOrder::ByName)) {
    if (SameText(p->typeName, "TStrings")) {
      if (auto* list = dynamic_cast<TStrings*>(GetObjectProp(comp, *p))) {
        list->SetText(prefix + "." + p->name + "\r\nsecond");
      }
    } else if (IsStringKind(p->kind) && !SameText(p->typeName, "TComponentName")) {
      if (!p->ReadOnly()) SetStrProp(comp, *p, prefix + "." + p->name);
    } else if (p->kind == PropertyKind::Object) {
      auto* collection = dynamic_cast<TCollection*>(GetObjectProp(comp, *p));
      for (int i = 0; collection && i < collection->Count(); ++i) {
        TCollectionItem& item = *collection->Items(i);
        for (const PropertyInfo* q : GetPropList(item, PropertyOrder::ByName)) {
          if (IsStringKind(q->kind)) {
            SetStrProp(item, *q, prefix + "." + p->name + "[" + std::to_string(i) + "]." + q->name);
          }
        }
      }
    }
  }
}

TEST(PropertyAccess, ATranslatorCanReachEveryTextThroughTheTable) {
  auto form = TComponent::MakeUnowned<TComponent>();
  TSample* s = form->Make<TSample>();
  s->SetName("btnClearAll");
  s->Items().Add()->value = 7;
  s->Items().Add();
  TComponent* linked = form->Make<TComponent>();
  linked->SetName("data");
  s->SetLink(linked);
  s->count = 3;

  SetTextsToKeys(*s);

  EXPECT_EQ(s->Caption(), "btnClearAll.Caption");
  EXPECT_EQ(s->hint, "btnClearAll.Hint");
  EXPECT_EQ(s->lines.Text(), "btnClearAll.Lines\r\nsecond\r\n");
  EXPECT_EQ(s->Items().Items(0)->text, "btnClearAll.Items[0].Text");
  EXPECT_EQ(s->Items().Items(1)->hint, "btnClearAll.Items[1].Hint");
  EXPECT_EQ(s->Items().Items(0)->value, 7);
  // Untouched: the name, other references, numbers.
  EXPECT_EQ(s->Name(), "btnClearAll");
  EXPECT_EQ(linked->Name(), "data");
  EXPECT_EQ(s->count, 3);
}

TEST(Collection, KeepsItemsInOrderAndCopiesThemOnAssign) {
  TSampleItems items;
  TSampleItem* a = items.Add();
  TSampleItem* c = items.Add();
  TSampleItem* b = items.Insert(1);
  a->text = "a";
  b->text = "b";
  c->text = "c";
  ASSERT_EQ(items.Count(), 3);
  EXPECT_EQ(items.Items(1), b);
  EXPECT_EQ(c->Index(), 2);
  EXPECT_EQ(c->Collection(), &items);
  EXPECT_THROW(items.Items(3), std::out_of_range);
  EXPECT_THROW(items.Insert(4), std::out_of_range);

  items.Delete(0);
  EXPECT_EQ(items.Items(0), b);
  EXPECT_EQ(c->Index(), 1);
  EXPECT_THROW(items.Delete(2), std::out_of_range);

  TSampleItems copy;
  copy.Add()->text = "old";
  copy.Assign(&items);
  ASSERT_EQ(copy.Count(), 2);
  EXPECT_EQ(copy.Items(0)->text, "b");
  EXPECT_EQ(copy.Items(1)->text, "c");
  EXPECT_EQ(copy.Items(1)->Collection(), &copy);

  // An item class that cannot assign from the source leaves the collection as it was.
  TCollection plain([] { return std::make_unique<TCollectionItem>(); });
  plain.Add();
  EXPECT_THROW(plain.Assign(&items), EConvertError);
  EXPECT_EQ(plain.Count(), 1);

  items.Clear();
  EXPECT_EQ(items.Count(), 0);
  EXPECT_EQ(items.ClassName(), "TCollection");
}

}  // namespace
}  // namespace qv
