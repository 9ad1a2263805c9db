#include "app/MultiPanelsSP.h"

namespace qv {

QV_PUBLISHED(TspMultiPanelsSP) {
  using P = Publish<TspMultiPanelsSP>;
  return {
      P::Object<TPanel>("ActivePanel", &TspMultiPanelsSP::ActivePanel, &TspMultiPanelsSP::SetActivePanel),
      P::Object<TPanel>("DefaultActivePanel", &TspMultiPanelsSP::DefaultActivePanel,
                        &TspMultiPanelsSP::SetDefaultActivePanel),
      P::Event("OnPanelChangeEvent", "TPanelChangeEvent"),
  };
}

TspMultiPanelsSP::TspMultiPanelsSP(ComponentOwner owner) : TPanel(owner) {}

void TspMultiPanelsSP::SetActivePanel(TPanel* panel) {
  if (InState(csLoading)) {
    activePanel_ = panel;
    return;
  }
  Activate(panel);
}

void TspMultiPanelsSP::Activate(TPanel* panel) {
  if (panel == activePanel_) return;
  if (OnPanelChangeEvent) OnPanelChangeEvent(this, activePanel_, panel);
  for (int i = 0; i < ControlCount(); ++i) {
    auto* child = dynamic_cast<TPanel*>(Controls(i));
    if (child == nullptr || child != panel) continue;
    child->Show();
    child->BringToFront();
  }
  for (int i = 0; i < ControlCount(); ++i) {
    auto* child = dynamic_cast<TPanel*>(Controls(i));
    if (child == nullptr || child == panel) continue;
    child->Hide();
    child->SendToBack();
  }
  activePanel_ = panel;
}

void TspMultiPanelsSP::Loaded() {
  TPanel::Loaded();
  TPanel* stored = activePanel_;
  activePanel_ = nullptr;
  if (defaultActivePanel_ != nullptr)
    Activate(defaultActivePanel_);
  else if (stored != nullptr)
    Activate(stored);
}

void TspMultiPanelsSP::Notification(TComponent* component, TOperation operation) {
  TPanel::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == activePanel_) activePanel_ = nullptr;
  if (component == defaultActivePanel_) defaultActivePanel_ = nullptr;
}

}  // namespace qv
