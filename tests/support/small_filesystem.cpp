#include "support/small_filesystem.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "support/sandbox.h"

namespace qxvb::test {

SmallFileSystem::SmallFileSystem(std::size_t kilobytes, const std::string& hint)
    : root_(freshFolder(hint)) {
  const std::string options = "size=" + std::to_string(kilobytes) + "k,mode=0755";
  mounted_ =
      ::mount("qxvb-test", root_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
}

SmallFileSystem::~SmallFileSystem() {
  if (mounted_) ::umount2(root_.c_str(), MNT_DETACH);
}

void SmallFileSystem::fill(const std::string& name) {
  const int fd = ::open((root_ / name).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (fd < 0) return;
  static const std::string block(4096, 'x');
  // Whole blocks first, then single bytes, until nothing more fits.
  for (std::size_t size : {block.size(), std::size_t{1}}) {
    for (;;) {
      const ssize_t n = ::write(fd, block.data(), size);
      if (n <= 0 && errno != EINTR) break;
    }
  }
  ::close(fd);
}

}  // namespace qxvb::test
