#include "text/audit_ids.h"

#include "frame/automation_error.h"
#include "frame/error_codes.h"
#include "frame/string_table.h"
#include "platform/ansi.h"
#include "platform/unicode.h"
#include "text/char_positions.h"
#include "text/trimming.h"

namespace qxvb {

namespace {

constexpr int32_t kErrorEmptyAuditId = 45489;
constexpr int32_t kErrorReservedAuditId = 45490;
constexpr std::string_view kFixSource = "QX_Util_FixAuditID";

// Texts of the string table that may never be audit identifiers.
constexpr int32_t kReservedSystem = 55456;
constexpr int32_t kReservedImport = 55096;
constexpr int32_t kReservedUnknown = 55097;
constexpr int32_t kTextEmptyAuditId = 41136;
constexpr int32_t kTextReservedAuditId = 41146;

bool isReservedForFix(std::string_view text) {
  return unicode::equalsIgnoreCase(text, localString(kReservedSystem)) ||
         text == localString(kReservedImport) || text == localString(kReservedUnknown);
}

std::string replaceQuotes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c == '\'')
      out += '`';
    else if (c == '"')
      out += "``";
    else
      out += c;
  }
  return out;
}

}  // namespace

std::string fixAuditId(std::string_view text) {
  if (text.empty()) raiseError(kErrorEmptyAuditId, kFixSource, localString(kTextEmptyAuditId));
  if (isReservedForFix(text)) {
    raiseError(kErrorReservedAuditId, kFixSource,
               formatLocalString(localString(kTextReservedAuditId), Variant(text)));
  }
  const std::string replaced = replaceQuotes(text);
  std::string_view id = replaced;
  const size_t backslash = id.rfind('\\');
  if (backslash != std::string_view::npos) id = id.substr(backslash + 1);
  return std::string(leftCharacters(id, QX_MAX_AUDITID));
}

bool isPermittedAuditId(std::string_view text) {
  if (ansi::fromUtf8(text).size() > static_cast<size_t>(QX_MAX_AUDITID)) return false;
  if (trimSpaces(text).empty()) return false;
  const std::string lower = unicode::toLower(text);
  if (lower == unicode::toLower(localString(kReservedSystem))) return false;
  if (text.find_first_of("'\"") != std::string_view::npos) return false;
  if (lower == unicode::toLower(localString(kReservedImport))) return false;
  if (lower == unicode::toLower(localString(kReservedUnknown))) return false;
  return text.find('\\') == std::string_view::npos;
}

}  // namespace qxvb
