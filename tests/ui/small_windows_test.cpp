// Window size limits, the tooltip and the list selector: the logic in
// process (with the tooltip's clock stepped by the test) and the windows
// met from outside through qxcall and xdotool.
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include "frame/catalogue.h"
#include "frame/collection.h"
#include "frame/dispatch.h"
#include "frame/vb_conversions.h"
#include "gui_fixture.h"
#include "text/qxutilities.h"
#include "ui/app/extension_state.h"
#include "ui/form_sizing/min_max_form.h"
#include "ui/list_selector/list_selector.h"
#include "ui/tooltip/tooltip_window.h"

namespace qxvb::test {
namespace {

using SizeLimitsTest = GuiTest;

TEST_F(SizeLimitsTest, TheWindowManagerKeepsTheLimitsUntilTheObjectEnds) {
  ForeignWindow w("quill", "Quill", "Sized");
  const std::string id = std::to_string(w.id());
  const auto sizeAfterAsking = [&](int width, int height) {
    xdotool({"windowsize", id, std::to_string(width), std::to_string(height)});
    WindowGeometry g;
    eventually(
        [&] {
          g = windowGeometry(w.id());
          return g.width != 320 || g.height != 200;
        },
        1s);
    return g;
  };
  {
    auto limits = createObject("QXVBUtils.QX_clsMinMaxFlickerFreeForm");
    limits->call("Init", {Variant(static_cast<int32_t>(w.id())), Variant(300), Variant(-1),
                          Variant(200), Variant(0)});
    const WindowGeometry small = sizeAfterAsking(100, 50);
    EXPECT_EQ(small.width, 300);
    EXPECT_EQ(small.height, 200);
    const WindowGeometry large = sizeAfterAsking(1000, 700);
    EXPECT_EQ(large.width, 1000);
    EXPECT_EQ(large.height, 700);
  }
  // The object ended: the window's own hints are back.
  EXPECT_TRUE(eventually([&] {
    xdotool({"windowsize", id, "120", "80"});
    const WindowGeometry g = windowGeometry(w.id());
    return g.width == 120 && g.height == 80;
  }));
  // Windows that do not exist and all defaults are no errors.
  auto limits = createObject("QXVBUtils.QX_clsMinMaxFlickerFreeForm");
  limits->call("Init", {Variant(0x7ffffff0)});
  limits->call("Init", {Variant(static_cast<int32_t>(w.id()))});
}

TEST(SizeHintsTest, LimitsOfZeroOrBelowLeaveASideUnlimited) {
  const x11::SizeHints none{};
  const auto h = gui::MinMaxLimits::limitedHints(none, 300, -1, 0, 500);
  EXPECT_EQ(h[0], x11::kPMinSize | x11::kPMaxSize);
  EXPECT_EQ(h[5], 300u);
  EXPECT_EQ(h[6], 0u);
  EXPECT_EQ(h[7], 32767u);
  EXPECT_EQ(h[8], 500u);
  EXPECT_EQ(gui::MinMaxLimits::limitedHints(none, -1, -1, -1, -1), none);
}

using TooltipTest = GuiTest;

gui::TooltipWindow* tooltipOf(Object& utilities) {
  auto& self = static_cast<QXUtilities&>(*utilities);
  return gui::extensionState(self).tooltip.get();
}

TEST_F(TooltipTest, ShowsAfterTheDelayAndHidesAfterFiveSeconds) {
  auto utilities = createObject("QXVBUtils.QXUtilities");
  utilities->call("QXShowToolTip", {Variant(0), Variant("Save & close"), Variant(true)});
  gui::TooltipWindow* tip = tooltipOf(utilities);
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(tip->tipText(), "Save && close");
  EXPECT_EQ(tip->text(), "Save & close");
  EXPECT_FALSE(tip->isVisible());
  EXPECT_EQ(tip->timerInterval(), gui::TooltipWindow::kDelayMs);
  tip->tick();
  EXPECT_TRUE(tip->isVisible());
  EXPECT_EQ(tip->timerInterval(), gui::TooltipWindow::kShowMs);
  tip->tick();
  EXPECT_FALSE(tip->isVisible());
  EXPECT_FALSE(tip->timerActive());
}

TEST_F(TooltipTest, CancelledBeforeTheDelayShowsNothingAndAClickHides) {
  auto utilities = createObject("QXVBUtils.QXUtilities");
  utilities->call("QXShowToolTip", {Variant(0), Variant("x"), Variant(true)});
  utilities->call("QXShowToolTip", {Variant(0), Variant("x"), Variant(false)});
  EXPECT_EQ(tooltipOf(utilities), nullptr);
  utilities->call("QXShowToolTip", {Variant(0), Variant("Click me"), Variant(true)});
  gui::TooltipWindow* tip = tooltipOf(utilities);
  tip->tick();
  ASSERT_TRUE(tip->isVisible());
  QTest::mouseClick(tip, Qt::LeftButton);
  EXPECT_FALSE(tip->isVisible());
}

TEST(TooltipPlacementTest, StaysOnTheScreen) {
  const QRect screen(0, 0, 1280, 1024);
  EXPECT_EQ(gui::TooltipWindow::placement({100, 100}, {80, 20}, screen), QPoint(112, 120));
  EXPECT_EQ(gui::TooltipWindow::placement({1270, 1015}, {80, 20}, screen).x(), 1279 - 80);
  EXPECT_EQ(gui::TooltipWindow::placement({1270, 1015}, {80, 20}, screen).y(), 1015 - 24);
}

TEST_F(TooltipTest, TheTipShowsForAnyWindowAndHidesByItself) {
  QxcallProcess qx({"QXVBUtils.QXUtilities", "QXShowToolTip", "l:0", "Quillane tip & more",
                    "b:true", "--", "@wait", "7000"});
  const uint32_t tip = waitForWindow(exactPattern("Quillane tip & more"), 3s);
  EXPECT_NE(tip, 0u);
  EXPECT_TRUE(waitForNoWindow(exactPattern("Quillane tip & more"), 6s));
  EXPECT_EQ(qx.wait(), 0);
}

using ListSelectorTest = GuiTest;

TEST_F(ListSelectorTest, PreselectsRowsContainedInTheInitialValue) {
  gui::ListSelector form;
  form.init("Pick", {"Alpha", "Alp", "alpha", "Beta"}, "Alpha", true, false, false);
  EXPECT_EQ(form.value(), (QStringList{"Alpha", "Alp"}));
  // Two rows chosen: "" even after OK.
  QTest::mouseClick(form.okButton(), Qt::LeftButton);
  EXPECT_EQ(form.result(), 1);
  EXPECT_EQ(form.answer(), "");
  gui::ListSelector sorted;
  sorted.init("Pick", {"b", "c", "a"}, "", false, false, true);
  EXPECT_EQ(sorted.list()->item(0)->text(), "a");
  EXPECT_EQ(sorted.answer(), "");
}

TEST_F(ListSelectorTest, DoubleClickOnEmptySpaceDoesNotClose) {
  gui::ListSelector form;
  form.init("Pick", {"Alpha", "Beta"}, "Beta", false, false, false);
  form.show();
  QWidget* viewport = form.list()->viewport();
  const QPoint below(20, viewport->height() - 5);
  QTest::mouseDClick(viewport, Qt::LeftButton, {}, below);
  EXPECT_EQ(form.result(), 0);
  const QRect row = form.list()->visualItemRect(form.list()->item(0));
  QTest::mousePress(viewport, Qt::LeftButton, {}, row.center());
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, row.center());
  QTest::mouseDClick(viewport, Qt::LeftButton, {}, row.center());
  EXPECT_EQ(form.result(), 1);
  EXPECT_EQ(form.answer(), "Alpha");
}

TEST(ListSelectorPlacementTest, GoesLeftOfAndAboveTheCursor) {
  // 400 and 600 twips at 15 twips per pixel.
  EXPECT_EQ(gui::ListSelector::nextToCursor({500, 400}, 15.0), QPoint(473, 360));
}

TEST_F(ListSelectorTest, APersonPicksARowInAWindowShownByAScript) {
  const auto pick = [](const std::vector<std::string>& keys) {
    QxcallProcess qx({"--json", "QXVBUtils.QXUtilities", "ShowListSelector2", "Quillane - Pick",
                      "col:s:Gamma;s:Alpha;s:Beta & Co", "Beta & Co", "b:false", "b:false",
                      "b:true"});
    const uint32_t window = waitForWindow(exactPattern("Quillane - Pick"));
    EXPECT_NE(window, 0u);
    if (window != 0) pressKeys(window, keys);
    EXPECT_EQ(qx.wait(), 0) << qx.output();
    return qx.output().substr(0, qx.output().find(", \"args\""));
  };
  // Sorted: Alpha, Beta & Co (preselected), Gamma.
  EXPECT_EQ(pick({"Return"}), "{\"result\": \"Beta & Co\"");
  EXPECT_EQ(pick({"Down", "Return"}), "{\"result\": \"Gamma\"");
  EXPECT_EQ(pick({"Escape"}), "{\"result\": \"\"");
  EXPECT_EQ(pick({"alt+F4"}), "{\"result\": \"\"");
}

}  // namespace
}  // namespace qxvb::test
