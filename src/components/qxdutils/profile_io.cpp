#include "components/qxdutils/profile_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/atomic_file.h"
#include "platform/state_paths.h"

namespace qxvb::profile::detail {

namespace {

namespace fs = std::filesystem;

// Closes the descriptor and with it releases any lock held through it.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now, reporting failure, as a written file's close must be checked.
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool lockDescriptor(int fd, int operation) {
  while (::flock(fd, operation) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

fs::path lockPathOf(const fs::path& file) {
  fs::path lock = file;
  lock += ".lock";
  return lock;
}

// A symbolic link stays a link: the file it names is the one replaced.
fs::path resolvedTarget(const fs::path& file) {
  std::error_code ec;
  if (!fs::is_symlink(file, ec)) return file;
  fs::path target = fs::weakly_canonical(file, ec);
  return ec ? file : target;
}

// Whole file into out; a missing file gives empty content and true.
bool readAll(const fs::path& file, std::string& out) {
  out.clear();
  // Non-blocking, so a FIFO or device in the file's place is refused, not waited on.
  int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT;
  Descriptor guard(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return false;
  if (info.st_size > 0) out.reserve(static_cast<size_t>(info.st_size));
  char chunk[65536];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      out.clear();
      return false;
    }
    out.append(chunk, static_cast<size_t>(n));
  }
}

// The lock file is opened without following links: a link planted at its
// name would otherwise create or truncate a file wherever it points.
int openLockFile(const fs::path& lockPath, int flags, mode_t mode) {
  return ::open(lockPath.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode);
}

// Profiles in the per-user state folders may hold passwords: new ones there
// are private to their owner.
platform::NewFileAccess accessFor(const fs::path& target) {
  return paths::insidePerUserState(target) ? platform::NewFileAccess::OwnerOnly
                                           : platform::NewFileAccess::Shared;
}

}  // namespace

std::string readShared(const fs::path& file) {
  const fs::path target = resolvedTarget(file);
  std::error_code ec;
  // Only a regular file is a profile: nothing else is read or gets a lock
  // file beside it.
  if (target.empty() || !fs::is_regular_file(target, ec)) return {};
  const fs::path lockPath = lockPathOf(target);
  // Without a usable lock file (a read-only folder) the read still works:
  // files are only ever replaced whole.
  int fd = openLockFile(lockPath, O_RDWR | O_CREAT, 0666);
  if (fd < 0 && errno != ELOOP) fd = openLockFile(lockPath, O_RDONLY, 0);
  Descriptor lock(fd);
  if (lock.valid()) lockDescriptor(lock.get(), LOCK_SH);
  std::string content;
  if (!readAll(target, content)) return {};
  return content;
}

bool rewriteLocked(const fs::path& file, const Editor& editor) {
  if (file.empty() || !file.has_filename()) return false;
  const fs::path target = resolvedTarget(file);
  std::error_code ec;
  // Something other than a regular file in the profile's place is left alone.
  const fs::file_status status = fs::symlink_status(target, ec);
  if (fs::exists(status) && !fs::is_regular_file(status)) return false;
  if (target.has_parent_path()) {
    fs::create_directories(target.parent_path(), ec);
    if (ec) return false;
  }
  const platform::NewFileAccess access = accessFor(target);
  Descriptor lock(openLockFile(lockPathOf(target), O_RDWR | O_CREAT,
                               access == platform::NewFileAccess::OwnerOnly ? 0600 : 0666));
  if (!lock.valid() || !lockDescriptor(lock.get(), LOCK_EX)) return false;
  std::string current;
  if (!readAll(target, current)) return false;
  const std::optional<std::string> updated = editor(current);
  if (!updated) return true;
  return platform::writeFileAtomically(target, *updated, access) == 0;
}

}  // namespace qxvb::profile::detail
