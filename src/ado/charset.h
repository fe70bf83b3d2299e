// Text in the character sets a Stream names ("Unicode", "utf-8",
// "iso-8859-1", "windows-1252", ...), converted with iconv.
#pragma once

#include <string>
#include <string_view>

namespace qxvb::ado {

// The iconv name of a Stream charset; "" when iconv does not know it.
std::string iconvName(std::string_view charset);
// UTF-8 text in the charset; characters it lacks become '?'.
std::string encodeText(std::string_view utf8, std::string_view charset);
// Bytes in the charset as UTF-8; bytes that do not decode become U+FFFD.
std::string decodeText(std::string_view bytes, std::string_view charset);
// The byte-order mark ADO writes before text in the charset ("" for none).
std::string byteOrderMark(std::string_view charset);

}  // namespace qxvb::ado
