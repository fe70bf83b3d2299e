// One slapd for the whole test program, started by the first test that
// needs it and stopped when the program's tests are done.
#pragma once

#include <string>

#include "support/slapd_server.h"

namespace qxvb::test {

// Starts the shared server on the first call. False, with the reason in
// error, when it did not start; later calls give the same answer.
bool ensureSharedSlapd(std::string& error);

SlapdServer& sharedSlapd();

}  // namespace qxvb::test
