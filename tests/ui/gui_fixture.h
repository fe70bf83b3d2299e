// Set-up of the tests that meet windows: the program's private X server
// with its window manager, and a fresh library state on the thread.
#pragma once

#include <gtest/gtest.h>

#include "frame/module_state.h"
#include "support/gui_driver.h"
#include "support/x_server.h"

namespace qxvb::test {

class GuiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sharedXServer(); }
  void SetUp() override { unloadThread(); }
  void TearDown() override { unloadThread(); }
};

}  // namespace qxvb::test
