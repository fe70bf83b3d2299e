// clsSortData: one key/data pair of an array sorted by QuickSort. Both
// properties are Variants that may hold a value or an object.
#pragma once

#include "frame/dispatch.h"

namespace qxvb {

class clsSortData : public Dispatch {
 public:
  const DispatchTable& dispatchTable() const override;

  Variant Key;
  Variant Data;
};

Object makeclsSortData();

}  // namespace qxvb
