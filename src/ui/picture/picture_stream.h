// The persisted form of a picture and the platform's picture loader.
//
// A picture saved into a stream writes an 8-byte header, the marker and the
// length of the picture file (both 32-bit little-endian), then the picture
// file itself. The loader takes either that stream or a bare picture file.
#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/picture/picture.h"

namespace qxvb {

inline constexpr uint32_t kPictureStreamMarker = 0x0000746C;
inline constexpr size_t kPictureStreamHeaderSize = 8;

// The picture's persisted stream. An empty picture saves a header with
// length 0. A picture whose image cannot be encoded raises E_FAIL.
std::vector<uint8_t> savePictureStream(const Picture& picture);

// Loads a picture from a persisted stream or a bare picture file, as the
// platform's loader does: Windows bitmap, JPEG, GIF, icon and cursor files.
// nullptr when the bytes are not such a picture (a header cut short, a
// length beyond the data, a file that does not decode).
std::shared_ptr<Picture> loadPictureBytes(const uint8_t* data, size_t size);

// The platform's picture loader for a file name: an empty name gives an
// empty picture; a missing file raises 53 (76 when its folder is missing
// too), an unreadable one the file-system error, and a file that is not a
// picture 481 "Invalid picture".
std::shared_ptr<Picture> loadPictureFile(const std::string& fileName);

}  // namespace qxvb
