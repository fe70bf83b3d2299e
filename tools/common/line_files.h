// Lists the tools read from a file or from standard input, one item a line.
#pragma once

#include <string>
#include <vector>

namespace qxtools {

// The lines of file ("-" for standard input) without their line ends (CR LF
// counts as one), empty lines left out. Standard input is read at most once
// per program. Throws std::invalid_argument when the file cannot be read or
// standard input was already read.
std::vector<std::string> readLines(const std::string& file);

}  // namespace qxtools
