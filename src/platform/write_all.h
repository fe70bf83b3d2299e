// Writing a whole buffer to a descriptor: a write may take only part of it,
// or be interrupted by a signal before writing anything.
#pragma once

#include <string_view>

namespace qxvb::platform {

// Writes every byte, retrying after EINTR; false on any other failure,
// with errno set by the failing write.
bool writeAll(int fd, std::string_view bytes);

}  // namespace qxvb::platform
