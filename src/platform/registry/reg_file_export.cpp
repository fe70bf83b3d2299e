// Writing registry branches as regedit files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/atomic_file.h"
#include "platform/registry/reg_file.h"
#include "platform/registry/unicode.h"
#include "platform/text/utf.h"

namespace qxvb::registry {

namespace {

// regedit breaks a hex line once it reaches this many characters.
constexpr std::size_t kHexWrapColumn = 77;
constexpr const char* kNewline = "\r\n";

std::string escapeText(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

std::size_t columnsOf(std::string_view text) {
  return utf::toUtf16le(text).size() / 2;
}

bool isTextType(std::uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// A REG_SZ is written in quotes only when reading the quotes back gives
// the same bytes: one final NUL, no other, no line breaks, valid UTF-8.
bool fitsInQuotes(const Value& value) {
  if (value.type != kRegSz || value.data.empty() || value.data.back() != 0) return false;
  const std::string_view text(reinterpret_cast<const char*>(value.data.data()),
                              value.data.size() - 1);
  return text.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos &&
         utf::isValid(text);
}

std::string hexLine(std::size_t column, std::string_view bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
    if (i + 1 == bytes.size()) break;
    out += ',';
    column += 3;
    if (column >= kHexWrapColumn) {
      out += "\\";
      out += kNewline;
      out += "  ";
      column = 2;
    }
  }
  return out;
}

std::string valueLine(const Value& value) {
  std::string line = value.name.empty() ? "@=" : "\"" + escapeText(value.name) + "\"=";
  if (fitsInQuotes(value)) {
    const std::string_view text(reinterpret_cast<const char*>(value.data.data()),
                                value.data.size() - 1);
    return line + "\"" + escapeText(text) + "\"";
  }
  if (value.type == kRegDword && value.data.size() == 4) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "dword:%08x", *readDword(value.data));
    return line + digits;
  }
  if (value.type == kRegBinary) {
    line += "hex:";
  } else {
    char prefix[24];
    std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
    line += prefix;
  }
  const std::string_view raw(reinterpret_cast<const char*>(value.data.data()), value.data.size());
  // Text types travel as Windows keeps them: UTF-16LE.
  const std::string bytes = isTextType(value.type) ? utf::toUtf16le(raw) : std::string(raw);
  return line + hexLine(columnsOf(line), bytes);
}

Status exportKey(RootKey root, const std::string& path, std::string& text) {
  std::vector<Value> values;
  std::vector<std::string> subKeys;
  Status status = listValues(root, path, values);
  if (status == kSuccess) status = listSubKeys(root, path, subKeys);
  if (status != kSuccess) return status;
  text += "[";
  text += rootName(root);
  if (!path.empty()) {
    text += '\\';
    text += path;
  }
  text += "]";
  text += kNewline;
  for (const Value& value : values) {
    text += valueLine(value);
    text += kNewline;
  }
  text += kNewline;
  for (const std::string& name : subKeys) {
    std::string child = path;
    if (!child.empty()) child += '\\';
    child += name;
    status = exportKey(root, child, text);
    if (status != kSuccess) return status;
  }
  return kSuccess;
}

}  // namespace

Status exportBranchText(RootKey root, std::string_view path, std::string& text) {
  text.clear();
  std::string stored;
  Status status = openKey(root, path);
  if (status == kSuccess) status = storedPath(root, path, stored);
  if (status != kSuccess) return status;
  std::string body;
  status = exportKey(root, stored, body);
  if (status != kSuccess) return status;
  text = std::string("Windows Registry Editor Version 5.00") + kNewline + kNewline + body;
  return kSuccess;
}

std::string encodeRegFile(std::string_view text) {
  return std::string("\xFF\xFE", 2) + utf::toUtf16le(text);
}

Status exportBranchToFile(RootKey root, std::string_view path, const std::filesystem::path& file,
                          std::string& error) {
  std::string text;
  const Status status = exportBranchText(root, path, text);
  if (status != kSuccess) {
    error = status == kFileNotFound ? "the key does not exist" : "cannot read the key";
    return status;
  }
  const std::string bytes = encodeRegFile(text);
  const int failure = platform::writeFileAtomically(file, bytes);
  if (failure == EACCES || failure == EPERM || failure == EROFS) {
    error = file.string() + ": cannot create the file";
    return kAccessDenied;
  }
  if (failure != 0) {
    error = file.string() + ": cannot write the file (" + std::strerror(failure) + ")";
    return kIoFailed;
  }
  return kSuccess;
}

}  // namespace qxvb::registry
