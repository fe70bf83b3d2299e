#include "files/folder_operations.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "files/file_checks.h"
#include "files/file_errors.h"
#include "files/folder_tree.h"
#include "frame/automation_error.h"
#include "platform/state_paths.h"

namespace qxvb::files {

namespace {

bool isFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Makes one folder; one that appears meanwhile counts when allowed.
bool makeFolder(const std::string& path, bool allowExisting) {
  if (::mkdir(path.c_str(), 0777) == 0) return true;
  return allowExisting && errno == EEXIST && isFolder(path);
}

bool construct(const std::string& path, std::string* deepest, bool lastMustBeNew) {
  if (!lastMustBeNew && folderExists(path)) {
    if (deepest != nullptr && deepest->empty()) *deepest = path;
    return true;
  }
  if (path.empty() || path.front() != '/' || path.find('\0') != std::string::npos) return false;
  const std::string folder = withoutTrailingSlash(path);
  if (folder.empty()) return false;
  const std::string parent = folder.substr(0, folder.rfind('/') + 1);
  if (parent == "/") {
    if (deepest != nullptr && deepest->empty()) *deepest = "/";
  } else if (!construct(parent.substr(0, parent.size() - 1), deepest, false)) {
    return false;
  }
  return makeFolder(folder, !lastMustBeNew);
}

std::string targetFor(const std::string& source, const std::string& target) {
  std::string t = withoutTrailingSlash(target);
  if (t.empty() || t.back() != '/') return t;
  const std::string s = withoutTrailingSlash(source);
  return t + s.substr(s.rfind('/') + 1);
}

}  // namespace

std::string withoutTrailingSlash(const std::string& path) {
  if (!path.empty() && path.back() == '/') return path.substr(0, path.size() - 1);
  return path;
}

bool constructFolder(const std::string& path, std::string* deepestExisting) {
  return construct(path, deepestExisting, false);
}

bool createNewFolder(const std::string& path) {
  return construct(path, nullptr, true);
}

void folderCopy(const std::string& source, const std::string& target, bool overwrite) {
  copyTree(withoutTrailingSlash(source), targetFor(source, target), overwrite);
}

bool isVitalFolder(const std::string& path) {
  if (path.empty()) return false;
  const auto resolved = [](const std::filesystem::path& p) {
    std::error_code ec;
    auto folder = std::filesystem::weakly_canonical(p, ec).lexically_normal();
    // A parent reached through a missing folder keeps a trailing separator.
    if (folder.has_relative_path() && !folder.has_filename()) folder = folder.parent_path();
    return ec ? std::filesystem::path() : folder;
  };
  const auto folder = resolved(path);
  if (folder.empty()) return false;
  if (folder == folder.root_path()) return true;
  const auto home = resolved(paths::home());
  return !home.empty() && folder == home;
}

namespace {
void refuseVitalFolder(const std::string& path) {
  if (isVitalFolder(path)) {
    raiseRefusal(vberr::PermissionDenied, "the root folder and the home folder are never removed");
  }
}
}  // namespace

void folderMove(const std::string& source, const std::string& target) {
  refuseVitalFolder(source);
  moveTree(withoutTrailingSlash(source), targetFor(source, target));
}

void folderDelete(const std::string& folder, bool force) {
  refuseVitalFolder(folder);
  if (!folderExists(folder)) return;
  deleteTree(withoutTrailingSlash(folder), force);
}

}  // namespace qxvb::files
