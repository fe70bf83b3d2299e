// Audit identifiers: the short user tag the product records against
// changes. At most QX_MAX_AUDITID characters, never one of the three
// reserved texts of the string table.
#pragma once

#include <string>
#include <string_view>

namespace qxvb {

// Makes any text usable as an audit identifier: quotes become grave
// accents, only what follows the last backslash is kept, and the result is
// cut to seven characters. Raises 45489 for the empty text and 45490 for a
// reserved one (source "QX_Util_FixAuditID").
std::string fixAuditId(std::string_view text);

// True when text may be stored as it is.
bool isPermittedAuditId(std::string_view text);

}  // namespace qxvb
