// A catalogue class whose members arrive with a later subsystem: it can be
// created and named, and answers 438 for every member until then.
#pragma once

#include <string>

#include "frame/dispatch.h"

namespace qxvb {

class PendingClass : public Dispatch {
 public:
  explicit PendingClass(const std::string& className);
  const DispatchTable& dispatchTable() const override { return *table_; }

 private:
  const DispatchTable* table_;
};

}  // namespace qxvb
