// Help through a documentation viewer of the tests' own, which records
// what it was given, and the error dialog that opens it.
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

#include "error_helper/error_helper.h"
#include "error_helper/gui/error_dialog.h"
#include "frame/catalogue.h"
#include "frame/dispatch.h"
#include "frame/vb_conversions.h"
#include "gui_fixture.h"
#include "support/errors.h"
#include "support/sandbox.h"
#include "ui/app/gui_thread.h"

namespace qxvb::test {
namespace {

namespace fs = std::filesystem;

class HelpTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    folder_ = freshFolder("viewer");
    record_ = folder_ / "calls.txt";
    viewer_ = folder_ / "doc viewer";
    // One write per call: the viewers run side by side and append to one file.
    writeFile(viewer_, "#!/bin/sh\nline=$(printf '%s|' \"$@\")\nprintf '%s\\n' \"$line\" >> '" +
                           record_.string() + "'\n");
    fs::permissions(viewer_, fs::perms::owner_all);
  }

  // Writes the product's help settings; an empty root leaves it unset.
  void configure(const std::string& root) {
    auto utilities = createObject("QXVBUtils.QXUtilities");
    for (const auto& [item, value] :
         {std::pair<std::string, std::string>{"Help", root}, {"HelpViewer", viewer_.string()}}) {
      std::vector<Variant> args{Variant(item), Variant(value), Variant("Quillane")};
      utilities->invoke("QXSetSetting", kMethod, args);
    }
  }

  // The viewer's calls, one line each, once count of them arrived.
  std::string calls(size_t count) {
    eventually([&] {
      const std::string text = readFile(record_);
      return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) >= count;
    });
    return readFile(record_);
  }

  fs::path folder_, record_, viewer_;
};

std::string sortedLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start + 1));
    start = end + 1;
  }
  std::sort(lines.begin(), lines.end());
  std::string out;
  for (const auto& l : lines) out += l;
  return out;
}

Variant help(Object& utilities, int32_t mode, const std::string& id, Variant* idOut = nullptr) {
  std::vector<Variant> args{Variant(mode), Variant(id), Variant(0)};
  const Variant shown = utilities->invoke("QX_Util_Help", kMethod, args);
  if (idOut != nullptr) *idOut = args[1];
  return shown;
}

TEST_F(HelpTest, OpensTheRootFollowedByTheTopicAndClosesTheViewer) {
  auto utilities = createObject("QXVBUtils.QXUtilities");
  configure("");
  EXPECT_FALSE(CBool(help(utilities, 4, "/p/topics/a.html")));
  configure("https://127.0.0.1/help");
  EXPECT_TRUE(CBool(help(utilities, 4, "/p/topics/a.html")));
  EXPECT_TRUE(CBool(help(utilities, 2, "/p/topics/a.html")));
  Variant id;
  EXPECT_TRUE(CBool(
      help(utilities, 5, "/com.brackwell.quillane.tembra.doc/topics/c_Tembra_Overview.html", &id)));
  EXPECT_EQ(CStr(id), "");
  utilities->call("QX_Util_CloseHelp");
  // The viewers run side by side: their lines come in any order.
  EXPECT_EQ(sortedLines(calls(4)),
            "-exit|-nosplash|\n"
            "https://127.0.0.1/help/p/topics/a.html|\n"
            "https://127.0.0.1/help|\n"
            "https://127.0.0.1/help|\n");
  // An instance that started no viewer closes nothing.
  createObject("QXVBUtils.QXUtilities")->call("QX_Util_CloseHelp");
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(calls(4).size(), readFile(record_).size());
}

TEST(ConnectStringTest, TakesTheTextAfterTheFirstBar) {
  auto utilities = createObject("QXVBUtils.QXUtilities");
  const auto take = [&](const char* text) {
    return CStr(utilities->call("QX_GetConnectStringFromQX", {Variant(text)}));
  };
  EXPECT_EQ(take("Provider=SQLOLEDB;Data Source=db"), "Provider=SQLOLEDB;Data Source=db");
  EXPECT_EQ(take("model|"), "");
  EXPECT_EQ(take("a|b|c"), "b|c");
  EXPECT_EQ(take(""), "");
}

using ErrorDialogTest = HelpTest;

