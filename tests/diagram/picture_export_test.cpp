// Diagram to JPEG and PNG: the converted pictures decode to the bitmap's
// size, the hotspot map lands beside them, an existing map is kept, and no
// temporary file outlives the export.
#include <gtest/gtest.h>

#include <filesystem>

#include "diagram_fixture.h"
#include "frame/automation_error.h"
#include "frame/vb_conversions.h"

namespace qxvb::test {
namespace {

namespace fs = std::filesystem;

struct Picture {
  int32_t result = -1;
  int32_t width = 0;
  int32_t height = 0;
  std::string message;
};

class PictureExport : public DiagramTest {
 protected:
  Picture exportAs(const char* member, int32_t ddid, const std::string& file,
                   int32_t maxWidth = 1024) {
    std::vector<Variant> args{Variant(ddid),       Variant(file),     Variant(int32_t{0}),
                              Variant(int32_t{0}), Variant(maxWidth), Variant("stale")};
    Picture out;
    out.result = CLng(call(member, args));
    out.width = CLng(args[2]);
    out.height = CLng(args[3]);
    out.message = CStr(args[5]);
    return out;
  }
  void openPlan() {
    openModel(oneDiagram(
        1, 750, 400,
        symbol(11, "Take order", 100, 100, 250, 180) + symbol(12, "Ship", 400, 100, 550, 180)));
  }
};

TEST_F(PictureExport, PngAndJpegDecodeToTheBitmapSizeWithTheMapBeside) {
  openPlan();
  const Picture png = exportAs("QX_DiagramToPNG", 1, target("plan.png"));
  ASSERT_EQ(png.result, 0) << png.message;
  EXPECT_EQ(png.message, "");
  EXPECT_EQ(png.width, 800);
  EXPECT_EQ(png.height, 450);
  EXPECT_EQ(decodedSize(target("plan.png"), "png"), std::make_pair(800, 450));
  const Picture jpeg = exportAs("QX_DiagramToJPEG", 1, target("half.jpg"), 400);
  ASSERT_EQ(jpeg.result, 0) << jpeg.message;
  EXPECT_EQ(jpeg.width, 400);
  EXPECT_EQ(jpeg.height, 225);
  EXPECT_EQ(decodedSize(target("half.jpg"), "jpeg"), std::make_pair(400, 225));
  // The map beside the JPEG is the one a bitmap of that size gets.
  std::vector<Variant> bitmap{Variant(int32_t{1}), Variant(target("same.bmp")), Variant(int32_t{0}),
                              Variant(int32_t{0}), Variant(int32_t{400})};
  ASSERT_EQ(CLng(call("QX_DiagramToBitmap", bitmap)), 0);
  EXPECT_EQ(readFile(target("half.HSP")).find("<Hotspotmap><Symbol DDID=\"11\""), 0u);
  EXPECT_EQ(readFile(target("half.HSP")), readFile(target("same.hsp")));
  EXPECT_TRUE(temporaryFiles().empty());
}

TEST_F(PictureExport, ExistingHotspotMapBesideTheTargetIsLeftAlone) {
  openPlan();
  writeFile(folder_ / "plan.HSP", "the user's own map");
  const Picture jpeg = exportAs("QX_DiagramToJPEG", 1, target("plan.jpg"));
  // The picture is written and the export succeeds; the map stays the user's.
  EXPECT_EQ(jpeg.result, 0);
  EXPECT_EQ(jpeg.width, 800);
  EXPECT_EQ(jpeg.message, "");
  EXPECT_EQ(decodedSize(target("plan.jpg"), "jpeg"), std::make_pair(800, 450));
  EXPECT_EQ(readFile(folder_ / "plan.HSP"), "the user's own map");
  EXPECT_TRUE(temporaryFiles().empty());
}

TEST_F(PictureExport, ConverterFailureIsReportedWithItsOwnText) {
  openPlan();
  const std::string png = target("no-such-folder/plan.png");
  const Picture p = exportAs("QX_DiagramToPNG", 1, png);
  EXPECT_EQ(p.result, 3);
  // The bitmap step still hands back its size.
  EXPECT_EQ(p.width, 800);
  EXPECT_EQ(p.height, 450);
  EXPECT_EQ(p.message,
            "The diagram could not be converted to PNG. The graphics converter "
            "reported: Cannot write the file " +
                png + ": No such file or directory");
  const Picture j = exportAs("QX_DiagramToJPEG", 1, target("no-such-folder/plan.jpg"));
  EXPECT_EQ(j.result, 3);
  EXPECT_EQ(j.message.rfind("The diagram could not be converted to JPG. ", 0), 0u) << j.message;
  EXPECT_FALSE(fs::exists(folder_ / "no-such-folder"));
  EXPECT_TRUE(temporaryFiles().empty());
}

TEST_F(PictureExport, NoHostOrNoDiagramWritesNothing) {
  Picture p = exportAs("QX_DiagramToPNG", 1, target("a.png"));
  EXPECT_EQ(p.result, 1);
  EXPECT_EQ(p.width, 0);
  p = exportAs("QX_DiagramToJPEG", 1, target("a.jpg"));
  EXPECT_EQ(p.result, 1);
  openPlan();
  p = exportAs("QX_DiagramToPNG", 42, target("b.png"));
  EXPECT_EQ(p.result, 2);
  EXPECT_EQ(p.message, "");
  for (const char* name : {"a.png", "a.jpg", "a.HSP", "b.png", "b.HSP"}) {
    EXPECT_FALSE(fs::exists(target(name))) << name;
  }
  EXPECT_TRUE(temporaryFiles().empty());
}

TEST_F(PictureExport, FormsWithoutMessageNeedTheSizeOutputs) {
  openPlan();
  std::vector<Variant> args{Variant(int32_t{1}), Variant(target("short.png")), Variant(int32_t{0}),
                            Variant(int32_t{0})};
  ASSERT_EQ(CLng(call("QX_DiagramToPNGNoErrStr", args)), 0);
  EXPECT_EQ(CLng(args[2]), 800);
  std::vector<Variant> jpeg{Variant(int32_t{1}), Variant(target("shorter.jpg")),
                            Variant(int32_t{0}), Variant(int32_t{0}), Variant(int32_t{200})};
  ASSERT_EQ(CLng(call("QX_DiagramToJPEGNoErrStr", jpeg)), 0);
  EXPECT_EQ(CLng(jpeg[2]), 200);
  EXPECT_EQ(decodedSize(target("shorter.jpg"), "jpeg"), std::make_pair(200, 112));
  std::vector<Variant> missing{Variant(int32_t{1}), Variant(target("x.png"))};
  EXPECT_THROW(call("QX_DiagramToPNGNoErrStr", missing), AutomationError);
}

TEST_F(PictureExport, SecondNotationDiagramConvertsWithoutMap) {
  openSample();
  const Picture p = exportAs("QX_DiagramToPNG", 4, target("states.png"));
  ASSERT_EQ(p.result, 0) << p.message;
  EXPECT_EQ(decodedSize(target("states.png"), "png"), std::make_pair(640, 300));
  EXPECT_FALSE(fs::exists(target("states.HSP")));
  EXPECT_TRUE(temporaryFiles().empty());
}

}  // namespace
}  // namespace qxvb::test
