#include "arguments.h"

#include <charconv>
#include <memory>
#include <stdexcept>
#include <vector>

#include "frame/catalogue.h"
#include "frame/collection.h"
#include "frame/err_object.h"
#include "line_files.h"

namespace qxcall {

using qxvb::Variant;

const char* const kArgumentHelp =
    "  s:TEXT        String\n"
    "  i:N           Integer (16-bit)\n"
    "  l:N           Long (32-bit)\n"
    "  d:X           Double\n"
    "  b:true|false  Boolean\n"
    "  n:            Null\n"
    "  e:            left out: the parameter's default applies\n"
    "  x:HEX         byte array (lower bound 0), e.g. x:48656C6C6F\n"
    "  sa:A|B|C      string array (lower bound 0); sa: is an empty array\n"
    "  va:F;F;...    variant array (lower bound 0) whose items are written in\n"
    "                these forms, e.g. va:l:3;s:x;o:QXVBUtils.clsSortData\n"
    "  col:F;F;...   a Collection whose items are written in these forms,\n"
    "                e.g. col:s:/tmp/a.txt;s:/tmp/b.txt; col: is an empty one\n"
    "  lines:FILE    a Collection of the lines of FILE as Strings (- reads\n"
    "                standard input), e.g. a long list of files to import\n"
    "  o:PROGID      a new object of that class\n"
    "  r:            the result of the previous call, e.g. an object it returned\n"
    "  v:NAME        the object or value kept under NAME (see --as)\n"
    "  esc:TEXT      String with escapes: \\0 NUL, \\t, \\n, \\r, \\\\ backslash, e.g. a\n"
    "                dialog filter esc:Settings\\0*.cfg\\0\\0\n"
    "  rec:TYPE|FIELD=F|...\n"
    "                a record (user-defined type) with its fields in these forms,\n"
    "                e.g. rec:SelectedFont|sSelectedFont=s:DejaVu Sans|nSize=i:12\n"
    "  err:N|SOURCE|DESCRIPTION[|HELPFILE|HELPCONTEXT]\n"
    "                an error object (as VB's Err) with those properties\n"
    "  TEXT          any other argument is a String\n";

namespace {

[[noreturn]] void bad(const std::string& text, const std::string& why) {
  throw std::invalid_argument("argument '" + text + "': " + why);
}

template <class T>
T parseInteger(const std::string& text, const std::string& digits) {
  T value{};
  const auto res = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (res.ec == std::errc::result_out_of_range) bad(text, "number out of range");
  if (res.ec != std::errc() || res.ptr != digits.data() + digits.size())
    bad(text, "not a whole number");
  return value;
}

std::vector<std::string> split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t at = text.find(sep, start);
    parts.push_back(text.substr(start, at - start));
    if (at == std::string::npos) break;
    start = at + 1;
  }
  return parts;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

Variant bytes(const std::string& text, const std::string& digits) {
  if (digits.size() % 2 != 0) bad(text, "hexadecimal needs an even number of digits");
  qxvb::ByteArray array;
  for (size_t i = 0; i < digits.size(); i += 2) {
    const int hi = hexDigit(digits[i]);
    const int lo = hexDigit(digits[i + 1]);
    if (hi < 0 || lo < 0) bad(text, "not hexadecimal");
    array.data.push_back(static_cast<uint8_t>(hi * 16 + lo));
  }
  return Variant(std::move(array));
}

Variant errorObject(const std::string& text, const std::string& fields) {
  const auto parts = split(fields, '|');
  if (parts.size() < 3) bad(text, "expected NUMBER|SOURCE|DESCRIPTION");
  auto err = std::make_shared<qxvb::ErrObject>();
  err->Number = parseInteger<int32_t>(text, parts[0]);
  err->Source = parts[1];
  err->Description = parts[2];
  if (parts.size() > 3) err->HelpFile = parts[3];
  if (parts.size() > 4) err->HelpContext = parseInteger<int32_t>(text, parts[4]);
  return Variant(qxvb::Object(err));
}

// A String written with backslash escapes.
std::string unescaped(const std::string& text, const std::string& rest) {
  std::string out;
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] != '\\') {
      out += rest[i];
      continue;
    }
    if (++i >= rest.size()) bad(text, "a backslash ends the text");
    switch (rest[i]) {
      case '0':
        out += '\0';
        break;
      case 't':
        out += '\t';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case '\\':
        out += '\\';
        break;
      default:
        bad(text, std::string("unknown escape \\") + rest[i]);
    }
  }
  return out;
}

// TYPE|FIELD=F|...: a record whose fields keep the order given.
Variant record(const std::string& text, const std::string& rest) {
  const std::vector<std::string> parts = split(rest, '|');
  if (parts.empty() || parts[0].empty()) bad(text, "a record needs its type name");
  qxvb::Record r;
  r.typeName = parts[0];
  for (size_t i = 1; i < parts.size(); ++i) {
    const size_t equals = parts[i].find('=');
    if (equals == std::string::npos || equals == 0) bad(text, "expected FIELD=FORM");
    r.fields.emplace_back(parts[i].substr(0, equals), parseArgument(parts[i].substr(equals + 1)));
  }
  return Variant(std::move(r));
}

}  // namespace

std::vector<std::string> expandArgumentFiles(int argc, char** argv) {
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) != "--args") {
      words.emplace_back(argv[i]);
      continue;
    }
    if (++i >= argc) throw std::invalid_argument("--args needs a FILE");
    for (auto& line : qxtools::readLines(argv[i])) words.push_back(std::move(line));
  }
  return words;
}

Variant parseArgument(const std::string& text) {
  const size_t colon = text.find(':');
  if (colon == std::string::npos) return Variant(text);
  const std::string form = text.substr(0, colon);
  const std::string rest = text.substr(colon + 1);
  if (form == "s") return Variant(rest);
  if (form == "i") return Variant(parseInteger<int16_t>(text, rest));
  if (form == "l") return Variant(parseInteger<int32_t>(text, rest));
  if (form == "d") {
    double d = 0;
    const auto res = std::from_chars(rest.data(), rest.data() + rest.size(), d);
    if (res.ec != std::errc() || res.ptr != rest.data() + rest.size()) bad(text, "not a number");
    return Variant(d);
  }
  if (form == "b") {
    if (rest == "true") return Variant(true);
    if (rest == "false") return Variant(false);
    bad(text, "expected true or false");
  }
  if (form == "n") return Variant::null();
  if (form == "e") return Variant::missing();
  if (form == "x") return bytes(text, rest);
  if (form == "sa") {
    qxvb::StringArray array;
    if (!rest.empty()) array.items = split(rest, '|');
    return Variant(std::move(array));
  }
  if (form == "va") {
    qxvb::VariantArray array;
    if (!rest.empty()) {
      for (const auto& item : split(rest, ';')) array.items.push_back(parseArgument(item));
    }
    return Variant(std::move(array));
  }
  if (form == "col") {
    auto collection = std::make_shared<qxvb::Collection>();
    if (!rest.empty()) {
      for (const auto& item : split(rest, ';')) collection->Add(parseArgument(item));
    }
    return Variant(qxvb::Object(collection));
  }
  if (form == "lines") {
    auto collection = std::make_shared<qxvb::Collection>();
    for (const auto& line : qxtools::readLines(rest)) collection->Add(Variant(line));
    return Variant(qxvb::Object(collection));
  }
  if (form == "o") return Variant(qxvb::createObject(rest));
  if (form == "esc") return Variant(unescaped(text, rest));
  if (form == "rec") return record(text, rest);
  if (form == "err") return errorObject(text, rest);
  return Variant(text);
}

}  // namespace qxcall
