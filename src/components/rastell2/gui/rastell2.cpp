#include "components/rastell2/gui/rastell2.h"

#include <QFile>
#include <QImageReader>
#include <QString>
#include <exception>

#include "platform/ansi.h"
#include "ui/picture/bitmap_file.h"

namespace {

constexpr char kPngSignature[] = "\x89PNG\r\n\x1A\n";

QString pathFromAnsi(const char* path) {
  return QString::fromStdString(qxvb::ansi::toUtf8(path));
}

bool isPngFile(QFile& file) {
  const QByteArray start = file.peek(8);
  return start == QByteArray(kPngSignature, 8);
}

int16_t convert(const char* pngPath, const char* bmpPath) {
  if (pngPath == nullptr || bmpPath == nullptr || *pngPath == '\0' || *bmpPath == '\0') return 0;
  QFile png(pathFromAnsi(pngPath));
  if (!png.open(QIODevice::ReadOnly) || !isPngFile(png)) return 0;
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
