// User-supplied icons of the repository explorer: the repository stores
// them as one zip archive of 16 by 16 bitmaps; the first lookup exports it
// into a working folder, unpacks it and loads every bitmap, keyed by file
// name ("12_0007.bmp" for major type 12, minor type 7).
#pragma once

#include <cstdint>
#include <string>

#include "ui/app/extension_state.h"

namespace qxvb::diagram {

inline constexpr const char* kIconArchive = "ExplorerIconBitmaps.zip";

// The key of an icon: major, "_", minor with at least four digits, ".bmp".
std::string iconKey(int32_t major, int32_t minor);

// QX_GetUserSuppliedIconForExplorer: the picture for the key, or Nothing;
// exists becomes True whenever the icons of the repository are not empty.
Object userSuppliedIcon(gui::ExtensionState::ExplorerIcons& cache, int32_t major, int32_t minor,
                        bool& exists);

// QX_ResetExplorerIconsForNewEncy: the next lookup loads again.
void resetExplorerIcons(gui::ExtensionState::ExplorerIcons& cache);

}  // namespace qxvb::diagram
