#include "files/path_pieces.h"

namespace qxvb::files {

std::string pathPart(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string namePart(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string addSlashIfNeeded(const std::string& path) {
  if (!path.empty() && path.back() == '/') return path;
  return path + '/';
}

std::string extensionOf(const std::string& path) {
  // The platform's rule stops at the first NUL of the text it is given.
  const std::string text = path.substr(0, path.find('\0'));
  std::string::size_type dot = std::string::npos;
  for (std::string::size_type i = 0; i < text.size(); ++i) {
    if (text[i] == '/' || text[i] == ' ') {
      dot = std::string::npos;
    } else if (text[i] == '.') {
      dot = i;
    }
  }
  return dot == std::string::npos ? std::string() : text.substr(dot + 1);
}

std::string longPath(const std::string& path) {
  return path;
}

std::string shortPath(const std::string& path) {
  return path;
}

}  // namespace qxvb::files
