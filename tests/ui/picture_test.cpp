#include "frame/vb_conversions.h"
#include "picture_fixture.h"
#include "text/gui/picture_bytes.h"
#include "ui/picture/picture_stream.h"

namespace qxvb::test {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes header(uint32_t marker, uint32_t length) {
  Bytes out;
  for (uint32_t value : {marker, length}) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
  }
  return out;
}

Bytes concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class PictureObjectTest : public PictureTest {};

TEST_F(PictureObjectTest, SizeInHimetricTypeAndHandle) {
  const auto a = makePicture(sample(40, 20));
  const auto b = makePicture(sample(96, 1));
  EXPECT_EQ(a->type(), kPictureTypeBitmap);
  EXPECT_EQ(a->widthHimetric(), 1058);  // 40 px at 96 per inch: 1058.33
  EXPECT_EQ(a->heightHimetric(), 529);
  EXPECT_EQ(b->widthHimetric(), 2540);
  EXPECT_NE(a->handle(), 0);
  EXPECT_NE(a->handle(), b->handle());

  Object late = a;
  EXPECT_EQ(late->getProperty("Width"), Variant(int32_t{1058}));
  EXPECT_EQ(late->getProperty("height"), Variant(int32_t{529}));
  EXPECT_EQ(late->getProperty("Type"), Variant(int16_t{1}));
  EXPECT_EQ(late->getProperty("Handle"), Variant(a->handle()));
  EXPECT_EQ(late->className(), "Picture");
}

TEST_F(PictureObjectTest, EmptyPictureHasNoHandleNoSizeAndTypeNone) {
  const Picture empty;
  EXPECT_EQ(empty.type(), kPictureTypeNone);
  EXPECT_EQ(empty.handle(), 0);
  EXPECT_EQ(empty.widthHimetric(), 0);
  EXPECT_TRUE(empty.pictureFile().isEmpty());
  // A null image makes an empty picture whatever type was asked for.
  EXPECT_EQ(Picture(QImage(), kPictureTypeBitmap).type(), kPictureTypeNone);
}

TEST_F(PictureObjectTest, StreamIsMarkerLengthThenBitmapFile) {
  const auto picture = makePicture(sample(3, 2));
  const Bytes stream = savePictureStream(*picture);
  ASSERT_GT(stream.size(), 10u);
  const uint32_t length = static_cast<uint32_t>(stream.size() - 8);
  EXPECT_EQ(Bytes(stream.begin(), stream.begin() + 8), header(0x746C, length));
  EXPECT_EQ(Bytes(stream.begin(), stream.begin() + 4), (Bytes{0x6C, 0x74, 0x00, 0x00}));
  EXPECT_EQ(stream[8], 'B');
  EXPECT_EQ(stream[9], 'M');
  // The bitmap file's own size field agrees with the stream's length.
  EXPECT_EQ(stream[10] | stream[11] << 8 | stream[12] << 16 | stream[13] << 24,
            static_cast<int>(length));

  EXPECT_EQ(savePictureStream(Picture()), header(0x746C, 0));
}

TEST_F(PictureObjectTest, TransparentImageSavesOnWhite) {
  QImage image(2, 1, QImage::Format_ARGB32);
  image.setPixelColor(0, 0, QColor(0, 0, 0, 0));
  image.setPixelColor(1, 0, QColor(0, 0, 255, 255));
  const QByteArray file = makePicture(image)->pictureFile();
  const QImage back = QImage::fromData(file, "bmp");
  ASSERT_FALSE(back.isNull());
  EXPECT_EQ(back.pixelColor(0, 0), QColor(Qt::white));
  EXPECT_EQ(back.pixelColor(1, 0), QColor(0, 0, 255));
}

class PictureBytesTest : public PictureTest {};

TEST_F(PictureBytesTest, BitmapRoundTripKeepsSizeTypeAndPixels) {
  const QImage image = sample(17, 9);
  ByteArray bytes{7, {1, 2, 3}};
  const int32_t written = QX_Util_PictureToByteArray(bytes, makePicture(image));
  ASSERT_GT(written, 54);
  EXPECT_EQ(static_cast<size_t>(written), bytes.data.size());
  EXPECT_EQ(bytes.lbound, 0);
  EXPECT_EQ(bytes.data[0], 'B');
  EXPECT_EQ(bytes.data[1], 'M');

  const auto back = asPicture(QX_Util_PictureFromByteArray(bytes));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->type(), kPictureTypeBitmap);
  EXPECT_EQ(back->widthHimetric(), pixelsToHimetric(17));
  EXPECT_EQ(back->heightHimetric(), pixelsToHimetric(9));
  EXPECT_EQ(back->image().pixelColor(0, 0), QColor(10, 20, 250));
  EXPECT_EQ(back->image().pixelColor(16, 8), QColor(200, 40, 10));

  // The bytes start at the array's lower bound, whatever it is.
  bytes.lbound = -3;
  ASSERT_NE(asPicture(QX_Util_PictureFromByteArray(bytes)), nullptr);
}

TEST_F(PictureBytesTest, LoadedFilesSaveTheFileTheyCameFrom) {
  const Bytes gif = bytesOf(QByteArray::fromStdString(gifFile()));
  for (const char* format : {"jpeg", "gif", "bmp"}) {
    const Bytes file = format[0] == 'g' ? gif : bytesOf(encode(sample(12, 5), format));
    const Object picture = QX_Util_PictureFromByteArray(ByteArray{1, file});
    ASSERT_NE(asPicture(picture), nullptr) << format;
    EXPECT_EQ(asPicture(picture)->type(), kPictureTypeBitmap) << format;
    ByteArray out;
    EXPECT_EQ(QX_Util_PictureToByteArray(out, picture), static_cast<int32_t>(file.size()));
    EXPECT_EQ(out.data, file) << format;
  }
}

