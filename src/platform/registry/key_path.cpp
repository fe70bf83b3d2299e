#include "platform/registry/key_path.h"

#include "platform/registry/unicode.h"
#include "platform/text/utf.h"

namespace qxvb::registry {

namespace {

bool isAcceptableName(std::string_view name, std::size_t maxChars) {
  if (name.find('\0') != std::string_view::npos) return false;
  if (!utf::isValid(name)) return false;
  return unicode::countChars(name) <= maxChars;
}

}  // namespace

Status splitKeyPath(std::string_view path, std::vector<std::string>& components) {
  components.clear();
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  if (path.empty()) return kSuccess;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = path.find('\\', start);
    const std::string_view part =
        path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (part.empty() || !isAcceptableName(part, kMaxKeyNameChars)) {
      components.clear();
      return kInvalidParameter;
    }
    components.emplace_back(part);
    if (components.size() > kMaxKeyDepth) {
      components.clear();
      return kInvalidParameter;
    }
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return kSuccess;
}

Status checkValueName(std::string_view name) {
  return isAcceptableName(name, kMaxValueNameChars) ? kSuccess : kInvalidParameter;
}

}  // namespace qxvb::registry
