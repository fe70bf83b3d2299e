// Device contexts: Long handles, in a table of the library's own, naming a
// drawing surface painted with QPainter (an image, or a window of the
// process) with the font, colours and background mode selected into it,
// as the platform's drawing calls use them. Font handles live in a table
// beside it. Every function is safe on any thread; an unknown handle gives
// the failure answer.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>

namespace qxvb::gui::dc {

inline constexpr int32_t kTransparent = 1;
inline constexpr int32_t kOpaque = 2;

// A new image surface of the size, filled with the colour (OLE_COLOR);
// 0 for sizes below 1 or above 16384.
int32_t createImageDC(int32_t width, int32_t height, int32_t background = 0xFFFFFF);
// A surface over a window of this process (its drawing shows on top of
// the window); 0 for other windows or off the window thread.
int32_t createWindowDC(int32_t hwnd);
bool deleteDC(int32_t hdc);
// A copy of what was drawn; nullopt for an unknown handle.
std::optional<QImage> imageOf(int32_t hdc);

// CreateFont with a height in logical units (negative: character height)
// and a face; DeleteObject.
int32_t createFont(const std::string& face, int32_t height);
bool deleteFont(int32_t font);
// SelectObject for fonts: the font selected before (0: the surface's
// default font), -1 for an unknown DC or font.
int32_t selectFont(int32_t hdc, int32_t font);
int32_t selectedFont(int32_t hdc);

bool setTextColour(int32_t hdc, int32_t oleColour);
bool setBackColour(int32_t hdc, int32_t oleColour);
bool setBackMode(int32_t hdc, int32_t mode);

// The width in pixels of the text in the selected font.
std::optional<int> textWidth(int32_t hdc, const QString& text);
// TextOut: draws the text with its top-left corner at (x, y).
bool textOut(int32_t hdc, int32_t x, int32_t y, const QString& text);

// The font selected into the surface, for measuring many texts at once;
// nullopt for an unknown handle.
std::optional<QFont> fontOf(int32_t hdc);

// OLE_COLOR to a colour: 0x00BBGGRR, or a system colour (high bit set,
// index in the low byte) from the palette.
QColor oleColour(int32_t value);
int32_t toOleColour(QColor colour);

}  // namespace qxvb::gui::dc
