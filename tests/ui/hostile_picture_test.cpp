// Picture files that may be hostile: FIFOs and devices in a picture's
// place, drawings that refer to other files, and the converter reached
// through the catalogue so that the product's component can take its place.
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "components/picture_conversion/gui/picture_converter.h"
#include "exports/rastell2.h"
#include "files/gui/load_picture.h"
#include "frame/catalogue.h"
#include "frame/module_state.h"
#include "picture_fixture.h"
#include "support/child_process.h"

namespace qxvb::test {
namespace {

namespace fs = std::filesystem;

class HostilePictureTest : public PictureTest {};

// Runs work in a child with an alarm, so a read that blocks fails the test
// instead of hanging it.
bool finishesInTime(const std::function<bool()>& work) {
  const pid_t child = forkChild([&] {
    ::alarm(20);
    return work();
  });
  return child > 0 && exitCodeOf(child) == 0;
}

TEST_F(HostilePictureTest, FifosAndDevicesAreRefusedAtOnce) {
  const fs::path dir = freshFolder("hostile-pictures");
  for (const char* name : {"pipe.png", "pipe.svg", "pipe.bmp"}) {
    ASSERT_EQ(::mkfifo((dir / name).c_str(), 0600), 0);
  }
  fs::create_symlink("/dev/zero", dir / "zero.png");
  fs::create_symlink("/dev/zero", dir / "zero.svg");
  fs::create_symlink("/dev/zero", dir / "zero.bmp");
  EXPECT_TRUE(finishesInTime([&] {
    bool ok = true;
    for (const char* name :
         {"pipe.png", "pipe.svg", "pipe.bmp", "zero.png", "zero.svg", "zero.bmp"}) {
      ok = ok && QX_File_LoadPicture(*fileUtils(), (dir / name).string()) == nullptr;
    }
    ok = ok && Rastell2_PngToBmp((dir / "pipe.png").c_str(), (dir / "out.bmp").c_str(), 0) == 0;
    return ok;
  }));
  EXPECT_FALSE(fs::exists(dir / "out.bmp"));
}

TEST_F(HostilePictureTest, ADrawingShowsOnlyWhatItContains) {
  const fs::path dir = freshFolder("svg-image");
  // A local picture the drawing tries to pull in: solid green.
  QImage green(40, 40, QImage::Format_RGB32);
  green.fill(QColor(0, 255, 0));
  const fs::path secret = writeImage(dir / "secret.png", green, "png");
  // The same picture embedded as a data URI is drawn.
  const QByteArray png = encode(green, "png");
  const std::string svgStart =
      "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' "
      "width='40' height='40'><rect width='40' height='40' fill='#ffffff'/>";
  writeFile(dir / "file.svg", svgStart + "<image x='0' y='0' width='40' height='40' href='" +
                                  secret.string() +
                                  "'/><image x='0' y='0' width='40' height='40' "
                                  "xlink:href='file://" +
                                  secret.string() + "'/></svg>");
  writeFile(dir / "data.svg", svgStart +
                                  "<image x='0' y='0' width='40' height='40' "
                                  "xlink:href='data:image/png;base64," +
                                  png.toBase64().toStdString() + "'/></svg>");
  const Object fromFile = QX_File_LoadPicture(*fileUtils(), (dir / "file.svg").string());
  ASSERT_NE(asPicture(fromFile), nullptr);
  EXPECT_EQ(pixel(fromFile, 20, 20), QColor(255, 255, 255));
  const Object fromData = QX_File_LoadPicture(*fileUtils(), (dir / "data.svg").string());
  ASSERT_NE(asPicture(fromData), nullptr);
  EXPECT_EQ(pixel(fromData, 20, 20), QColor(0, 255, 0));
}

std::atomic<int> replacementsMade{0};

Object countingConverter() {
  ++replacementsMade;
  return picconv::makePictureConverter();
}

TEST_F(HostilePictureTest, TheConverterIsCreatedByItsProgId) {
  auto* info = const_cast<ClassInfo*>(Catalogue::instance().find(picconv::kPictureConverterProgId));
  ASSERT_NE(info, nullptr);
  const auto original = info->factory;
  info->factory = countingConverter;
  const fs::path svg = freshFolder("svg-progid") / "a.svg";
  writeFile(svg, "<svg xmlns='http://www.w3.org/2000/svg' width='4' height='4'/>");
  // A fresh thread: the component is kept per thread.
  std::thread([&] {
    const Object picture = QX_File_LoadPicture(*fileUtils(), svg.string());
    EXPECT_NE(picture, nullptr);
    unloadThread();
  }).join();
  info->factory = original;
  EXPECT_EQ(replacementsMade.load(), 1);
}

}  // namespace
}  // namespace qxvb::test
