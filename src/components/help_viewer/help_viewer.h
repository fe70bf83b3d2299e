// The documentation viewer: a small implementation of the product's
// component that shows help. It hands the address to a viewer program
// (xdg-open by default, the product's settings may name another); a viewer
// must accept " -exit -nosplash" to shut down.
#pragma once

#include <string>

namespace qxvb::help_viewer {

struct Viewer {
  std::string program;  // the program's file name
  std::string folder;   // its folder, ending in "/"; empty when found in PATH
};

inline constexpr const char* kDefaultProgram = "xdg-open";

// Starts the viewer program (a name found in PATH, or a path) on the
// address; the viewer that was started, or an
// empty program when it could not be started.
Viewer show(const std::string& program, const std::string& address);

// The command line that shuts the viewer down.
std::string closeCommandLine(const Viewer& viewer);

}  // namespace qxvb::help_viewer
