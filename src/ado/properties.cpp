#include "ado/properties.h"

#include "ado/ado_constants.h"
#include "ado/ado_errors.h"
#include "ado/names.h"
#include "frame/vb_conversions.h"

namespace qxvb::ado {

void PropertyStore::define(std::string name, Variant value, int32_t type) {
  if (PropertyEntry* existing = find(name)) {
    existing->value = std::move(value);
    return;
  }
  entries_.push_back(
      PropertyEntry{std::move(name), std::move(value), type, adPropRead | adPropWrite});
}

PropertyEntry* PropertyStore::find(std::string_view name) {
  for (auto& e : entries_) {
    if (sameName(e.name, name)) return &e;
  }
  return nullptr;
}

const PropertyEntry* PropertyStore::find(std::string_view name) const {
  for (const auto& e : entries_) {
    if (sameName(e.name, name)) return &e;
  }
  return nullptr;
}

const DispatchTable& Property::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("Property");
    Members<Property>(t)
        .get<&Property::Name>("Name", {})
        .get<&Property::Value>("Value", {})
        .put<&Property::setValue>("Value", {in("Value")})
        .get<&Property::Value>("_Default", {})
        .put<&Property::setValue>("_Default", {in("Value")})
        .get("Type", {}, [](Property& p, CallArgs&) { return Variant(p.entry().type); })
        .get("Attributes", {},
             [](Property& p, CallArgs&) { return Variant(p.entry().attributes); });
    return t;
  }();
  return table;
}

std::shared_ptr<Property> Properties::Item(const Variant& index) const {
  auto& entries = store_->entries();
  if (index.type() == VarType::String) {
    for (size_t i = 0; i < entries.size(); ++i) {
      if (sameName(entries[i].name, *index.get<std::string>())) {
        return std::make_shared<Property>(store_, i);
      }
    }
    raise(err::kItemNotFound, "ADODB.Properties");
  }
  if (!index.isNumeric()) raise(err::kItemNotFound, "ADODB.Properties");
  const int32_t i = CLng(index);
  if (i < 0 || static_cast<size_t>(i) >= entries.size())
    raise(err::kItemNotFound, "ADODB.Properties");
  return std::make_shared<Property>(store_, static_cast<size_t>(i));
}

const DispatchTable& Properties::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("Properties");
    Members<Properties>(t)
        .get<&Properties::Count>("Count", {})
        .get<&Properties::Item>("Item", {in("Index")})
        .get<&Properties::Item>("_Default", {in("Index")})
        .method("Refresh", {}, [](Properties&, CallArgs&) { return Variant(); });
    return t;
  }();
  return table;
}

}  // namespace qxvb::ado
