#include "ui/picture/bitmap_file.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

namespace qxvb::gui {

QImage onBackground(const QImage& image, const QColor& background) {
  QImage opaque(image.size(), QImage::Format_RGB32);
  if (opaque.isNull()) return opaque;
  opaque.fill(background);
  QPainter painter(&opaque);
  painter.drawImage(0, 0, image);
  painter.end();
  return opaque;
}

QByteArray encodeBitmapFile(const QImage& image) {
  const QImage opaque = onBackground(image, Qt::white);
  if (opaque.isNull()) return {};
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "bmp");
  if (!writer.write(opaque)) return {};
  return bytes;
}

bool writeBitmapFile(const QImage& image, const QString& path) {
  const QByteArray bytes = encodeBitmapFile(image);
  if (bytes.isEmpty()) return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (file.write(bytes) != bytes.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

}  // namespace qxvb::gui
