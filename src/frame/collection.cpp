#include "frame/collection.h"

#include "frame/automation_error.h"
#include "frame/vb_conversions.h"
#include "platform/unicode.h"

namespace qxvb {

namespace {
bool isKeyLike(const Variant& v) {
  return v.type() == VarType::String;
}
}  // namespace

size_t Collection::position(const Variant& index) const {
  if (isKeyLike(index)) {
    const auto it = keys_.find(unicode::foldCase(*index.get<std::string>()));
    if (it == keys_.end()) raiseVbError(vberr::InvalidProcedureCall);
    return it->second;
  }
  const int32_t i = CLng(index);
  if (i < 1 || i > Count()) raiseVbError(vberr::SubscriptOutOfRange);
  return static_cast<size_t>(i - 1);
}

void Collection::reindex() {
  keys_.clear();
  for (size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].key) keys_.emplace(unicode::foldCase(*items_[i].key), i);
  }
}

void Collection::Add(Variant item, std::optional<std::string> key, const Variant& before,
                     const Variant& after) {
  if (key && keys_.count(unicode::foldCase(*key)) != 0) raiseVbError(vberr::DuplicateKey);
  if (!before.isMissing() && !after.isMissing()) raiseVbError(vberr::InvalidProcedureCall);
  size_t at = items_.size();
  if (!before.isMissing()) at = position(before);
  if (!after.isMissing()) at = position(after) + 1;
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at),
                Entry{std::move(item), std::move(key)});
  if (at + 1 == items_.size() && items_.back().key) {
    keys_.emplace(unicode::foldCase(*items_.back().key), at);
  } else {
    reindex();
  }
}

const Variant& Collection::Item(const Variant& index) const {
  return items_[position(index)].value;
}

void Collection::Remove(const Variant& index) {
  const size_t at = position(index);
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(at));
  reindex();
}

bool Collection::hasKey(std::string_view key) const {
  return keys_.count(unicode::foldCase(key)) != 0;
}

std::optional<std::string> Collection::keyAt(int32_t index) const {
  if (index < 1 || index > Count()) raiseVbError(vberr::SubscriptOutOfRange);
  return items_[static_cast<size_t>(index - 1)].key;
}

const DispatchTable& Collection::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("Collection");
    Members<Collection>(t)
        .method("Add", {in("Item"), opt("Key"), opt("Before"), opt("After")},
                [](Collection& c, CallArgs& a) {
                  std::optional<std::string> key;
                  if (!a.missing(1)) key = a.str(1);
                  c.Add(a[0], key, a[2], a[3]);
                  return Variant();
                })
        .method<&Collection::Count>("Count", {})
        .method<&Collection::Item>("Item", {in("Index")})
        .method<&Collection::Remove>("Remove", {in("Index")});
    return t;
  }();
  return table;
}

}  // namespace qxvb
