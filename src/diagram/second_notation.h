// Bitmaps of diagrams of the second notation: the host exports the diagram
// as a .dgx file, whose drawing size (twips) gives the bitmap's size, and
// the drawing is rendered from that file.
#pragma once

#include <cstdint>
#include <string>

#include "diagram/bitmap_export.h"
#include "diagram/host_access.h"

namespace qxvb::diagram {

// Writes the bitmap of the diagram to fileName within maxPixelWidth; false
// when the host's export or its file is not usable. Raises what the host
// and the document raise.
bool secondNotationBitmap(const HostObjects& host, const Object& diagram,
                          const std::string& fileName, int32_t maxPixelWidth, BitmapResult& out);

}  // namespace qxvb::diagram
