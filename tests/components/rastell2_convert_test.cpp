// The graphics converter's bitmap to JPEG and PNG exports: real pictures
// out, and on failure a status, a text in the caller's buffer and the
// target left as it was.
#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>
#include <array>
#include <filesystem>

#include "exports/rastell2.h"
#include "support/sandbox.h"

namespace qxvb::test {
namespace {

namespace fs = std::filesystem;

class Rastell2Convert : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = freshFolder("rastell2");
    QImage image(120, 45, QImage::Format_RGB32);
    image.fill(QColor(10, 200, 30));
    ASSERT_TRUE(image.save(QString::fromStdString(path("in.bmp")), "BMP"));
  }
  std::string path(const char* name) const { return (folder_ / name).string(); }
  fs::path folder_;
  std::array<char, 1000> buffer_{};
};

QSize decoded(const std::string& file, const char* format) {
  QImageReader reader(QString::fromStdString(file), format);
  reader.setAutoDetectImageFormat(false);
  return reader.read().size();
}

TEST_F(Rastell2Convert, VersionSaysTheConverterIsUsable) {
  EXPECT_NE(Rastell2_Version(), 0);
}

TEST_F(Rastell2Convert, BitmapBecomesJpegAndPng) {
  ASSERT_EQ(Rastell2_BmpToJpeg_ReturnError(path("in.bmp").c_str(), path("out.jpg").c_str(), 0,
                                           buffer_.data(), 999),
            0);
  EXPECT_EQ(decoded(path("out.jpg"), "jpeg"), QSize(120, 45));
  ASSERT_EQ(Rastell2_BmpToPNG_ReturnError(path("in.bmp").c_str(), path("out.png").c_str(), 0,
                                          buffer_.data(), 999),
            0);
  QImageReader png(QString::fromStdString(path("out.png")), "png");
  const QImage image = png.read();
  EXPECT_EQ(image.size(), QSize(120, 45));
  EXPECT_EQ(image.pixelColor(60, 20), QColor(10, 200, 30));
}

// A 2 by 2 bitmap of 32 bits per pixel stored top-down (negative height).
std::string topDownBitmap() {
  std::string b(54 + 16, '\0');
  const auto put = [&](size_t at, int32_t v, int size) {
    for (int i = 0; i < size; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  b[0] = 'B';
  b[1] = 'M';
  put(2, static_cast<int32_t>(b.size()), 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, 2, 4);
  put(22, -2, 4);
  put(26, 1, 2);
  put(28, 32, 2);
  const unsigned char pixels[16] = {0,   0, 255, 0, 0,   255, 0,   0,   // red, green
                                    255, 0, 0,   0, 255, 255, 255, 0};  // blue, white
  b.replace(54, 16, reinterpret_cast<const char*>(pixels), 16);
  return b;
}

TEST_F(Rastell2Convert, BitmapsOfEveryKindDecode) {
  writeFile(folder_ / "top.bmp", topDownBitmap());
  ASSERT_EQ(Rastell2_BmpToPNG_ReturnError(path("top.bmp").c_str(), path("top.png").c_str(), 0,
                                          buffer_.data(), 999),
            0)
      << buffer_.data();
  const QImage top(QString::fromStdString(path("top.png")), "png");
  EXPECT_EQ(top.pixelColor(0, 0), QColor(Qt::red));
  EXPECT_EQ(top.pixelColor(1, 0), QColor(Qt::green));
  EXPECT_EQ(top.pixelColor(0, 1), QColor(Qt::blue));
  // Palette bitmaps go through Qt's decoder.
  QImage indexed(8, 4, QImage::Format_Indexed8);
  indexed.setColorTable({qRgb(0, 0, 0), qRgb(200, 100, 50)});
  indexed.fill(1);
  ASSERT_TRUE(indexed.save(QString::fromStdString(path("indexed.bmp")), "BMP"));
  ASSERT_EQ(Rastell2_BmpToPNG_ReturnError(path("indexed.bmp").c_str(), path("indexed.png").c_str(),
                                          0, buffer_.data(), 999),
            0);
  EXPECT_EQ(QImage(QString::fromStdString(path("indexed.png")), "png").pixelColor(3, 2),
            QColor(200, 100, 50));
}

TEST_F(Rastell2Convert, FailuresAreTextInTheBuffer) {
  EXPECT_EQ(Rastell2_BmpToPNG_ReturnError(path("missing.bmp").c_str(), path("o.png").c_str(), 0,
                                          buffer_.data(), 999),
            kRastell2CannotRead);
  EXPECT_EQ(std::string(buffer_.data()),
            "Cannot read the bitmap file " + path("missing.bmp") + ": no such file");
  writeFile(folder_ / "text.bmp", std::string(100, 'x'));
  EXPECT_EQ(Rastell2_BmpToJpeg_ReturnError(path("text.bmp").c_str(), path("o.jpg").c_str(), 0,
                                           buffer_.data(), 999),
            kRastell2NotABitmap);
  EXPECT_EQ(std::string(buffer_.data()),
            "The file " + path("text.bmp") + " is not a Windows bitmap");
  writeFile(folder_ / "cut.bmp", readFile(folder_ / "in.bmp").substr(0, 60));
  EXPECT_EQ(Rastell2_BmpToPNG_ReturnError(path("cut.bmp").c_str(), path("o.png").c_str(), 0,
                                          buffer_.data(), 999),
            kRastell2NotABitmap);
  const std::string target = path("no/such/folder/o.png");
  EXPECT_EQ(
      Rastell2_BmpToPNG_ReturnError(path("in.bmp").c_str(), target.c_str(), 0, buffer_.data(), 999),
      kRastell2CannotWrite);
  EXPECT_EQ(std::string(buffer_.data()),
            "Cannot write the file " + target + ": No such file or directory");
  EXPECT_EQ(Rastell2_BmpToPNG_ReturnError("", path("o.png").c_str(), 0, nullptr, 0),
            kRastell2BadArgument);
  EXPECT_FALSE(fs::exists(folder_ / "o.png"));
  EXPECT_FALSE(fs::exists(folder_ / "o.jpg"));
}

TEST_F(Rastell2Convert, TextIsCutToTheBufferLength) {
  buffer_.fill('#');
  Rastell2_BmpToPNG_ReturnError(path("missing.bmp").c_str(), path("o.png").c_str(), 0,
                                buffer_.data(), 10);
  EXPECT_EQ(std::string(buffer_.data()), "Cannot re");
  EXPECT_EQ(buffer_[10], '#');
}

TEST_F(Rastell2Convert, FailedConversionLeavesTheTargetAlone) {
  writeFile(folder_ / "keep.png", "the user's picture");
  writeFile(folder_ / "text.bmp", "BM" + std::string(100, 'x'));
  EXPECT_NE(Rastell2_BmpToPNG_ReturnError(path("text.bmp").c_str(), path("keep.png").c_str(), 0,
                                          buffer_.data(), 999),
            0);
  EXPECT_EQ(readFile(folder_ / "keep.png"), "the user's picture");
}

}  // namespace
}  // namespace qxvb::test
