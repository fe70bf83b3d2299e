// Unpacking a zip archive into a folder without letting it reach beyond
// the folder: entries with absolute names, drive letters or ".." levels,
// links and other special files are refused, as are archives that would
// expand beyond a limit or hold too many entries. The archive is checked
// whole before anything is written; files are written under temporary
// names and take their own names only when every entry was unpacked, so a
// refused archive leaves the folder as it was.
#pragma once

#include <cstdint>
#include <string>

namespace qxvb::zip {

struct ExtractLimits {
  uint64_t maxExpandedBytes = 64ull << 20;  // all entries together
  uint32_t maxEntries = 10'000;
};

// Unpacks archive into folder (which must exist). Answers an empty string
// on success, else the reason.
std::string extractArchive(const std::string& archive, const std::string& folder,
                           const ExtractLimits& limits = {});

}  // namespace qxvb::zip
