// The picture-conversion component: draws SVG drawings into bitmaps of a
// requested size. A small implementation on QtSvg of the product's
// component, reached late-bound like the component it stands for.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <cstdint>
#include <string>

#include "frame/dispatch.h"

namespace qxvb::picconv {

// The largest bitmap drawn, per side and in all; larger requests fail.
inline constexpr int32_t kLargestSide = 16384;
inline constexpr int64_t kLargestArea = int64_t{64} * 1024 * 1024;

// The size a drawing of natural size (naturalX, naturalY) is drawn at: the
// requested size; where one side is 0 or less, that side follows from the
// other by the drawing's proportions; with both 0 or less, the natural
// size. Empty when no size follows or it is larger than allowed.
QSize targetSize(int32_t naturalX, int32_t naturalY, int32_t pixX, int32_t pixY);

// The drawing svg as an opaque image of targetSize on background. When
// keepAspectRatio, the drawing keeps its proportions, centred, with bars
// of background on two sides; otherwise it fills the image. A null image
// when svg is not a drawing or the size is not allowed.
QImage renderSvg(const QByteArray& svg, int32_t pixX, int32_t pixY, bool keepAspectRatio,
                 const QColor& background);

// A colour from 32-bit red, green and blue values, each held to 0..255.
QColor colourFrom(int32_t r, int32_t g, int32_t b);

class PictureConverter : public Dispatch {
 public:
  const DispatchTable& dispatchTable() const override;

  // Draws the SVG file into a bitmap file, as renderSvg; True when the
  // bitmap was written. Nothing is left at v_strBitmapFile on failure that
  // was not there before.
  bool SvgToBitmap(const std::string& v_strSvgFile, const std::string& v_strBitmapFile,
                   bool v_bKeepAspectRatio, int32_t v_pixX, int32_t v_pixY, int32_t r, int32_t g,
                   int32_t b);
};

Object makePictureConverter();

// The ProgID the component is registered under in the catalogue; callers
// create it by this name, so the product's component can take its place.
inline constexpr const char* kPictureConverterProgId = "QXPicConv.PictureConverter";

}  // namespace qxvb::picconv
