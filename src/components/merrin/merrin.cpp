#include "components/merrin/merrin.h"

#include <charconv>
#include <cstring>
#include <filesystem>
#include <memory>

#include "components/qxxres/string_table_resource.h"
#include "frame/module_state.h"
#include "platform/ansi.h"
#include "platform/regular_file.h"

namespace qxvb::merrin {

namespace {

struct LabelLine {
  std::string_view major;
  std::string_view minor;
  std::string_view property;
  std::string_view label;
};

std::optional<LabelLine> splitLine(std::string_view line) {
  std::string_view fields[4];
  for (int k = 0; k < 3; ++k) {
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return std::nullopt;
    fields[k] = line.substr(0, tab);
    line.remove_prefix(tab + 1);
  }
  fields[3] = line;
  return LabelLine{fields[0], fields[1], fields[2], fields[3]};
}

bool isNumber(std::string_view text, int32_t value) {
  int32_t parsed = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  return ec == std::errc() && end == text.data() + text.size() && parsed == value;
}

bool equalsAsciiIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string readFile(const std::filesystem::path& path) {
  // Only a regular file, within a bound; anything else reads as no labels.
  constexpr std::size_t kLargestLabelFile = std::size_t{16} << 20;
  std::string contents;
  if (platform::readRegularFile(path, contents, kLargestLabelFile) != 0) return {};
  return contents;
}

// The length of text cut to at most limit bytes without splitting a UTF-8
// character.
size_t utf8CutLength(std::string_view text, size_t limit) {
  if (text.size() <= limit) return text.size();
  size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return cut;
}

}  // namespace

std::optional<std::string> findLabel(std::string_view labels, int32_t major, int32_t minor,
                                     std::string_view property) {
  std::optional<std::string> anyMinor;
  while (!labels.empty()) {
    const size_t end = labels.find('\n');
    std::string_view line = labels.substr(0, end);
    labels = end == std::string_view::npos ? std::string_view() : labels.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    const auto fields = splitLine(line);
    if (!fields || !isNumber(fields->major, major)) continue;
    if (!equalsAsciiIgnoreCase(fields->property, property)) continue;
    if (isNumber(fields->minor, minor)) return std::string(fields->label);
    if (fields->minor == "*" && !anyMinor) anyMinor = std::string(fields->label);
  }
  return anyMinor;
}

std::string labelFolder() {
  const auto table = std::dynamic_pointer_cast<qxxres::StringTableResource>(stringTableObject());
  if (table && !table->folder().empty()) return table->folder();
  return stringTableFolderFor(libraryFolder());
}

}  // namespace qxvb::merrin

extern "C" int32_t lpGetLabelForPropertyInType(int32_t major, int32_t minor, const char* property,
                                               char* buffer, int32_t bufferLength) {
  using namespace qxvb;
  if (property == nullptr || buffer == nullptr || bufferLength <= 0) return 0;
  std::string labels =
      merrin::readFile(std::filesystem::path(merrin::labelFolder()) / merrin::kLabelFileName);
  // A folder without labels: those installed with the library.
  if (labels.empty() && !installedDataFolder().empty()) {
    labels =
        merrin::readFile(std::filesystem::path(installedDataFolder()) / merrin::kLabelFileName);
  }
  const auto label = merrin::findLabel(labels, major, minor, ansi::toUtf8(property));
  if (!label) return 0;
  const std::string bytes = ansi::fromUtf8(*label);
  const auto limit = static_cast<size_t>(bufferLength - 1);
  // A UTF-8 label is cut on a character boundary; any other character set
  // is cut at the byte.
  const size_t length = bytes == *label ? merrin::utf8CutLength(bytes, limit)
                                        : (bytes.size() < limit ? bytes.size() : limit);
  std::memcpy(buffer, bytes.data(), length);
  buffer[length] = '\0';
  return static_cast<int32_t>(length);
}
