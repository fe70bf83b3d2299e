// Reading regedit files into the registry store.
#include <cerrno>
#include <iterator>
#include <map>
#include <optional>

#include "platform/ansi.h"
#include "platform/registry/reg_file.h"
#include "platform/registry/unicode.h"
#include "platform/regular_file.h"
#include "platform/text/utf.h"

namespace qxvb::registry {

namespace {

constexpr std::size_t kLargestRegFile = std::size_t{256} << 20;

constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader4 = "REGEDIT4";

enum class Action { CreateKey, DeleteTree, SetValue, DeleteValue };

struct Operation {
  Action action = Action::CreateKey;
  RootKey root = RootKey::CurrentUser;
  std::string path;
  Value value;
  std::size_t line = 0;
};

std::string_view trimLeft(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return text;
}

std::string_view trimRight(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// 8-bit text as UTF-8: valid UTF-8 as it is, anything else in the code
// page (the locale language's ANSI code page when none is named).
std::string decodeEightBit(std::string_view bytes, const std::string& codePage) {
  if (utf::isValid(bytes)) return std::string(bytes);
  const std::string page = codePage.empty() ? std::to_string(ansi::windowsCodePage()) : codePage;
  std::optional<std::string> text = ansi::codePageToUtf8(bytes, page);
  return text ? std::move(*text) : unicode::eightBitToUtf8(bytes);
}

std::string decodeFile(std::string_view bytes, const std::string& codePage) {
  if (bytes.starts_with("\xFF\xFE")) return utf::fromUtf16le(bytes.substr(2));
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  return decodeEightBit(bytes, codePage);
}

std::vector<std::string> splitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    start = end + 1;
  }
  return lines;
}

// Reads a quoted text starting after its opening quote; pos ends after the
// closing quote. Escapes: \\ \" and \n.
std::optional<std::string> readQuoted(std::string_view line, std::size_t& pos) {
  std::string out;
  while (pos < line.size()) {
    const char c = line[pos++];
    if (c == '"') return out;
    if (c == '\\' && pos < line.size()) {
      const char next = line[pos++];
      out += next == 'n' ? '\n' : next;
      continue;
    }
    out += c;
  }
  return std::nullopt;
}

bool onlyCommentLeft(std::string_view rest) {
  rest = trimLeft(rest);
  return rest.empty() || rest.front() == ';';
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::uint32_t> parseHexNumber(std::string_view text, std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  std::uint32_t number = 0;
  for (const char c : text) {
    const int digit = hexDigit(c);
    if (digit < 0) return std::nullopt;
    number = (number << 4) | static_cast<std::uint32_t>(digit);
  }
  return number;
}

std::optional<Bytes> parseHexBytes(std::string_view list) {
  Bytes bytes;
  list = trimRight(trimLeft(list));
  if (list.empty()) return bytes;
  if (list.back() == ',') list.remove_suffix(1);
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(',', start);
    if (end == std::string_view::npos) end = list.size();
    const auto byte = parseHexNumber(trimRight(trimLeft(list.substr(start, end - start))), 2);
    if (!byte) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(*byte));
    start = end + 1;
  }
  return bytes;
}

class Parser {
 public:
  Parser(std::vector<std::string> lines, ImportResult& result, std::string codePage)
      : lines_(std::move(lines)), result_(result), codePage_(std::move(codePage)) {}

  std::vector<Operation> parse() {
    std::size_t first = 0;
    while (first < lines_.size() && trimRight(trimLeft(lines_[first])).empty()) ++first;
    const std::string_view header =
        first < lines_.size() ? trimRight(trimLeft(lines_[first])) : std::string_view();
    if (header != kHeader5 && header != kHeader4) {
      result_.errors.push_back("not a registry file: the first line is not \"" +
                               std::string(kHeader5) + "\" or \"" + std::string(kHeader4) + "\"");
      return {};
    }
    unicodeFile_ = header == kHeader5;
    for (index_ = first + 1; index_ < lines_.size(); ++index_) parseLine();
    return std::move(operations_);
  }

 private:
  void error(const std::string& message) {
    result_.errors.push_back("line " + std::to_string(index_ + 1) + ": " + message);
  }

  void add(Action action, RootKey root, std::string path, Value value = {}) {
    operations_.push_back({action, root, std::move(path), std::move(value), index_ + 1});
  }

