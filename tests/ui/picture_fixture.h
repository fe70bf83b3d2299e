// Shared set-up of the picture tests: images written in the test itself,
// a fresh library state on the thread, and the offscreen platform for the
// Qt application that drawing text needs.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "files/qx_file_utils.h"
#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/module_state.h"
#include "support/errors.h"
#include "support/sandbox.h"
#include "ui/picture/picture.h"

namespace qxvb::test {

class PictureTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("QT_QPA_PLATFORM", "offscreen", 0); }
  void SetUp() override { unloadThread(); }
  void TearDown() override { unloadThread(); }

  // An image of the size in one colour, with a differently coloured
  // top-left pixel so that orientation errors show.
  static QImage sample(int width, int height, QColor colour = QColor(200, 40, 10)) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    image.setPixelColor(0, 0, QColor(10, 20, 250));
    return image;
  }

  static QByteArray encode(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format)) << format;
    return bytes;
  }

  // A GIF of 2 by 1 pixels, red and blue: Qt reads GIF files but does not
  // write them.
  static std::string gifFile() {
    static const unsigned char bytes[] = {'G',  'I',  'F',  '8',  '9',  'a',  0x02, 0x00, 0x01,
                                          0x00, 0x80, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00,
                                          0xFF, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01,
                                          0x00, 0x00, 0x02, 0x02, 0x44, 0x0A, 0x00, 0x3B};
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
  }

  static std::vector<uint8_t> bytesOf(const QByteArray& bytes) {
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
  }

  static std::filesystem::path writeImage(const std::filesystem::path& path, const QImage& image,
                                          const char* format) {
    const QByteArray bytes = encode(image, format);
    writeFile(path, bytes.toStdString());
    return path;
  }

  static std::shared_ptr<QX_File_Utils> fileUtils() {
    return std::static_pointer_cast<QX_File_Utils>(createObject("QXVBUtils.QX_File_Utils"));
  }

  static std::filesystem::path temporaryFolder() {
    return fileUtils()->QX_File_GetFolderLocation(0, QXSF_TemporaryFolder);
  }

  static size_t filesIn(const std::filesystem::path& folder) {
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      (void)entry;
      ++count;
    }
    return count;
  }

  static QColor pixel(const Object& picture, int x, int y) {
    const auto p = asPicture(picture);
    if (!p) return QColor();
    return p->image().pixelColor(x, y);
  }
};

}  // namespace qxvb::test
