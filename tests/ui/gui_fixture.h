// Set-up of the tests that meet windows: the program's private X server
// with its window manager, the Qt application on it, and a fresh library
// state on the thread.
#pragma once

#include <gtest/gtest.h>

#include "frame/module_state.h"
#include "support/gui_driver.h"
#include "support/x_server.h"
#include "ui/picture/gui_application.h"

namespace qxvb::test {

class GuiTest : public ::testing::Test {
 protected:
  // The server first, then the library's application on it, so widgets
  // made by the tests themselves (QTest) have their application.
  static void SetUpTestSuite() {
    sharedXServer();
    gui::ensureGuiApplication();
  }
  void SetUp() override { unloadThread(); }
  void TearDown() override { unloadThread(); }
};

}  // namespace qxvb::test
