#include "filemanager/recent_lists.h"

#include "platform/registry/app_settings.h"
#include "platform/unicode.h"

namespace qxvb::filestore {

namespace {

constexpr const char* kSection = "FileManager";
constexpr size_t kCaptionChars = 125;
constexpr std::string_view kEllipsis = "...";

// The first count characters (code points) of text.
std::string headChars(std::string_view text, size_t count) {
  size_t i = 0;
  for (; i < text.size() && count > 0; --count) {
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
  }
  return std::string(text.substr(0, i));
}

}  // namespace

RecentList::RecentList(std::string application, std::string prefix)
    : application_(std::move(application)), prefix_(std::move(prefix)) {}

std::string RecentList::key(int index) const {
  return prefix_ + std::to_string(index);
}

std::vector<std::string> RecentList::entries() const {
  std::vector<std::string> out;
  out.reserve(kRecentEntries);
  for (int i = 0; i < kRecentEntries; ++i) {
    out.push_back(registry::getAppSetting(application_, kSection, key(i)));
  }
  return out;
}

void RecentList::add(const std::string& path) {
  std::vector<std::string> list = entries();
  int found = kRecentEntries - 1;
  for (int i = 0; i < kRecentEntries; ++i) {
    if (list[static_cast<size_t>(i)] == path) {
      found = i;
      break;
    }
  }
  for (int i = found; i > 0; --i) list[static_cast<size_t>(i)] = list[static_cast<size_t>(i - 1)];
  list[0] = path;
  for (int i = 0; i < kRecentEntries; ++i) {
    const std::string& value = list[static_cast<size_t>(i)];
    if (value.empty()) {
      registry::deleteAppSetting(application_, kSection, key(i));
    } else {
      registry::saveAppSetting(application_, kSection, key(i), value);
    }
  }
}

std::string compactPath(const std::string& path, size_t maxChars) {
  if (unicode::length(path) <= maxChars) return path;
  const size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash);
  const size_t nameChars = unicode::length(name);
  if (nameChars + kEllipsis.size() + 1 >= maxChars) {
    // Even the name is too long: its start and the ellipsis.
    return headChars(name, maxChars > kEllipsis.size() ? maxChars - kEllipsis.size() : 0) +
           std::string(kEllipsis);
  }
  const size_t room = maxChars - nameChars - kEllipsis.size() - 1;
  std::string head = headChars(path.substr(0, slash), room);
  // Folders are cut whole where a separator allows it.
  const size_t lastSlash = head.rfind('/');
  if (lastSlash != std::string::npos && lastSlash > 0) head.resize(lastSlash + 1);
  if (!head.empty() && head.back() == '/') head.pop_back();
  return head + "/" + std::string(kEllipsis) + name;
}

std::string recentCaption(int index, const std::string& path) {
  std::string shown;
  for (const char c : compactPath(path, kCaptionChars)) {
    shown += c;
    if (c == '&') shown += '&';
  }
  return "&" + std::to_string(index + 1) + " " + shown;
}

}  // namespace qxvb::filestore
