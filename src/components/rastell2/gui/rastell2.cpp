#include "exports/rastell2.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QString>
#include <exception>
#include <string>

#include "platform/ansi.h"
#include "platform/regular_file.h"
#include "ui/picture/bitmap_file.h"

namespace {

constexpr char kPngSignature[] = "\x89PNG\r\n\x1A\n";

QString pathFromAnsi(const char* path) {
  return QString::fromStdString(qxvb::ansi::toUtf8(path));
}

// Larger files are refused rather than read into memory.
constexpr std::size_t kLargestPngFile = std::size_t{256} << 20;

int16_t convert(const char* pngPath, const char* bmpPath) {
  if (pngPath == nullptr || bmpPath == nullptr || *pngPath == '\0' || *bmpPath == '\0') return 0;
  // Only a regular file is read: a FIFO or device is refused at once.
  std::string bytes;
  if (qxvb::platform::readRegularFile(QFile::encodeName(pathFromAnsi(pngPath)).toStdString(), bytes,
                                      kLargestPngFile) != 0) {
    return 0;
  }
  QByteArray data = QByteArray::fromStdString(bytes);
  if (!data.startsWith(QByteArray(kPngSignature, 8))) return 0;
  QBuffer png(&data);
  png.open(QIODevice::ReadOnly);
  QImageReader reader(&png, "png");
  reader.setAutoDetectImageFormat(false);
  const QImage image = reader.read();
  if (image.isNull()) return 0;
  return qxvb::gui::writeBitmapFile(image, pathFromAnsi(bmpPath)) ? 1 : 0;
}

}  // namespace

extern "C" int16_t Rastell2_PngToBmp(const char* pngPath, const char* bmpPath, int32_t flags) {
  (void)flags;
  try {
    return convert(pngPath, bmpPath);
  } catch (const std::exception&) {
    return 0;
  }
}
