// The component model: persistent objects with a class name and published properties, and
// components that own other components, have a name and a state, learn when the components
// they refer to go away, and get an after-loading notification once their owner's stored
// description has been read. Windows and non-visual parts of the program all build on it.
// Portable code (no windows.h).
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "toolkit/Properties.h"

// Gives a class its identity: its name (what ClassName() returns), its parent class and its
// table of published properties. Put it first in the class body; it leaves access private.
#define QV_CLASS(Class, Parent)                                                   \
 public:                                                                          \
  using inherited = Parent;                                                       \
  static const ::qv::ClassInfo& StaticClass();                                    \
  const ::qv::ClassInfo& ClassType() const override { return StaticClass(); }    \
                                                                                  \
 private:                                                                         \
  static std::vector<::qv::PropertyInfo> PublishedProperties();

// In the class's source file, inside namespace qv, followed by the body of the table:
//   QV_PUBLISHED(TIECache) {
//     using P = Publish<TIECache>;
//     return {P::Set(...), P::Enum(...), ...};
//   }
// The class name text is the macro argument, so give the bare class name.
#define QV_PUBLISHED(Class)                                                     \
  const ::qv::ClassInfo& Class::StaticClass() {                                 \
    static const ::qv::ClassInfo info(#Class, &inherited::StaticClass(),        \
                                      Class::PublishedProperties());            \
    return info;                                                                \
  }                                                                             \
  std::vector<::qv::PropertyInfo> Class::PublishedProperties()

namespace qv {

// "Cannot assign a X to a Y", and other failed conversions between objects.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An invalid or duplicate component name, or a misuse of ownership.
class EComponentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  static const ClassInfo& StaticClass();
  virtual const ClassInfo& ClassType() const { return StaticClass(); }

  const std::string& ClassName() const { return ClassType().name; }
  // Whether the class or one of its ancestors has exactly this name (letter case included).
  bool InheritsFrom(std::string_view className) const {
    return ClassType().InheritsFrom(className);
  }
  bool InheritsFrom(const ClassInfo& cls) const { return ClassType().InheritsFrom(cls); }
};

// The handler type of events that only pass their sender.
using TNotifyEvent = std::function<void(TObject* sender)>;

// An object with published properties that can copy another's state with Assign.
class TPersistent : public TObject {
  QV_CLASS(TPersistent, TObject)

 public:
  TPersistent() = default;

  // Copies source's state into this object. The base asks source to AssignTo this object
  // and, when neither knows the other, throws EConvertError "Cannot assign a X to a Y"
  // (X is "nil" for a null source).
  virtual void Assign(const TPersistent* source);

 protected:
  virtual void AssignTo(TPersistent* dest) const;
  [[noreturn]] void AssignError(const TPersistent* source) const;
};

enum TComponentStateFlag {
  csLoading,     // its owner's stored description is being read; cleared by Loaded()
  csReading,     // its designed values are being set right now
  csDestroying,  // it or its owner is being destroyed
  csDesigning,   // inherited from the owner; the program itself never designs
};
using TComponentState = EnumSet<TComponentStateFlag>;

enum TOperation { opInsert, opRemove };

class TComponent;

// The owner a component's constructor receives. Only TComponent's factories make one, so
// every component is created through Make (owned) or MakeUnowned (held by the caller):
//   explicit TIECache(ComponentOwner owner) : TComponent(owner) { ... }
class ComponentOwner {
 public:
  TComponent* Get() const { return owner_; }

 private:
  explicit ComponentOwner(TComponent* owner) : owner_(owner) {}
  TComponent* owner_;
  friend class TComponent;
};

class TComponent : public TPersistent {
  QV_CLASS(TComponent, TPersistent)

 public:
  // Inserts the new component into its owner's list (last) as it is constructed, so a
  // constructor already sees it there; the owner takes over ownership.
  explicit TComponent(ComponentOwner owner);
  // Notifies the components that asked for it, then destroys the owned components, last
  // created first. While an owned component is destroyed its Owner() is still set, though
  // it is no longer in the owner's list.
  ~TComponent() override;

