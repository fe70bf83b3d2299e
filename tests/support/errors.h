// Helpers for tests that expect automation errors.
#pragma once

#include <gtest/gtest.h>

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

// The automation error f raises. Raising none fails the test, and the
// error returned then has number 0.
inline AutomationError errorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const AutomationError& e) {
    return e;
  }
  ADD_FAILURE() << "no error was raised";
  return AutomationError(0, "", "");
}

// Expects f to raise the automation error `number`.
inline void expectError(int32_t number, const std::function<void()>& f) {
  try {
    f();
    ADD_FAILURE() << "no error raised, expected " << number;
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), number) << e.description();
  }
}

}  // namespace qxvb::test
