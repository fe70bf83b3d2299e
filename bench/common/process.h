// Programs a benchmark starts and waits for, without a shell in between
// (a shell would add its own start-up to what is measured).
#pragma once

#include <string>
#include <vector>

namespace qxvb::bench {

// Runs arguments[0] (a full path) with its output and errors sent to
// /dev/null and waits for it; its exit code, -1 when it could not start or
// was ended by a signal.
int runQuietly(const std::vector<std::string>& arguments);

// The same, ending the program with a message when the exit code is not 0.
void runOrDie(const std::vector<std::string>& arguments);

}  // namespace qxvb::bench
