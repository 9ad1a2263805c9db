// Listing published properties along the class chain, and typed access through the table.
#include "toolkit/Properties.h"

#include <algorithm>

#include "toolkit/Component.h"
#include "util/Text.h"

namespace qv {

namespace {

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool LessText(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return UpperAscii(x) < UpperAscii(y); });
}

[[noreturn]] void ThrowWrongKind(const PropertyInfo& prop, std::string_view wanted) {
  throw EPropertyError("Property " + prop.name + " is of kind " +
                       std::string(PropertyKindName(prop.kind)) + ", not " + std::string(wanted));
}

const PropertyInfo& Require(const TPersistent& object, std::string_view name) {
  const PropertyInfo* prop = FindProperty(object, name);
  if (!prop) {
    throw EPropertyError(object.ClassName() + " has no property " + std::string(name));
  }
  return *prop;
}

bool IsOrdinalKind(PropertyKind kind) {
  return kind == PropertyKind::Integer || kind == PropertyKind::Enumeration ||
         kind == PropertyKind::Set || kind == PropertyKind::Boolean;
}

bool IsObjectKind(PropertyKind kind) {
  return kind == PropertyKind::StringList || kind == PropertyKind::Object;
}

}  // namespace

bool ClassInfo::InheritsFrom(const ClassInfo& other) const {
  for (const ClassInfo* c = this; c; c = c->parent) {
    if (c == &other) return true;
  }
  return false;
}

bool ClassInfo::InheritsFrom(std::string_view className) const {
  for (const ClassInfo* c = this; c; c = c->parent) {
    if (c->name == className) return true;
  }
  return false;
}

std::vector<const PropertyInfo*> GetPropList(const TPersistent& object, PropertyOrder order) {
  std::vector<const ClassInfo*> chain;
  for (const ClassInfo* c = &object.ClassType(); c; c = c->parent) chain.push_back(c);

  std::vector<const PropertyInfo*> list;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    for (const PropertyInfo& prop : (*it)->properties) {
      auto same = std::find_if(list.begin(), list.end(), [&](const PropertyInfo* p) {
        return SameText(p->name, prop.name);
      });
      if (same != list.end()) {
        *same = &prop;
      } else {
        list.push_back(&prop);
      }
    }
  }
  if (order == PropertyOrder::ByName) {
    std::stable_sort(list.begin(), list.end(), [](const PropertyInfo* a, const PropertyInfo* b) {
      return LessText(a->name, b->name);
    });
  }
  return list;
}

const PropertyInfo* FindProperty(const TPersistent& object, std::string_view name) {
  // Nearest class first, so a redeclared property wins over its ancestor's.
  for (const ClassInfo* c = &object.ClassType(); c; c = c->parent) {
    for (const PropertyInfo& prop : c->properties) {
      if (SameText(prop.name, name)) return &prop;
    }
  }
  return nullptr;
}

bool IsStringKind(PropertyKind kind) { return kind == PropertyKind::String; }

std::string_view PropertyKindName(PropertyKind kind) {
  switch (kind) {
    case PropertyKind::String: return "string";
    case PropertyKind::StringList: return "string list";
    case PropertyKind::Object: return "object";
    case PropertyKind::Integer: return "integer";
    case PropertyKind::Enumeration: return "enumeration";
    case PropertyKind::Set: return "set";
    case PropertyKind::Event: return "event";
    case PropertyKind::Boolean: return "boolean";
    case PropertyKind::Float: return "float";
  }
  return "unknown";
}

PropertyValue GetPropValue(TPersistent& object, const PropertyInfo& prop) {
  if (!prop.get) throw EPropertyError("Property " + prop.name + " cannot be read");
  return prop.get(object);
}

void SetPropValue(TPersistent& object, const PropertyInfo& prop, const PropertyValue& value) {
  if (!prop.set) throw EPropertyError("Property " + prop.name + " is read-only");
  prop.set(object, value);
}

std::string GetStrProp(TPersistent& object, const PropertyInfo& prop) {
  if (!IsStringKind(prop.kind)) ThrowWrongKind(prop, "string");
  return std::get<std::string>(GetPropValue(object, prop));
}

