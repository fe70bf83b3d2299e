// The Properties collection of a connection or command: named values the
// caller reads and sets by name (without regard to case) or by position.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "frame/dispatch.h"

namespace qxvb::ado {

struct PropertyEntry {
  std::string name;
  Variant value;
  int32_t type = 0;        // ADO DataTypeEnum
  int32_t attributes = 0;  // ADO PropertyAttributesEnum
};

// The values themselves, shared by the collection, its Property objects and
// the owner that reads them.
class PropertyStore {
 public:
  void define(std::string name, Variant value, int32_t type);
  // The entry of a name, or null.
  PropertyEntry* find(std::string_view name);
  const PropertyEntry* find(std::string_view name) const;
  std::vector<PropertyEntry>& entries() { return entries_; }
  const std::vector<PropertyEntry>& entries() const { return entries_; }

 private:
  std::vector<PropertyEntry> entries_;
};

class Property : public Dispatch {
 public:
  Property(std::shared_ptr<PropertyStore> store, size_t index)
      : store_(std::move(store)), index_(index) {}
  const DispatchTable& dispatchTable() const override;

  const std::string& Name() const { return entry().name; }
  const Variant& Value() const { return entry().value; }
  void setValue(Variant value) { entry().value = std::move(value); }

 private:
  PropertyEntry& entry() const { return store_->entries()[index_]; }
  std::shared_ptr<PropertyStore> store_;
  size_t index_;
};

class Properties : public Dispatch {
 public:
  explicit Properties(std::shared_ptr<PropertyStore> store) : store_(std::move(store)) {}
  const DispatchTable& dispatchTable() const override;

  int32_t Count() const { return static_cast<int32_t>(store_->entries().size()); }
  // By name or by position 0..Count-1; anything else raises 3265.
  std::shared_ptr<Property> Item(const Variant& index) const;

 private:
  std::shared_ptr<PropertyStore> store_;
};

}  // namespace qxvb::ado
