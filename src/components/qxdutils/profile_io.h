// Locked access to profile files. Writers hold an exclusive lock on a
// companion "<file>.lock" for the whole read-modify-write and replace the
// file by renaming a complete temporary copy over it, so a reader never sees
// a half-written file and concurrent writers lose no change.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qxvb::profile::detail {

// The file's bytes under a shared lock; empty when the file is missing or
// cannot be read.
std::string readShared(const std::filesystem::path& file);

// Receives the current bytes (empty for a missing file) and answers the new
// bytes, or nullopt when nothing needs to change.
using Editor = std::function<std::optional<std::string>(std::string_view current)>;

// Runs editor under the exclusive lock and replaces the file with its answer.
// Missing folders are created. False on any I/O failure; the file is then
// unchanged and no temporary file remains.
bool rewriteLocked(const std::filesystem::path& file, const Editor& editor);

}  // namespace qxvb::profile::detail
