#include "files/log_file.h"

#include <fcntl.h>
#include <sys/stat.h>
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

std::string oneLine(const std::string& message) {
  std::string line;
  line.reserve(message.size());
  for (size_t i = 0; i < message.size(); ++i) {
    const char c = message[i];
    if (c == '\r' && i + 1 < message.size() && message[i + 1] == '\n') continue;
    const bool control = static_cast<unsigned char>(c) < 0x20 && c != '\t';
    line += control ? ' ' : c;
  }
  return line;
}

std::string logLine(const std::string& message) {
  return nowText() + " - " + oneLine(message);
}

bool appendLogLine(const std::string& file, const std::string& message) {
  if (unusablePath(file)) return false;
  const std::string line = ansi::fromUtf8(logLine(message) + "\r\n");
  // A link planted at the log's name is not followed, and only a regular
  // file is written to (a FIFO or device in its place is refused).
  const int fd =
      ::open(file.c_str(),
             O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return false;
  }
  ssize_t written = -1;
  do {
    written = ::write(fd, line.data(), line.size());
  } while (written < 0 && errno == EINTR);
  const bool closed = ::close(fd) == 0;
  return closed && written == static_cast<ssize_t>(line.size());
}

}  // namespace qxvb::files
