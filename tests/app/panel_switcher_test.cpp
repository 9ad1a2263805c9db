// The panel switcher: one visible child panel in front, the change event, and the panel
// chosen after loading.
#include <gtest/gtest.h>

#include "app/MultiPanelsSP.h"
#include "toolkit/Forms.h"

namespace qv {
namespace {

class SwitcherForm : public TForm {
  QV_CLASS(SwitcherForm, TForm)
 public:
  using TForm::TForm;
  TspMultiPanelsSP* switcher = nullptr;
  TPanel* a = nullptr;
  TPanel* b = nullptr;

 protected:
  void Describe() override {
    switcher = Make<TspMultiPanelsSP>();
    switcher->SetParent(this);
    a = Make<TPanel>();
    a->SetParent(switcher);
    a->Hide();
    b = Make<TPanel>();
    b->SetParent(switcher);
    b->Hide();
  }
};
QV_PUBLISHED(SwitcherForm) { return {}; }

// A description that stores both an active and a default panel.
class StoredChoiceForm : public SwitcherForm {
  QV_CLASS(StoredChoiceForm, SwitcherForm)
 public:
  using SwitcherForm::SwitcherForm;

 protected:
  void Describe() override {
    SwitcherForm::Describe();
    switcher->SetActivePanel(a);
    switcher->SetDefaultActivePanel(b);
  }
};
QV_PUBLISHED(StoredChoiceForm) { return {}; }

TEST(TspMultiPanelsSP, ShowsOnlyTheActivePanelAndReportsEachChange) {
  auto form = CreateUnownedForm<SwitcherForm>();
  EXPECT_EQ(form->switcher->ActivePanel(), nullptr);  // nothing stored, nothing active
  std::vector<std::pair<TPanel*, TPanel*>> changes;
  form->switcher->OnPanelChangeEvent = [&](TObject*, TPanel* from, TPanel* to) { changes.push_back({from, to}); };

  form->switcher->SetActivePanel(form->b);
  form->switcher->SetActivePanel(form->b);  // already active: nothing happens
  EXPECT_TRUE(form->b->Visible());
  EXPECT_FALSE(form->a->Visible());
  form->switcher->SetActivePanel(form->a);
  EXPECT_TRUE(form->a->Visible());
  EXPECT_FALSE(form->b->Visible());
  EXPECT_EQ(changes, (std::vector<std::pair<TPanel*, TPanel*>>{{nullptr, form->b}, {form->b, form->a}}));
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

TEST(TspMultiPanelsSP, AfterLoadingTheDefaultPanelWinsOverTheStoredOne) {
  auto form = CreateUnownedForm<StoredChoiceForm>();
  EXPECT_EQ(form->switcher->ActivePanel(), form->b);
  EXPECT_TRUE(form->b->Visible());
  EXPECT_FALSE(form->a->Visible());
}

}  // namespace
}  // namespace qv