std::string GetStrProp(TPersistent& object, std::string_view name) {
  return GetStrProp(object, Require(object, name));
}

void SetStrProp(TPersistent& object, const PropertyInfo& prop, const std::string& value) {
  if (!IsStringKind(prop.kind)) ThrowWrongKind(prop, "string");
  SetPropValue(object, prop, value);
}

void SetStrProp(TPersistent& object, std::string_view name, const std::string& value) {
  SetStrProp(object, Require(object, name), value);
}

int64_t GetOrdProp(TPersistent& object, const PropertyInfo& prop) {
  if (!IsOrdinalKind(prop.kind)) ThrowWrongKind(prop, "ordinal");
  return std::get<int64_t>(GetPropValue(object, prop));
}

int64_t GetOrdProp(TPersistent& object, std::string_view name) {
  return GetOrdProp(object, Require(object, name));
}

void SetOrdProp(TPersistent& object, const PropertyInfo& prop, int64_t value) {
  if (!IsOrdinalKind(prop.kind)) ThrowWrongKind(prop, "ordinal");
  SetPropValue(object, prop, value);
}

void SetOrdProp(TPersistent& object, std::string_view name, int64_t value) {
  SetOrdProp(object, Require(object, name), value);
}

double GetFloatProp(TPersistent& object, std::string_view name) {
  const PropertyInfo& prop = Require(object, name);
  if (prop.kind != PropertyKind::Float) ThrowWrongKind(prop, "float");
  return std::get<double>(GetPropValue(object, prop));
}

void SetFloatProp(TPersistent& object, std::string_view name, double value) {
  const PropertyInfo& prop = Require(object, name);
  if (prop.kind != PropertyKind::Float) ThrowWrongKind(prop, "float");
  SetPropValue(object, prop, value);
}

TPersistent* GetObjectProp(TPersistent& object, const PropertyInfo& prop) {
  if (!IsObjectKind(prop.kind)) ThrowWrongKind(prop, "object");
  return std::get<TPersistent*>(GetPropValue(object, prop));
}

TPersistent* GetObjectProp(TPersistent& object, std::string_view name) {
  return GetObjectProp(object, Require(object, name));
}

void SetObjectProp(TPersistent& object, const PropertyInfo& prop, TPersistent* value) {
  if (!IsObjectKind(prop.kind)) ThrowWrongKind(prop, "object");
  SetPropValue(object, prop, value);
}

void SetObjectProp(TPersistent& object, std::string_view name, TPersistent* value) {
  SetObjectProp(object, Require(object, name), value);
}

namespace property_detail {

int64_t ToOrdinal(const PropertyValue& value, const std::string& name) {
  if (const auto* v = std::get_if<int64_t>(&value)) return *v;
  throw EPropertyError("Property " + name + " needs an ordinal value");
}

double ToFloat(const PropertyValue& value, const std::string& name) {
  if (const auto* v = std::get_if<double>(&value)) return *v;
  if (const auto* v = std::get_if<int64_t>(&value)) return static_cast<double>(*v);
  throw EPropertyError("Property " + name + " needs a float value");
}

const std::string& ToString(const PropertyValue& value, const std::string& name) {
  if (const auto* v = std::get_if<std::string>(&value)) return *v;
  throw EPropertyError("Property " + name + " needs a string value");
}

TPersistent* ToObject(const PropertyValue& value, const std::string& name) {
  if (const auto* v = std::get_if<TPersistent*>(&value)) return *v;
  if (std::holds_alternative<std::monostate>(value)) return nullptr;
  throw EPropertyError("Property " + name + " needs an object value");
}

void ThrowWrongClass(const std::string& name, const TPersistent* value) {
  throw EPropertyError("Property " + name + " cannot hold a " + value->ClassName());
}

void AssignPersistent(TPersistent* target, TPersistent* source, const std::string& name) {
  if (!target) throw EPropertyError("Property " + name + " holds no object to assign to");
  target->Assign(source);
}

}  // namespace property_detail

}  // namespace qv
