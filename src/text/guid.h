// New GUIDs as text in the braced registry form with upper-case digits,
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#pragma once

#include <string>

namespace qxvb {

// A random (version 4) GUID from the system's random source.
std::string newGuidText();

}  // namespace qxvb
