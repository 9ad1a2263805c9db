// The component model: ownership and destruction order, names, removal notifications, the
// loading sequence, class identity and Assign errors.
#include "toolkit/Component.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "toolkit/StringList.h"

namespace qv {

// Records construction, loading, notifications and destruction in a shared log.
class TProbe : public TComponent {
  QV_CLASS(TProbe, TComponent)

 public:
  TProbe(ComponentOwner owner, std::vector<std::string>* log, std::string name = "")
      : TComponent(owner), log_(log) {
    SetName(name);
  }
  ~TProbe() override { Log("destroy " + Name()); }

  std::string caption;            // a designed value
  TComponent* target = nullptr;   // a reference cleared on removal
  std::string captionAtLoaded;
  bool loadingAtLoaded = false;
  std::function<void(TProbe*)> onLoaded;

 protected:
  void Loaded() override {
    loadingAtLoaded = InState(csLoading);
    captionAtLoaded = caption;
    TComponent::Loaded();
    Log("loaded " + Name());
    if (onLoaded) onLoaded(this);
  }
  void Notification(TComponent* component, TOperation operation) override {
    if (operation == opRemove && component == target) {
      target = nullptr;
      Log(Name() + " lost target");
    }
  }

 private:
  void Log(const std::string& line) {
    if (log_) log_->push_back(line);
  }
  std::vector<std::string>* log_;
};

QV_PUBLISHED(TProbe) { return {}; }

// A derived class keeps its own class name, so an exact class-name test tells them apart.
class TProbeChild : public TProbe {
  QV_CLASS(TProbeChild, TProbe)

 public:
  using TProbe::TProbe;
};

QV_PUBLISHED(TProbeChild) { return {}; }

class TFailing : public TComponent {
  QV_CLASS(TFailing, TComponent)

 public:
  explicit TFailing(ComponentOwner owner) : TComponent(owner) {
    throw std::runtime_error("construction failed");
  }
};

QV_PUBLISHED(TFailing) { return {}; }

namespace {

using Log = std::vector<std::string>;

TEST(ComponentOwnership, DestroysOwnedComponentsLastCreatedFirst) {
  Log log;
  {
    auto root = TComponent::MakeUnowned<TProbe>(&log, "root");
    root->Make<TProbe>(&log, "a");
    root->Make<TProbe>(&log, "b");
    TProbe* c = root->Make<TProbe>(&log, "c");
    c->Make<TProbe>(&log, "c1");
    c->Make<TProbe>(&log, "c2");
  }
  EXPECT_EQ(log, (Log{"destroy root", "destroy c", "destroy c2", "destroy c1", "destroy b",
                      "destroy a"}));
}

// A form-like owner destroys its components while its own part is still alive.
class TFormLike : public TComponent {
  QV_CLASS(TFormLike, TComponent)

