// The folder of one benchmark run: every per-user and machine-wide state
// folder the library reads points below it, so a benchmark never touches
// the user's settings, registry or files, and the run leaves nothing behind.
#pragma once

#include <filesystem>

namespace qxvb::bench {

// A new, empty folder below the system's temporary folder, with
// XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_CACHE_HOME, HOME and
// QXVB_MACHINE_DIR pointed at sub-folders of it. Ends the program with a
// message when the folder cannot be made.
std::filesystem::path makeSandbox();

// Removes the folder and everything in it; a failure is not reported, as
// the run is over.
void removeSandbox(const std::filesystem::path& folder);

}  // namespace qxvb::bench
