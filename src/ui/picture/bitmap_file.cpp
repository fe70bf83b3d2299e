#include "ui/picture/bitmap_file.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <string_view>

#include "platform/atomic_file.h"

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
  // The platform's atomic writer: whole or not at all, links not followed.
  return platform::writeFileAtomically(
             QFile::encodeName(path).toStdString(),
             std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))) == 0;
}

}  // namespace qxvb::gui
