// Output folders of benchmarks that write many files. Each round writes
// into a folder of its own, on tmpfs where the machine has one: on ext4,
// rounds that delete thousands of files and write them again grow slower
// round after round (the allocator and the folder's index carry the
// deleted entries for a while), so the later rounds of a run would measure
// the file system's history rather than the code.
#pragma once

#include <filesystem>

namespace qxvb::bench {

// A new, empty folder for one round: below /dev/shm when that is a tmpfs
// (and tmpfs is not declined), else below fallback. Ends the program with
// a message when it cannot be made.
std::filesystem::path freshOutputFolder(const std::filesystem::path& fallback, bool tmpfs = true);

// Whether freshOutputFolder places its folders on tmpfs.
bool outputOnTmpfs();

// Removes every folder freshOutputFolder made; failures are not reported.
void removeOutputFolders();

}  // namespace qxvb::bench
