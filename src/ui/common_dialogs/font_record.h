// The font dialog's records, free of any window: the SelectedFont record
// callers pass and get back, the LOGFONT the dialog starts from and
// answers with, and the size conversions between points and the
// LOGFONT's pixel height.
#pragma once

#include <cstdint>
#include <string>

#include "frame/variant.h"

namespace qxvb::gui {

struct SelectedFont {
  std::string sSelectedFont;
  bool bCanceled = false;
  bool bBold = false;
  bool bItalic = false;
  int16_t nSize = 0;
  bool bUnderline = false;
  bool bStrikeOut = false;
  int32_t lColor = 0;
  std::string sFaceName;
  bool bShowColor = false;

  Record toRecord() const;
  // Raises 13 for a value that is not a SelectedFont record.
  static SelectedFont fromRecord(const Variant& value);
};

// The platform's LOGFONT, with its 32-byte face name.
struct LogFont {
  int32_t lfHeight = 0;
  int32_t lfWidth = 0;
  int32_t lfEscapement = 0;
  int32_t lfOrientation = 0;
  int32_t lfWeight = 0;
  uint8_t lfItalic = 0;
  uint8_t lfUnderline = 0;
  uint8_t lfStrikeOut = 0;
  uint8_t lfCharSet = 0;
  uint8_t lfOutPrecision = 0;
  uint8_t lfClipPrecision = 0;
  uint8_t lfQuality = 0;
  uint8_t lfPitchAndFamily = 0;
  std::string lfFaceName;  // UTF-8; at most 32 bytes in the locale's character set
};
inline constexpr size_t kFaceNameBytes = 32;

// a * b / c rounded half away from zero, as the platform's MulDiv; -1 for
// c = 0.
int32_t mulDiv(int32_t a, int32_t b, int32_t c);

// The LOGFONT the font routine builds: the face name, and from a starting
// record (null for ShowFont) the weight, italic, underline and strike-out
// bytes and the height -MulDiv(nSize, dpi, 72). A face name longer than the
// field raises error 9.
LogFont logFontFor(const std::string& faceName, const SelectedFont* start, int dpi);

// The point size a LOGFONT height stands for at dpi; 0 for height 0.
int pointsOfHeight(int32_t lfHeight, int dpi);

// The record of a confirmed dialog: weight above 400 is bold, the bytes
// non-zero are set, the size is iPointSize / 10 rounded, the face name up
// to its first NUL. sFaceName and bShowColor stay unset.
SelectedFont fontResult(const LogFont& logFont, int32_t iPointSize, int32_t rgbColors);

}  // namespace qxvb::gui
