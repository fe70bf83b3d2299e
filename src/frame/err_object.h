// The run time's error object (VB's Err): what callers hand to members that
// capture an error, such as QXSaveErrInfoFromErr.
#pragma once

#include <cstdint>
#include <string>

#include "frame/dispatch.h"

namespace qxvb {

class AutomationError;

class ErrObject : public Dispatch {
 public:
  ErrObject() = default;
  explicit ErrObject(const AutomationError& error);

  const DispatchTable& dispatchTable() const override;

  int32_t Number = 0;
  std::string Source;
  std::string Description;
  std::string HelpFile;
  int32_t HelpContext = 0;

  void Clear();
  // Raises the error the object describes, as Err.Raise does.
  [[noreturn]] void Raise() const;
};

}  // namespace qxvb
