// The panel switcher of the main window: a panel holding one child panel per category, of
// which only the active one is visible and in front.
#pragma once

#include <functional>

#include "toolkit/StdControls.h"

namespace qv {

using TPanelChangeEvent = std::function<void(TObject* sender, TPanel* fromPanel, TPanel* toPanel)>;

class TspMultiPanelsSP : public TPanel {
  QV_CLASS(TspMultiPanelsSP, TPanel)

 public:
  explicit TspMultiPanelsSP(ComponentOwner owner);

  TPanel* ActivePanel() const { return activePanel_; }
  // Shows the panel in front and hides every other child panel behind; the panel already
  // active stays as it is. While loading the choice is only stored.
  void SetActivePanel(TPanel* panel);
  TPanel* DefaultActivePanel() const { return defaultActivePanel_; }
  void SetDefaultActivePanel(TPanel* panel) { defaultActivePanel_ = panel; }

  TPanelChangeEvent OnPanelChangeEvent;

 protected:
  // Activates DefaultActivePanel when set, else the stored ActivePanel.
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void Activate(TPanel* panel);

  TPanel* activePanel_ = nullptr;
  TPanel* defaultActivePanel_ = nullptr;
};

}  // namespace qv
