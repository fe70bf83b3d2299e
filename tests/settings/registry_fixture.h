// Shared set-up of the registry class tests: the product's keys under both
// roots are removed before every test, and the thread's library state is
// dropped after it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "frame/module_state.h"
#include "platform/registry/registry_store.h"

namespace qxvb::test {

class RegistrySettingsTest : public ::testing::Test {
 protected:
  static constexpr int32_t kHKCU = static_cast<int32_t>(0x80000001u);
  static constexpr int32_t kHKLM = static_cast<int32_t>(0x80000002u);
  static constexpr registry::RootKey kUser = registry::RootKey::CurrentUser;
  static constexpr registry::RootKey kMachine = registry::RootKey::LocalMachine;
  static inline const std::string kProduct = "Software\\Brackwell\\Quillane";

  void SetUp() override {
    registry::closeThreadConnections();
    registry::deleteTree(kUser, kProduct);
    registry::deleteTree(kMachine, kProduct);
  }
  void TearDown() override { unloadThread(); }
};

}  // namespace qxvb::test
