#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qxvb::platform {

int openRegularFile(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    const int error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    ::close(fd);
    errno = error;
    return -1;
  }
  // Reads of a regular file never block; the flag is dropped all the same.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

int readRegularFile(const std::filesystem::path& file, std::string& out, std::size_t limit) {
  out.clear();
  const int fd = openRegularFile(file);
  if (fd < 0) return errno;
  struct stat info {};
  ::fstat(fd, &info);
  if (static_cast<std::size_t>(info.st_size) > limit) {
    ::close(fd);
    return EFBIG;
  }
  out.reserve(static_cast<std::size_t>(info.st_size));
  char chunk[65536];
  int error = 0;
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      break;
    }
    // A file that grows while it is read is still bounded.
    if (out.size() + static_cast<std::size_t>(n) > limit) {
      error = EFBIG;
      break;
    }
    out.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(fd);
  if (error != 0) out.clear();
  return error;
}

std::string readErrorText(int error, std::size_t limit) {
  switch (error) {
    case ENOENT:
      return "no such file";
    case EINVAL:
    case EISDIR:
      return "not a regular file";
    case EFBIG:
      return "larger than " + std::to_string(limit) + " bytes";
    default:
      return std::strerror(error);
  }
}

}  // namespace qxvb::platform
