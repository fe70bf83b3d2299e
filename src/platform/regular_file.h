// Reading files that may be hostile: only a regular file is read (a FIFO,
// a device or a folder in its place is refused at once, without blocking
// on it), and never more than a bound is taken into memory.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace qxvb::platform {

// The bound for files the library reads whole when the caller names none.
inline constexpr std::size_t kDefaultReadLimit = std::size_t{1} << 30;

// Reads the whole regular file into out. 0, or an errno value: ENOENT and
// the like from the open, EINVAL for something that is not a regular file,
// EFBIG for a file larger than limit.
int readRegularFile(const std::filesystem::path& file, std::string& out,
                    std::size_t limit = kDefaultReadLimit);

// What a failed read means, for messages: "no such file", "not a regular
// file", "larger than LIMIT bytes", or the system's text of the error.
std::string readErrorText(int error, std::size_t limit = kDefaultReadLimit);

// Opens a regular file for reading (non-blocking open, then checked); -1
// with errno set (EINVAL for anything else) when it cannot.
int openRegularFile(const std::filesystem::path& file);

}  // namespace qxvb::platform
