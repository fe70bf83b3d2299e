// Diagram to JPEG or PNG: the diagram's bitmap is made in the temporary
// folder, converted by the graphics-conversion library into the target,
// and its hotspot map copied beside the target.
#pragma once

#include <cstdint>
#include <string>

namespace qxvb::diagram {

enum class PictureFormat { Jpeg, Png };

// QX_DiagramToJPEG / QX_DiagramToPNG: 0 on success with width and height
// set. 1: the converter is not usable, or the host, its interface or its
// repository is missing; 2: no temporary file or the diagram's bitmap
// failed; 3: the conversion failed (errorMessage says why); 4: converted,
// but the hotspot map could not be placed beside the target (one was there
// already). Never raises; no temporary file is left behind.
int32_t diagramToPicture(PictureFormat format, int32_t ddid, const std::string& fileName,
                         int32_t& width, int32_t& height, int32_t maxPixelWidth,
                         std::string& errorMessage);

}  // namespace qxvb::diagram
