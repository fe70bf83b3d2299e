// Decoding Windows bitmap files: uncompressed 24- and 32-bit bitmaps (what
// the host and most programs write) are read row by row directly; every
// other kind goes to Qt's decoder.
#pragma once

#include <QImage>
#include <string>

namespace qxvb::rastell2 {

// The image of a whole bitmap file; a null image when it is not one.
QImage decodeBitmap(const std::string& bytes);

}  // namespace qxvb::rastell2
