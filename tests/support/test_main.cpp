#include <gtest/gtest.h>

#include <filesystem>

#include "support/sandbox.h"

int main(int argc, char** argv) {
  // Set up the sandbox before any test touches the library's state.
  const std::filesystem::path root = qxvb::test::sandboxRoot();
  ::testing::InitGoogleTest(&argc, argv);
  const int rc = RUN_ALL_TESTS();
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
  return rc;
}
