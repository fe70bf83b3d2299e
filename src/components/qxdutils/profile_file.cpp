#include "components/qxdutils/profile_file.h"

#include <cstring>
#include <utility>

#include "components/qxdutils/profile_io.h"
#include "components/qxdutils/profile_text.h"

namespace qxvb::profile {

namespace {

using detail::Document;
using detail::Edit;
using detail::LineKind;
using detail::SectionRange;

using Entries = std::vector<std::pair<std::string, std::string>>;

bool hasLineBreakOrNul(std::string_view s) {
  return s.find_first_of(std::string_view("\0\r\n", 3)) != std::string_view::npos;
}

// Names written to the file must read back as the same names.
bool validSection(std::string_view section) {
  const std::string_view name = detail::trimBlanks(section);
  return !name.empty() && !hasLineBreakOrNul(name) && name.find(']') == std::string_view::npos;
}

bool validKey(std::string_view key) {
  const std::string_view name = detail::trimBlanks(key);
  return !name.empty() && !hasLineBreakOrNul(name) && name.find('=') == std::string_view::npos &&
         name.front() != ';' && name.front() != '[';
}

bool validValue(std::string_view value) {
  return !hasLineBreakOrNul(value);
}

std::string entryLine(std::string_view key, std::string_view value) {
  std::string line(detail::trimBlanks(key));
  line += '=';
  line += value;
  return line;
}

std::string newLines(std::string_view header, const Entries& entries) {
  std::string block;
  if (!header.empty()) {
    block += '[';
    block += detail::trimBlanks(header);
    block += "]\r\n";
  }
  for (const auto& [key, value] : entries) {
    block += entryLine(key, value);
    block += "\r\n";
  }
  return block;
}

std::optional<std::string> setKey(std::string_view content, std::string_view section,
                                  std::string_view key, std::string_view value) {
  const Document doc = detail::parse(content);
  Edit edit;
  const std::optional<SectionRange> range = detail::findSection(doc, section);
  if (!range) {
    edit.insertAt = doc.lines.size();
    edit.inserted = newLines(section, {{std::string(key), std::string(value)}});
  } else if (const std::optional<size_t> at = detail::findEntry(doc, *range, key)) {
    edit.replaced = *at;
    edit.replacement = entryLine(doc.lines[*at].name, value);
    if (edit.replacement == doc.lines[*at].text) return std::nullopt;
  } else {
    edit.insertAt = detail::sectionInsertPoint(doc, *range);
    edit.inserted = newLines({}, {{std::string(key), std::string(value)}});
  }
  return detail::render(doc, edit);
}

std::optional<std::string> deleteKey(std::string_view content, std::string_view section,
                                     std::string_view key) {
  const Document doc = detail::parse(content);
  const std::optional<SectionRange> range = detail::findSection(doc, section);
  if (!range) return std::nullopt;
  Edit edit;
  edit.dropped.assign(doc.lines.size(), false);
  // Every entry of the key goes, or a repeated one would surface as its value.
  for (size_t i = range->header + 1; i < range->end; ++i) {
    const detail::Line& line = doc.lines[i];
    if (line.kind == LineKind::Entry && detail::sameName(line.name, key)) edit.dropped[i] = true;
  }
  if (!detail::changes(edit)) return std::nullopt;
  return detail::render(doc, edit);
}

std::optional<std::string> deleteSection(std::string_view content, std::string_view section) {
  const Document doc = detail::parse(content);
  const std::optional<SectionRange> range = detail::findSection(doc, section);
  if (!range) return std::nullopt;
  Edit edit;
  edit.dropped.assign(doc.lines.size(), false);
  for (size_t i = range->header; i < range->end; ++i) edit.dropped[i] = true;
  return detail::render(doc, edit);
}

std::optional<std::string> replaceSection(std::string_view content, std::string_view section,
                                          const Entries& entries) {
  const Document doc = detail::parse(content);
  const std::optional<SectionRange> range = detail::findSection(doc, section);
  Edit edit;
  if (!range) {
    edit.insertAt = doc.lines.size();
    edit.inserted = newLines(section, entries);
    return detail::render(doc, edit);
  }
  edit.dropped.assign(doc.lines.size(), false);
  for (size_t i = range->header + 1; i < range->end; ++i) {
    if (doc.lines[i].kind != LineKind::Entry) continue;
    edit.dropped[i] = true;
    if (!edit.insertAt) edit.insertAt = i;
  }
  if (!edit.insertAt) edit.insertAt = detail::sectionInsertPoint(doc, *range);
  edit.inserted = newLines({}, entries);
  return detail::render(doc, edit);
}

// Splits a "key=value\0key=value\0\0" block; false when an entry is not a
// key=value pair that could be read back.
bool splitEntries(std::string_view block, Entries& entries) {
  while (!block.empty()) {
    const size_t nul = block.find('\0');
    const std::string_view entry = block.substr(0, nul);
    if (entry.empty()) break;
    const size_t eq = entry.find('=');
    if (eq == std::string_view::npos) return false;
    entries.emplace_back(entry.substr(0, eq), entry.substr(eq + 1));
    if (nul == std::string_view::npos) break;
    block.remove_prefix(nul + 1);
  }
  return true;
}

bool validEntries(const Entries& entries) {
  for (const auto& [key, value] : entries) {
    if (!validKey(key) || !validValue(value)) return false;
  }
  return true;
}

bool guardedRewrite(const std::filesystem::path& file, const detail::Editor& editor) {
  try {
    return detail::rewriteLocked(file, editor);
  } catch (const std::exception&) {
    return false;
  }
}

// Copies strings into a profile-API list buffer: each string ended by a NUL
// and one more NUL after the last. When they do not fit the list is cut,
// still ends with two NULs, and the answer is size - 2.
int32_t fillList(const std::vector<std::string>& items, char* buffer, int32_t size) {
  if (buffer == nullptr || size <= 0) return 0;
  const size_t capacity = static_cast<size_t>(size);
  std::string block;
  for (const std::string& item : items) {
    // Stop building once the block is certain not to fit.
    if (block.size() > capacity) break;
    block += item;
    block += '\0';
  }
  if (block.size() + 1 <= capacity) {
    std::memcpy(buffer, block.data(), block.size());
    buffer[block.size()] = '\0';
    if (block.empty() && capacity >= 2) buffer[1] = '\0';
    return static_cast<int32_t>(block.size());
  }
  if (capacity < 2) {
    buffer[0] = '\0';
    return 0;
  }
  std::memcpy(buffer, block.data(), capacity - 2);
  buffer[capacity - 2] = '\0';
  buffer[capacity - 1] = '\0';
  return size - 2;
}

}  // namespace

std::optional<std::string> readValue(const std::filesystem::path& file, std::string_view section,
                                     std::string_view key) {
  const std::string content = detail::readShared(file);
  const Document doc = detail::parse(content);
  const std::optional<SectionRange> range = detail::findSection(doc, detail::trimBlanks(section));
  if (!range) return std::nullopt;
  const std::optional<size_t> at = detail::findEntry(doc, *range, detail::trimBlanks(key));
  if (!at) return std::nullopt;
  return std::string(doc.lines[*at].value);
}

int32_t getString(std::string_view section, std::string_view key, std::string_view def,
                  char* buffer, int32_t size, const std::filesystem::path& file) {
  if (buffer == nullptr || size <= 0) return 0;
  const std::optional<std::string> value = readValue(file, section, key);
  const std::string_view text = value ? std::string_view(*value) : detail::trimTrailingBlanks(def);
  const size_t count = std::min(text.size(), static_cast<size_t>(size) - 1);
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return static_cast<int32_t>(count);
}

int32_t getSection(std::string_view section, char* buffer, int32_t size,
                   const std::filesystem::path& file) {
  if (buffer == nullptr || size <= 0) return 0;
  std::vector<std::string> lines;
  for (const auto& [key, value] : readSection(file, section)) {
    std::string line = key;
    line += '=';
    line += value;
    lines.push_back(std::move(line));
  }
  return fillList(lines, buffer, size);
}

int32_t getSectionNames(char* buffer, int32_t size, const std::filesystem::path& file) {
  if (buffer == nullptr || size <= 0) return 0;
  return fillList(sectionNames(file), buffer, size);
}

int32_t parseProfileInt(std::string_view text) {
  text = detail::trimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  uint32_t base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  // Digits accumulate modulo 2^32, as the 32-bit conversion wraps.
  uint32_t result = 0;
  for (char c : text) {
    uint32_t digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<uint32_t>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<uint32_t>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<uint32_t>(c - 'A' + 10);
    } else {
      break;
    }
    result = result * base + digit;
  }
  if (negative) result = 0u - result;
  return static_cast<int32_t>(result);
}

