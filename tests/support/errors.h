// Helpers for tests that expect automation errors.
#pragma once

#include <cstdint>
#include <functional>

#include "frame/automation_error.h"

namespace qxvb::test {

// The number of the automation error f raises, or 0 when it raises none.
inline int32_t errorNumber(const std::function<void()>& f) {
  try {
    f();
  } catch (const AutomationError& e) {
    return e.number();
  }
  return 0;
}

}  // namespace qxvb::test
