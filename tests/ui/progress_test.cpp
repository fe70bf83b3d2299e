// The progress window: its arithmetic in process, and the Cancel button
// pressed by a person on a window qxcall shows.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "frame/catalogue.h"
#include "frame/dispatch.h"
#include "frame/vb_conversions.h"
#include "gui_fixture.h"
#include "ui/progress/progress_window.h"

namespace qxvb::test {
namespace {

using ProgressTest = GuiTest;

TEST_F(ProgressTest, PercentageFollowsTheRangeAndBadValuesChangeNothing) {
  auto progress = createObject("QXVBUtils.QX_Progress");
  progress->call("SetRange", {Variant(0), Variant(200)});
  progress->call("SetProgress", {Variant(50)});
  gui::ProgressWindow* form = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->objectName() == "frmProgress") form = static_cast<gui::ProgressWindow*>(w);
  }
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->findChild<QLabel*>("lblProgress")->text(), "25%");
  EXPECT_EQ(CLng(progress->call("GetProgress")), 50);
  // Outside the range, or an empty range: nothing changes, nothing raised.
  progress->call("SetProgress", {Variant(201)});
  EXPECT_EQ(CLng(progress->call("GetProgress")), 50);
  progress->call("SetRange", {Variant(7), Variant(7)});
  progress->call("SetProgress", {Variant(7)});
  EXPECT_EQ(form->findChild<QLabel*>("lblProgress")->text(), "25%");
  // A non-zero minimum counts from the minimum; halves round to even.
  progress->call("SetRange", {Variant(100), Variant(300)});
  progress->call("SetProgress", {Variant(105)});
  EXPECT_EQ(form->findChild<QLabel*>("lblProgress")->text(), "2%");
  progress->call("SetProgress", {Variant(107)});
  EXPECT_EQ(form->findChild<QLabel*>("lblProgress")->text(), "4%");
  std::vector<Variant> range{Variant(), Variant()};
  progress->invoke("GetRange", kMethod, range);
  EXPECT_EQ(CLng(range[0]), 100);
  EXPECT_EQ(CLng(range[1]), 300);
  // Values cross as single-precision numbers.
  progress->call("SetRange", {Variant(0), Variant(100000000)});
  progress->call("SetProgress", {Variant(16777217)});
  EXPECT_EQ(CLng(progress->call("GetProgress")), 16777216);
}

TEST_F(ProgressTest, CancelStaysSetAndDebugModeStopsRaising) {
  auto progress = createObject("QXVBUtils.QX_Progress");
  progress->call("SetCaption", {Variant("Exporting")});
  progress->call("Show");
  gui::ProgressWindow* form = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->objectName() == "frmProgress") form = static_cast<gui::ProgressWindow*>(w);
  }
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->windowTitle(), "Exporting");
  EXPECT_TRUE(form->keepInFront());
  progress->putProperty("blnInDebug", Variant(true));
  EXPECT_FALSE(form->keepInFront());
  EXPECT_FALSE(CBool(progress->getProperty("blnCancelled")));
  QTest::mouseClick(form->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
  EXPECT_TRUE(CBool(progress->getProperty("blnCancelled")));
  EXPECT_FALSE(form->isVisible());
  progress->call("Show");
  progress->call("Hide");
  EXPECT_TRUE(CBool(progress->getProperty("blnCancelled")));
}

TEST_F(ProgressTest, APersonCancelsAWindowShownByAScript) {
  QxcallProcess qx({"--json", "QXVBUtils.QX_Progress", "SetCaption", "Quillane - Import", "--",
                    "SetRange", "l:0", "l:200", "--", "SetProgress", "l:50", "--", "Show", "--",
                    "@wait", "--", "blnCancelled"});
  const uint32_t window = waitForWindow(exactPattern("Quillane - Import"));
  ASSERT_NE(window, 0u);
  // Escape does nothing; the window's close button cancels like Cancel.
  EXPECT_TRUE(pressKeysUntilClosed(window, {"alt+F4"}));
  ASSERT_EQ(qx.wait(), 0) << qx.output();
  EXPECT_NE(qx.output().find("{\"result\": true, \"args\": []}"), std::string::npos) << qx.output();
}

}  // namespace
}  // namespace qxvb::test
