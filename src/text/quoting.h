// Quoting of names for the product's command and property syntax: a name
// with a character the syntax treats specially, or one that starts with a
// digit, is enclosed in double quotes.
#pragma once

#include <string>
#include <string_view>

namespace qxvb {

// Current rules also quote names with "*", "|", "`" or a double quote;
// earlier rules (kept for tools that still expect them) do not.
enum class QuotingRules { Current, Earlier };

std::string quoteIfNeeded(std::string_view text, bool quoteBlank, QuotingRules rules);

// Removes one enclosing pair of double quotes. A lone double quote raises
// the invalid-argument error 5.
std::string unQuote(std::string_view text);

}  // namespace qxvb
