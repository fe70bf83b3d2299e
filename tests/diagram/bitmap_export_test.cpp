// Diagram to bitmap through QXUtilities, against the host's real model:
// sizes and scales, the retries the host's area limit causes, the hotspot
// map, the host's window, and bad input.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "components/qxhost/host_application.h"
#include "components/qxhost/running_host.h"
#include "diagram_fixture.h"
#include "frame/vb_conversions.h"

namespace qxvb::test {
namespace {

namespace fs = std::filesystem;

struct Bitmap3 {
  int32_t result = -1;
  int32_t width = 0, height = 0, left = 0, top = 0, right = 0, bottom = 0;
  double scale = 0;
};

class BitmapExport : public DiagramTest {
 protected:
  Bitmap3 export3(int32_t ddid, const std::string& file, int32_t maxWidth = 1024,
                  bool hotspots = true) {
    std::vector<Variant> args{Variant(ddid),        Variant(file),        Variant(int32_t{-1}),
                              Variant(int32_t{-1}), Variant(maxWidth),    Variant(hotspots),
                              Variant(int32_t{-1}), Variant(int32_t{-1}), Variant(int32_t{-1}),
                              Variant(int32_t{-1}), Variant(-1.0)};
    Bitmap3 out;
    out.result = CLng(call("QX_DiagramToBitmap3", args));
    out.width = CLng(args[2]);
    out.height = CLng(args[3]);
    out.left = CLng(args[6]);
    out.top = CLng(args[7]);
    out.right = CLng(args[8]);
    out.bottom = CLng(args[9]);
    out.scale = CDbl(args[10]);
    return out;
  }
  // The host's window handle of a diagram.
  static int32_t windowOf(int32_t ddid) {
    const Object app = createObject("QxHost.Application");
    const Object repo = CObj(app->getProperty("Ruzuderedevu"));
    std::vector<Variant> id{Variant(ddid)};
    const Object diagram = CObj(repo->invoke("GetDiagramById", kMethod, id));
    return CLng(diagram->getProperty("Handle"));
  }
};

TEST_F(BitmapExport, DiagramEightHundredUnitsWideKeepsScaleOne) {
  openModel(oneDiagram(1, 750, 400, symbol(11, "A", 100, 100, 200, 150)));
  const Bitmap3 b = export3(1, target("plan.bmp"));
  ASSERT_EQ(b.result, 0);
  EXPECT_EQ(b.width, 800);
  EXPECT_EQ(b.height, 450);
  EXPECT_DOUBLE_EQ(b.scale, 1.0);
  EXPECT_EQ(b.left, 0);
  EXPECT_EQ(b.top, 0);
  EXPECT_EQ(b.right, 800);
  EXPECT_EQ(b.bottom, 450);
  EXPECT_EQ(bitmapHeaderSize(target("plan.bmp")), std::make_pair(800, 450));
}

TEST_F(BitmapExport, DiagramTwoThousandFortyEightUnitsWideIsHalved) {
  // 100..2048 widened to 50..2098, and 100..1050 to 50..1100.
  openModel(oneDiagram(1, 2048, 1050, symbol(11, "A", 100, 100, 200, 150), 100, 100));
  const Bitmap3 b = export3(1, target("plan.bmp"));
  ASSERT_EQ(b.result, 0);
  EXPECT_EQ(b.left, 50);
  EXPECT_EQ(b.right, 2098);
  EXPECT_DOUBLE_EQ(b.scale, 0.5);
  EXPECT_EQ(b.width, 1024);
  EXPECT_EQ(b.height, 525);
  EXPECT_EQ(bitmapHeaderSize(target("plan.bmp")), std::make_pair(1024, 525));
}

TEST_F(BitmapExport, HostsAreaLimitMakesTheExportRetrySmaller) {
  openModel(oneDiagram(1, 2950, 2950, symbol(11, "A", 100, 100, 200, 150)));
  // At the default limit the bitmap made at the area limit is taken.
  Bitmap3 b = export3(1, target("big.bmp"), 3000);
  ASSERT_EQ(b.result, 0);
  EXPECT_EQ(b.width, 2047);
  EXPECT_EQ(b.height, 2047);
  EXPECT_DOUBLE_EQ(b.scale, 2047.0 / 3000.0);
  // Below it, the scale shrinks by 0.95 until the host accepts.
  qxhost::setBitmapAreaLimit(2000 * 2000);
  b = export3(1, target("smaller.bmp"), 3000);
  ASSERT_EQ(b.result, 0);
  EXPECT_EQ(b.width, 1990);
  EXPECT_EQ(b.height, 1990);
  EXPECT_NEAR(b.scale, 0.6634204312890623, 1e-12);
  EXPECT_EQ(bitmapHeaderSize(target("smaller.bmp")), std::make_pair(1990, 1990));
  // A host that accepts nothing this size ends the export with code 2.
  qxhost::setBitmapAreaLimit(900);
  EXPECT_EQ(export3(1, target("none.bmp"), 3000).result, 2);
  EXPECT_FALSE(fs::exists(target("none.bmp")));
}

const char* const kHotspotModel =
    "<Model><DiagramType Number=\"1\" Name=\"Process Diagram\"/>"
    "<Diagram DDID=\"7\" Name=\"Plan\" Type=\"1\" Left=\"0\" Top=\"0\" Right=\"600\" "
    "Bottom=\"400\">"
    "<Symbol DDID=\"701\" Name=\"Start\" Type=\"3\" Left=\"100\" Top=\"100\" Right=\"201\" "
    "Bottom=\"151\"/>"
    "<Symbol DDID=\"702\" Name=\"Review &amp; sign\" Type=\"3\" Flags=\"0x0002\" Left=\"300\" "
    "Top=\"100\" Right=\"400\" Bottom=\"160\"><Related DDID=\"8\"/></Symbol>"
    "<Symbol DDID=\"703\" Name=\"Outer\" Type=\"6\" Flags=\"0x0004\" Left=\"50\" Top=\"50\" "
    "Right=\"550\" Bottom=\"350\"/>"
    "<Symbol DDID=\"704\" Name=\"Inner\" Type=\"6\" Flags=\"0x0004\" Left=\"80\" Top=\"80\" "
    "Right=\"420\" Bottom=\"200\"/>"
    "<Symbol DDID=\"705\" Name=\"Note\" Type=\"7\" Flags=\"0x0020\" Left=\"440\" Top=\"60\" "
    "Right=\"540\" Bottom=\"90\"/>"
    "<Symbol DDID=\"706\" Name=\"Marker\" Type=\"3\" Flags=\"1\" Left=\"450\" Top=\"250\" "
    "Right=\"500\" Bottom=\"300\"/>"
    "</Diagram>"
    "<Diagram DDID=\"8\" Name=\"Detail\" Type=\"1\" Left=\"0\" Top=\"0\" Right=\"300\" "
    "Bottom=\"200\">"
    "<Symbol DDID=\"801\" Name=\"Step\" Type=\"3\" Left=\"10\" Top=\"10\" Right=\"320\" "
    "Bottom=\"20\"/></Diagram></Model>";

TEST_F(BitmapExport, HotspotMapListsSymbolsThenContainersInnermostFirst) {
  openModel(kHotspotModel);
  const Bitmap3 b = export3(7, target("plan.bmp"), 325);
  ASSERT_EQ(b.result, 0);
  ASSERT_DOUBLE_EQ(b.scale, 0.5);
  // Pixels are (unit - 0) * 0.5 rounded half to even; the note is no
  // hotspot; the related diagram's rectangle is its own drawing extent.
  EXPECT_EQ(readFile(target("plan.hsp")),
            "<Hotspotmap>"
            "<Symbol DDID=\"701\" Name=\"Start\" TypeNumber=\"3\" Left=\"50\" Top=\"50\" "
            "Right=\"100\" Bottom=\"76\"/>"
            "<Symbol DDID=\"702\" Name=\"Review &amp; sign\" TypeNumber=\"3\" Left=\"150\" "
            "Top=\"50\" Right=\"200\" Bottom=\"80\">"
            "<Diagram DDID=\"8\" Name=\"Detail\" TypeNumber=\"1\" Left=\"0\" Top=\"0\" "
            "Right=\"320\" Bottom=\"200\"/></Symbol>"
            "<Symbol DDID=\"706\" Name=\"Marker\" TypeNumber=\"3\" Left=\"225\" Top=\"125\" "
            "Right=\"250\" Bottom=\"150\"/>"
            "<Symbol DDID=\"704\" Name=\"Inner\" TypeNumber=\"6\" Left=\"40\" Top=\"40\" "
            "Right=\"210\" Bottom=\"100\"/>"
            "<Symbol DDID=\"703\" Name=\"Outer\" TypeNumber=\"6\" Left=\"25\" Top=\"25\" "
            "Right=\"275\" Bottom=\"175\"/>"
            "</Hotspotmap>\r\n");
}

TEST_F(BitmapExport, HotspotMapOnlyWhenAskedAndWhenThereAreHotspots) {
  openModel(kHotspotModel);
  std::vector<Variant> args{Variant(int32_t{7}), Variant(target("plain.bmp")), Variant(int32_t{0}),
                            Variant(int32_t{0}), Variant(int32_t{1024}),       Variant(false)};
  ASSERT_EQ(CLng(call("QX_DiagramToBitmap2", args)), 0);
  EXPECT_TRUE(fs::exists(target("plain.bmp")));
  EXPECT_FALSE(fs::exists(target("plain.hsp")));
  // The short form writes the map; a name without extension gets ".hsp".
  std::vector<Variant> shortArgs{Variant(int32_t{7}), Variant(target("noext"))};
  ASSERT_EQ(CLng(call("QX_DiagramToBitmap", shortArgs)), 0);
  EXPECT_TRUE(fs::exists(target("noext.hsp")));
  // A diagram whose only symbol is a note has no hotspot: no map.
  open_.reset();
  folder_ = freshFolder("notes");
  openModel(oneDiagram(3, 300, 200, symbol(31, "Note", 10, 10, 90, 40, "Flags=\"0x0020\"")));
  ASSERT_EQ(export3(3, target("note.bmp")).result, 0);
  EXPECT_FALSE(fs::exists(target("note.hsp")));
}

TEST_F(BitmapExport, ExportShowsTheDiagramOnlyWhileItNeedsTo) {
  openModel(kHotspotModel);
  ASSERT_EQ(windowOf(7), 0);
  ASSERT_EQ(export3(7, target("a.bmp")).result, 0);
  EXPECT_EQ(windowOf(7), 0);
  // A diagram the user has open stays open.
  const Object app = createObject("QxHost.Application");
  std::vector<Variant> id{Variant(int32_t{7})};
  const Object diagram =
      CObj(CObj(app->getProperty("Ruzuderedevu"))->invoke("GetDiagramById", kMethod, id));
  diagram->call("Show");
  const int32_t shown = windowOf(7);
  ASSERT_NE(shown, 0);
  ASSERT_EQ(export3(7, target("b.bmp")).result, 0);
  EXPECT_EQ(windowOf(7), shown);
  diagram->call("Hide");
  // A failing export closes what it opened too.
  ASSERT_EQ(export3(7, target("missing-folder/c.bmp")).result, 2);
  EXPECT_EQ(windowOf(7), 0);
}

TEST_F(BitmapExport, WithoutARunningRepositoryEveryExportAnswersOne) {
  EXPECT_EQ(export3(1, target("a.bmp")).result, 1);
  openModel(oneDiagram(1, 300, 200));
  qxhost::closeRepository();
  EXPECT_EQ(export3(1, target("b.bmp")).result, 1);
  // A repository file that is gone counts as none open.
  qxhost::openRepository((folder_ / "gone.qxr").string());
  EXPECT_EQ(export3(1, target("c.bmp")).result, 1);
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "a.hsp", "b.hsp"}) {
    EXPECT_FALSE(fs::exists(target(name))) << name;
  }
}

