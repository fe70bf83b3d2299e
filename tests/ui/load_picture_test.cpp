#include <fcntl.h>

#include <QFile>

#include "components/picture_conversion/gui/picture_converter.h"
#include "exports/rastell2.h"
#include "files/gui/load_picture.h"
#include "frame/vb_conversions.h"
#include "picture_fixture.h"
#include "ui/picture/picture_stream.h"

namespace qxvb::test {
namespace {

namespace fs = std::filesystem;

// A drawing twice as wide as high: red, with a green square at its left.
const std::string kWideSvg =
    "<svg xmlns='http://www.w3.org/2000/svg' width='100' height='50' viewBox='0 0 100 50'>"
    "<rect x='0' y='0' width='100' height='50' fill='#ff0000'/>"
    "<rect x='0' y='0' width='50' height='50' fill='#00ff00'/></svg>";

fs::path writeText(const fs::path& path, const std::string& text) {
  writeFile(path, text);
  return path;
}

bool same(const QColor& a, const QColor& b) {
  // Anti-aliased edges aside, drawn areas are exact; allow a little.
  return std::abs(a.red() - b.red()) <= 2 && std::abs(a.green() - b.green()) <= 2 &&
         std::abs(a.blue() - b.blue()) <= 2;
}

class LoadPictureTest : public PictureTest {
 protected:
  Object load(const fs::path& path) { return QX_File_LoadPicture(*fileUtils(), path.string()); }
  Object load2(const fs::path& path, bool keep, int32_t x, int32_t y, int32_t r, int32_t g,
               int32_t b) {
    return QX_File_LoadPicture2(*fileUtils(), path.string(), keep, x, y, r, g, b);
  }
  static int widthOf(const Object& p) { return asPicture(p) ? asPicture(p)->image().width() : -1; }
  static int heightOf(const Object& p) {
    return asPicture(p) ? asPicture(p)->image().height() : -1;
  }
};

TEST_F(LoadPictureTest, PlatformFormatsLoadAsTheyAre) {
  const fs::path dir = freshFolder("plain");
  for (const char* format : {"bmp", "jpeg"}) {
    const fs::path file = writeImage(dir / (std::string("a.") + format), sample(30, 7), format);
    const Object picture = load(file);
    ASSERT_NE(asPicture(picture), nullptr) << format;
    EXPECT_EQ(widthOf(picture), 30) << format;
    EXPECT_EQ(heightOf(picture), 7) << format;
    EXPECT_EQ(asPicture(picture)->pictureFile().toStdString(), readFile(file)) << format;
  }
  const fs::path gif = writeText(dir / "a.gif", gifFile());
  EXPECT_EQ(pixel(load(gif), 1, 0), QColor(0, 0, 255));
  // The extension does not matter to the platform's loader; the content does.
  const fs::path odd = writeImage(dir / "bitmap.dat", sample(3, 3), "bmp");
  EXPECT_EQ(widthOf(load(odd)), 3);
}

TEST_F(LoadPictureTest, FilesThatCannotLoadGiveNothing) {
  const fs::path dir = freshFolder("bad");
  EXPECT_EQ(load(dir / "missing.bmp"), nullptr);
  EXPECT_EQ(load(dir / "no" / "such.jpg"), nullptr);
  EXPECT_EQ(load(writeText(dir / "text.bmp", "not a picture")), nullptr);
  EXPECT_EQ(load(writeText(dir / "empty.gif", "")), nullptr);
  EXPECT_EQ(load(dir), nullptr);
  EXPECT_EQ(load(writeImage(dir / "image.tif", sample(2, 2), "png")), nullptr);
  // An empty name is the platform loader's empty picture.
  const auto empty = asPicture(QX_File_LoadPicture(*fileUtils(), ""));
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->type(), kPictureTypeNone);
}

TEST_F(LoadPictureTest, PlatformLoaderErrors) {
  const fs::path dir = freshFolder("errors");
  EXPECT_EQ(errorNumber([&] { loadPictureFile((dir / "missing.bmp").string()); }),
            vberr::FileNotFound);
  EXPECT_EQ(errorNumber([&] { loadPictureFile((dir / "gone" / "x.bmp").string()); }),
            vberr::PathNotFound);
  EXPECT_EQ(errorNumber([&] { loadPictureFile(writeText(dir / "t.bmp", "BM?").string()); }), 481);
  EXPECT_EQ(errorNumber([&] { loadPictureFile(dir.string()); }), vberr::PathFileAccessError);
  EXPECT_EQ(errorNumber([&] { loadPictureFile(std::string("a\0b", 3)); }),
            vberr::BadFileNameOrNumber);
}

class Rastell2Test : public PictureTest {};

TEST_F(Rastell2Test, WritesTheBitmapOfAPngWithTransparencyOnWhite) {
  const fs::path dir = freshFolder("rastell2");
  QImage image(6, 4, QImage::Format_ARGB32);
  image.fill(QColor(0, 128, 0));
  image.setPixelColor(5, 3, QColor(0, 0, 0, 0));
  const fs::path png = writeImage(dir / "in.png", image, "png");
  const fs::path bmp = dir / "out.bmp";
  EXPECT_NE(Rastell2_PngToBmp(png.c_str(), bmp.c_str(), 0), 0);
  const std::string written = readFile(bmp);
  ASSERT_GT(written.size(), 2u);
  EXPECT_EQ(written.substr(0, 2), "BM");
  const QImage back = QImage::fromData(QByteArray::fromStdString(written), "bmp");
  EXPECT_EQ(back.size(), QSize(6, 4));
  EXPECT_EQ(back.pixelColor(0, 0), QColor(0, 128, 0));
  EXPECT_EQ(back.pixelColor(5, 3), QColor(Qt::white));
}

TEST_F(Rastell2Test, FailsWithoutLeavingABitmap) {
  const fs::path dir = freshFolder("rastell2-bad");
  const fs::path bmp = dir / "out.bmp";
  const fs::path jpeg = writeImage(dir / "photo.png", sample(4, 4), "jpeg");
  EXPECT_EQ(Rastell2_PngToBmp(jpeg.c_str(), bmp.c_str(), 0), 0);
  EXPECT_EQ(Rastell2_PngToBmp((dir / "none.png").c_str(), bmp.c_str(), 0), 0);
  const fs::path png = writeImage(dir / "in.png", sample(4, 4), "png");
  const std::string whole = readFile(png);
  const fs::path cut = writeText(dir / "cut.png", whole.substr(0, whole.size() / 2));
  EXPECT_EQ(Rastell2_PngToBmp(cut.c_str(), bmp.c_str(), 0), 0);
  EXPECT_EQ(Rastell2_PngToBmp(dir.c_str(), bmp.c_str(), 0), 0);
  EXPECT_EQ(Rastell2_PngToBmp(nullptr, bmp.c_str(), 0), 0);
  EXPECT_EQ(Rastell2_PngToBmp(png.c_str(), nullptr, 0), 0);
  EXPECT_FALSE(fs::exists(bmp));
  // A bitmap that cannot be written (its folder is missing) fails as well.
  EXPECT_EQ(Rastell2_PngToBmp(png.c_str(), (dir / "no" / "out.bmp").c_str(), 0), 0);
  EXPECT_EQ(filesIn(dir), 3u);
}

class LoadPngTest : public LoadPictureTest {};

TEST_F(LoadPngTest, PngLoadsThroughABitmapThatIsRemoved) {
  const fs::path dir = freshFolder("png");
  const fs::path temp = temporaryFolder();
  const size_t before = filesIn(temp);
  const fs::path png = writeImage(dir / "Logo.PNG", sample(9, 5), "png");
  // A bitmap beside the PNG with the converted name is not the scratch file.
  writeText(dir / "Logo.bmp", "the user's own file");

  const Object picture = load(png);
  ASSERT_NE(asPicture(picture), nullptr);
  EXPECT_EQ(widthOf(picture), 9);
  EXPECT_EQ(heightOf(picture), 5);
  EXPECT_EQ(pixel(picture, 0, 0), QColor(10, 20, 250));
  EXPECT_EQ(pixel(picture, 8, 4), QColor(200, 40, 10));
  EXPECT_EQ(asPicture(picture)->pictureFile().left(2), "BM");
  EXPECT_EQ(filesIn(temp), before);
  EXPECT_EQ(readFile(dir / "Logo.bmp"), "the user's own file");

  // The size and colour arguments have no effect on PNG files.
  EXPECT_EQ(widthOf(load2(png, true, 100, 100, 0, 0, 0)), 9);
}

TEST_F(LoadPngTest, PngThatCannotConvertGivesNothingAndLeavesNoBitmap) {
  const fs::path dir = freshFolder("png-bad");
  const fs::path temp = temporaryFolder();
  const size_t before = filesIn(temp);
  EXPECT_EQ(load(writeImage(dir / "photo.png", sample(4, 4), "jpeg")), nullptr);
  EXPECT_EQ(load(dir / "missing.png"), nullptr);
  // The name only has to contain ".png" to take this route.
  EXPECT_EQ(load(writeImage(dir / "a.png.bmp", sample(4, 4), "bmp")), nullptr);
  EXPECT_EQ(filesIn(temp), before);
}

class LoadSvgTest : public LoadPictureTest {};

TEST_F(LoadSvgTest, KeptAspectRatioIsLetterBoxedOnTheColour) {
  const fs::path svg = writeText(freshFolder("svg") / "wide.svg", kWideSvg);
  const Object picture = load2(svg, true, 200, 200, 0, 0, 255);
  ASSERT_NE(asPicture(picture), nullptr);
  EXPECT_EQ(widthOf(picture), 200);
  EXPECT_EQ(heightOf(picture), 200);
  // The drawing is 200 by 100, centred: bars of 50 above and below.
  EXPECT_TRUE(same(pixel(picture, 150, 10), QColor(0, 0, 255)));
  EXPECT_TRUE(same(pixel(picture, 150, 190), QColor(0, 0, 255)));
  EXPECT_TRUE(same(pixel(picture, 150, 60), QColor(255, 0, 0)));
  EXPECT_TRUE(same(pixel(picture, 50, 140), QColor(0, 255, 0)));
  EXPECT_TRUE(same(pixel(picture, 150, 140), QColor(255, 0, 0)));
  EXPECT_EQ(asPicture(picture)->type(), kPictureTypeBitmap);

  // A tall target puts the bars at the sides.
  const Object tall = load2(svg, true, 400, 100, 255, 255, 0);
  EXPECT_TRUE(same(pixel(tall, 10, 50), QColor(255, 255, 0)));
  EXPECT_TRUE(same(pixel(tall, 390, 50), QColor(255, 255, 0)));
  EXPECT_TRUE(same(pixel(tall, 110, 50), QColor(0, 255, 0)));
  EXPECT_TRUE(same(pixel(tall, 290, 50), QColor(255, 0, 0)));
}

TEST_F(LoadSvgTest, WithoutAspectRatioTheDrawingFillsTheSize) {
  const fs::path svg = writeText(freshFolder("svg-fill") / "wide.SVG", kWideSvg);
  const Object picture = load2(svg, false, 200, 200, 0, 0, 255);
  EXPECT_EQ(heightOf(picture), 200);
  EXPECT_TRUE(same(pixel(picture, 150, 5), QColor(255, 0, 0)));
  EXPECT_TRUE(same(pixel(picture, 50, 195), QColor(0, 255, 0)));
}

TEST_F(LoadSvgTest, SizeFollowsTheDrawingWhereNotGiven) {
  const fs::path svg = writeText(freshFolder("svg-size") / "wide.svg", kWideSvg);
  const Object natural = load(svg);
  EXPECT_EQ(widthOf(natural), 100);
  EXPECT_EQ(heightOf(natural), 50);
  EXPECT_EQ(heightOf(load2(svg, true, 300, 0, 0, 0, 0)), 150);
  EXPECT_EQ(widthOf(load2(svg, true, 0, 20, 0, 0, 0)), 40);
  EXPECT_EQ(widthOf(load2(svg, true, -5, -5, 0, 0, 0)), 100);
}

TEST_F(LoadSvgTest, SizeRules) {
  EXPECT_EQ(picconv::targetSize(100, 50, 0, 0), QSize(100, 50));
  EXPECT_EQ(picconv::targetSize(100, 50, 0, 1), QSize(2, 1));
  EXPECT_EQ(picconv::targetSize(100, 50, 1, 0), QSize(1, 1));
  EXPECT_EQ(picconv::targetSize(-1, -1, 30, 40), QSize(30, 40));
  EXPECT_TRUE(picconv::targetSize(-1, -1, 30, 0).isEmpty());
  EXPECT_TRUE(picconv::targetSize(100, 50, picconv::kLargestSide + 1, 1).isEmpty());
  EXPECT_TRUE(picconv::targetSize(1, 100000, 1000, 0).isEmpty());
  EXPECT_TRUE(picconv::targetSize(100, 50, picconv::kLargestSide, picconv::kLargestSide).isEmpty());
  EXPECT_EQ(picconv::colourFrom(300, -4, 7), QColor(255, 0, 7));
}

TEST_F(LoadSvgTest, DrawingsThatCannotConvertGiveNothingAndLeaveNoFile) {
  const fs::path dir = freshFolder("svg-bad");
  const fs::path temp = temporaryFolder();
  const size_t before = filesIn(temp);
  EXPECT_EQ(load(writeText(dir / "broken.svg", "<svg xmlns='http://www.w3.org/2000/svg'><rect")),
            nullptr);
  EXPECT_EQ(load(writeText(dir / "plain.svg", "just text")), nullptr);
  EXPECT_EQ(load(dir / "missing.svg"), nullptr);
  const fs::path wide = writeText(dir / "wide.svg", kWideSvg);
  EXPECT_EQ(load2(wide, true, 100000, 100000, 0, 0, 0), nullptr);
  EXPECT_EQ(filesIn(temp), before);
  EXPECT_EQ(filesIn(dir), 3u);
}

TEST_F(LoadSvgTest, TextInADrawingIsDrawn) {
  const fs::path svg =
      writeText(freshFolder("svg-text") / "text.svg",
                "<svg xmlns='http://www.w3.org/2000/svg' width='120' height='40'>"
                "<text x='5' y='30' font-size='30' fill='#000000'>Quill</text></svg>");
  const Object picture = load2(svg, true, 120, 40, 255, 255, 255);
  ASSERT_NE(asPicture(picture), nullptr);
  const QImage& image = asPicture(picture)->image();
  int dark = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) dark += image.pixelColor(x, y).lightness() < 100;
  }
  EXPECT_GT(dark, 20);
}

