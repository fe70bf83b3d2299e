// QX_File_Utils' picture loaders. Besides the files the platform's picture
// loader reads, PNG files load through the graphics-conversion library and
// SVG drawings through the picture-conversion component, each by way of a
// bitmap file in the temporary folder. The members join QX_File_Utils'
// late-bound table from here, the graphical module.
#pragma once

#include <cstdint>
#include <string>

#include "files/qx_file_utils.h"

namespace qxvb {

// QX_File_LoadPicture2(v_strFileName, False, 0, 0, 255, 255, 255).
Object QX_File_LoadPicture(QX_File_Utils& utils, const std::string& v_strFileName);

// The picture in the file, or Nothing when it cannot be loaded; never
// raises. A name containing ".png" (any case) is converted to a bitmap
// first; a name containing ".svg" is drawn into a bitmap of v_pixX by v_pixY
// pixels on the colour r, g, b (letter-boxed when v_bKeepAspectRatio; a size
// of 0 follows the drawing), and any other name is loaded as it is. An empty
// name gives an empty picture, as the platform's loader does.
Object QX_File_LoadPicture2(QX_File_Utils& utils, const std::string& v_strFileName,
                            bool v_bKeepAspectRatio, int32_t v_pixX, int32_t v_pixY, int32_t r,
                            int32_t g, int32_t b);

}  // namespace qxvb