  // Creates a component owned by this one and returns a non-owning pointer to it.
  template <typename T, typename... Args>
  T* Make(Args&&... args) {
    static_assert(std::is_base_of_v<TComponent, T>);
    // The base constructor hands ownership to this component before T's body runs; if T's
    // constructor throws, the base destructor takes it back before the memory is freed.
    return new T(ComponentOwner(this), std::forward<Args>(args)...);
  }

  // Creates a component without owner; the caller holds it.
  template <typename T, typename... Args>
  static std::unique_ptr<T> MakeUnowned(Args&&... args) {
    static_assert(std::is_base_of_v<TComponent, T>);
    return std::unique_ptr<T>(new T(ComponentOwner(nullptr), std::forward<Args>(args)...));
  }

  TComponent* Owner() const { return owner_; }

  const std::string& Name() const { return name_; }
  // An identifier (letters, digits, "_", not starting with a digit) or empty, unique among
  // the owner's components without regard to letter case; otherwise EComponentError.
  void SetName(const std::string& name);

  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

  // The owned components in creation order.
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const;  // std::out_of_range outside 0..Count-1
  int ComponentIndex() const;               // position in the owner's list, -1 without owner
  // The owned component with that name (letter case ignored), or nullptr; "" finds nothing.
  TComponent* FindComponent(std::string_view name) const;

  // Takes over a component (unowned, or just removed from another owner) as the last one.
  // When it cannot (its name is taken, or it would own its own owner) it throws
  // EComponentError and the caller still holds the component.
  template <typename T>
  T* InsertComponent(std::unique_ptr<T>&& component) {
    static_assert(std::is_base_of_v<TComponent, T>);
    CheckInsert(component.get());
    T* raw = component.get();
    Insert(std::move(component));
    return raw;
  }
  // Gives an owned component back to the caller; the other owned components hear opRemove.
  std::unique_ptr<TComponent> RemoveComponent(TComponent* component);
  // Destroys every owned component, last created first. A class whose components must go
  // while its own part is still alive (a form whose window they live in) calls it from its
  // own destructor; otherwise the base destructor does.
  void DestroyComponents();

  TComponentState ComponentState() const { return state_; }
  bool InState(TComponentStateFlag flag) const { return state_.Contains(flag); }
  void SetDesigning(bool designing);

  // Asks for Notification(other, opRemove) when other is destroyed, whoever owns it. The
  // link goes both ways: other hears when this one goes, and neither keeps a stale pointer.
  void FreeNotification(TComponent* other);
  void RemoveFreeNotification(TComponent* other);

  // Reads this component's stored description: describe runs while this component is in the
  // loading and reading states, and every component inserted into it meanwhile starts in
  // them too. Then Loaded() runs on this component, then on each of those components in
  // creation order (those destroyed in between are skipped). An exception from describe
  // clears the states and propagates; one from Loaded() propagates.
  void ReadDescription(const std::function<void()>& describe);

 protected:
  // The after-loading step: the designed values are in place. Overrides call the inherited
  // one, which clears csLoading.
  virtual void Loaded();

  // Another component was inserted into or removed from this one's owner (or this one), or
  // a component this one asked to hear about is being destroyed. The component may be
  // partly destroyed already: compare the pointer, do not call it.
  virtual void Notification(TComponent* component, TOperation operation);

 private:
  void CheckInsert(const TComponent* component) const;
  void Insert(std::unique_ptr<TComponent> component);
  std::unique_ptr<TComponent> Extract(TComponent* component);
  void NotifyOwnedAndSelf(TComponent* component, TOperation operation);
  void Destroying();
  void UnlinkFreeNotification(TComponent* other);

  TComponent* owner_ = nullptr;
  std::string name_;
  int tag_ = 0;
  TComponentState state_;
  std::vector<std::unique_ptr<TComponent>> components_;
  std::vector<TComponent*> freeNotifies_;
};

}  // namespace qv
