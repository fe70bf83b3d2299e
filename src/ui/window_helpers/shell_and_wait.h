// QX_ShellAndWaitForTermination: a program started from a command line
// and waited for, while the caller's windows go on receiving events.
#pragma once

#include <cstdint>
#include <string>

namespace qxvb::gui {

// Starts the command line (split by splitCommandLine, no shell) and waits
// until the program ends or, when timeOutMs > 0, that many milliseconds
// passed (the program is then left running). False with error = text 41134
// when it cannot start, 41135 on time-out. The window style is accepted;
// X11 programs choose their own first window state.
bool shellAndWaitForTermination(const std::string& commandLine, int32_t windowStyle,
                                std::string& error, int32_t timeOutMs);

// Starts the command line and returns at once; the program is reaped when
// it ends. False when it cannot start.
bool startDetached(const std::string& commandLine);

}  // namespace qxvb::gui
