// The timer component over the application's timer service.
#include "toolkit/Timer.h"

#include "toolkit/Application.h"

namespace qv {

QV_PUBLISHED(TTimer) {
  using P = Publish<TTimer>;
  return {
      P::Boolean("Enabled", &TTimer::Enabled, &TTimer::SetEnabled),
      P::Integer("Interval", "Cardinal", &TTimer::Interval, &TTimer::SetInterval),
      P::Event("OnTimer", "TNotifyEvent"),
  };
}

TTimer::TTimer(ComponentOwner owner) : TComponent(owner) {
  // While the description is read, the timer starts only once its values are all set.
  if (!InState(csLoading)) Update();
}

TTimer::~TTimer() { Application().KillTimer(id_); }

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Update();
}

void TTimer::SetInterval(UINT milliseconds) {
  if (milliseconds == interval_) return;
  interval_ = milliseconds;
  Update();
}

void TTimer::Loaded() {
  TComponent::Loaded();
  Update();
}

void TTimer::Update() {
  Application().KillTimer(id_);
  id_ = 0;
  if (InState(csLoading) || !enabled_ || interval_ == 0) return;
  id_ = Application().SetTimer(interval_, [this] {
    if (OnTimer) OnTimer(this);
  });
}

}  // namespace qv