TEST_F(BitmapExport, BadInputEndsWithCodeTwoAndWritesNothing) {
  openModel(oneDiagram(1, 300, 200, symbol(11, "A", 10, 10, 60, 40)));
  // No such diagram.
  EXPECT_EQ(export3(99, target("a.bmp")).result, 2);
  // A folder that does not exist, a name below a file, a folder as target.
  EXPECT_EQ(export3(1, target("no/such/folder/a.bmp")).result, 2);
  writeFile(folder_ / "file", "x");
  EXPECT_EQ(export3(1, target("file/a.bmp")).result, 2);
  fs::create_directory(folder_ / "dir.bmp");
  EXPECT_EQ(export3(1, target("dir.bmp")).result, 2);
  EXPECT_TRUE(fs::is_directory(folder_ / "dir.bmp"));
  // Widths that leave no pixels.
  EXPECT_EQ(export3(1, target("zero.bmp"), 0).result, 2);
  EXPECT_EQ(export3(1, target("negative.bmp"), -5).result, 2);
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(folder_)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("diagrams.qxr", 0) != 0) left.push_back(name);
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"dir.bmp", "file"}));
}

TEST_F(BitmapExport, OddGeometryStillExports) {
  // An empty diagram is the margin alone.
  openModel(oneDiagram(1, 0, 0));
  Bitmap3 b = export3(1, target("empty.bmp"));
  ASSERT_EQ(b.result, 0);
  EXPECT_EQ(b.width, 50);
  EXPECT_EQ(b.height, 50);
  EXPECT_FALSE(fs::exists(target("empty.hsp")));
}

