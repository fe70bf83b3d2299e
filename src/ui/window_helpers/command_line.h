// Command lines split as the platform's program start splits them, so a
// command line written for it starts the same program with the same
// arguments, with no shell in between.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qxvb::gui {

// The program name ends at the first blank outside quotes, and quotes in it
// only group. In the arguments after it, 2n backslashes before a quote give
// n backslashes and the quote opens or closes a quoted part, 2n+1 give n
// backslashes and a literal quote, and other backslashes stay as they are;
// inside a quoted part two quotes give one literal quote.
std::vector<std::string> splitCommandLine(std::string_view commandLine);

}  // namespace qxvb::gui
