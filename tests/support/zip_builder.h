// Zip archives made by the tests, hostile ones included.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qxvb::test {

struct ZipEntry {
  std::string name;
  std::string data;
  uint32_t unixMode = 0100644;  // file type and permissions, as Unix zip tools keep them
};

// Writes the entries, compressed, into a new archive at file.
void writeZip(const std::filesystem::path& file, const std::vector<ZipEntry>& entries);

// Makes the sizes an archive of one entry declares lie: both headers then
// claim the entry expands to size bytes.
void declareUncompressedSize(const std::filesystem::path& file, uint32_t size);

}  // namespace qxvb::test
