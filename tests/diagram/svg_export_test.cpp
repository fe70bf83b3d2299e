// Diagram to SVG: the host's file, the problems it marks listed line by
// line, and the codes of the stages that fail.
#include <gtest/gtest.h>

#include <QSvgRenderer>
#include <filesystem>

#include "diagram_fixture.h"
#include "frame/vb_conversions.h"

namespace qxvb::test {
namespace {

namespace fs = std::filesystem;

class SvgExport : public DiagramTest {
 protected:
  std::pair<int32_t, std::string> exportSvg(int32_t ddid, const std::string& file) {
    std::vector<Variant> args{Variant(ddid), Variant(file), Variant("stale")};
    const int32_t result = CLng(call("QX_DiagramToSVG", args));
    return {result, CStr(args[2])};
  }
};

TEST_F(SvgExport, DiagramWithoutProblemsGivesZeroAndNoMessage) {
  openSample();
  const auto [result, message] = exportSvg(1, target("overview.svg"));
  EXPECT_EQ(result, 0);
  EXPECT_EQ(message, "");
  QSvgRenderer renderer(QString::fromStdString(target("overview.svg")));
  ASSERT_TRUE(renderer.isValid());
  // The drawing extent with the margin: 0..950 by 0..610 units.
  EXPECT_EQ(renderer.viewBox(), QRect(0, 0, 950, 610));
  EXPECT_EQ(readFile(target("overview.svg")).find("data-qx-problem"), std::string::npos);
}

TEST_F(SvgExport, MarkedProblemsAreListedUnderAHeading) {
  openSample();
  const std::string file = target("take order.svg");
  const auto [result, message] = exportSvg(2, file);
  EXPECT_EQ(result, 3);
  EXPECT_EQ(message, "Problems were found in diagram Take Order (Data Flow Diagram) exported to " +
                         file +
                         ":\r\n"
                         "Record Order has no flow into the Orders store.\r\n"
                         "Confirm Order is not connected to the Customer.");
  QSvgRenderer renderer(QString::fromStdString(file));
  EXPECT_TRUE(renderer.isValid());
  std::vector<Variant> quiet{Variant(int32_t{2}), Variant(target("quiet.svg"))};
  EXPECT_EQ(CLng(call("QX_DiagramToSVGNoErrStr", quiet)), 3);
}

TEST_F(SvgExport, ProblemTextIsKeptExactlyThroughTheMarkup) {
  openModel(oneDiagram(
      1, 300, 200,
      symbol(11, "A", 10, 10, 60, 40, "Problem=\"Needs &lt;input&gt; &amp; &quot;output&quot;\"")));
  const auto [result, message] = exportSvg(1, target("a.svg"));
  EXPECT_EQ(result, 3);
  EXPECT_EQ(message, "Problems were found in diagram Plan (Process Diagram) exported to " +
                         target("a.svg") + ":\r\nNeeds <input> & \"output\"");
}

TEST_F(SvgExport, NoHostSecondNotationOrNoDiagramAnswerOne) {
  auto [result, message] = exportSvg(1, target("a.svg"));
  EXPECT_EQ(result, 1);
  EXPECT_EQ(message, "");
  openSample();
  EXPECT_EQ(exportSvg(4, target("states.svg")).first, 1);
  EXPECT_EQ(exportSvg(77, target("none.svg")).first, 1);
  for (const char* name : {"a.svg", "states.svg", "none.svg"}) {
    EXPECT_FALSE(fs::exists(target(name))) << name;
  }
}

TEST_F(SvgExport, TargetThatCannotBeWrittenAnswersTwo) {
  openSample();
  EXPECT_EQ(exportSvg(1, target("missing/overview.svg")).first, 2);
  writeFile(folder_ / "file", "x");
  EXPECT_EQ(exportSvg(1, target("file/overview.svg")).first, 2);
  EXPECT_FALSE(fs::exists(folder_ / "missing"));
}

}  // namespace
}  // namespace qxvb::test
