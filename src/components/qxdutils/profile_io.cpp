#include "components/qxdutils/profile_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>

#include "platform/write_all.h"

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
  int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT;
  Descriptor guard(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) return false;
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

// Creates a temporary file beside target with O_EXCL, so it can be renamed
// over target atomically and never collides with another writer's copy.
int createTemporary(const fs::path& target, fs::path& tempPath) {
  static std::atomic<unsigned> counter{0};
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = target.parent_path() /
               ("." + target.filename().string() + ".tmp-" + std::to_string(::getpid()) + "-" +
                std::to_string(counter.fetch_add(1)) + "-" + std::to_string(now % 1000000));
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

void syncFolder(const fs::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool replaceFile(const fs::path& target, std::string_view bytes) {
  fs::path tempPath;
  Descriptor temp(createTemporary(target, tempPath));
  if (!temp.valid()) return false;
  // The replacement keeps the permissions of the file it replaces.
  struct stat info {};
  bool ok = true;
  if (::stat(target.c_str(), &info) == 0) ok = ::fchmod(temp.get(), info.st_mode & 07777) == 0;
  ok = ok && platform::writeAll(temp.get(), bytes) && ::fsync(temp.get()) == 0;
  ok = temp.close() && ok;
  ok = ok && ::rename(tempPath.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(tempPath.c_str());
    return false;
  }
  syncFolder(target.parent_path());
  return true;
}

}  // namespace

std::string readShared(const fs::path& file) {
  const fs::path target = resolvedTarget(file);
  std::error_code ec;
  if (target.empty() || !fs::exists(target, ec)) return {};
  const fs::path lockPath = lockPathOf(target);
  // Without a usable lock file (a read-only folder) the read still works:
  // files are only ever replaced whole.
  int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) fd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
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
  if (target.has_parent_path()) {
    fs::create_directories(target.parent_path(), ec);
    if (ec) return false;
  }
  Descriptor lock(::open(lockPathOf(target).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
  if (!lock.valid() || !lockDescriptor(lock.get(), LOCK_EX)) return false;
  std::string current;
  if (!readAll(target, current)) return false;
  const std::optional<std::string> updated = editor(current);
  if (!updated) return true;
  return replaceFile(target, *updated);
}

}  // namespace qxvb::profile::detail
