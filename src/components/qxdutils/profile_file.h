// Profile (INI) files with the rules of the classic profile API: "[Section]"
// headers, "key=value" entries, ";" comments. Sections and keys compare
// without regard to case, blanks around keys and values do not count, and a
// value enclosed in matching single or double quotes loses them. Rewrites
// keep every line they do not touch, byte for byte, and end new lines with
// CR LF because the files are shared with Windows installations.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qxvb::profile {

// Value of key in section, or nullopt. Only the first section of a name
// counts, and within it the first entry of the key.
std::optional<std::string> readValue(const std::filesystem::path& file, std::string_view section,
                                     std::string_view key);

// Reads into a caller buffer of size bytes. The value, or def without its
// trailing blanks, is cut to size - 1 bytes and ended by a NUL; the result is
// the number of bytes copied without the NUL. Size 0 (or no buffer) gives 0.
int32_t getString(std::string_view section, std::string_view key, std::string_view def,
                  char* buffer, int32_t size, const std::filesystem::path& file);

// Fills buffer with "key=value\0key=value\0\0" and answers its length without
// the final NUL. When the entries do not fit, they are cut, the buffer still
// ends with two NULs and the result is size - 2.
int32_t getSection(std::string_view section, char* buffer, int32_t size,
                   const std::filesystem::path& file);

// Section names in the same layout and with the same result as getSection.
int32_t getSectionNames(char* buffer, int32_t size, const std::filesystem::path& file);

// The value read as an integer: leading blanks, an optional sign, then the
// leading decimal digits ("0x" for hexadecimal); text without digits gives 0.
// A missing key or an empty value gives def.
int32_t getInt(std::string_view section, std::string_view key, int32_t def,
               const std::filesystem::path& file);

// The integer rule of getInt applied to a value already read.
int32_t parseProfileInt(std::string_view text);

std::vector<std::pair<std::string, std::string>> readSection(const std::filesystem::path& file,
                                                             std::string_view section);
std::vector<std::string> sectionNames(const std::filesystem::path& file);

// key nullopt deletes the section, value nullopt deletes the key. A missing
// file and its folders are created; a new section goes at the end of the
// file, a new key at the end of its section; an existing key keeps its place
// and its written case. False on I/O failure and for names or values that
// could not be read back (empty names, NUL, line breaks, "]" in a section
// name, "=" in a key, a key starting with ";" or "[").
bool writeString(std::string_view section, std::optional<std::string_view> key,
                 std::optional<std::string_view> value, const std::filesystem::path& file);

// Replaces the entries of the section with the given "key=value" entries,
// each ended by a NUL, the block ending at an empty entry or the end of the
// text. Comments and other lines of the section stay; the new entries take
// the place of the first old one. A missing section is appended.
bool writeSection(std::string_view section, std::string_view nulSeparatedEntries,
                  const std::filesystem::path& file);
bool writeSection(std::string_view section,
                  const std::vector<std::pair<std::string, std::string>>& entries,
                  const std::filesystem::path& file);

}  // namespace qxvb::profile
