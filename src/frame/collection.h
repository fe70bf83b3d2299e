// VB's Collection: items numbered from 1, each with an optional key that is
// compared without regard to case.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "frame/dispatch.h"

namespace qxvb {

class Collection : public Dispatch {
 public:
  const DispatchTable& dispatchTable() const override;

  // Adds an item at the end, or before/after the item given by index or
  // key. A key already present raises 457.
  void Add(Variant item, std::optional<std::string> key = std::nullopt,
           const Variant& before = Variant::missing(), const Variant& after = Variant::missing());
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // index is a 1-based number or a key; a missing key raises 5, an index
  // out of range raises 9.
  const Variant& Item(const Variant& index) const;
  void Remove(const Variant& index);

  bool hasKey(std::string_view key) const;
  // The key of item i (1-based), if it has one.
  std::optional<std::string> keyAt(int32_t index) const;

 private:
  struct Entry {
    Variant value;
    std::optional<std::string> key;
  };
  size_t position(const Variant& index) const;
  void reindex();

  std::vector<Entry> items_;
  std::unordered_map<std::string, size_t> keys_;  // folded key -> position
};

}  // namespace qxvb
