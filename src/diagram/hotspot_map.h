// The hotspot map of a diagram bitmap: an XML file with the rectangle, in
// bitmap pixels, of every symbol that is a hotspot, and the diagrams
// related to it, read from the host through its low-level interface.
#pragma once

#include <cstdint>
#include <string>

#include "diagram/bitmap_sizes.h"
#include "frame/variant.h"

namespace qxvb::diagram {

// Where a bitmap's hotspot map goes: the name up to the extension's dot
// (the whole name when it has none) followed by extension (".hsp" beside
// bitmaps, ".HSP" beside the converted pictures).
std::string hotspotFileName(const std::string& picture, const std::string& extension);

struct HotspotPlacement {
  Extent bitmap;  // the widened extent the bitmap shows
  double scale = 1.0;
  PixelSize pixels;  // the bitmap's size
};

// Writes the map of the diagram in window to file. Answers false, writing
// nothing, when no symbol is a hotspot; raises when the document cannot be
// built or saved.
bool writeHotspotMap(const Object& hostInterface, int32_t window, const HotspotPlacement& placement,
                     const std::string& file);

// Symbols written in the first pass: flags with no bits but 2 and 8, or
// the flag text "0x0001".
bool isFirstPassSymbol(const std::string& flagText);

}  // namespace qxvb::diagram
