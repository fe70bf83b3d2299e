#include "filemanager/stored_names.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "frame/automation_error.h"
#include "platform/text/ascii.h"

namespace qxvb::filestore {

namespace {

constexpr std::string_view kSource = "QXFileManager";

bool isSeparator(char c) {
  return c == '\\' || c == '/';
}

// The position of the folder named "images" followed by a separator, npos
// when the path has none.
size_t imagesFolderStart(const std::string& path) {
  const std::string lower = ascii::toLower(path);
  for (size_t at = lower.find("images"); at != std::string::npos;
       at = lower.find("images", at + 1)) {
    const size_t end = at + 6;
    if (end < lower.size() && isSeparator(lower[end])) return at;
  }
  return std::string::npos;
}

std::string withBackslashes(std::string text) {
  std::replace(text.begin(), text.end(), '/', '\\');
  return text;
}

// The parts of a stored name between separators, either separator counting.
std::vector<std::string> partsOf(const std::string& name) {
  std::vector<std::string> parts(1);
  for (char c : name) {
    if (isSeparator(c)) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

// "C:\..." names a place outside any folder for the installations that
// share the repository; a colon anywhere else is an ordinary character of a
// file name here ("a:b.txt", "c:x").
bool isDriveAbsolute(const std::string& name) {
  return name.size() >= 3 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':' &&
         isSeparator(name[2]);
}

}  // namespace

std::string storedNameFor(const std::string& path, const std::string& rename) {
  if (!rename.empty()) return withBackslashes(rename);
  const size_t images = imagesFolderStart(path);
  if (images != std::string::npos) return withBackslashes(path.substr(images));
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool isSafeStoredName(const std::string& name) {
  if (name.empty() || isSeparator(name[0]) || isDriveAbsolute(name)) return false;
  if (name.find('\0') != std::string::npos) return false;
  for (const std::string& part : partsOf(name)) {
    if (part.empty() || part == "." || part == "..") return false;
  }
  return true;
}

void requireSafeStoredName(const std::string& name) {
  if (isSafeStoredName(name)) return;
  raiseError(vberr::InvalidProcedureCall, kSource,
             "The stored file name '" + name +
                 "' is not a relative file name: it cannot be written inside a folder.");
}

std::filesystem::path targetPathFor(const std::filesystem::path& folder, const std::string& name) {
  requireSafeStoredName(name);
  const std::vector<std::string> parts = partsOf(name);
  std::filesystem::path target = folder;
  for (size_t i = 0; i < parts.size(); ++i) {
    target /= parts[i];
    // A folder on the way that is a link would carry the file elsewhere.
    std::error_code ec;
    if (i + 1 < parts.size() && std::filesystem::is_symlink(target, ec)) {
      raiseError(vberr::InvalidProcedureCall, kSource,
                 "The stored file name '" + name + "' leads through the link " + target.string() +
                     ", outside the folder.");
    }
  }
  return target;
}

std::string sqlText(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

}  // namespace qxvb::filestore
