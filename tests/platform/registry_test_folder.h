// Gives each registry test its own databases: the per-user and machine
// folders point at a fresh folder for the test's duration.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "platform/registry/registry_store.h"
#include "support/sandbox.h"

namespace qxvb::test {

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = freshFolder("registry");
    setenv("XDG_CONFIG_HOME", (folder_ / "config").c_str(), 1);
    setenv("QXVB_MACHINE_DIR", (folder_ / "machine").c_str(), 1);
    registry::clearFailures();
  }
  void TearDown() override {
    registry::closeThreadConnections();
    setenv("XDG_CONFIG_HOME", (sandboxRoot() / "config").c_str(), 1);
    setenv("QXVB_MACHINE_DIR", (sandboxRoot() / "machine").c_str(), 1);
  }
  const std::filesystem::path& folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
};

}  // namespace qxvb::test