TEST_F(ErrorDialogTest, NumberZeroShowsOnlyTheMessageWithTheIcon) {
  gui::ErrorDialog dialog;
  dialog.initialise("", 0, "S", "Saved, but not exported.", "", "", true);
  dialog.show();
  EXPECT_TRUE(dialog.messageWithIcon()->isVisible());
  EXPECT_FALSE(dialog.errorLine()->isVisible());
  EXPECT_FALSE(dialog.descriptionLabel()->isVisible());
  EXPECT_TRUE(dialog.iconLabel()->isVisible());
  gui::ErrorDialog plain;
  plain.initialise("", 53, "S", "Gone", "", "", false);
  plain.show();
  EXPECT_FALSE(plain.iconLabel()->isVisible());
  EXPECT_TRUE(plain.messageWithoutIcon()->isVisible());
  EXPECT_FALSE(plain.errorLine()->isVisible());
  EXPECT_FALSE(plain.messageWithIcon()->isVisible());
}

TEST_F(ErrorDialogTest, DetailsGrowTheWindowAndF1OpensTheTopic) {
  configure("https://127.0.0.1/help");
  gui::ErrorDialog dialog;
  dialog.initialise("Number: 5\r\nSource: A\r\nDescription: B", 7, "S", "Wrapped", "",
                    "/p/topics/e.html", true);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  EXPECT_EQ(dialog.errorLine()->text(), "Error number: 7");
  const int before = dialog.height();
  QTest::mouseClick(dialog.detailsButton(), Qt::LeftButton);
  EXPECT_TRUE(dialog.detailsFrame()->isVisible());
  // The window manager answers the resize in its own time.
  EXPECT_TRUE(eventually([&] {
    QApplication::processEvents();
    return dialog.height() > before;
  })) << dialog.height()
      << " <= " << before;
  EXPECT_EQ(dialog.detailsText()->toPlainText(), "Number: 5\nSource: A\nDescription: B");
  QTest::keyClick(&dialog, Qt::Key_F1);
  gui::ErrorDialog noTopic;
  noTopic.initialise("", 7, "S", "W", "", "", true);
  QTest::keyClick(&noTopic, Qt::Key_Help);
  EXPECT_EQ(sortedLines(calls(2)),
            "https://127.0.0.1/help/p/topics/e.html|\nhttps://127.0.0.1/help|\n");
}

TEST_F(ErrorDialogTest, APersonReadsTheChainAndAsksForHelp) {
  configure("https://127.0.0.1/help");
  QxcallProcess qx({"QXVBUtils.QX_ErrorHelper", "WrapStoredError", "l:53", "A", "Inner & first",
                    "--", "WrapStoredError", "l:7", "B", "Outer message", "", "/p/t.html", "--",
                    "Display", "l:0"});
  const uint32_t window = waitForWindow(exactPattern("Error"));
  ASSERT_NE(window, 0u);
  pressKeys(window, {"F1"});
  EXPECT_EQ(calls(1), "https://127.0.0.1/help/p/t.html|\n");
  const WindowGeometry before = windowGeometry(window);
  pressKeys(window, {"alt+d"});
  EXPECT_TRUE(eventually([&] { return windowGeometry(window).height > before.height; }));
  pressKeys(window, {"Return"});
  EXPECT_EQ(qx.wait(), 0) << qx.output();
}

TEST_F(ErrorDialogTest, AnEmptyChainRaisesObjectNotSet) {
  auto helper = createObject("QXVBUtils.QX_ErrorHelper");
  EXPECT_EQ(errorNumber([&] { helper->call("Display", {Variant(0)}); }), 91);
}

TEST_F(ErrorDialogTest, AnotherThreadGetsTheWrongThreadErrorAtOnce) {
  // The window thread is this one once its application exists.
  ASSERT_TRUE(gui::onWindowThread());
  int32_t number = 0;
  std::thread other([&] {
    auto helper = createObject("QXVBUtils.QX_ErrorHelper");
    helper->call("WrapStoredError", {Variant(5), Variant("A"), Variant("B")});
    number = errorNumber([&] { helper->call("Display", {Variant(0)}); });
    auto utilities = createObject("QXVBUtils.QXUtilities");
    EXPECT_EQ(errorNumber([&] { utilities->call("QX_MsgBox", {Variant("x")}); }), number);
    // X11 queries work on every thread.
    utilities->call("QX_FindWindowByPrefixPostFix");
    unloadThread();
  });
  other.join();
  EXPECT_EQ(number, gui::kWrongThreadError);
}

}  // namespace
}  // namespace qxvb::test
