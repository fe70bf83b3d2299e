#include "components/qxdutils/profile_text.h"

#include <unicode/ucasemap.h>
#include <unicode/utypes.h>

#include <algorithm>
#include <unordered_set>

namespace qxvb::profile::detail {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

char asciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool sameAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  }
  return true;
}

const UCaseMap* caseMap() {
  static const UCaseMap* map = [] {
    UErrorCode status = U_ZERO_ERROR;
    UCaseMap* m = ucasemap_open(nullptr, U_FOLD_CASE_DEFAULT, &status);
    return U_SUCCESS(status) ? m : nullptr;
  }();
  return map;
}

// Unicode case folding of UTF-8 text; nullopt when the text is not valid
// UTF-8 or ICU is unavailable, in which case the caller falls back to ASCII.
std::optional<std::string> foldCase(std::string_view s) {
  const UCaseMap* map = caseMap();
  if (map == nullptr || s.size() > 0x3FFFFFFF) return std::nullopt;
  std::string out(s.size() * 3 + 4, '\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = ucasemap_utf8FoldCase(map, out.data(), static_cast<int32_t>(out.size()), s.data(),
                                    static_cast<int32_t>(s.size()), &status);
  if (status == U_BUFFER_OVERFLOW_ERROR) {
    out.assign(static_cast<size_t>(n) + 1, '\0');
    status = U_ZERO_ERROR;
    n = ucasemap_utf8FoldCase(map, out.data(), static_cast<int32_t>(out.size()), s.data(),
                              static_cast<int32_t>(s.size()), &status);
  }
  if (U_FAILURE(status) || n < 0) return std::nullopt;
  out.resize(static_cast<size_t>(n));
  return out;
}

Line classify(std::string_view text, std::string_view eol) {
  Line line{text, eol, LineKind::Other, {}, {}};
  const std::string_view t = trimBlanks(text);
  if (t.empty() || t.front() == ';') return line;
  if (t.front() == '[') {
    std::string_view inner = t.substr(1);
    const size_t close = inner.find(']');
    if (close != std::string_view::npos) inner = inner.substr(0, close);
    line.kind = LineKind::Section;
    line.name = trimBlanks(inner);
    return line;
  }
  const size_t eq = t.find('=');
  if (eq == std::string_view::npos) return line;
  const std::string_view key = trimBlanks(t.substr(0, eq));
  if (key.empty()) return line;
  line.kind = LineKind::Entry;
  line.name = key;
  line.value = stripQuotes(trimBlanks(t.substr(eq + 1)));
  return line;
}

}  // namespace

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  return trimTrailingBlanks(s);
}

std::string_view trimTrailingBlanks(std::string_view s) {
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view stripQuotes(std::string_view s) {
  if (s.size() >= 2 && s.front() == s.back() && (s.front() == '"' || s.front() == '\'')) {
    return s.substr(1, s.size() - 2);
  }
  return s;
}

std::string foldedName(std::string_view s) {
  if (!isAscii(s)) {
    if (std::optional<std::string> folded = foldCase(s)) return *folded;
  }
  std::string out(s);
  for (char& c : out) c = asciiLower(c);
  return out;
}

bool sameName(std::string_view a, std::string_view b) {
  if (isAscii(a) && isAscii(b)) return sameAscii(a, b);
  const std::optional<std::string> fa = foldCase(a);
  const std::optional<std::string> fb = foldCase(b);
  if (!fa || !fb) return sameAscii(a, b);
  return *fa == *fb;
}

Document parse(std::string_view content) {
  Document doc;
  if (content.starts_with(kBom)) {
    doc.bom = content.substr(0, kBom.size());
    content.remove_prefix(kBom.size());
  }
  size_t pos = 0;
  while (pos < content.size()) {
    const size_t nl = content.find('\n', pos);
    size_t textEnd = (nl == std::string_view::npos) ? content.size() : nl;
    const size_t lineEnd = (nl == std::string_view::npos) ? content.size() : nl + 1;
    if (textEnd > pos && content[textEnd - 1] == '\r') --textEnd;
    doc.lines.push_back(
        classify(content.substr(pos, textEnd - pos), content.substr(textEnd, lineEnd - textEnd)));
    pos = lineEnd;
  }
  return doc;
}

std::optional<SectionRange> findSection(const Document& doc, std::string_view section) {
  const size_t n = doc.lines.size();
  for (size_t i = 0; i < n; ++i) {
    const Line& line = doc.lines[i];
    if (line.kind != LineKind::Section || !sameName(line.name, section)) continue;
    size_t end = i + 1;
    while (end < n && doc.lines[end].kind != LineKind::Section) ++end;
    return SectionRange{i, end};
  }
  return std::nullopt;
}

std::optional<size_t> findEntry(const Document& doc, const SectionRange& range,
                                std::string_view key) {
  for (size_t i = range.header + 1; i < range.end; ++i) {
    const Line& line = doc.lines[i];
    if (line.kind == LineKind::Entry && sameName(line.name, key)) return i;
  }
  return std::nullopt;
}

size_t sectionInsertPoint(const Document& doc, const SectionRange& range) {
  for (size_t i = range.end; i > range.header + 1; --i) {
    if (!trimBlanks(doc.lines[i - 1].text).empty()) return i;
  }
  return range.header + 1;
}

std::vector<std::pair<std::string, std::string>> entriesOf(const Document& doc,
                                                           std::string_view section) {
  std::vector<std::pair<std::string, std::string>> entries;
  const std::optional<SectionRange> range = findSection(doc, section);
  if (!range) return entries;
  for (size_t i = range->header + 1; i < range->end; ++i) {
    const Line& line = doc.lines[i];
    if (line.kind == LineKind::Entry) entries.emplace_back(line.name, line.value);
  }
  return entries;
}

std::vector<std::string> namesOf(const Document& doc) {
  std::vector<std::string> names;
  std::unordered_set<std::string> seen;
  for (const Line& line : doc.lines) {
    if (line.kind != LineKind::Section || line.name.empty()) continue;
    // Readers use the first section of a name, so a repeated header adds no
    // second name.
    if (seen.insert(foldedName(line.name)).second) names.emplace_back(line.name);
  }
  return names;
}

bool changes(const Edit& edit) {
  return edit.replaced.has_value() || edit.insertAt.has_value() ||
         std::find(edit.dropped.begin(), edit.dropped.end(), true) != edit.dropped.end();
}

std::string render(const Document& doc, const Edit& edit) {
  std::string out;
  size_t estimate = doc.bom.size() + edit.inserted.size() + edit.replacement.size();
  for (const Line& line : doc.lines) estimate += line.text.size() + line.eol.size();
  out.reserve(estimate);
  out += doc.bom;
  bool openLine = false;  // the last written line has no line ending yet
  auto insertBlock = [&] {
    if (openLine) out += "\r\n";
    out += edit.inserted;
    openLine = false;
  };
  const size_t n = doc.lines.size();
  for (size_t i = 0; i < n; ++i) {
    if (edit.insertAt == i) insertBlock();
    if (!edit.dropped.empty() && edit.dropped[i]) continue;
    const Line& line = doc.lines[i];
    out += (edit.replaced == i) ? std::string_view(edit.replacement) : line.text;
    out += line.eol;
    openLine = line.eol.empty();
  }
  if (edit.insertAt == n) insertBlock();
  return out;
}

}  // namespace qxvb::profile::detail