TEST_F(PictureBytesTest, IconsLoadAsIconPictures) {
  const Object icon =
      QX_Util_PictureFromByteArray(ByteArray{0, bytesOf(encode(sample(16, 16), "ico"))});
  ASSERT_NE(asPicture(icon), nullptr);
  EXPECT_EQ(asPicture(icon)->type(), kPictureTypeIcon);
  EXPECT_EQ(asPicture(icon)->widthHimetric(), pixelsToHimetric(16));
}

TEST_F(PictureBytesTest, PersistedStreamLoadsToo) {
  const Bytes file = bytesOf(encode(sample(4, 4), "bmp"));
  const Bytes stream = concat(header(0x746C, static_cast<uint32_t>(file.size())), file);
  const auto picture = asPicture(QX_Util_PictureFromByteArray(ByteArray{0, stream}));
  ASSERT_NE(picture, nullptr);
  ByteArray out;
  QX_Util_PictureToByteArray(out, picture);
  EXPECT_EQ(out.data, file);
  // Bytes after the length the header gives are not part of the picture.
  EXPECT_NE(QX_Util_PictureFromByteArray(ByteArray{0, concat(stream, {9, 9, 9})}), nullptr);
}

TEST_F(PictureBytesTest, BytesThatAreNotAPictureGiveNothing) {
  const Bytes file = bytesOf(encode(sample(4, 4), "bmp"));
  const auto length = static_cast<uint32_t>(file.size());
  const std::vector<std::pair<std::string, Bytes>> cases = {
      {"header cut short", {0x6C, 0x74, 0x00, 0x00, 0x10}},
      {"marker alone", {0x6C, 0x74, 0x00, 0x00}},
      {"length beyond the data", concat(header(0x746C, length + 1), file)},
      {"length of the largest value", concat(header(0x746C, 0xFFFFFFFF), file)},
      {"length 0", concat(header(0x746C, 0), file)},
      {"another marker", concat(header(0x746D, length), file)},
      {"bitmap signature, no bitmap", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"bitmap cut in half", Bytes(file.begin(), file.begin() + file.size() / 2)},
      {"one byte", {0x42}},
      {"PNG file", bytesOf(encode(sample(4, 4), "png"))},
      {"SVG text", bytesOf("<svg xmlns='http://www.w3.org/2000/svg' width='4' height='4'/>")},
  };
  for (const auto& [name, bytes] : cases) {
    EXPECT_EQ(QX_Util_PictureFromByteArray(ByteArray{0, bytes}), nullptr) << name;
  }
}

TEST_F(PictureBytesTest, ArrayWithoutElementsRaisesSubscriptError) {
  EXPECT_EQ(errorNumber([] { QX_Util_PictureFromByteArray(ByteArray{}); }),
            vberr::SubscriptOutOfRange);
  EXPECT_EQ(errorNumber([] {
              QX_Util_PictureFromByteArray(ByteArray{1, {}});
            }),
            vberr::SubscriptOutOfRange);
}

TEST_F(PictureBytesTest, NothingOrEmptyPictureWritesNothing) {
  ByteArray kept{3, {1, 2}};
  EXPECT_EQ(QX_Util_PictureToByteArray(kept, nullptr), 0);
  EXPECT_EQ(QX_Util_PictureToByteArray(kept, std::make_shared<Picture>()), 0);
  EXPECT_EQ(kept, (ByteArray{3, {1, 2}}));
  const Object notAPicture = createObject("QXVBUtils.QXUtilities");
  EXPECT_EQ(errorNumber([&] { QX_Util_PictureToByteArray(kept, notAPicture); }),
            vberr::TypeMismatch);
}

TEST_F(PictureBytesTest, LateBoundThroughQXUtilities) {
  const Object utils = createObject("QXVBUtils.QXUtilities");
  std::vector<Variant> args{Variant(), Variant(Object(makePicture(sample(5, 6))))};
  const Variant written = utils->invoke("QX_Util_PictureToByteArray", kMethod, args);
  const auto* bytes = args[0].get<ByteArray>();
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(written, Variant(static_cast<int32_t>(bytes->data.size())));
  EXPECT_EQ(bytes->data[0], 'B');

  const Variant picture = utils->call("qx_util_picturefrombytearray", {args[0]});
  const Object object = CObj(picture);
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->className(), "Picture");
  EXPECT_EQ(object->getProperty("Width"), Variant(pixelsToHimetric(5)));

  // Nothing for the picture leaves the output as it came.
  std::vector<Variant> none{Variant("kept"), Variant(Object())};
  EXPECT_EQ(utils->invoke("QX_Util_PictureToByteArray", kMethod, none), Variant(int32_t{0}));
  EXPECT_EQ(none[0], Variant("kept"));

  EXPECT_EQ(CObj(utils->call("QX_Util_PictureFromByteArray", {Variant(ByteArray{0, {1, 2}})})),
            nullptr);
  EXPECT_EQ(errorNumber([&] { utils->call("QX_Util_PictureFromByteArray", {Variant("BM")}); }),
            vberr::TypeMismatch);
  EXPECT_EQ(
      errorNumber([&] { utils->call("QX_Util_PictureFromByteArray", {Variant(ByteArray{})}); }),
      vberr::SubscriptOutOfRange);
  EXPECT_EQ(errorNumber([&] {
              utils->call("QX_Util_PictureToByteArray", {Variant(), Variant(5)});
            }),
            vberr::TypeMismatch);
}

}  // namespace
}  // namespace qxvb::test