int32_t getInt(std::string_view section, std::string_view key, int32_t def,
               const std::filesystem::path& file) {
  const std::optional<std::string> value = readValue(file, section, key);
  if (!value || value->empty()) return def;
  return parseProfileInt(*value);
}

std::vector<std::pair<std::string, std::string>> readSection(const std::filesystem::path& file,
                                                             std::string_view section) {
  const std::string content = detail::readShared(file);
  return detail::entriesOf(detail::parse(content), detail::trimBlanks(section));
}

std::vector<std::string> sectionNames(const std::filesystem::path& file) {
  const std::string content = detail::readShared(file);
  return detail::namesOf(detail::parse(content));
}

bool writeString(std::string_view section, std::optional<std::string_view> key,
                 std::optional<std::string_view> value, const std::filesystem::path& file) {
  if (!validSection(section)) return false;
  const std::string_view name = detail::trimBlanks(section);
  if (!key) {
    return guardedRewrite(file, [&](std::string_view c) { return deleteSection(c, name); });
  }
  if (!validKey(*key)) return false;
  const std::string_view k = detail::trimBlanks(*key);
  if (!value) {
    return guardedRewrite(file, [&](std::string_view c) { return deleteKey(c, name, k); });
  }
  if (!validValue(*value)) return false;
  return guardedRewrite(file, [&](std::string_view c) { return setKey(c, name, k, *value); });
}

bool writeSection(std::string_view section, std::string_view nulSeparatedEntries,
                  const std::filesystem::path& file) {
  Entries entries;
  if (!splitEntries(nulSeparatedEntries, entries)) return false;
  return writeSection(section, entries, file);
}

bool writeSection(std::string_view section,
                  const std::vector<std::pair<std::string, std::string>>& entries,
                  const std::filesystem::path& file) {
  if (!validSection(section) || !validEntries(entries)) return false;
  const std::string_view name = detail::trimBlanks(section);
  return guardedRewrite(file, [&](std::string_view c) { return replaceSection(c, name, entries); });
}

}  // namespace qxvb::profile
