// The text side of profile files: splitting the bytes into classified lines,
// finding sections and keys the way the profile API does, and rendering an
// edited file that keeps every untouched line byte for byte.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qxvb::profile::detail {

enum class LineKind { Other, Section, Entry };

struct Line {
  std::string_view text;  // without its line ending
  std::string_view eol;   // "\r\n", "\n" or "" for a last line without one
  LineKind kind = LineKind::Other;
  std::string_view name;   // section name or key, surrounding blanks removed
  std::string_view value;  // entry value, blanks and matching quotes removed
};

struct Document {
  std::string_view bom;  // a UTF-8 byte order mark, kept on rewrite
  std::vector<Line> lines;
};

// Splits content into lines; the views point into content.
Document parse(std::string_view content);

// Section and key names compare without regard to case, with Unicode case
// folding for names that are not plain ASCII.
bool sameName(std::string_view a, std::string_view b);
std::string foldedName(std::string_view s);

std::string_view trimBlanks(std::string_view s);
std::string_view trimTrailingBlanks(std::string_view s);
std::string_view stripQuotes(std::string_view s);

// Line range of the first section with this name: header index and the
// index one past its last line; nullopt when there is no such section.
struct SectionRange {
  size_t header = 0;
  size_t end = 0;
};
std::optional<SectionRange> findSection(const Document& doc, std::string_view section);

// Index of the first entry of key inside the range; nullopt when absent.
std::optional<size_t> findEntry(const Document& doc, const SectionRange& range,
                                std::string_view key);

// Index after the last non-blank line of the section, where new keys go.
size_t sectionInsertPoint(const Document& doc, const SectionRange& range);

// Section entries in file order, as readers see them.
std::vector<std::pair<std::string, std::string>> entriesOf(const Document& doc,
                                                           std::string_view section);
std::vector<std::string> namesOf(const Document& doc);

// An edit of a parsed document: lines dropped, one line's text replaced (its
// line ending kept) and one block of new lines inserted before a line index.
struct Edit {
  std::vector<bool> dropped;  // empty, or one flag per line
  std::optional<size_t> replaced;
  std::string replacement;
  std::optional<size_t> insertAt;  // lines.size() appends
  std::string inserted;            // complete lines, each ended by CR LF
};

bool changes(const Edit& edit);
std::string render(const Document& doc, const Edit& edit);

}  // namespace qxvb::profile::detail
