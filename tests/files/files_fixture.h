// Shared set-up of the file utility tests: a fresh default profile and a
// fresh library state on the thread for every test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "components/qxdutils/qxdutils_component.h"
#include "files/qx_file_utils.h"
#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/module_state.h"
#include "settings/qxdutilsvb.h"
#include "support/errors.h"
#include "support/sandbox.h"

namespace qxvb::test {

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::remove(qxdutils::defaultProfilePath());
    unloadThread();
  }
  void TearDown() override { unloadThread(); }

  static std::shared_ptr<QX_File_Utils> newUtils() {
    return std::static_pointer_cast<QX_File_Utils>(createObject("QXVBUtils.QX_File_Utils"));
  }

  static void setUtilSetting(const std::string& name, const std::string& value) {
    sharedQXDUtilsVB()->QXDUtilsVB_SetUtilSetting(Variant(name), Variant(value));
  }

  static std::string text(const std::filesystem::path& p) { return p.string(); }
};

}  // namespace qxvb::test
