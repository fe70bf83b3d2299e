#include "text/sorting.h"

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "frame/automation_error.h"
#include "frame/vb_conversions.h"
#include "platform/unicode.h"
#include "text/cls_sort_data.h"

namespace qxvb {

namespace {

std::mt19937& generator() {
  thread_local std::mt19937 engine{std::random_device{}()};
  return engine;
}

clsSortData& sortDataAt(const Variant& element) {
  const Object* object = element.get<Object>();
  if (object == nullptr) raiseVbError(vberr::TypeMismatch);
  if (!*object) raiseVbError(vberr::ObjectNotSet);
  auto* data = dynamic_cast<clsSortData*>(object->get());
  if (data == nullptr) raiseVbError(vberr::TypeMismatch);
  return *data;
}

// One element while sorting: its key, the key's collation bytes when it is
// text (so the collator runs once per element, not once per comparison),
// and the element itself.
struct Entry {
  const Variant* key;
  std::string collated;
  bool text;
  Variant item;
};

int compareEntries(const Entry& a, const Entry& b) {
  if (a.text && b.text) {
    const int c = a.collated.compare(b.collated);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  return compareSortKeys(*a.key, *b.key);
}

class EntrySorter {
 public:
  explicit EntrySorter(std::vector<Entry>& entries) : entries_(entries) {}

  void sort(int32_t left, int32_t right) {
    // The larger side is sorted by the loop, so the stack only grows with
    // the smaller sides.
    while (left < right) {
      auto [j, i] = partition(left, right);
      if (j - left < right - i) {
        if (left < j) sort(left, j);
        left = i;
      } else {
        if (i < right) sort(i, right);
        right = j;
      }
    }
  }

 private:
  Entry& at(int32_t index) const { return entries_[static_cast<size_t>(index)]; }
  bool less(const Entry& a, const Entry& b) const { return compareEntries(a, b) < 0; }

  int32_t randomIndex(int32_t left, int32_t right) {
    std::uniform_int_distribution<int32_t> pick(left, right);
    return pick(generator());
  }

  // The median of three elements picked at random; returns its index.
  int32_t medianIndex(int32_t left, int32_t right) {
    const int32_t a = randomIndex(left, right);
    const int32_t b = randomIndex(left, right);
    const int32_t c = randomIndex(left, right);
    if (less(at(a), at(b))) {
      if (less(at(b), at(c))) return b;
      return less(at(a), at(c)) ? c : a;
    }
    if (less(at(a), at(c))) return a;
    return less(at(b), at(c)) ? c : b;
  }

  // Returns the new j and i: the left part ends at j, the right starts at i.
  std::pair<int32_t, int32_t> partition(int32_t left, int32_t right) {
    // The pivot is a copy: the swaps below move the entries around.
    const int32_t m = medianIndex(left, right);
    const Entry pivot{at(m).key, at(m).collated, at(m).text, Variant()};
    int32_t i = left;
    int32_t j = right;
    do {
      while (i < right && less(at(i), pivot)) ++i;
      while (j > left && less(pivot, at(j))) --j;
      if (i <= j) {
        std::swap(at(i), at(j));
        ++i;
        --j;
      }
    } while (i <= j);
    return {j, i};
  }

  std::vector<Entry>& entries_;
};

}  // namespace

int compareSortKeys(const Variant& a, const Variant& b) {
  const auto* textA = a.get<std::string>();
  const auto* textB = b.get<std::string>();
  if (textA != nullptr && textB != nullptr) return unicode::compareText(*textA, *textB);
  return compareVariants(a, b).value_or(0);
}

void quickSortByKey(Variant& array, int32_t left, int32_t right) {
  auto* items = array.get<VariantArray>();
  if (items == nullptr) raiseVbError(vberr::TypeMismatch);
  if (right == 0) {
    left = items->lbound;
    right = items->ubound();
  }
  if (left > right) return;
  if (left < items->lbound || right > items->ubound()) raiseVbError(vberr::SubscriptOutOfRange);
  // A single element is still checked: its key is the pivot.
  const auto first = static_cast<size_t>(left - items->lbound);
  const auto count = static_cast<size_t>(right - left) + 1;
  std::vector<Entry> entries;
  entries.reserve(count);
  for (size_t n = 0; n < count; ++n) {
    // Copied, not moved: an element of the wrong type further on stops the
    // sort with the caller's array untouched.
    const Variant& element = items->items[first + n];
    const Variant& key = sortDataAt(element).Key;
    const auto* text = key.get<std::string>();
    entries.push_back(Entry{&key, text != nullptr ? unicode::sortKey(*text) : std::string(),
                            text != nullptr, element});
  }
  if (count == 1) return;
  // The keys live in the clsSortData objects, which the entries' copies
  // keep alive, so the pointers stay valid while the entries move.
  EntrySorter(entries).sort(0, static_cast<int32_t>(count) - 1);
  for (size_t n = 0; n < count; ++n) items->items[first + n] = std::move(entries[n].item);
}

}  // namespace qxvb
