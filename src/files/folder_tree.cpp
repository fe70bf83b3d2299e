#include "files/folder_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_errors.h"
#include "frame/automation_error.h"
#include "platform/write_all.h"

namespace qxvb::files {

namespace {

// An open descriptor, closed when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  Fd(Fd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

 private:
  int fd_;
};

struct PathParts {
  std::string parent;
  std::string name;
};

PathParts splitPath(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

Fd openFolder(int dirFd, const std::string& name, bool followLink) {
  const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
  Fd fd(::openat(dirFd, name.c_str(), flags));
  if (!fd.valid()) raiseErrno(errno);
  return fd;
}

// The names in a folder, without "." and "..".
std::vector<std::string> folderEntries(int dirFd) {
  const int copy = ::dup(dirFd);
  if (copy < 0) raiseErrno(errno);
  DIR* dir = ::fdopendir(copy);
  if (dir == nullptr) {
    const int error = errno;
    ::close(copy);
    raiseErrno(error);
  }
  ::rewinddir(dir);
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  return names;
}

// lstat of an entry; false when it does not exist.
bool entryStatus(int dirFd, const std::string& name, struct stat& st) {
  if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return true;
  if (errno == ENOENT) return false;
  raiseErrno(errno);
}

bool readOnly(const struct stat& st) {
  return !S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0;
}

// ---- deletion ----

void refuseReadOnlyItems(int dirFd) {
  for (const std::string& name : folderEntries(dirFd)) {
    struct stat st {};
    if (!entryStatus(dirFd, name, st)) continue;
    if (readOnly(st)) raiseRefusal(vberr::PermissionDenied, "read-only item " + name);
    if (S_ISDIR(st.st_mode)) refuseReadOnlyItems(openFolder(dirFd, name, false).get());
  }
}

void removeContents(int dirFd, bool force) {
  for (const std::string& name : folderEntries(dirFd)) {
    struct stat st {};
    if (!entryStatus(dirFd, name, st)) continue;
    if (S_ISDIR(st.st_mode)) {
      if (force && (st.st_mode & S_IRWXU) != S_IRWXU) {
        if (::fchmodat(dirFd, name.c_str(), (st.st_mode & 07777) | S_IRWXU, 0) != 0) {
          raiseErrno(errno);
        }
      }
      removeContents(openFolder(dirFd, name, false).get(), force);
      if (::unlinkat(dirFd, name.c_str(), AT_REMOVEDIR) != 0) raiseErrno(errno);
    } else if (::unlinkat(dirFd, name.c_str(), 0) != 0 && errno != ENOENT) {
      raiseErrno(errno);
    }
  }
}

// ---- copying ----

std::string stagingName(const char* kind) {
  static std::atomic<unsigned> counter{0};
  return std::string(".~qx") + kind + "-" + std::to_string(::getpid()) + "-" +
         std::to_string(counter.fetch_add(1)) + ".tmp";
}

void copyBytes(int from, int to) {
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(from, buffer, sizeof buffer);
    if (n == 0) return;
    if (n < 0) {
      if (errno == EINTR) continue;
      raiseErrno(errno);
    }
    if (!platform::writeAll(to, std::string_view(buffer, static_cast<size_t>(n)))) {
      raiseErrno(errno);
    }
  }
}

// Renames without replacing an entry that exists. File systems that
// cannot do this in one step get a hard link and an unlink instead.
int renameNoReplace(int fromDir, const std::string& from, int toDir, const std::string& to) {
  if (::renameat2(fromDir, from.c_str(), toDir, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL) return -1;
  if (::linkat(fromDir, from.c_str(), toDir, to.c_str(), 0) != 0) return -1;
  ::unlinkat(fromDir, from.c_str(), 0);
  return 0;
}

// Writes the staged copy of one entry (a file or a link) under a hidden
// name in the target folder.
void stageEntry(int srcDir, const std::string& name, const struct stat& st, int dstDir,
                const std::string& staged) {
  if (S_ISLNK(st.st_mode)) {
    std::vector<char> target(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
    const ssize_t n = ::readlinkat(srcDir, name.c_str(), target.data(), target.size() - 1);
    if (n < 0) raiseErrno(errno);
    target[static_cast<size_t>(n)] = '\0';
    if (::symlinkat(target.data(), dstDir, staged.c_str()) != 0) raiseErrno(errno);
    return;
  }
  Fd in(::openat(srcDir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  if (!in.valid()) raiseErrno(errno);
  Fd out(::openat(dstDir, staged.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (!out.valid()) raiseErrno(errno);
  copyBytes(in.get(), out.get());
  const timespec times[2] = {st.st_atim, st.st_mtim};
  if (::futimens(out.get(), times) != 0 || ::fchmod(out.get(), st.st_mode & 07777) != 0) {
    raiseErrno(errno);
  }
}

// Copies one file or link so that its final name only ever shows the
// whole copy; with overwrite False an entry that appears meanwhile wins.
void copyEntry(int srcDir, const std::string& name, const struct stat& st, int dstDir,
               bool overwrite) {
  const std::string staged = stagingName("copy");
  try {
    stageEntry(srcDir, name, st, dstDir, staged);
    const int moved = overwrite ? ::renameat(dstDir, staged.c_str(), dstDir, name.c_str())
                                : renameNoReplace(dstDir, staged, dstDir, name);
    if (moved != 0) raiseErrno(errno);
  } catch (...) {
    ::unlinkat(dstDir, staged.c_str(), 0);
    throw;
  }
}

// Where a walk copies to: dstDir is -1 below folders that do not exist yet;
// write False only looks for conflicts; fresh means the folder was made by
// this copy and nobody else sees it, so entries go straight in.
struct CopyWalk {
  bool overwrite;
  bool write;
  bool fresh;
};

// One walk serves both passes of a copy into an existing folder (looking
// for conflicts, then copying) and the single pass into a fresh one.
void walkCopy(int srcDir, int dstDir, const CopyWalk& how) {
  const bool overwrite = how.overwrite;
  const bool write = how.write;
  for (const std::string& name : folderEntries(srcDir)) {
    struct stat st {};
    if (!entryStatus(srcDir, name, st)) continue;
    struct stat existing {};
    const bool exists = dstDir >= 0 && !how.fresh && entryStatus(dstDir, name, existing);
    if (S_ISDIR(st.st_mode)) {
      if (exists && !S_ISDIR(existing.st_mode)) {
        raiseRefusal(vberr::FileAlreadyExists, "a file stands where folder " + name + " goes");
      }
      Fd src = openFolder(srcDir, name, false);
      if (!write) {
        walkCopy(src.get(), exists ? openFolder(dstDir, name, false).get() : -1, how);
        continue;
      }
      if (!exists && ::mkdirat(dstDir, name.c_str(), (st.st_mode & 07777) | S_IRWXU) != 0) {
        raiseErrno(errno);
      }
      walkCopy(src.get(), openFolder(dstDir, name, false).get(), how);
    } else if (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) {
      if (exists) {
        if (S_ISDIR(existing.st_mode)) {
          raiseRefusal(vberr::FileAlreadyExists, "a folder stands where file " + name + " goes");
        }
        if (!overwrite) raiseVbError(vberr::FileAlreadyExists);
        if (readOnly(existing)) raiseRefusal(vberr::PermissionDenied, "read-only file " + name);
      }
      if (write && how.fresh) {
        stageEntry(srcDir, name, st, dstDir, name);
      } else if (write) {
        copyEntry(srcDir, name, st, dstDir, overwrite);
      }
    } else {
      raiseRefusal(vberr::PathFileAccessError, "cannot copy the special file " + name);
    }
  }
}

// Renames a folder onto a name nothing stands at. File systems that cannot
// do this in one step (folders have no hard links) get a check and a rename.
void placeFolder(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
  if (errno != EINVAL) raiseErrno(errno);
  struct stat existing {};
  if (::lstat(to.c_str(), &existing) == 0) raiseErrno(EEXIST);
  if (::rename(from.c_str(), to.c_str()) != 0) raiseErrno(errno);
}

// Opens the target folder of a copy, creating it (one level) when asked.
Fd openTarget(const std::string& target, bool create, mode_t mode) {
  if (create && ::mkdir(target.c_str(), mode | S_IRWXU) != 0) raiseErrno(errno);
  return openFolder(AT_FDCWD, target, true);
}

void refuseIntoItself(const std::string& source, const std::string& target) {
  if (isSameOrBelow(target, source)) {
    raiseRefusal(vberr::PermissionDenied, "a folder cannot be copied or moved into itself");
  }
}

}  // namespace

std::string resolvedPath(const std::string& path) {
  if (char* full = ::realpath(path.c_str(), nullptr)) {
    std::string out = full;
    std::free(full);
    return out;
  }
  const PathParts parts = splitPath(path);
  if (parts.name.empty() || parts.name == "." || parts.name == "..") return {};
  char* parent = ::realpath(parts.parent.c_str(), nullptr);
  if (parent == nullptr) return {};
  std::string out = parent;
  std::free(parent);
  if (out.back() != '/') out += '/';
  return out + parts.name;
}

bool isSameOrBelow(const std::string& candidate, const std::string& folder) {
  const std::string c = resolvedPath(candidate);
  std::string f = resolvedPath(folder);
  if (c.empty() || f.empty()) return false;
  if (c == f) return true;
  if (f.back() != '/') f += '/';
  return c.compare(0, f.size(), f) == 0;
}

void deleteTree(const std::string& named, bool force) {
  if (unusablePath(named)) raiseVbError(vberr::PathNotFound);
  // Trailing separators would make the platform resolve a link.
  std::string folder = named;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  // A link named by the caller is resolved only in its parent part, so
  // the link itself is what goes.
  struct stat st {};
  const bool link = ::lstat(folder.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
  const std::string path =
      link ? resolvedPath(splitPath(folder).parent) + "/" + splitPath(folder).name
           : resolvedPath(folder);
  if (path.empty() || path.front() != '/') raiseVbError(vberr::PathNotFound);
  if (path == "/") raiseRefusal(vberr::PermissionDenied, "the root folder cannot be deleted");
  const PathParts parts = splitPath(path);
  Fd parent = openFolder(AT_FDCWD, parts.parent, true);
  if (!entryStatus(parent.get(), parts.name, st)) raiseVbError(vberr::PathNotFound);
  if (!S_ISDIR(st.st_mode)) {
    if (::unlinkat(parent.get(), parts.name.c_str(), 0) != 0) raiseErrno(errno);
    return;
  }
  if (!force && readOnly(st)) raiseRefusal(vberr::PermissionDenied, "read-only folder");
  Fd top = openFolder(parent.get(), parts.name, false);
  if (!force) refuseReadOnlyItems(top.get());
  if (force && (st.st_mode & S_IRWXU) != S_IRWXU) {
    if (::fchmod(top.get(), (st.st_mode & 07777) | S_IRWXU) != 0) raiseErrno(errno);
  }
  removeContents(top.get(), force);
  if (::unlinkat(parent.get(), parts.name.c_str(), AT_REMOVEDIR) != 0) raiseErrno(errno);
}

void copyTree(const std::string& source, const std::string& target, bool overwrite) {
  if (unusablePath(source) || unusablePath(target)) raiseVbError(vberr::PathNotFound);
  struct stat srcStat {};
  if (::stat(source.c_str(), &srcStat) != 0 || !S_ISDIR(srcStat.st_mode)) {
    raiseVbError(vberr::PathNotFound);
  }
  refuseIntoItself(source, target);
  Fd src = openFolder(AT_FDCWD, source, true);
  struct stat dstStat {};
  const bool targetExists = ::stat(target.c_str(), &dstStat) == 0;
  if (targetExists && !S_ISDIR(dstStat.st_mode)) raiseVbError(vberr::FileAlreadyExists);
  if (targetExists) {
    const Fd into = openTarget(target, false, 0);
    walkCopy(src.get(), into.get(), {overwrite, false, false});
    walkCopy(src.get(), into.get(), {overwrite, true, false});
    return;
  }
  struct stat parentStat {};
  const std::string parent = splitPath(target).parent;
  if (::stat(parent.c_str(), &parentStat) != 0 || !S_ISDIR(parentStat.st_mode)) {
    raiseVbError(vberr::PathNotFound);
  }
  // A new target is copied in one walk into a hidden folder beside it,
  // which takes the target's name once whole: a failure on the way (or a
  // target that appears meanwhile) leaves nothing under the target's name.
  const std::string staging = parent + "/" + stagingName("copy");
  try {
    walkCopy(src.get(), openTarget(staging, true, srcStat.st_mode & 07777).get(),
             {overwrite, true, true});
    placeFolder(staging, target);
  } catch (...) {
    struct stat left {};
    if (::lstat(staging.c_str(), &left) == 0) deleteTree(staging, true);
    throw;
  }
}

void moveTree(const std::string& source, const std::string& target) {
  if (unusablePath(source) || unusablePath(target)) raiseVbError(vberr::PathNotFound);
  struct stat st {};
  if (::stat(source.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) raiseVbError(vberr::PathNotFound);
  struct stat existing {};
  if (::lstat(target.c_str(), &existing) == 0) raiseVbError(vberr::FileAlreadyExists);
  refuseIntoItself(source, target);
  if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
    return;
  }
  // Without one-step support the target's absence was checked above.
  if (errno == EINVAL && ::rename(source.c_str(), target.c_str()) == 0) return;
  if (errno != EXDEV) raiseErrno(errno);
  struct stat link {};
  if (::lstat(source.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) raiseErrno(EXDEV);
  const PathParts parts = splitPath(target);
  const std::string staging = parts.parent + "/" + stagingName("move");
  try {
    copyTree(source, staging, false);
  } catch (...) {
    struct stat left {};
    if (::lstat(staging.c_str(), &left) == 0) deleteTree(staging, true);
    throw;
  }
  if (renameNoReplace(AT_FDCWD, staging, AT_FDCWD, target) != 0) {
    const int error = errno;
    deleteTree(staging, true);
    raiseErrno(error);
  }
  deleteTree(source, true);
}

}  // namespace qxvb::files
