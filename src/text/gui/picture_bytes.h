// QXUtilities' pictures as bytes: a picture object to the bytes of its
// picture file and back, so pictures can be stored as bytes. The members
// join QXUtilities' late-bound table from here, the graphical module.
#pragma once

#include <cstdint>

#include "frame/variant.h"

namespace qxvb {

// The picture in the bytes of b from its lower bound on (a picture file, or
// a picture's persisted stream), or Nothing when they are not a picture.
// An array without elements raises 9, as indexing its first element does.
Object QX_Util_PictureFromByteArray(const ByteArray& b);

// Writes the picture file of pic into bBitmap (lower bound 0) and returns
// its length. Nothing, or a picture with nothing to save, returns 0 and
// leaves bBitmap as it was; an object that is not a picture raises 13.
int32_t QX_Util_PictureToByteArray(ByteArray& bBitmap, const Object& pic);

}  // namespace qxvb
