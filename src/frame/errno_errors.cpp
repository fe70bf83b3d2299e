#include "frame/errno_errors.h"

#include <cerrno>

#include "frame/automation_error.h"

namespace qxvb {

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
      return vberr::DiskFull;
    case EXDEV:
      return vberr::RenameAcrossDisks;
    case EMFILE:
    case ENFILE:
      return vberr::TooManyFiles;
    default:
      return vberr::PathFileAccessError;
  }
}

}  // namespace qxvb
