#include "text/sorting.h"

#include <random>
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

class KeySorter {
 public:
  KeySorter(std::vector<Variant>& items, int32_t lbound) : items_(items), lbound_(lbound) {}

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
  const Variant& key(int32_t index) const { return sortDataAt(item(index)).Key; }
  Variant& item(int32_t index) const { return items_[static_cast<size_t>(index - lbound_)]; }

  bool less(const Variant& a, const Variant& b) const { return compareSortKeys(a, b) < 0; }

  int32_t randomIndex(int32_t left, int32_t right) {
    std::uniform_int_distribution<int32_t> pick(left, right);
    return pick(generator());
  }

  Variant medianKey(int32_t left, int32_t right) {
    const Variant& a = key(randomIndex(left, right));
    const Variant& b = key(randomIndex(left, right));
    const Variant& c = key(randomIndex(left, right));
    if (less(a, b)) {
      if (less(b, c)) return b;
      return less(a, c) ? c : a;
    }
    if (less(a, c)) return a;
    return less(b, c) ? c : b;
  }

  // Returns the new j and i: the left part ends at j, the right starts at i.
  std::pair<int32_t, int32_t> partition(int32_t left, int32_t right) {
    const Variant pivot = medianKey(left, right);
    int32_t i = left;
    int32_t j = right;
    do {
      while (i < right && less(key(i), pivot)) ++i;
      while (j > left && less(pivot, key(j))) --j;
      if (i <= j) {
        std::swap(item(i), item(j));
        ++i;
        --j;
      }
    } while (i <= j);
    return {j, i};
  }

  std::vector<Variant>& items_;
  int32_t lbound_;
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
  if (left >= right) return;
  if (left < items->lbound || right > items->ubound()) raiseVbError(vberr::SubscriptOutOfRange);
  for (int32_t index = left; index <= right; ++index) {
    sortDataAt(items->items[static_cast<size_t>(index - items->lbound)]);
  }
  KeySorter(items->items, items->lbound).sort(left, right);
}

}  // namespace qxvb
