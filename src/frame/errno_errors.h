// Failed platform calls as the VB run-time errors the file-system object
// raises for them: 76 path not found, 58 file already exists, 70
// permission denied, 61 disk full, 74 rename across disks, 67 too many
// files, 75 path/file access error for every other failure.
#pragma once

#include <cstdint>

namespace qxvb {

int32_t vbErrorForErrno(int error);

}  // namespace qxvb
