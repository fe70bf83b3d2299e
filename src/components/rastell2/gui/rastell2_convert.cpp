// Bitmap to JPEG and PNG conversion of the graphics-conversion library.
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <algorithm>
#include <cstring>
#include <exception>
#include <string>

#include "components/rastell2/gui/bitmap_decoder.h"
#include "exports/rastell2.h"
#include "platform/ansi.h"
#include "platform/atomic_file.h"
#include "platform/regular_file.h"

namespace {

constexpr int32_t kVersion = (2 << 16) | 1;
constexpr int kJpegQuality = 90;
// Bitmaps beyond this are refused rather than decoded.
constexpr size_t kLargestBitmap = 256u << 20;

struct Failure {
  int32_t code;
  std::string text;
};

void report(const Failure& failure, char* buffer, int32_t length) {
  if (buffer == nullptr || length <= 0) return;
  const std::string text = qxvb::ansi::fromUtf8(failure.text);
  const size_t n = std::min(text.size(), static_cast<size_t>(length) - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

int64_t littleEndian(const std::string& bytes, size_t at, int size) {
  uint64_t value = 0;
  for (int i = size - 1; i >= 0; --i)
    value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return size == 4 ? static_cast<int32_t>(value) : static_cast<int64_t>(value);
}

// A bitmap of absurd size, or an uncompressed one whose pixel rows end
// before its header says they do (the decoder would fill the rest with
// whatever it likes).
bool isCutShort(const std::string& bytes) {
  if (bytes.size() < 34) return true;
  const int64_t pixelsAt = littleEndian(bytes, 10, 4);
  const int64_t width = littleEndian(bytes, 18, 4);
  const int64_t height = littleEndian(bytes, 22, 4);
  const int64_t bits = littleEndian(bytes, 28, 2);
  const int64_t compression = littleEndian(bytes, 30, 4);
  constexpr int64_t kLargestSide = int64_t{1} << 24;
  if (width <= 0 || width > kLargestSide || height > kLargestSide || height < -kLargestSide) {
    return true;
  }
  if (compression != 0 && compression != 3) return false;
  const int64_t stride = (width * bits + 31) / 32 * 4;
  return pixelsAt < 0 || stride < 0 ||
         pixelsAt + stride * (height < 0 ? -height : height) > static_cast<int64_t>(bytes.size());
}

QImage readBitmap(const std::string& path) {
  std::string bytes;
  const int error = qxvb::platform::readRegularFile(path, bytes, kLargestBitmap);
  if (error != 0) {
    throw Failure{kRastell2CannotRead, "Cannot read the bitmap file " + path + ": " +
                                           qxvb::platform::readErrorText(error, kLargestBitmap)};
  }
  if (bytes.size() < 26 || bytes[0] != 'B' || bytes[1] != 'M') {
    throw Failure{kRastell2NotABitmap, "The file " + path + " is not a Windows bitmap"};
  }
  if (isCutShort(bytes)) {
    throw Failure{kRastell2NotABitmap,
                  "The bitmap file " + path + " is damaged: it is shorter than its header says"};
  }
  QImage image = qxvb::rastell2::decodeBitmap(bytes);
  if (image.isNull()) {
    throw Failure{kRastell2NotABitmap, "The bitmap file " + path + " cannot be decoded"};
  }
  return image;
}

QByteArray encode(const QImage& image, const char* format, const std::string& target) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  if (std::strcmp(format, "jpeg") == 0) writer.setQuality(kJpegQuality);
  if (!writer.write(image)) {
    throw Failure{kRastell2CannotEncode,
                  "Cannot encode " + target + ": " + writer.errorString().toStdString()};
  }
  return bytes;
}

int32_t convert(const char* bmpPath, const char* targetPath, const char* format, char* errorBuffer,
                int32_t bufferLength) {
  try {
    if (bmpPath == nullptr || targetPath == nullptr || *bmpPath == '\0' || *targetPath == '\0') {
      throw Failure{kRastell2BadArgument, "No bitmap or target file was named"};
    }
    const std::string source = qxvb::ansi::toUtf8(bmpPath);
    const std::string target = qxvb::ansi::toUtf8(targetPath);
    QImage image = readBitmap(source);
    const QByteArray bytes = encode(image, format, target);
    const int error = qxvb::platform::writeFileAtomically(
        target, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    if (error != 0) {
      throw Failure{kRastell2CannotWrite,
                    "Cannot write the file " + target + ": " + std::strerror(error)};
    }
    return kRastell2Success;
  } catch (const Failure& failure) {
    report(failure, errorBuffer, bufferLength);
    return failure.code;
  } catch (const std::exception& e) {
    report(Failure{kRastell2CannotEncode, e.what()}, errorBuffer, bufferLength);
    return kRastell2CannotEncode;
  }
}

}  // namespace

extern "C" int32_t Rastell2_Version() {
  const QList<QByteArray> formats = QImageWriter::supportedImageFormats();
  return formats.contains("jpeg") && formats.contains("png") ? kVersion : 0;
}

extern "C" int32_t Rastell2_BmpToJpeg_ReturnError(const char* bmpPath, const char* targetPath,
                                                  int32_t flags, char* errorBuffer,
                                                  int32_t bufferLength) {
  (void)flags;
  return convert(bmpPath, targetPath, "jpeg", errorBuffer, bufferLength);
}

extern "C" int32_t Rastell2_BmpToPNG_ReturnError(const char* bmpPath, const char* targetPath,
                                                 int32_t flags, char* errorBuffer,
                                                 int32_t bufferLength) {
  (void)flags;
  return convert(bmpPath, targetPath, "png", errorBuffer, bufferLength);
}
