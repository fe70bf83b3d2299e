// Where per-user and machine-wide state lives. Every location follows the
// XDG variables or QXVB_MACHINE_DIR, so callers can sandbox all state with
// environment variables.
#pragma once

#include <filesystem>

namespace qxvb::paths {

std::filesystem::path home();        // HOME, else the password entry's folder
std::filesystem::path configHome();  // XDG_CONFIG_HOME, else ~/.config
std::filesystem::path dataHome();    // XDG_DATA_HOME, else ~/.local/share
std::filesystem::path cacheHome();   // XDG_CACHE_HOME, else ~/.cache
std::filesystem::path machineDir();  // QXVB_MACHINE_DIR, else /var/lib/qxvbutils
std::filesystem::path tempDir();     // TMPDIR, else /tmp

// Whether path lies in the per-user configuration or data folder, where
// new files are made private to their owner.
bool insidePerUserState(const std::filesystem::path& path);

// The product's own folder below a base folder ("Brackwell/Quillane").
std::filesystem::path productFolder(const std::filesystem::path& base);

}  // namespace qxvb::paths
