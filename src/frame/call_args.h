// The arguments of one late-bound call as a member table's handler sees
// them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "frame/variant.h"

namespace qxvb {

// The arguments of one late-bound call, with defaults already in place.
// Writing an argument is how a member passes a by-reference output back.
class CallArgs {
 public:
  explicit CallArgs(std::vector<Variant>& values) : values_(values) {}

  size_t size() const { return values_.size(); }
  const Variant& operator[](size_t i) const { return values_[i]; }
  Variant& at(size_t i) { return values_[i]; }
  void set(size_t i, Variant v) { values_[i] = std::move(v); }

  bool missing(size_t i) const { return values_[i].isMissing(); }
  std::string str(size_t i) const;
  int32_t lng(size_t i) const;
  int16_t integer(size_t i) const;
  double dbl(size_t i) const;
  bool boolean(size_t i) const;
  Object object(size_t i) const;

 private:
  std::vector<Variant>& values_;
};

}  // namespace qxvb
