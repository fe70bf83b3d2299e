#include "components/rastell2/gui/bitmap_decoder.h"

#include <QBuffer>
#include <QImageReader>
#include <cstdint>
#include <new>

namespace qxvb::rastell2 {

namespace {

constexpr size_t kFileHeader = 14;
constexpr int64_t kLargestSide = int64_t{1} << 24;

int64_t field(const std::string& bytes, size_t at, int size) {
  uint64_t value = 0;
  for (int i = size - 1; i >= 0; --i)
    value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return size == 4 ? static_cast<int32_t>(value) : static_cast<int64_t>(value);
}

QImage decodeWithQt(const std::string& bytes) {
  QByteArray data = QByteArray::fromStdString(bytes);
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "bmp");
  reader.setAutoDetectImageFormat(false);
  return reader.read();
}

}  // namespace

QImage decodeBitmap(const std::string& bytes) {
  if (bytes.size() < kFileHeader + 40) return decodeWithQt(bytes);
  const int64_t pixelsAt = field(bytes, 10, 4);
  const int64_t infoSize = field(bytes, kFileHeader, 4);
  const int64_t width = field(bytes, 18, 4);
  const int64_t height = field(bytes, 22, 4);
  const int64_t bits = field(bytes, 28, 2);
  const int64_t compression = field(bytes, 30, 4);
  const bool direct = infoSize >= 40 && compression == 0 && (bits == 24 || bits == 32) &&
                      width > 0 && width <= kLargestSide && height != 0 && height <= kLargestSide &&
                      height >= -kLargestSide;
  if (!direct) return decodeWithQt(bytes);
  const int64_t rows = height < 0 ? -height : height;
  const int64_t stride = (width * bits + 31) / 32 * 4;
  if (pixelsAt < 0 || pixelsAt + stride * rows > static_cast<int64_t>(bytes.size())) return {};
  QImage image;
  try {
    image = QImage(static_cast<int>(width), static_cast<int>(rows), QImage::Format_RGB32);
  } catch (const std::bad_alloc&) {
    return {};
  }
  if (image.isNull()) return image;
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data()) + pixelsAt;
  const int step = static_cast<int>(bits / 8);
  for (int64_t y = 0; y < rows; ++y) {
    // Rows run bottom-up unless the height is negative.
    const unsigned char* in = data + stride * (height > 0 ? rows - 1 - y : y);
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y)));
    for (int64_t x = 0; x < width; ++x, in += step) out[x] = qRgb(in[2], in[1], in[0]);
  }
  return image;
}

}  // namespace qxvb::rastell2
