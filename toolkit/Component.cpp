// The component model: class identity, Assign, ownership, names, removal notifications and
// the loading sequence of a stored description.
#include "toolkit/Component.h"

#include <algorithm>

#include "util/Text.h"

namespace qv {

namespace {

bool IsValidIdent(std::string_view name) {
  if (name.empty()) return false;
  auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!letter(name[0])) return false;
  return std::all_of(name.begin() + 1, name.end(),
                     [&](char c) { return letter(c) || (c >= '0' && c <= '9'); });
}

}  // namespace

const ClassInfo& TObject::StaticClass() {
  static const ClassInfo info("TObject", nullptr, {});
  return info;
}

// ---- TPersistent -------------------------------------------------------------------------

QV_PUBLISHED(TPersistent) { return {}; }

void TPersistent::Assign(const TPersistent* source) {
  if (source) {
    source->AssignTo(this);
  } else {
    AssignError(nullptr);
  }
}

void TPersistent::AssignTo(TPersistent* dest) const { dest->AssignError(this); }

void TPersistent::AssignError(const TPersistent* source) const {
  throw EConvertError("Cannot assign a " + (source ? source->ClassName() : std::string("nil")) +
                      " to a " + ClassName());
}

// ---- TComponent --------------------------------------------------------------------------

QV_PUBLISHED(TComponent) {
  using P = Publish<TComponent>;
  return {
      P::String("Name", "TComponentName", &TComponent::name_, &TComponent::SetName),
      P::Integer("Tag", "Integer", &TComponent::tag_, &TComponent::tag_),
  };
}

TComponent::TComponent(ComponentOwner owner) {
  // The owner holds the component from here on; see Make.
  if (TComponent* o = owner.Get()) o->Insert(std::unique_ptr<TComponent>(this));
}

TComponent::~TComponent() {
  Destroying();
  while (!freeNotifies_.empty()) {
    TComponent* other = freeNotifies_.back();
    freeNotifies_.pop_back();
    other->UnlinkFreeNotification(this);
    other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (TComponent* owner = owner_) {
    // The owner let go of this component before destroying it, unless a constructor threw:
    // then its pointer must let go without deleting, the failing new-expression frees it.
    if (std::unique_ptr<TComponent> self = owner->Extract(this)) {
      (void)self.release();
      owner->NotifyOwnedAndSelf(this, opRemove);
    }
    owner_ = nullptr;
  }
}

void TComponent::SetName(const std::string& name) {
  if (name == name_) return;
  if (!name.empty() && !IsValidIdent(name)) {
    throw EComponentError("Component name \"" + name + "\" is not a valid identifier");
  }
  if (owner_ && !name.empty() && !SameText(name, name_) && owner_->FindComponent(name)) {
    throw EComponentError("A component named " + name + " already exists");
  }
  name_ = name;
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) {
    throw std::out_of_range("Component index out of bounds (" + std::to_string(index) + ")");
  }
  return components_[static_cast<size_t>(index)].get();
}

int TComponent::ComponentIndex() const {
  if (!owner_) return -1;
  const auto& list = owner_->components_;
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].get() == this) return static_cast<int>(i);
  }
  return -1;
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (const auto& c : components_) {
    if (SameText(c->name_, name)) return c.get();
  }
  return nullptr;
}

void TComponent::CheckInsert(const TComponent* component) const {
  if (!component) throw EComponentError("Cannot insert a nil component");
  for (const TComponent* o = this; o; o = o->owner_) {
    if (o == component) throw EComponentError("A component cannot own its own owner");
  }
  if (!component->name_.empty() && FindComponent(component->name_)) {
    throw EComponentError("A component named " + component->name_ + " already exists");
  }
}

std::unique_ptr<TComponent> TComponent::RemoveComponent(TComponent* component) {
  if (!component || component->owner_ != this) return nullptr;
  std::unique_ptr<TComponent> removed = Extract(component);
  NotifyOwnedAndSelf(component, opRemove);
  return removed;
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    // Out of the list, but still knowing its owner while its destructor runs.
    std::unique_ptr<TComponent> last = std::move(components_.back());
    components_.pop_back();
    last->Destroying();
    NotifyOwnedAndSelf(last.get(), opRemove);
    last.reset();
  }
}

void TComponent::SetDesigning(bool designing) {
  if (designing) {
    state_.Include(csDesigning);
  } else {
    state_.Exclude(csDesigning);
  }
  for (const auto& c : components_) c->SetDesigning(designing);
}

void TComponent::FreeNotification(TComponent* other) {
  if (!other || other == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), other) != freeNotifies_.end()) return;
  freeNotifies_.push_back(other);
  other->freeNotifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* other) {
  if (!other) return;
  UnlinkFreeNotification(other);
  other->UnlinkFreeNotification(this);
}

void TComponent::ReadDescription(const std::function<void()>& describe) {
  state_.Include(csLoading).Include(csReading);
  try {
    describe();
  } catch (...) {
    state_.Exclude(csLoading).Exclude(csReading);
    for (const auto& c : components_) {
      if (c->InState(csReading)) c->state_.Exclude(csLoading).Exclude(csReading);
    }
    throw;
  }
  std::vector<TComponent*> loading;
  for (const auto& c : components_) {
    if (c->InState(csReading)) {
      c->state_.Exclude(csReading);
      loading.push_back(c.get());
    }
  }
  state_.Exclude(csReading);

  Loaded();
  for (TComponent* c : loading) {
    // A Loaded() may destroy a sibling; only components still owned and still loading run.
    bool alive = std::any_of(components_.begin(), components_.end(),
                             [c](const auto& owned) { return owned.get() == c; });
    if (alive && c->InState(csLoading)) c->Loaded();
  }
}

void TComponent::Loaded() { state_.Exclude(csLoading); }

void TComponent::Notification(TComponent*, TOperation) {}

void TComponent::Insert(std::unique_ptr<TComponent> component) {
  TComponent* c = component.get();
  components_.push_back(std::move(component));
  c->owner_ = this;
  if (InState(csDesigning)) c->SetDesigning(true);
  // Components created while this one's description is read are part of that description.
  if (InState(csReading)) c->state_.Include(csLoading).Include(csReading);
  NotifyOwnedAndSelf(c, opInsert);
}

std::unique_ptr<TComponent> TComponent::Extract(TComponent* component) {
  auto it = std::find_if(components_.begin(), components_.end(),
                         [component](const auto& owned) { return owned.get() == component; });
  if (it == components_.end()) return nullptr;
  std::unique_ptr<TComponent> extracted = std::move(*it);
  components_.erase(it);
  extracted->owner_ = nullptr;
  return extracted;
}

void TComponent::NotifyOwnedAndSelf(TComponent* component, TOperation operation) {
  Notification(component, operation);
  // By index: a handler may insert or remove components.
  for (size_t i = 0; i < components_.size(); ++i) {
    TComponent* c = components_[i].get();
    if (c != component) c->Notification(component, operation);
  }
}

void TComponent::Destroying() {
  if (InState(csDestroying)) return;
  state_.Include(csDestroying);
  for (const auto& c : components_) c->Destroying();
}

void TComponent::UnlinkFreeNotification(TComponent* other) {
  freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), other),
                      freeNotifies_.end());
}

}  // namespace qv
