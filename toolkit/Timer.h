// A timer component: OnTimer runs on the user-interface thread every Interval milliseconds
// while Enabled, from whatever message loop is running (the main loop, a modal loop or
// ProcessMessages).
#pragma once

#include <windows.h>

#include "toolkit/Component.h"

namespace qv {

class TTimer : public TComponent {
  QV_CLASS(TTimer, TComponent)

 public:
  explicit TTimer(ComponentOwner owner);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  UINT Interval() const { return interval_; }
  void SetInterval(UINT milliseconds);

  TNotifyEvent OnTimer;

 protected:
  void Loaded() override;

 private:
  void Update();

  bool enabled_ = true;
  UINT interval_ = 1000;
  UINT_PTR id_ = 0;
};

}  // namespace qv