TEST_F(LoadSvgTest, ConverterComponentIsLateBoundAndKeptForTheThread) {
  const fs::path dir = freshFolder("svg-component");
  const fs::path svg = writeText(dir / "wide.svg", kWideSvg);
  const Object converter = picconv::makePictureConverter();
  const Variant done = converter->call(
      "SvgToBitmap", {Variant(svg.string()), Variant((dir / "out.bmp").string()), Variant(true),
                      Variant(20), Variant(20), Variant(1), Variant(2), Variant(3)});
  EXPECT_EQ(done, Variant(true));
  const auto picture = loadPictureFile((dir / "out.bmp").string());
  EXPECT_EQ(picture->image().pixelColor(10, 1), QColor(1, 2, 3));
  EXPECT_EQ(
      converter->call("SvgToBitmap", {Variant((dir / "none.svg").string()),
                                      Variant((dir / "x.bmp").string()), Variant(true), Variant(20),
                                      Variant(20), Variant(1), Variant(2), Variant(3)}),
      Variant(false));
  EXPECT_FALSE(fs::exists(dir / "x.bmp"));
}

class LateBoundLoadPictureTest : public LoadPictureTest {};

TEST_F(LateBoundLoadPictureTest, LoadersByNameThroughQX_File_Utils) {
  const fs::path dir = freshFolder("late-load");
  const fs::path svg = writeText(dir / "wide.svg", kWideSvg);
  const Object files = createObject("QXVBUtils.QX_File_Utils");
  const Object picture = CObj(files->call(
      "QX_File_LoadPicture2", {Variant(svg.string()), Variant(true), Variant(int32_t{64}),
                               Variant(int16_t{64}), Variant("0"), Variant(0), Variant(0)}));
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->className(), "Picture");
  EXPECT_EQ(picture->getProperty("Width"), Variant(pixelsToHimetric(64)));
  EXPECT_TRUE(same(pixel(picture, 32, 2), QColor(0, 0, 0)));

  const Object png = CObj(files->call(
      "qx_file_loadpicture", {Variant(writeImage(dir / "a.png", sample(3, 2), "png").string())}));
  EXPECT_EQ(png->getProperty("Height"), Variant(pixelsToHimetric(2)));
  EXPECT_EQ(CObj(files->call("QX_File_LoadPicture", {Variant((dir / "none.bmp").string())})),
            nullptr);
  EXPECT_EQ(errorNumber([&] { files->call("QX_File_LoadPicture2", {Variant(svg.string())}); }),
            vberr::ArgumentNotOptional);

  // The picture goes on to bytes through QXUtilities.
  const Object utils = createObject("QXVBUtils.QXUtilities");
  std::vector<Variant> args{Variant(), Variant(picture)};
  const int32_t length = CLng(utils->invoke("QX_Util_PictureToByteArray", kMethod, args));
  ASSERT_NE(args[0].get<ByteArray>(), nullptr);
  EXPECT_EQ(length, static_cast<int32_t>(args[0].get<ByteArray>()->data.size()));
  EXPECT_EQ(args[0].get<ByteArray>()->data[0], 'B');
}

}  // namespace
}  // namespace qxvb::test
