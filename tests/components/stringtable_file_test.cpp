// Checks the shipped English string-table file data/stringtable/qxxres-strings.txt:
// its line format, the order and uniqueness of its ids, that every id the library
// uses has a text, and that message templates only use the placeholders %1 to %3.
// Self-contained: it reads and parses the file itself.

#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const kStringTableFile = QXVB_SOURCE_DIR "/data/stringtable/qxxres-strings.txt";

// Every string-table id the library uses.
const int32_t kUsedIds[] = {
    17065, 17068,                                                                 //
    34944, 34945, 34946, 34947, 34948, 34949, 34950, 34951, 34952, 34953, 34954,  //
    34958, 34959, 34966, 34967, 34968,                                            //
    35107, 35108, 35109, 35110, 35111, 35115, 35116, 35117, 35118, 35129, 35130,  //
    41118, 41119, 41120, 41121, 41122, 41123, 41124, 41126, 41127, 41128, 41129,  //
    41130, 41131, 41134, 41135, 41136, 41138, 41139, 41140, 41141, 41142, 41143,  //
    41144, 41145, 41146, 41147, 41148, 41149, 41153, 41154, 41156,                //
    55025, 55028, 55033, 55046, 55047, 55048, 55053, 55054, 55055, 55056, 55057,  //
    55058, 55059, 55060, 55061, 55067, 55068, 55070, 55093, 55094, 55096, 55097,  //
    55111, 55351, 55378, 55381, 55456, 55515, 55803, 55804, 55805, 55806, 55807,  //
    55808, 55809, 55811, 55812, 55813, 55814, 55815, 55816, 55817, 55818, 55819,  //
    55820, 55821, 56085, 56271, 56374, 56375,
};

struct Entry {
  int32_t id;
  std::string text;  // escapes expanded
  std::size_t line;
};

struct ParsedFile {
  bool opened = false;
  std::vector<Entry> entries;
  std::vector<std::string> errors;
};

bool isBlank(const std::string& s) {
  for (char c : s) {
    if (c != ' ' && c != '\t' && c != '\r') {
      return false;
    }
  }
  return true;
}

// Expands \n, \r, \t and \\; any other backslash sequence is an error.
bool unescape(const std::string& raw, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '\\') {
      out += raw[i];
      continue;
    }
    if (i + 1 >= raw.size()) {
      return false;
    }
    switch (raw[++i]) {
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case '\\':
        out += '\\';
        break;
      default:
        return false;
    }
  }
  return true;
}

ParsedFile parseFile() {
  ParsedFile result;
  std::ifstream in(kStringTableFile, std::ios::binary);
  if (!in) {
    return result;
  }
  result.opened = true;
  std::string line;
  std::size_t lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    std::ostringstream where;
    where << "line " << lineNo << ": ";
    if (!line.empty() && line.back() == '\r') {
      result.errors.push_back(where.str() + "CR line end");
      continue;
    }
    if (line.empty() || line[0] == '#' || isBlank(line)) {
      continue;
    }
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos || tab == 0) {
      result.errors.push_back(where.str() + "not a comment, blank or id<TAB>text");
      continue;
    }
    const std::string idText = line.substr(0, tab);
    bool numeric = idText.size() <= 9;
    for (char c : idText) {
      numeric = numeric && std::isdigit(static_cast<unsigned char>(c)) != 0;
    }
    if (!numeric) {
      result.errors.push_back(where.str() + "id is not a decimal number: " + idText);
      continue;
    }
    Entry entry;
    entry.id = static_cast<int32_t>(std::stol(idText));
    entry.line = lineNo;
    if (!unescape(line.substr(tab + 1), entry.text)) {
      result.errors.push_back(where.str() + "invalid escape sequence");
      continue;
    }
    result.entries.push_back(entry);
  }
  return result;
}

const ParsedFile& parsed() {
  static const ParsedFile file = parseFile();
  return file;
}

TEST(StringTableFile, OpensAndHasOnlyValidLines) {
  const ParsedFile& file = parsed();
  ASSERT_TRUE(file.opened) << "cannot open " << kStringTableFile;
  for (const std::string& error : file.errors) {
    ADD_FAILURE() << error;
  }
  EXPECT_FALSE(file.entries.empty());
}

TEST(StringTableFile, IdsAreUniqueAndSorted) {
  const ParsedFile& file = parsed();
  ASSERT_TRUE(file.opened);
  for (std::size_t i = 1; i < file.entries.size(); ++i) {
    EXPECT_LT(file.entries[i - 1].id, file.entries[i].id)
        << "line " << file.entries[i].line << ": id " << file.entries[i].id
        << " is not greater than the previous id " << file.entries[i - 1].id;
  }
}

TEST(StringTableFile, EveryUsedIdHasAText) {
  const ParsedFile& file = parsed();
  ASSERT_TRUE(file.opened);
  std::map<int32_t, std::string> texts;
  for (const Entry& entry : file.entries) {
    texts.emplace(entry.id, entry.text);
  }
  std::set<int32_t> seen;
  for (int32_t id : kUsedIds) {
    EXPECT_TRUE(seen.insert(id).second) << "id listed twice in the test: " << id;
    const auto it = texts.find(id);
    if (it == texts.end()) {
      ADD_FAILURE() << "no text for id " << id;
      continue;
    }
    EXPECT_FALSE(it->second.empty()) << "empty text for id " << id;
  }
}

TEST(StringTableFile, PlaceholdersAreOnlyPercentOneToThree) {
  const ParsedFile& file = parsed();
  ASSERT_TRUE(file.opened);
  for (const Entry& entry : file.entries) {
    const std::string& t = entry.text;
    for (std::size_t i = 0; i < t.size(); ++i) {
      if (t[i] != '%') {
        continue;
      }
      const bool ok =
          i + 1 < t.size() && t[i + 1] >= '1' && t[i + 1] <= '3' &&
          (i + 2 >= t.size() || std::isdigit(static_cast<unsigned char>(t[i + 2])) == 0);
      EXPECT_TRUE(ok) << "line " << entry.line << ", id " << entry.id
                      << ": '%' not followed by a placeholder 1 to 3";
    }
  }
}

TEST(StringTableFile, ConnectionKeywordsEndWithEquals) {
  const ParsedFile& file = parsed();
  ASSERT_TRUE(file.opened);
  const std::set<int32_t> keys = {55046, 55047, 55048, 55053, 55054, 55055, 55058, 55060};
  for (const Entry& entry : file.entries) {
    if (keys.count(entry.id) != 0) {
      ASSERT_FALSE(entry.text.empty());
      EXPECT_EQ(entry.text.back(), '=') << "id " << entry.id;
    }
  }
}

TEST(StringTableFile, DataLinkLinesMatchTheWindowsTools) {
  const ParsedFile& file = parsed();
  ASSERT_TRUE(file.opened);
  std::map<int32_t, std::string> texts;
  for (const Entry& entry : file.entries) {
    texts.emplace(entry.id, entry.text);
  }
  EXPECT_EQ(texts[55067], "[oledb]");
  EXPECT_EQ(texts[55068], "; Everything after this line is an OLE DB initstring");
  // The registry branch XML is read back by selecting 55804 from a document whose
  // element is named 55515.
  EXPECT_EQ(texts[55515], texts[55804]);
}

}  // namespace
