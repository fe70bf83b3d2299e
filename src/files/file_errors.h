// File-system failures as the automation errors the file-system object
// raises: the VB run-time numbers (53 file not found, 58 file exists,
// 70 permission denied, 75 path/file access, 76 path not found, ...).
#pragma once

#include <cstdint>
#include <string_view>

namespace qxvb::files {

// Raises the VB run-time error for an errno value (frame/errno_errors.h)
// with its standard text.
[[noreturn]] void raiseErrno(int error);

// Raises a VB run-time error whose description adds the reason to the
// standard text, for refusals the platform itself does not make.
[[noreturn]] void raiseRefusal(int32_t number, std::string_view reason);

// True when a path cannot name anything: empty or holding a NUL, which the
// platform calls would silently cut.
bool unusablePath(std::string_view path);

}  // namespace qxvb::files
