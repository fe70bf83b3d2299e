// Windows bitmap files of images: what pictures made in memory save as and
// what the conversion components write. A bitmap has no transparency, so
// images are drawn on a background colour first.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

namespace qxvb::gui {

// An opaque copy of image drawn over background.
QImage onBackground(const QImage& image, const QColor& background);

// The bitmap file of image over white; empty when it cannot be encoded.
QByteArray encodeBitmapFile(const QImage& image);

// Writes the bitmap file of image over white to path, whole or not at all:
// a failure leaves whatever was at path before. False on failure.
bool writeBitmapFile(const QImage& image, const QString& path);

}  // namespace qxvb::gui