  void parseLine() {
    const std::string_view line = trimLeft(lines_[index_]);
    if (line.empty() || line.front() == ';') return;
    if (line.front() == '[') {
      parseKeyLine(line);
    } else if (line.front() == '"' || line.front() == '@') {
      parseValueLine(line);
    } else {
      error("unrecognised line");
    }
  }

  void parseKeyLine(std::string_view line) {
    inKey_ = false;
    keyFailed_ = true;
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos) return error("the key name has no closing \"]\"");
    std::string_view name = line.substr(1, close - 1);
    const bool remove = !name.empty() && name.front() == '-';
    if (remove) name.remove_prefix(1);
    const auto split = splitRootPath(name);
    if (!split) return error("unknown root key in \"" + std::string(name) + "\"");
    if (remove) return add(Action::DeleteTree, split->first, split->second);
    root_ = split->first;
    path_ = split->second;
    inKey_ = true;
    keyFailed_ = false;
    add(Action::CreateKey, root_, path_);
  }

  void parseValueLine(std::string_view line) {
    if (!inKey_) {
      if (!keyFailed_) error("a value outside of any key");
      skipContinuation(line);
      return;
    }
    Value value;
    std::size_t pos = 1;
    if (line.front() == '"') {
      const auto name = readQuoted(line, pos);
      if (!name) return error("the value name has no closing quote");
      value.name = *name;
    }
    std::string_view rest = trimLeft(line.substr(pos));
    if (rest.empty() || rest.front() != '=') return error("\"=\" expected after the value name");
    rest = trimLeft(rest.substr(1));
    if (rest.starts_with("-") && onlyCommentLeft(rest.substr(1))) {
      return add(Action::DeleteValue, root_, path_, std::move(value));
    }
    if (!parseData(rest, value)) return;
    add(Action::SetValue, root_, path_, std::move(value));
  }

  bool parseData(std::string_view rest, Value& value) {
    if (rest.starts_with("\"")) {
      std::size_t pos = 1;
      const auto text = readQuoted(rest, pos);
      if (!text) {
        error("the text has no closing quote");
        return false;
      }
      if (!onlyCommentLeft(rest.substr(pos))) {
        error("text after the closing quote (a quote inside the text must be written \\\")");
        return false;
      }
      value.type = kRegSz;
      value.data = makeString(*text);
      return true;
    }
    if (rest.starts_with("dword:")) {
      const std::string_view digits = rest.substr(6);
      const std::size_t end = digits.find(';');
      const auto number = parseHexNumber(trimRight(digits.substr(0, end)), 8);
      if (!number) {
        error("a dword needs 1 to 8 hexadecimal digits");
        return false;
      }
      value.type = kRegDword;
      value.data = makeDword(*number);
      return true;
    }
    if (rest.starts_with("hex")) return parseHex(rest.substr(3), value);
    error("unknown kind of value data");
    return false;
  }

  bool parseHex(std::string_view rest, Value& value) {
    value.type = kRegBinary;
    if (rest.starts_with("(")) {
      const std::size_t close = rest.find(')');
      const auto type = close == std::string_view::npos
                            ? std::nullopt
                            : parseHexNumber(rest.substr(1, close - 1), 8);
      if (!type) {
        error("the type of hex(...) is not a hexadecimal number");
        return false;
      }
      value.type = *type;
      rest = rest.substr(close + 1);
    }
    if (!rest.starts_with(":")) {
      error("\":\" expected after hex");
      return false;
    }
    const std::string list = joinContinuation(rest.substr(1));
    const auto bytes = parseHexBytes(list);
    if (!bytes) {
      error("the hex bytes are not comma-separated pairs of hexadecimal digits");
      return false;
    }
    if (value.type == kRegSz || value.type == kRegExpandSz || value.type == kRegMultiSz) {
      const std::string_view raw(reinterpret_cast<const char*>(bytes->data()), bytes->size());
      const std::string text =
          unicodeFile_ ? utf::fromUtf16le(raw) : decodeEightBit(raw, codePage_);
      value.data.assign(text.begin(), text.end());
    } else {
      value.data = *bytes;
    }
    return true;
  }

  // The hex list with its continuation lines ("\" at a line's end); a
  // comment ends a line's part of the list.
  std::string joinContinuation(std::string_view first) {
    std::string joined;
    std::string_view part = first;
    while (true) {
      const std::size_t comment = part.find(';');
      if (comment != std::string_view::npos) part = part.substr(0, comment);
      part = trimRight(part);
      if (part.empty() || part.back() != '\\' || index_ + 1 >= lines_.size()) {
        joined += part;
        return joined;
      }
      part.remove_suffix(1);
      joined += part;
      part = trimLeft(lines_[++index_]);
    }
  }

  void skipContinuation(std::string_view line) {
    while (!trimRight(line).empty() && trimRight(line).back() == '\\' &&
           index_ + 1 < lines_.size()) {
      line = lines_[++index_];
    }
  }

  std::vector<std::string> lines_;
  ImportResult& result_;
  std::string codePage_;
  std::vector<Operation> operations_;
  std::size_t index_ = 0;
  bool unicodeFile_ = true;
  bool inKey_ = false;
  bool keyFailed_ = false;
  RootKey root_ = RootKey::CurrentUser;
  std::string path_;
};