TEST_F(BitmapExport, SymbolsOutsideThePageWidenTheDrawingAndClipTheMap) {
  openModel(oneDiagram(
      1, 400, 300,
      symbol(11, "Left of it", -200, 50, -100, 90) + symbol(12, "Below it", 100, 500, 200, 560)));
  const Bitmap3 b = export3(1, target("wide.bmp"));
  ASSERT_EQ(b.result, 0);
  // The extent runs from -200 (left edge kept at 0) to 450 and down to 610.
  EXPECT_EQ(b.left, 0);
  EXPECT_EQ(b.right, 450);
  EXPECT_EQ(b.bottom, 610);
  const std::string map = readFile(target("wide.hsp"));
  // The symbol wholly left of the bitmap is not clickable; the other is.
  EXPECT_EQ(map.find("DDID=\"11\""), std::string::npos);
  EXPECT_NE(map.find("<Symbol DDID=\"12\" Name=\"Below it\" TypeNumber=\"3\" Left=\"100\" "
                     "Top=\"500\" Right=\"200\" Bottom=\"560\"/>"),
            std::string::npos);
}

TEST_F(BitmapExport, EnormousDiagramsShrinkOrFailCleanly) {
  openModel(oneDiagram(1, 999'999'000, 999'999'000, symbol(11, "A", 0, 0, 100, 100)) +
            std::string());
  Bitmap3 b = export3(1, target("huge.bmp"));
  ASSERT_EQ(b.result, 0);
  EXPECT_EQ(b.width, 1024);
  EXPECT_EQ(b.height, 1024);
  open_.reset();
  folder_ = freshFolder("tall");
  // So tall that no bitmap within the area limit keeps a pixel of width.
  openModel(oneDiagram(1, 100, 999'999'000));
  EXPECT_EQ(export3(1, target("tall.bmp")).result, 2);
  EXPECT_FALSE(fs::exists(target("tall.bmp")));
}

