#include "text/quoting.h"

#include "frame/automation_error.h"

namespace qxvb {

namespace {

// All special characters are ASCII, so a byte search in UTF-8 text finds
// exactly the characters.
constexpr std::string_view kEarlierSpecials = " ,+.;[{()}]/@'\\\r\n\t";
constexpr std::string_view kCurrentSpecials = " ,+.;[{()}]/@'\\*|`\r\n\t\"";

bool startsWithDigit(std::string_view text) {
  return text.front() >= '0' && text.front() <= '9';
}

}  // namespace

std::string quoteIfNeeded(std::string_view text, bool quoteBlank, QuotingRules rules) {
  if (text.empty()) return quoteBlank ? "\"\"" : "";
  if (text.front() == '"') return std::string(text);
  const std::string_view specials =
      rules == QuotingRules::Current ? kCurrentSpecials : kEarlierSpecials;
  const bool needed =
      text.find_first_of(specials) != std::string_view::npos || startsWithDigit(text);
  if (!needed) return std::string(text);
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted += '"';
  quoted += text;
  quoted += '"';
  return quoted;
}

std::string unQuote(std::string_view text) {
  if (text.empty() || text.front() != '"' || text.back() != '"') return std::string(text);
  if (text.size() == 1) raiseVbError(vberr::InvalidProcedureCall);
  return std::string(text.substr(1, text.size() - 2));
}

}  // namespace qxvb