// A failure of the store itself (not of one line): the import stops and
// nothing of it is kept.
bool storeFailed(Status status) {
  return status == kDiskFull || status == kIoFailed || status == kBusy || status == kBadDatabase ||
         status == kNotEnoughMemory || status == kCantOpen;
}

Status apply(const Operation& operation, ImportResult& result) {
  Status status = kSuccess;
  switch (operation.action) {
    case Action::CreateKey:
      status = createKey(operation.root, operation.path);
      if (status == kSuccess) ++result.keys;
      break;
    case Action::DeleteTree:
      status = deleteTree(operation.root, operation.path);
      if (status == kFileNotFound) status = kSuccess;
      if (status == kSuccess) ++result.keys;
      break;
    case Action::SetValue:
      status = setValue(operation.root, operation.path, operation.value.name, operation.value.type,
                        operation.value.data);
      if (status == kSuccess) ++result.values;
      break;
    case Action::DeleteValue:
      status = deleteValue(operation.root, operation.path, operation.value.name);
      if (status == kFileNotFound) status = kSuccess;
      if (status == kSuccess) ++result.values;
      break;
  }
  if (status != kSuccess && !storeFailed(status)) {
    result.errors.push_back("line " + std::to_string(operation.line) + ": " + statusText(status));
  }
  return status;
}

}  // namespace

ImportResult importRegText(std::string_view fileBytes, const std::string& codePage) {
  ImportResult result;
  Parser parser(splitLines(decodeFile(fileBytes, codePage)), result, codePage);
  const std::vector<Operation> operations = parser.parse();

  // One transaction per database; the order of the lines is kept within it.
  std::map<std::string, std::vector<const Operation*>> byDatabase;
  for (const Operation& operation : operations) {
    byDatabase[databasePath(operation.root).string()].push_back(&operation);
  }
  for (const auto& entry : byDatabase) {
    // Named copies: lambdas may not capture structured bindings before C++20's
    // later rules, which clang does not implement yet.
    const std::string& file = entry.first;
    const std::vector<const Operation*>& group = entry.second;
    auto applyGroup = [&] {
      for (const Operation* operation : group) {
        const Status status = apply(*operation, result);
        if (storeFailed(status)) return status;
      }
      return kSuccess;
    };
    if (file.empty()) {
      applyGroup();
      continue;
    }
    const ImportResult before = result;
    const Status status = runInTransaction(group.front()->root, applyGroup);
    if (status != kSuccess) {
      result = before;
      result.errors.push_back(file + ": " + statusText(status) + ", nothing was written there");
    }
  }
  return result;
}

ImportResult importRegFile(const std::filesystem::path& file, const std::string& codePage) {
  // Only a regular file is read (a FIFO or device is refused at once), and
  // within a bound.
  std::string bytes;
  const int error = platform::readRegularFile(file, bytes, kLargestRegFile);
  if (error != 0) {
    ImportResult result;
    result.errors.push_back(error == EINVAL  ? "not a regular file"
                            : error == EFBIG ? "the file is too large"
                                             : "cannot open the file");
    return result;
  }
  return importRegText(bytes, codePage);
}

}  // namespace qxvb::registry