 public:
  using TComponent::TComponent;
  ~TFormLike() override { DestroyComponents(); }
};

QV_PUBLISHED(TFormLike) { return {}; }

TEST(ComponentOwnership, AnOwnedComponentStillKnowsItsOwnerWhileItIsDestroyed) {
  struct TOwnerCheck : TComponent {
    using TComponent::TComponent;
    std::string* seen = nullptr;
    ~TOwnerCheck() override {
      *seen = Owner() ? Owner()->ClassName() + " " + std::to_string(Owner()->ComponentCount())
                      : "no owner";
    }
  };
  std::string seen;
  auto form = TComponent::MakeUnowned<TFormLike>();
  form->Make<TComponent>();
  form->Make<TOwnerCheck>()->seen = &seen;
  form.reset();
  EXPECT_EQ(seen, "TFormLike 1");  // out of the list, the form's own part still there

  auto plain = TComponent::MakeUnowned<TComponent>();
  auto removed = plain->RemoveComponent(plain->Make<TOwnerCheck>());
  static_cast<TOwnerCheck*>(removed.get())->seen = &seen;
  removed.reset();
  EXPECT_EQ(seen, "no owner");  // given back: no owner any more
}

TEST(ComponentOwnership, ListsOwnedComponentsInCreationOrderAndFindsThemByName) {
  auto root = TComponent::MakeUnowned<TComponent>();
  TProbe* a = root->Make<TProbe>(nullptr, "btnClearAll");
  TProbe* b = root->Make<TProbe>(nullptr, "");
  TProbe* c = root->Make<TProbe>(nullptr, "lblTitle");

  ASSERT_EQ(root->ComponentCount(), 3);
  EXPECT_EQ(root->Components(0), a);
  EXPECT_EQ(root->Components(1), b);
  EXPECT_EQ(root->Components(2), c);
  EXPECT_EQ(c->ComponentIndex(), 2);
  EXPECT_EQ(c->Owner(), root.get());
  EXPECT_EQ(root->Owner(), nullptr);
  EXPECT_EQ(root->ComponentIndex(), -1);
  EXPECT_THROW(root->Components(3), std::out_of_range);
  EXPECT_THROW(root->Components(-1), std::out_of_range);

  EXPECT_EQ(root->FindComponent("BTNCLEARALL"), a);
  EXPECT_EQ(root->FindComponent("lbltitle"), c);
  EXPECT_EQ(root->FindComponent(""), nullptr);  // never the unnamed one
  EXPECT_EQ(root->FindComponent("missing"), nullptr);
}

TEST(ComponentOwnership, ChecksNamesAmongTheOwnersComponents) {
  auto root = TComponent::MakeUnowned<TComponent>();
  TComponent* first = root->Make<TComponent>();
  first->SetName("btnOk");
  TComponent* second = root->Make<TComponent>();

  EXPECT_THROW(second->SetName("BTNOK"), EComponentError);
  EXPECT_EQ(second->Name(), "");
  struct Case { const char* name; bool valid; } cases[] = {
      {"", true}, {"_x1", true}, {"pn2", true}, {"1pn", false}, {"btn Ok", false},
      {"btn.Ok", false}, {"é", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.valid) {
      EXPECT_NO_THROW(second->SetName(c.name));
      EXPECT_EQ(second->Name(), c.name);
    } else {
      EXPECT_THROW(second->SetName(c.name), EComponentError);
    }
  }
  first->SetName("BtnOK");  // a change of letter case only is no clash with itself
  EXPECT_EQ(first->Name(), "BtnOK");
  // Names are unique per owner only.
  auto other = TComponent::MakeUnowned<TComponent>();
  other->SetName("btnOk");
  EXPECT_EQ(other->Name(), "btnOk");
}

TEST(ComponentOwnership, MovesComponentsBetweenOwners) {
  auto a = TComponent::MakeUnowned<TComponent>();
  auto b = TComponent::MakeUnowned<TComponent>();
  TComponent* x = a->Make<TComponent>();
  x->SetName("x");
  b->Make<TComponent>()->SetName("X");

  std::unique_ptr<TComponent> held = a->RemoveComponent(x);
  ASSERT_EQ(held.get(), x);
  EXPECT_EQ(x->Owner(), nullptr);
  EXPECT_EQ(a->ComponentCount(), 0);
  EXPECT_EQ(a->RemoveComponent(x), nullptr);  // not a's any more

  // The name is taken in b: the caller keeps the component.
  EXPECT_THROW(b->InsertComponent(std::move(held)), EComponentError);
  ASSERT_NE(held, nullptr);
  x->SetName("y");
  EXPECT_EQ(b->InsertComponent(std::move(held)), x);
  EXPECT_EQ(x->Owner(), b.get());
  EXPECT_EQ(b->ComponentCount(), 2);

  // No cycles of ownership.
  TComponent* inner = x->Make<TComponent>();
  std::unique_ptr<TComponent> bHeld = std::move(b);
  EXPECT_THROW(inner->InsertComponent(std::move(bHeld)), EComponentError);
  EXPECT_NE(bHeld, nullptr);
}

TEST(ComponentOwnership, AFailedConstructionLeavesTheOwnerAsItWas) {
  Log log;
  auto root = TComponent::MakeUnowned<TComponent>();
  TProbe* watcher = root->Make<TProbe>(&log, "watcher");
  EXPECT_THROW(root->Make<TFailing>(), std::runtime_error);
  EXPECT_EQ(root->ComponentCount(), 1);
  EXPECT_EQ(root->Components(0), watcher);
}

// A translator-like component refers to a language-data-like one that may go first.
TEST(ComponentNotification, ReferrersLearnWhenTheComponentTheyReferToIsDestroyed) {
  Log log;
  auto form = TComponent::MakeUnowned<TComponent>();
  TProbe* translator = form->Make<TProbe>(&log, "translator");
  TProbe* data = form->Make<TProbe>(&log, "data");
  translator->target = data;

  // Sibling on the same owner: removal is announced to every other owned component.
  form->RemoveComponent(data).reset();
  EXPECT_EQ(translator->target, nullptr);

  // A component of another owner: only FreeNotification makes the link known.
  auto otherForm = TComponent::MakeUnowned<TComponent>();
  TProbe* remote = otherForm->Make<TProbe>(&log, "remote");
  translator->target = remote;
  translator->FreeNotification(remote);
  log.clear();
  otherForm.reset();
  EXPECT_EQ(translator->target, nullptr);
  EXPECT_EQ(log, (Log{"destroy remote", "translator lost target"}));
}

TEST(ComponentNotification, FormDestructionClearsReferencesBeforeTheReferrerIsDestroyed) {
  // The data is created after the translator, so the form destroys it first.
  Log log;
  auto form = TComponent::MakeUnowned<TComponent>();
  TProbe* translator = form->Make<TProbe>(&log, "translator");
  TProbe* data = form->Make<TProbe>(&log, "data");
  translator->target = data;
  form.reset();
  EXPECT_EQ(log, (Log{"translator lost target", "destroy data", "destroy translator"}));
}

TEST(ComponentNotification, LinksDieWithEitherSide) {
  Log log;
  auto target = TComponent::MakeUnowned<TProbe>(&log, "target");
  {
    auto referrer = TComponent::MakeUnowned<TProbe>(&log, "referrer");
    referrer->target = target.get();
    referrer->FreeNotification(target.get());
    referrer->FreeNotification(target.get());  // asking twice links once
  }
  // The referrer is gone: destroying the target must not reach it.
  log.clear();
  target.reset();
  EXPECT_EQ(log, (Log{"destroy target"}));

  auto a = TComponent::MakeUnowned<TProbe>(&log, "a");
  auto b = TComponent::MakeUnowned<TProbe>(&log, "b");
  a->target = b.get();
  a->FreeNotification(b.get());
  a->RemoveFreeNotification(b.get());
  log.clear();
  b.reset();
  EXPECT_EQ(log, (Log{"destroy b"}));
  EXPECT_NE(a->target, nullptr);  // nobody told it: the link was removed
}

TEST(ComponentNotification, InsertionIsAnnouncedToTheOwnerAndItsComponents) {
  struct TWatch : TComponent {
    using TComponent::TComponent;
    std::vector<std::pair<TComponent*, TOperation>> heard;
    void Notification(TComponent* c, TOperation op) override { heard.emplace_back(c, op); }
  };
  auto root = TComponent::MakeUnowned<TWatch>();
  TWatch* w = root->Make<TWatch>();
  TComponent* x = root->Make<TComponent>();
  EXPECT_EQ(root->heard.size(), 2u);
  ASSERT_EQ(w->heard.size(), 1u);
  EXPECT_EQ(w->heard[0], std::make_pair(x, opInsert));
  root->RemoveComponent(x).reset();
  ASSERT_EQ(w->heard.size(), 2u);
  EXPECT_EQ(w->heard[1], std::make_pair(x, opRemove));
}

TEST(ComponentState, DestroyingAndDesigningReachTheOwnedComponents) {
  auto root = TComponent::MakeUnowned<TComponent>();
  TComponent* child = root->Make<TComponent>();
  root->SetDesigning(true);
  EXPECT_TRUE(child->InState(csDesigning));
  EXPECT_TRUE(root->Make<TComponent>()->InState(csDesigning));  // inherited when inserted
  root->SetDesigning(false);
  EXPECT_FALSE(child->InState(csDesigning));

  bool destroyingSeen = false;
  struct TCheck : TComponent {
    using TComponent::TComponent;
    bool* seen = nullptr;
    ~TCheck() override { *seen = InState(csDestroying); }
  };
  root->Make<TCheck>()->seen = &destroyingSeen;
  root.reset();
  EXPECT_TRUE(destroyingSeen);
}

// ---- Loading sequence --------------------------------------------------------------------

TEST(ComponentLoading, LoadedRunsAfterTheDesignedValuesRootFirstThenInCreationOrder) {
  Log log;
  auto form = TComponent::MakeUnowned<TProbe>(&log, "form");
  TProbe* a = nullptr;
  TProbe* b = nullptr;
  bool loadingWhileDescribed = false;
  form->ReadDescription([&] {
    a = form->Make<TProbe>(&log, "a");
    b = form->Make<TProbe>(&log, "b");
    loadingWhileDescribed = a->InState(csLoading) && a->InState(csReading) &&
                            form->InState(csLoading) && form->InState(csReading);
    // Designed values are set after the components exist, as a stored description does.
    a->caption = "designed a";
    b->caption = "designed b";
    form->caption = "designed form";
  });

  EXPECT_TRUE(loadingWhileDescribed);
  EXPECT_EQ(log, (Log{"loaded form", "loaded a", "loaded b"}));
  for (TProbe* p : {form.get(), a, b}) {
    SCOPED_TRACE(p->Name());
    EXPECT_TRUE(p->loadingAtLoaded);
    EXPECT_EQ(p->captionAtLoaded, "designed " + p->Name());
    EXPECT_FALSE(p->InState(csLoading));
    EXPECT_FALSE(p->InState(csReading));
  }
}

TEST(ComponentLoading, ComponentsMadeOrDestroyedWhileLoadingAreNotLoaded) {
  Log log;
  auto form = TComponent::MakeUnowned<TProbe>(&log, "form");
  TProbe* late = nullptr;
  form->ReadDescription([&] {
    TProbe* a = form->Make<TProbe>(&log, "a");
    form->Make<TProbe>(&log, "b");
    // a's after-loading step makes a component at run time and destroys b.
    a->onLoaded = [&](TProbe*) {
      late = form->Make<TProbe>(&log, "late");
      form->RemoveComponent(form->FindComponent("b")).reset();
    };
  });
  EXPECT_EQ(log, (Log{"loaded form", "loaded a", "destroy b"}));
  ASSERT_NE(late, nullptr);
  EXPECT_FALSE(late->InState(csLoading));

  // After the description, new components are ordinary run-time ones.
  EXPECT_FALSE(form->Make<TComponent>()->InState(csLoading));
}

TEST(ComponentLoading, AFailingDescriptionLeavesNothingInTheLoadingState) {
  Log log;
  auto form = TComponent::MakeUnowned<TProbe>(&log, "form");
  TComponent* a = nullptr;
  EXPECT_THROW(form->ReadDescription([&] {
    a = form->Make<TComponent>();
    throw std::runtime_error("bad description");
  }),
               std::runtime_error);
  EXPECT_TRUE(form->ComponentState().Empty());
  EXPECT_TRUE(a->ComponentState().Empty());
  EXPECT_EQ(log, Log{});  // nothing was loaded

  // An error raised by an after-loading step reaches the caller.
  auto other = TComponent::MakeUnowned<TProbe>(&log, "other");
  EXPECT_THROW(other->ReadDescription([&] {
    other->Make<TProbe>(&log, "x")->onLoaded = [](TProbe*) { throw std::runtime_error("x"); };
  }),
               std::runtime_error);
}

// ---- Class identity and Assign -----------------------------------------------------------

TEST(ComponentClass, ClassNameIsTheDeclaredNameOfTheMostDerivedClass) {
  auto base = TComponent::MakeUnowned<TComponent>();
  auto probe = TComponent::MakeUnowned<TProbe>(nullptr);
  auto child = TComponent::MakeUnowned<TProbeChild>(nullptr);
  TStringList list;

  EXPECT_EQ(base->ClassName(), "TComponent");
  EXPECT_EQ(probe->ClassName(), "TProbe");
  EXPECT_EQ(static_cast<TComponent*>(child.get())->ClassName(), "TProbeChild");
  EXPECT_EQ(list.ClassName(), "TStringList");

  EXPECT_TRUE(child->InheritsFrom("TProbe"));
  EXPECT_TRUE(child->InheritsFrom("TComponent"));
  EXPECT_TRUE(child->InheritsFrom("TObject"));
  EXPECT_FALSE(child->InheritsFrom("tprobe"));  // exact letter case
  EXPECT_FALSE(probe->InheritsFrom("TProbeChild"));
  EXPECT_FALSE(list.InheritsFrom("TComponent"));
  EXPECT_TRUE(list.InheritsFrom(TStrings::StaticClass()));
  EXPECT_FALSE(child->InheritsFrom(TStrings::StaticClass()));
}

TEST(ComponentClass, AssigningUnrelatedObjectsRaisesTheConversionError) {
  auto probe = TComponent::MakeUnowned<TProbe>(nullptr);
  TStringList list;
  auto message = [](auto&& assign) {
    try {
      assign();
    } catch (const EConvertError& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(message([&] { list.Assign(probe.get()); }), "Cannot assign a TProbe to a TStringList");
  EXPECT_EQ(message([&] { probe->Assign(&list); }), "Cannot assign a TStringList to a TProbe");
  EXPECT_EQ(message([&] { probe->Assign(nullptr); }), "Cannot assign a nil to a TProbe");
}

}  // namespace
}  // namespace qv
