// Diagram to SVG: the host writes the file, and the problems it marked in
// it are listed for the caller.
#pragma once

#include <cstdint>
#include <string>

namespace qxvb::diagram {

// QX_DiagramToSVG: 0 written without problems; 1 host, interface or
// repository missing, no such diagram, or a diagram of the second
// notation; 2 the host failed to write; 3 written with marked problems,
// listed in errorMessage (or the written file could not be read). Never
// raises.
int32_t diagramToSvg(int32_t ddid, const std::string& fileName, std::string& errorMessage);

}  // namespace qxvb::diagram
