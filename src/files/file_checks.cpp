#include "files/file_checks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "files/file_errors.h"

namespace qxvb::files {

namespace {

bool statIs(const std::string& name, mode_t type) {
  if (unusablePath(name)) return false;
  struct stat st {};
  return ::stat(name.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == type;
}

}  // namespace

bool fileExists(const std::string& name) {
  return statIs(name, S_IFREG);
}

bool folderExists(const std::string& name) {
  return statIs(name, S_IFDIR);
}

bool validFolderName(const std::string& folder) {
  if (unusablePath(folder)) return false;
  if (folderExists(folder)) return true;
  if (::mkdir(folder.c_str(), 0777) != 0) return false;
  const bool made = folderExists(folder);
  ::rmdir(folder.c_str());
  return made;
}

std::string folderOfFile(const std::string& file) {
  const auto slash = file.rfind('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? "/" : file.substr(0, slash);
}

bool validFileName(const std::string& file, const std::string& folder) {
  if (unusablePath(file) || !validFolderName(folder)) return false;
  if (fileExists(file)) return true;
  // O_EXCL: a file that appears meanwhile is never the one removed.
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno == EEXIST && fileExists(file);
  ::close(fd);
  const bool made = fileExists(file);
  ::unlink(file.c_str());
  return made;
}

}  // namespace qxvb::files
