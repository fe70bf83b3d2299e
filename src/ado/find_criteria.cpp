#include "ado/find_criteria.h"

#include <unicode/unistr.h>

#include <cctype>

#include "ado/ado_errors.h"
#include "ado/names.h"
#include "ado/value_codec.h"
#include "frame/vb_conversions.h"

namespace qxvb::ado {

namespace {

[[noreturn]] void badCriterion() {
  raise(err::kBadArguments, "ADODB.Recordset");
}

void skipBlanks(std::string_view s, size_t& i) {
  while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
}

std::string foldText(const std::string& s) {
  icu::UnicodeString u = icu::UnicodeString::fromUTF8(s);
  u.foldCase();
  std::string out;
  u.toUTF8String(out);
  return out;
}

// "*" and "%" stand for any run of characters, "_" and "?" for one.
bool wildcardMatch(std::string_view text, std::string_view pattern) {
  size_t t = 0;
  size_t p = 0;
  size_t starP = std::string_view::npos;
  size_t starT = 0;
  while (t < text.size()) {
    if (p < pattern.size() && (pattern[p] == '*' || pattern[p] == '%')) {
      starP = p++;
      starT = t;
    } else if (p < pattern.size() &&
               (pattern[p] == '_' || pattern[p] == '?' || pattern[p] == text[t])) {
      ++p;
      ++t;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && (pattern[p] == '*' || pattern[p] == '%')) ++p;
  return p == pattern.size();
}

bool compareResult(FindCriterion::Op op, int c) {
  switch (op) {
    case FindCriterion::Op::Equal:
      return c == 0;
    case FindCriterion::Op::NotEqual:
      return c != 0;
    case FindCriterion::Op::Less:
      return c < 0;
    case FindCriterion::Op::Greater:
      return c > 0;
    case FindCriterion::Op::LessOrEqual:
      return c <= 0;
    case FindCriterion::Op::GreaterOrEqual:
      return c >= 0;
    case FindCriterion::Op::Like:
      return c == 0;
  }
  return false;
}

}  // namespace

FindCriterion parseFindCriterion(std::string_view s) {
  FindCriterion c;
  size_t i = 0;
  skipBlanks(s, i);
  if (i < s.size() && s[i] == '[') {
    const size_t close = s.find(']', i);
    if (close == std::string_view::npos) badCriterion();
    c.column = std::string(s.substr(i + 1, close - i - 1));
    i = close + 1;
  } else {
    const size_t start = i;
    while (i < s.size() && !std::isspace(static_cast<unsigned char>(s[i])) && s[i] != '=' &&
           s[i] != '<' && s[i] != '>') {
      ++i;
    }
    c.column = std::string(s.substr(start, i - start));
  }
  if (c.column.empty()) badCriterion();
  skipBlanks(s, i);
  const std::string_view rest = s.substr(i);
  if (rest.starts_with("<=")) {
    c.op = FindCriterion::Op::LessOrEqual;
    i += 2;
  } else if (rest.starts_with(">=")) {
    c.op = FindCriterion::Op::GreaterOrEqual;
    i += 2;
  } else if (rest.starts_with("<>")) {
    c.op = FindCriterion::Op::NotEqual;
    i += 2;
  } else if (rest.starts_with("=")) {
    c.op = FindCriterion::Op::Equal;
    i += 1;
  } else if (rest.starts_with("<")) {
    c.op = FindCriterion::Op::Less;
    i += 1;
  } else if (rest.starts_with(">")) {
    c.op = FindCriterion::Op::Greater;
    i += 1;
  } else if (startsWithName(rest, "like") && rest.size() > 4 &&
             std::isspace(static_cast<unsigned char>(rest[4]))) {
    c.op = FindCriterion::Op::Like;
    i += 4;
  } else {
    badCriterion();
  }
  skipBlanks(s, i);
  if (i >= s.size()) badCriterion();
  if (s[i] == '\'' || s[i] == '"') {
    const char quote = s[i++];
    std::string text;
    for (;;) {
      if (i >= s.size()) badCriterion();
      if (s[i] == quote) {
        if (i + 1 < s.size() && s[i + 1] == quote) {
          text += quote;
          i += 2;
          continue;
        }
        ++i;
        break;
      }
      text += s[i++];
    }
    c.value = Variant(std::move(text));
  } else if (s[i] == '#') {
    const size_t close = s.find('#', i + 1);
    if (close == std::string_view::npos) badCriterion();
    DateValue date;
    if (!parseIsoDate(s.substr(i + 1, close - i - 1), date)) badCriterion();
    c.value = Variant(date);
    i = close + 1;
  } else {
    const size_t start = i;
    while (i < s.size() && !std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    double number = 0;
    if (!parseNumber(s.substr(start, i - start), number)) badCriterion();
    c.value = Variant(number);
  }
  skipBlanks(s, i);
  if (i != s.size()) badCriterion();
  if (c.op == FindCriterion::Op::Like && c.value.type() != VarType::String) badCriterion();
  return c;
}

bool matches(const FindCriterion& c, const Variant& field) {
  if (field.isNull() || field.isEmpty()) return false;
  if (const auto* text = c.value.get<std::string>()) {
    if (field.type() == VarType::ByteArray || field.type() == VarType::Object) return false;
    const std::string value = foldText(CStr(field));
    const std::string wanted = foldText(*text);
    if (c.op == FindCriterion::Op::Like) return wildcardMatch(value, wanted);
    const int cmp = value < wanted ? -1 : value > wanted ? 1 : 0;
    return compareResult(c.op, cmp);
  }
  double left = 0;
  if (field.isNumeric()) {
    left = CDbl(field);
  } else if (const auto* s = field.get<std::string>()) {
    DateValue date;
    if (c.value.type() == VarType::Date && parseIsoDate(*s, date)) {
      left = date.serial;
    } else if (!parseNumber(*s, left)) {
      return false;
    }
  } else {
    return false;
  }
  const double right = CDbl(c.value);
  return compareResult(c.op, left < right ? -1 : left > right ? 1 : 0);
}

}  // namespace qxvb::ado
