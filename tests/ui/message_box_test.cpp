// QX_MsgBox met as a person meets it: qxcall shows the box, xdotool finds
// it by its title and answers with keys and clicks.
#include <cstdio>
#include <string>

#include "gui_fixture.h"
#include "ui/message_box/message_box.h"

namespace qxvb::test {
namespace {

using MessageBoxTest = GuiTest;

// Shows a box with the style and title through qxcall and lets answer()
// act on its window; the result code qxcall printed.
std::string answerBox(const std::string& style, const std::string& title,
                      const std::function<void(uint32_t)>& answer,
                      const std::string& prompt = "Save the changes to Model A?") {
  QxcallProcess qx({"--json", "QXVBUtils.QXUtilities", "QX_MsgBox", prompt, "l:" + style, title});
  const uint32_t box = waitForWindow(exactPattern(title));
  EXPECT_NE(box, 0u) << "no box titled " << title;
  if (box != 0) answer(box);
  EXPECT_EQ(qx.wait(), 0) << qx.output();
  return qx.output().substr(0, qx.output().find(','));
}

TEST_F(MessageBoxTest, AnswersTheWindowsResultCodes) {
  // Yes/No/Cancel with a question mark: the No button's access key.
  EXPECT_EQ(answerBox("35", "Quillane - Save", [](uint32_t w) { pressKeys(w, {"n"}); }),
            "{\"result\": 7");
  // OK/Cancel: Escape answers Cancel.
  EXPECT_EQ(answerBox("1", "Quillane & Co", [](uint32_t w) { pressKeys(w, {"Escape"}); }),
            "{\"result\": 2");
  // Yes/No with the second button as default: Return answers No.
  EXPECT_EQ(answerBox("260", "Quillane - Größe", [](uint32_t w) { pressKeys(w, {"Return"}); }),
            "{\"result\": 7");
  // Abort/Retry/Ignore, third button default (0x200).
  EXPECT_EQ(answerBox("530", "Quillane - Disk", [](uint32_t w) { pressKeys(w, {"Return"}); }),
            "{\"result\": 5");
  // OK alone: Escape and the window's close answer OK.
  EXPECT_EQ(answerBox("64", "Quillane - Info", [](uint32_t w) { pressKeys(w, {"Escape"}); }),
            "{\"result\": 1");
  EXPECT_EQ(answerBox("0", "Quillane - Close", [](uint32_t w) { pressKeys(w, {"alt+F4"}); }),
            "{\"result\": 1");
}

TEST_F(MessageBoxTest, EmptyAndHugePromptsStillShowABox) {
  EXPECT_EQ(
      answerBox(
          "0", "Quillane - Empty", [](uint32_t w) { pressKeysUntilClosed(w, {"Return"}); }, ""),
      "{\"result\": 1");
  // As long a prompt as one command-line argument can carry.
  const std::string huge(120000, 'w');
  EXPECT_EQ(answerBox(
                "0", "Quillane - Huge",
                [](uint32_t w) {
                  // The box fits on the 1280x1024 screen.
                  const WindowGeometry g = windowGeometry(w);
                  EXPECT_LE(g.width, 1280);
                  EXPECT_LE(g.height, 1024);
                  pressKeysUntilClosed(w, {"Return"});
                },
                huge),
            "{\"result\": 1");
}

TEST(ShownPrompt, LongPromptsAreCutAtACharacterWithAnEllipsis) {
  const std::string ellipsis = "\xE2\x80\xA6";
  EXPECT_EQ(gui::shownPrompt("Save changes?"), "Save changes?");
  std::string umlauts;
  for (int i = 0; i < 1500; ++i) umlauts += "\xC3\xBC";
  EXPECT_EQ(gui::shownPrompt(umlauts), umlauts.substr(0, 2048) + ellipsis);
  std::string lines;
  for (int i = 0; i < 50; ++i) lines += "a\n";
  EXPECT_EQ(gui::shownPrompt(lines), lines.substr(0, 79) + ellipsis);
}

TEST_F(MessageBoxTest, WithoutATitleTheOwnersTitleIsTheCaption) {
  ForeignWindow owner("quill", "Quill", "Quillane Owner Window");
  QxcallProcess qx({"--json", "QXVBUtils.QXUtilities", "QX_MsgBox", "Hello", "l:0",
                    "e:", "l:" + std::to_string(owner.id())});
  const uint32_t box = waitForWindow(exactPattern("Quillane Owner Window"), 15s);
  // The owner itself matches too: look for the other one.
  ASSERT_TRUE(eventually([&] {
    const std::string all =
        xdotool({"search", "--onlyvisible", "--name", exactPattern("Quillane Owner Window")});
    return all.find('\n') != std::string::npos;
  })) << qx.output()
      << xdotool({"search", "--onlyvisible", "--name", "."});
  (void)box;
  const std::string all =
      xdotool({"search", "--onlyvisible", "--name", exactPattern("Quillane Owner Window")});
  uint32_t boxWindow = 0;
  size_t start = 0;
  while (start < all.size()) {
    const size_t end = std::min(all.find('\n', start), all.size());
    const auto id = static_cast<uint32_t>(std::stoul(all.substr(start, end - start)));
    if (id != owner.id()) boxWindow = id;
    start = end + 1;
  }
  ASSERT_NE(boxWindow, 0u);
  // The box is owned by the window.
  char ownerHex[16];
  std::snprintf(ownerHex, sizeof ownerHex, "0x%x", owner.id());
  EXPECT_NE(
      runProgram({"xprop", "-id", std::to_string(boxWindow), "WM_TRANSIENT_FOR"}).find(ownerHex),
      std::string::npos);
  pressKeys(boxWindow, {"Return"});
  EXPECT_EQ(qx.wait(), 0);
  EXPECT_EQ(qx.output().substr(0, qx.output().find(',')), "{\"result\": 1");
}

}  // namespace
}  // namespace qxvb::test
