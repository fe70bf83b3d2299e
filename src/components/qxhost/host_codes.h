// The numbers the host's low-level interface answers: 0 for success, else
// the platform's system error numbers, as the product's host gives them.
#pragma once

#include <cstdint>

namespace qxvb::qxhost::code {
inline constexpr int32_t kSuccess = 0;
inline constexpr int32_t kInvalidFunction = 1;    // not for this kind of diagram
inline constexpr int32_t kPathNotFound = 3;       // the target's folder does not exist
inline constexpr int32_t kAccessDenied = 5;       // the target cannot be written
inline constexpr int32_t kNotEnoughMemory = 8;    // the picture could not be allocated
inline constexpr int32_t kNoMoreItems = 18;       // an enumeration has ended
inline constexpr int32_t kWriteFault = 29;        // writing the file failed otherwise
inline constexpr int32_t kInvalidParameter = 87;  // sizes or rectangle out of range
inline constexpr int32_t kNotImplemented = 120;   // the drawing module is missing
inline constexpr int32_t kBitmapTooLarge = 171;   // above the bitmap area limit
inline constexpr int32_t kInvalidHandle = 6;      // a symbol or diagram handle
inline constexpr int32_t kInvalidWindowHandle = 1400;

// The code for an errno value of a failed file write.
int32_t fromErrno(int error);
}  // namespace qxvb::qxhost::code
