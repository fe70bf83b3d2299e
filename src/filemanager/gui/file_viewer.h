// Viewing a file with the program the desktop registers for its type, the
// shell's "open" verb: the type comes from the shared MIME database, the
// program from "xdg-mime query default", and the file opens through
// xdg-open (or gio open) without waiting for the program.
#pragma once

#include <string>

namespace qxvb::filestore {

// The desktop entry of the program registered for the file's type; ""
// when no program is associated with it.
std::string associatedProgram(const std::string& path);

// Opens the file; false when no program is associated with its type or
// the opener could not be started.
bool openWithAssociatedProgram(const std::string& path);

}  // namespace qxvb::filestore
