// Data-link (UDL) files: UTF-16LE text with a byte-order mark and CR LF
// line ends, holding a header line, a comment line and the connection
// string, as the Windows data-link tools write them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qxvb::udl {

// The bytes of a data-link file with the three given lines.
std::string encode(std::string_view header, std::string_view comment,
                   std::string_view connectionString);

// The text of a file's bytes: UTF-16LE or UTF-16BE after their byte-order
// marks, UTF-8 after its mark; without a mark UTF-16LE when the first
// character has a zero high byte (plain text in UTF-16), otherwise 8-bit
// text. An odd last byte of UTF-16 is dropped.
std::string decode(std::string_view bytes);

// The first line that begins with "Provider" (any case) or is empty;
// nothing when the text ends before such a line. Lines end at CR LF, LF or
// CR.
std::optional<std::string> connectionLine(std::string_view text);

// The bytes of an existing regular file; nothing when there is no such
// file. Raises 70 or 75 when it exists but cannot be read.
std::optional<std::string> readBytes(const std::string& path);

// Creates or replaces a file with the given bytes, through a temporary
// file in the same folder renamed over it, so a failure leaves the old
// file (or none) and no partial one. Raises 52 for an empty name, 76 when
// the folder does not exist, 70 when the file or folder cannot be written,
// 61 when the disk is full and 75 for other failures.
void writeBytes(const std::string& path, std::string_view bytes);

}  // namespace qxvb::udl
