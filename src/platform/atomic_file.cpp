#include "platform/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <map>
#include <mutex>
#include <utility>

#include "platform/random_name.h"
#include "platform/write_all.h"

namespace qxvb::platform {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMarker = ".qxtmp-";
constexpr std::size_t kRandomDigits = 16;
// A named temporary nobody holds a lock on and untouched this long belongs
// to a writer that died: the live writer locks its temporary right after
// creating it, so the age only covers that instant.
constexpr time_t kStaleSeconds = 5;

std::string temporaryPrefix(const fs::path& target) {
  return "." + target.filename().string() + std::string(kMarker);
}

int openFolder(const fs::path& folder) {
  return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

void syncFolder(const fs::path& folder) {
  const int fd = openFolder(folder);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Removes the named temporaries in the folder left by writers that died.
void removeStaleTemporaries(const fs::path& folder) {
  const int dirFd = openFolder(folder);
  if (dirFd < 0) return;
  DIR* dir = ::fdopendir(dirFd);
  if (dir == nullptr) {
    ::close(dirFd);
    return;
  }
  const time_t now = ::time(nullptr);
  while (const dirent* entry = ::readdir(dir)) {
    if (!isAtomicTemporaryName(entry->d_name)) continue;
    const int fd =
        ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_mtime + kStaleSeconds < now &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::close(fd);
  }
  ::closedir(dir);
}

// Whether the folder's stale temporaries are due to be looked for. A
// temporary only counts as stale after kStaleSeconds, so looking in a
// folder once in that time finds all there is to find; looking before
// every write would make writing n files into one folder cost n^2.
bool sweepDue(const fs::path& folder) {
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) return true;
  const std::pair<dev_t, ino_t> key{info.st_dev, info.st_ino};
  const auto now = std::chrono::steady_clock::now();
  static std::mutex mutex;
  static std::map<std::pair<dev_t, ino_t>, std::chrono::steady_clock::time_point> swept;
  const std::lock_guard lock(mutex);
  constexpr size_t kFoldersRemembered = 256;
  if (swept.size() >= kFoldersRemembered) swept.clear();
  auto [at, added] = swept.try_emplace(key, now);
  if (added) return true;
  if (now - at->second < std::chrono::seconds(kStaleSeconds)) return false;
  at->second = now;
  return true;
}

// Links the anonymous temporary under name: through /proc where it is
// mounted, else by descriptor (which needs privileges).
int linkAnonymous(int fd, const fs::path& name) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
  if (errno != ENOENT || ::access("/proc/self/fd", F_OK) == 0) return errno;
  return ::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0 ? 0 : errno;
}

}  // namespace

bool isAtomicTemporaryName(std::string_view name) {
  const auto at = name.rfind(kMarker);
  return !name.empty() && name.front() == '.' && at != std::string_view::npos &&
         name.size() == at + kMarker.size() + kRandomDigits;
}

AtomicFile::AtomicFile(fs::path target, NewFileAccess access) : target_(std::move(target)) {
  if (target_.empty() || !target_.has_filename()) {
    error_ = EINVAL;
    return;
  }
  folder_ = target_.has_parent_path() ? target_.parent_path() : fs::path(".");

  // A rewrite keeps the mode (and, where we may, the owner) of the file it
  // replaces; the temporary stays private until it has that mode.
  struct stat old {};
  mode_t createMode = access == NewFileAccess::OwnerOnly ? 0600 : 0666;
  if (::lstat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    createMode = 0600;
    mode_ = old.st_mode & 07777;
    keepOwner_ = old.st_uid != ::geteuid() || old.st_gid != ::getegid();
    owner_ = old.st_uid;
    group_ = old.st_gid;
  }

  if (sweepDue(folder_)) removeStaleTemporaries(folder_);
  fd_ = ::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, createMode);
  if (fd_ >= 0) {
    anonymous_ = true;
    // Locks the inode, so its short-lived name is never taken for a stale one.
    ::flock(fd_, LOCK_EX | LOCK_NB);
    return;
  }
  const std::string prefix = temporaryPrefix(target_);
  for (int attempt = 0; attempt < 16; ++attempt) {
    named_ = folder_ / (prefix + randomHex(kRandomDigits / 2));
    fd_ = ::open(named_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, createMode);
    if (fd_ >= 0) break;
    if (errno != EEXIST) break;
  }
  if (fd_ < 0) {
    error_ = errno;
    named_.clear();
    return;
  }
  // Marks the temporary as in use for removeStaleTemporaries().
  ::flock(fd_, LOCK_EX | LOCK_NB);
}

AtomicFile::~AtomicFile() {
  discard();
}

void AtomicFile::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!named_.empty()) ::unlink(named_.c_str());
  named_.clear();
}

bool AtomicFile::write(std::string_view bytes) {
  if (error_ != 0) return false;
  if (fd_ < 0) {
    error_ = EBADF;
    return false;
  }
  if (!writeAll(fd_, bytes)) {
    error_ = errno != 0 ? errno : EIO;
    return false;
  }
  return true;
}

int AtomicFile::commit() {
  return finish(true);
}

int AtomicFile::commitNew() {
  return finish(false);
}

int AtomicFile::finish(bool replace) {
  if (error_ == 0 && fd_ < 0) error_ = EBADF;
  if (error_ == 0 && mode_ != 0 && ::fchmod(fd_, mode_) != 0) error_ = errno;
  if (error_ == 0 && keepOwner_) {
    // Only a privileged writer can hand the file back; others keep theirs.
    (void)::fchown(fd_, owner_, group_);
  }
  if (error_ == 0 && ::fsync(fd_) != 0) error_ = errno;
  if (error_ == 0) error_ = place(replace);
  const int result = error_;
  discard();
  if (result == 0) syncFolder(folder_);
  return result;
}

int AtomicFile::place(bool replace) {
  if (anonymous_) {
    // Gives the anonymous inode a name of its own, then moves it into place.
    if (!replace) return linkAnonymous(fd_, target_);
    const std::string prefix = temporaryPrefix(target_);
    for (int attempt = 0; attempt < 16; ++attempt) {
      named_ = folder_ / (prefix + randomHex(kRandomDigits / 2));
      const int failure = linkAnonymous(fd_, named_);
      if (failure == 0) break;
      named_.clear();
      if (failure != EEXIST) return failure;
    }
    if (named_.empty()) return EEXIST;
  }
  if (!replace) {
    if (::link(named_.c_str(), target_.c_str()) != 0) return errno;
    return 0;  // discard() removes the temporary name
  }
  if (::rename(named_.c_str(), target_.c_str()) != 0) return errno;
  named_.clear();
  return 0;
}

int writeFileAtomically(const fs::path& target, std::string_view bytes, NewFileAccess access) {
  AtomicFile file(target, access);
  if (!file.write(bytes)) return file.error();
  return file.commit();
}

}  // namespace qxvb::platform
