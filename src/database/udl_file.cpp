#include "database/udl_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>

#include "database/connection_string_items.h"
#include "frame/automation_error.h"
#include "frame/errno_errors.h"
#include "platform/atomic_file.h"
#include "platform/registry/unicode.h"
#include "platform/regular_file.h"
#include "platform/text/utf.h"
#include "platform/unicode.h"

namespace qxvb::udl {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";

std::string swapByteOrder(std::string_view bytes) {
  std::string out(bytes.substr(0, bytes.size() & ~size_t{1}));
  for (size_t i = 0; i + 1 < out.size(); i += 2) std::swap(out[i], out[i + 1]);
  return out;
}

bool startsWith(std::string_view bytes, std::string_view mark) {
  return bytes.substr(0, mark.size()) == mark;
}

// The file that is written: the target of a symbolic link, so the link
// keeps pointing at the new contents.
fs::path targetOf(const fs::path& path) {
  std::error_code ec;
  if (fs::is_symlink(path, ec)) {
    fs::path resolved = fs::weakly_canonical(path, ec);
    if (!ec) return resolved;
  }
  return path;
}

void checkCanReplace(const fs::path& file) {
  const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) raiseVbError(vberr::PathNotFound);
  const fs::file_status status = fs::status(file, ec);
  if (fs::is_directory(status)) raiseVbError(vberr::PermissionDenied);
  if (fs::exists(status) && ::access(file.c_str(), W_OK) != 0) {
    raiseVbError(vberr::PermissionDenied);
  }
}

}  // namespace

std::string encode(std::string_view header, std::string_view comment,
                   std::string_view connectionString) {
  std::string text;
  for (const std::string_view line : {header, comment, connectionString}) {
    text += line;
    text += kLineEnd;
  }
  return std::string(kUtf16LeMark) + utf::toUtf16le(text);
}

std::string decode(std::string_view bytes) {
  using registry::unicode::eightBitToUtf8;
  if (startsWith(bytes, kUtf16LeMark)) return utf::fromUtf16le(bytes.substr(kUtf16LeMark.size()));
  if (startsWith(bytes, kUtf16BeMark)) {
    return utf::fromUtf16le(swapByteOrder(bytes.substr(kUtf16BeMark.size())));
  }
  if (startsWith(bytes, kUtf8Mark)) return eightBitToUtf8(bytes.substr(kUtf8Mark.size()));
  if (bytes.size() >= 2 && bytes[1] == '\0') return utf::fromUtf16le(bytes);
  return eightBitToUtf8(bytes);
}

std::optional<std::string> connectionLine(std::string_view text) {
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of("\r\n", start);
    const std::string_view line =
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (line.empty() || unicode::equalsIgnoreCase(connstr::firstChars(line, 8), "Provider")) {
      return std::string(line);
    }
    if (end == std::string_view::npos) break;
    start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
  return std::nullopt;
}

std::optional<std::string> readBytes(const std::string& path) {
  std::error_code ec;
  if (path.empty() || !fs::is_regular_file(path, ec)) return std::nullopt;
  // Read as a regular file only, even if the name changed meanwhile.
  constexpr std::size_t kLargestDataLinkFile = std::size_t{16} << 20;
  std::string bytes;
  const int error = platform::readRegularFile(path, bytes, kLargestDataLinkFile);
  if (error != 0)
    raiseVbError(error == EINVAL ? vberr::PathFileAccessError : vbErrorForErrno(error));
  return bytes;
}

void writeBytes(const std::string& path, std::string_view bytes) {
  if (path.empty()) raiseVbError(vberr::BadFileNameOrNumber);
  const fs::path file = targetOf(path);
  checkCanReplace(file);
  // A new data-link file is private to its owner (it may carry a password);
  // a rewritten one keeps its mode.
  const int error = platform::writeFileAtomically(file, bytes, platform::NewFileAccess::OwnerOnly);
  if (error != 0) raiseVbError(vbErrorForErrno(error));
}

}  // namespace qxvb::udl
