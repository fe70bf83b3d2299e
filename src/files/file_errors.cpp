#include "files/file_errors.h"

#include <string>

#include "frame/automation_error.h"
#include "frame/errno_errors.h"

namespace qxvb::files {

void raiseErrno(int error) {
  raiseVbError(vbErrorForErrno(error));
}

void raiseRefusal(int32_t number, std::string_view reason) {
  raiseError(number, kProjectName, std::string(vbErrorText(number)) + ": " + std::string(reason));
}

bool unusablePath(std::string_view path) {
  return path.empty() || path.find('\0') != std::string_view::npos;
}

}  // namespace qxvb::files
