#include "support/shared_slapd.h"

#include <gtest/gtest.h>

#include "support/sandbox.h"

namespace qxvb::test {

namespace {

// Stops the server before the test main removes the sandbox it lives in.
class SlapdEnvironment : public ::testing::Environment {
 public:
  void TearDown() override { sharedSlapd().stop(); }
};

[[maybe_unused]] const auto* const kSlapdEnvironment =
    ::testing::AddGlobalTestEnvironment(new SlapdEnvironment);

}  // namespace

SlapdServer& sharedSlapd() {
  static SlapdServer server;
  return server;
}

bool ensureSharedSlapd(std::string& error) {
  static bool tried = false;
  static std::string startError;
  if (!tried) {
    tried = true;
    sharedSlapd().start(freshFolder("slapd"), startError);
  }
  error = startError;
  return sharedSlapd().running();
}

}  // namespace qxvb::test
