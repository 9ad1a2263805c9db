// Published properties: every persistent class lists its published properties once, in one
// static table (name, kind, declared type name, getter, setter). The translator, the form
// binding and the tests read and write properties through that table and nothing else.
// Portable code (no windows.h).
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace qv {

class TPersistent;

// A property name that does not exist, a value of the wrong kind, or a write to a read-only
// property.
class EPropertyError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class PropertyKind {
  String,       // std::string
  StringList,   // a TStrings the object owns; writing assigns the lines
  Object,       // a reference to a TPersistent (component, collection or other persistent)
  Integer,
  Enumeration,  // value: the member's ordinal
  Set,          // value: bit n set when the member with ordinal n is in the set
  Event,        // listed so that walkers can skip it; not readable or writable here
  Boolean,      // value: 0 or 1 (an ordinal, as for enumerations)
  Float,
};

// What a getter returns and a setter takes: a string, an ordinal (Integer, Enumeration,
// Set, Boolean), a float or an object (StringList, Object).
using PropertyValue = std::variant<std::monostate, std::string, int64_t, double, TPersistent*>;

struct PropertyInfo {
  std::string name;
  PropertyKind kind;
  std::string typeName;  // the declared type: "string", "TCaption", "TStrings", "TFilterOptions"
  std::function<PropertyValue(TPersistent&)> get;               // empty for events
  std::function<void(TPersistent&, const PropertyValue&)> set;  // empty when read-only

  bool ReadOnly() const { return !set; }
};

// Identity of a persistent class: the name ClassName() returns, its parent class and the
// published properties it declares itself (inherited ones live in the parents).
struct ClassInfo {
  ClassInfo(const char* className, const ClassInfo* parentClass,
            std::vector<PropertyInfo> ownProperties)
      : name(className), parent(parentClass), properties(std::move(ownProperties)) {}
  ClassInfo(const ClassInfo&) = delete;
  ClassInfo& operator=(const ClassInfo&) = delete;

  std::string name;
  const ClassInfo* parent;
  std::vector<PropertyInfo> properties;

  bool InheritsFrom(const ClassInfo& other) const;
  bool InheritsFrom(std::string_view className) const;  // exact letter case
};

// A Delphi-style set of an enumeration whose ordinals are 0..63.
template <typename E>
class EnumSet {
 public:
  constexpr EnumSet() = default;
  constexpr EnumSet(std::initializer_list<E> members) {
    for (E m : members) bits_ |= Bit(m);
  }
  static constexpr EnumSet FromBits(uint64_t bits) {
    EnumSet s;
    s.bits_ = bits;
    return s;
  }
  constexpr uint64_t Bits() const { return bits_; }
  constexpr bool Contains(E m) const { return (bits_ & Bit(m)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr EnumSet& Include(E m) {
    bits_ |= Bit(m);
    return *this;
  }
  constexpr EnumSet& Exclude(E m) {
    bits_ &= ~Bit(m);
    return *this;
  }
  friend constexpr bool operator==(EnumSet, EnumSet) = default;

 private:
  static constexpr uint64_t Bit(E m) { return uint64_t{1} << static_cast<unsigned>(m); }
  uint64_t bits_ = 0;
};

// ---- Listing and typed access ----------------------------------------------------------

enum class PropertyOrder {
  Declaration,  // base class properties first, each class in the order of its table
  ByName,       // sorted by name without regard to ASCII letter case
};

// Every published property of the object, inherited ones included. A class that declares a
// name its ancestor already published replaces that entry in place.
std::vector<const PropertyInfo*> GetPropList(const TPersistent& object,
                                             PropertyOrder order = PropertyOrder::Declaration);

// The published property of that name (ASCII letter case ignored), or nullptr.
const PropertyInfo* FindProperty(const TPersistent& object, std::string_view name);

bool IsStringKind(PropertyKind kind);
std::string_view PropertyKindName(PropertyKind kind);

// Typed access by table entry or by name. They throw EPropertyError for an unknown name, a
// property of another kind or a write to a read-only property.
PropertyValue GetPropValue(TPersistent& object, const PropertyInfo& prop);
void SetPropValue(TPersistent& object, const PropertyInfo& prop, const PropertyValue& value);

std::string GetStrProp(TPersistent& object, const PropertyInfo& prop);
std::string GetStrProp(TPersistent& object, std::string_view name);
void SetStrProp(TPersistent& object, const PropertyInfo& prop, const std::string& value);
void SetStrProp(TPersistent& object, std::string_view name, const std::string& value);

// Integer, Enumeration, Set and Boolean properties.
int64_t GetOrdProp(TPersistent& object, const PropertyInfo& prop);
int64_t GetOrdProp(TPersistent& object, std::string_view name);
void SetOrdProp(TPersistent& object, const PropertyInfo& prop, int64_t value);
void SetOrdProp(TPersistent& object, std::string_view name, int64_t value);

double GetFloatProp(TPersistent& object, std::string_view name);
void SetFloatProp(TPersistent& object, std::string_view name, double value);

// StringList and Object properties: a TStrings, a TCollection, a TComponent or nullptr.
TPersistent* GetObjectProp(TPersistent& object, const PropertyInfo& prop);
TPersistent* GetObjectProp(TPersistent& object, std::string_view name);
void SetObjectProp(TPersistent& object, const PropertyInfo& prop, TPersistent* value);
void SetObjectProp(TPersistent& object, std::string_view name, TPersistent* value);

// ---- Declaring properties ----------------------------------------------------------------
//
// Inside a class's table (see QV_PUBLISHED in Component.h), one line per property:
//
//   using P = Publish<TUrlHistory>;
//   P::Enum("SortField", "TSortFieldOption", &TUrlHistory::sortField_, &TUrlHistory::sortField_),
//   P::String("Search", "string", &TUrlHistory::Search, &TUrlHistory::SetSearch),
//   P::Strings("Lines", &TMemo::lines_),
//   P::Object<TCLMultiLangData>("LanguageData", &TCLMultiLang::LanguageData,
//                               &TCLMultiLang::SetLanguageData),
//   P::Event("OnChangeLanguage", "TNotifyEvent"),
//
// A getter is a data member or a member function without arguments; a setter is a data member,
// a member function taking the value, or nullptr for a read-only property. A setter that
// stores a reference to another component should ask for its FreeNotification and clear the
// reference in Notification, so that the reference never outlives the component.

// Setter marker for Object properties: writing assigns the value into the object the getter
// returns (for owned sub-objects such as collections), as list properties always do.
struct AssignInto {};

namespace property_detail {

template <typename T>
struct IsUniquePtr : std::false_type {};
template <typename T, typename D>
struct IsUniquePtr<std::unique_ptr<T, D>> : std::true_type {};

template <typename C, typename G>
decltype(auto) Read(C& object, G get) {
  if constexpr (std::is_member_object_pointer_v<G>) {
    return (object.*get);
  } else {
    return (object.*get)();
  }
}

template <typename C, typename S, typename V>
void Write(C& object, S set, V&& value) {
  if constexpr (std::is_member_object_pointer_v<S>) {
    object.*set = std::forward<V>(value);
  } else {
    (object.*set)(std::forward<V>(value));
  }
}

// The type a getter yields, without reference and const.
template <typename C, typename G>
using ValueType = std::remove_cvref_t<decltype(Read(std::declval<C&>(), std::declval<G>()))>;

// An owned sub-object held by value, by unique_ptr or by pointer, as a pointer.
template <typename X>
auto* AsPointer(X&& x) {
  using D = std::remove_cvref_t<X>;
  if constexpr (std::is_pointer_v<D>) {
    return x;
  } else if constexpr (IsUniquePtr<D>::value) {
    return x.get();
  } else {
    return &x;
  }
}

int64_t ToOrdinal(const PropertyValue& value, const std::string& name);
double ToFloat(const PropertyValue& value, const std::string& name);
const std::string& ToString(const PropertyValue& value, const std::string& name);
TPersistent* ToObject(const PropertyValue& value, const std::string& name);
[[noreturn]] void ThrowWrongClass(const std::string& name, const TPersistent* value);
void AssignPersistent(TPersistent* target, TPersistent* source, const std::string& name);

template <typename T>
uint64_t SetBits(const T& set) {
  if constexpr (std::is_integral_v<T>) {
    return static_cast<uint64_t>(set);
  } else {
    return set.Bits();
  }
}

template <typename T>
T SetFromBits(uint64_t bits) {
  if constexpr (std::is_integral_v<T>) {
    return static_cast<T>(bits);
  } else {
    return T::FromBits(bits);
  }
}

}  // namespace property_detail

template <typename C>
struct Publish {
  template <typename G, typename S>
  static PropertyInfo String(const char* name, const char* typeName, G get, S set) {
    PropertyInfo p{name, PropertyKind::String, typeName, nullptr, nullptr};
    p.get = [get](TPersistent& o) -> PropertyValue {
      return std::string(property_detail::Read(static_cast<C&>(o), get));
    };
    if constexpr (!std::is_null_pointer_v<S>) {
      p.set = [set, n = p.name](TPersistent& o, const PropertyValue& v) {
        property_detail::Write(static_cast<C&>(o), set, property_detail::ToString(v, n));
      };
    }
    return p;
  }

  // A list the object owns (declared type "TStrings"); writing assigns the given lines.
  template <typename G>
  static PropertyInfo Strings(const char* name, G get) {
    PropertyInfo p{name, PropertyKind::StringList, "TStrings", nullptr, nullptr};
    p.get = [get](TPersistent& o) -> PropertyValue {
      return static_cast<TPersistent*>(
          property_detail::AsPointer(property_detail::Read(static_cast<C&>(o), get)));
    };
    p.set = [get, n = p.name](TPersistent& o, const PropertyValue& v) {
      TPersistent* target =
          property_detail::AsPointer(property_detail::Read(static_cast<C&>(o), get));
      property_detail::AssignPersistent(target, property_detail::ToObject(v, n), n);
    };
    return p;
  }

  // A reference to an object of class T (its class name is the declared type). The setter
  // may be a member, a function taking T*, AssignInto{} or nullptr.
  template <typename T, typename G, typename S>
  static PropertyInfo Object(const char* name, G get, S set) {
    return Object<T>(name, T::StaticClass().name.c_str(), get, set);
  }

  // The same with a declared type name of its own (for a class declared without QV_CLASS).
  template <typename T, typename G, typename S>
  static PropertyInfo Object(const char* name, const char* typeName, G get, S set) {
    PropertyInfo p{name, PropertyKind::Object, typeName, nullptr, nullptr};
    p.get = [get](TPersistent& o) -> PropertyValue {
      return static_cast<TPersistent*>(
          property_detail::AsPointer(property_detail::Read(static_cast<C&>(o), get)));
    };
    if constexpr (std::is_same_v<S, AssignInto>) {
      p.set = [get, n = p.name](TPersistent& o, const PropertyValue& v) {
        TPersistent* target =
            property_detail::AsPointer(property_detail::Read(static_cast<C&>(o), get));
        property_detail::AssignPersistent(target, property_detail::ToObject(v, n), n);
      };
    } else if constexpr (!std::is_null_pointer_v<S>) {
      p.set = [set, n = p.name](TPersistent& o, const PropertyValue& v) {
        TPersistent* value = property_detail::ToObject(v, n);
        T* typed = dynamic_cast<T*>(value);
        if (value && !typed) property_detail::ThrowWrongClass(n, value);
        property_detail::Write(static_cast<C&>(o), set, typed);
      };
    }
    return p;
  }

  template <typename G, typename S>
  static PropertyInfo Integer(const char* name, const char* typeName, G get, S set) {
    return Ordinal(name, PropertyKind::Integer, typeName, get, set);
  }

  template <typename G, typename S>
  static PropertyInfo Enum(const char* name, const char* typeName, G get, S set) {
    return Ordinal(name, PropertyKind::Enumeration, typeName, get, set);
  }

  template <typename G, typename S>
  static PropertyInfo Boolean(const char* name, G get, S set) {
    return Ordinal(name, PropertyKind::Boolean, "Boolean", get, set);
  }

  // The getter yields an EnumSet or an unsigned integer of member bits.
  template <typename G, typename S>
  static PropertyInfo Set(const char* name, const char* typeName, G get, S set) {
    using V = property_detail::ValueType<C, G>;
    PropertyInfo p{name, PropertyKind::Set, typeName, nullptr, nullptr};
    p.get = [get](TPersistent& o) -> PropertyValue {
      return static_cast<int64_t>(
          property_detail::SetBits(property_detail::Read(static_cast<C&>(o), get)));
    };
    if constexpr (!std::is_null_pointer_v<S>) {
      p.set = [set, n = p.name](TPersistent& o, const PropertyValue& v) {
        property_detail::Write(
            static_cast<C&>(o), set,
            property_detail::SetFromBits<V>(static_cast<uint64_t>(property_detail::ToOrdinal(v, n))));
      };
    }
    return p;
  }

  template <typename G, typename S>
  static PropertyInfo Float(const char* name, const char* typeName, G get, S set) {
    using V = property_detail::ValueType<C, G>;
    PropertyInfo p{name, PropertyKind::Float, typeName, nullptr, nullptr};
    p.get = [get](TPersistent& o) -> PropertyValue {
      return static_cast<double>(property_detail::Read(static_cast<C&>(o), get));
    };
    if constexpr (!std::is_null_pointer_v<S>) {
      p.set = [set, n = p.name](TPersistent& o, const PropertyValue& v) {
        property_detail::Write(static_cast<C&>(o), set,
                               static_cast<V>(property_detail::ToFloat(v, n)));
      };
    }
    return p;
  }

  // Events are listed with their declared type so that walkers know to skip them.
  static PropertyInfo Event(const char* name, const char* typeName) {
    return PropertyInfo{name, PropertyKind::Event, typeName, nullptr, nullptr};
  }

 private:
  template <typename G, typename S>
  static PropertyInfo Ordinal(const char* name, PropertyKind kind, const char* typeName, G get,
                              S set) {
    using V = property_detail::ValueType<C, G>;
    PropertyInfo p{name, kind, typeName, nullptr, nullptr};
    p.get = [get](TPersistent& o) -> PropertyValue {
      return static_cast<int64_t>(property_detail::Read(static_cast<C&>(o), get));
    };
    if constexpr (!std::is_null_pointer_v<S>) {
      p.set = [set, n = p.name](TPersistent& o, const PropertyValue& v) {
        int64_t ordinal = property_detail::ToOrdinal(v, n);
        if constexpr (std::is_same_v<V, bool>) {
          property_detail::Write(static_cast<C&>(o), set, ordinal != 0);
        } else {
          property_detail::Write(static_cast<C&>(o), set, static_cast<V>(ordinal));
        }
      };
    }
    return p;
  }
};

}  // namespace qv
