#include "files/log_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "files/file_dates.h"
#include "files/file_errors.h"
#include "platform/ansi.h"
#include "text/trimming.h"

namespace qxvb::files {

std::optional<std::string> logFileOf(const std::string& setting, const std::string& defaultFolder,
                                     const std::string& fileName) {
  if (setting.empty() || (setting.front() != 'Y' && setting.front() != 'y')) return std::nullopt;
  const auto comma = setting.find(',');
  std::string folder =
      comma == std::string::npos ? std::string() : trimWhiteSpace(setting.substr(comma + 1));
  if (folder.empty()) folder = defaultFolder;
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder + fileName;
}

std::string logLine(const std::string& message) {
  return nowText() + " - " + message;
}

bool appendLogLine(const std::string& file, const std::string& message) {
  if (unusablePath(file)) return false;
  const std::string line = ansi::fromUtf8(logLine(message) + "\r\n");
  const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  ssize_t written = -1;
  do {
    written = ::write(fd, line.data(), line.size());
  } while (written < 0 && errno == EINTR);
  const bool closed = ::close(fd) == 0;
  return closed && written == static_cast<ssize_t>(line.size());
}

}  // namespace qxvb::files