TEST_F(BitmapExport, ExistingTargetIsReplaced) {
  openModel(oneDiagram(1, 300, 200, symbol(11, "A", 10, 10, 60, 40)));
  writeFile(folder_ / "old.bmp", "not a bitmap");
  ASSERT_EQ(export3(1, target("old.bmp")).result, 0);
  EXPECT_EQ(bitmapHeaderSize(target("old.bmp")), std::make_pair(350, 250));
}

TEST_F(BitmapExport, SecondNotationDiagramsExportThroughTheirDrawingFile) {
  openSample();
  const Bitmap3 b = export3(4, target("states.bmp"));
  ASSERT_EQ(b.result, 0);
  // 640 by 300 units, 9600 by 4500 twips: 640 by 300 pixels, no margin.
  EXPECT_EQ(b.width, 640);
  EXPECT_EQ(b.height, 300);
  EXPECT_EQ(bitmapHeaderSize(target("states.bmp")), std::make_pair(640, 300));
  EXPECT_FALSE(fs::exists(target("states.hsp")));
  const Bitmap3 small = export3(4, target("small.bmp"), 320);
  ASSERT_EQ(small.result, 0);
  EXPECT_EQ(small.width, 320);
  EXPECT_EQ(small.height, 150);
  EXPECT_DOUBLE_EQ(small.scale, 0.5);
}

}  // namespace
}  // namespace qxvb::test
