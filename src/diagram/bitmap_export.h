// Diagram to Windows bitmap: the host renders the diagram of its open
// repository at a pixel size within the caller's width, retrying smaller
// when it cannot create the bitmap, and the hotspot map goes beside it.
#pragma once

#include <cstdint>
#include <string>

namespace qxvb::diagram {

struct BitmapResult {
  int32_t width = 0;
  int32_t height = 0;
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  double scale = 0.0;
};

// QX_DiagramToBitmap3: 0 on success with out filled; 1 when the host, its
// interface or its repository is missing; 2 when the export failed later.
// Never raises.
int32_t diagramToBitmap(int32_t ddid, const std::string& fileName, int32_t maxPixelWidth,
                        bool hotspotMap, BitmapResult& out);

// Whether path holds a bitmap as the export checks it: more than 26 bytes
// and not 1 by 1 pixel.
bool isUsableBitmap(const std::string& path);

}  // namespace qxvb::diagram
