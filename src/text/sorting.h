// QuickSort of clsSortData objects by their Key, with a random
// median-of-three pivot and the platform's text comparison (case-
// insensitive, locale-aware) for keys that are text.
#pragma once

#include <cstdint>

#include "frame/variant.h"

namespace qxvb {

// Sorts the elements left to right (array indexes, counted from the
// array's lower bound) in place. right = 0 sorts the whole array. Raises
// 13 for a value that is not an array or an element that is not a
// clsSortData object, 91 for an element that is Nothing, 9 for indexes
// outside the array.
void quickSortByKey(Variant& array, int32_t left, int32_t right);

// The comparison of two keys: <0, 0 or >0. Text against text is compared
// with the platform's text comparison, anything else as VB compares
// Variants; Null compares as neither less nor greater.
int compareSortKeys(const Variant& a, const Variant& b);

}  // namespace qxvb
