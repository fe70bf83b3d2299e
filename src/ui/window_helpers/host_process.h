// Whether the product's host application runs: a process owning one of
// the top-level windows runs the program qxhost.exe (or qxhost).
#pragma once

#include <string>

namespace qxvb::gui {

bool isHostApplicationActive();

// Whether a program path names the host application: longer than 10
// characters, and its last part, lower-cased, is qxhost.exe or qxhost.
bool isHostProgramPath(const std::string& path);

}  // namespace qxvb::gui
