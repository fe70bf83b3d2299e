// Unpredictable name pieces for temporary files: every process and every
// call starts from a different name, so a name prepared in advance by
// someone else is never the one used.
#pragma once

#include <cstddef>
#include <string>

namespace qxvb::platform {

// `count` random bytes from the kernel as lower-case hexadecimal digits.
std::string randomHex(std::size_t count);

// `length` random characters from `alphabet` (not empty).
std::string randomText(std::size_t length, const std::string& alphabet);

}  // namespace qxvb::platform
