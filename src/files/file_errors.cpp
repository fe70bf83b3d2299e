#include "files/file_errors.h"

#include <cerrno>
#include <string>

#include "frame/automation_error.h"

namespace qxvb::files {

int32_t vbErrorForErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return vberr::PathNotFound;
    case EEXIST:
    case ENOTEMPTY:
      return vberr::FileAlreadyExists;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EBUSY:
    case ETXTBSY:
      return vberr::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
      return 61;  // Disk full
    case EXDEV:
      return 74;  // Can't rename with different drive
    case EMFILE:
    case ENFILE:
      return 67;  // Too many files
    default:
      return vberr::PathFileAccessError;
  }
}

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
