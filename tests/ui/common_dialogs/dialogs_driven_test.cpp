// The common dialogs and the folder browser met as a person meets them:
// qxcall shows them, xdotool finds them by title and answers with keys.
#include <string>

#include "../gui_fixture.h"
#include "support/sandbox.h"

namespace qxvb::test {
namespace {

using DialogsDrivenTest = GuiTest;

// The JSON result qxcall printed, up to its arguments.
std::string resultOf(const QxcallProcess& qx) {
  const std::string out = qx.output();
  return out.substr(0, out.find(", \"args\""));
}

// The same of the last call, when qxcall made several.
std::string lastResultOf(const QxcallProcess& qx) {
  const std::string out = qx.output();
  const std::string last = out.substr(out.rfind("{\"result\""));
  return last.substr(0, last.find(", \"args\""));
}

uint32_t dialogTitled(const std::string& title) {
  const uint32_t w = waitForWindow(exactPattern(title));
  EXPECT_NE(w, 0u) << "no window titled " << title;
  // Let the window manager hand it the focus before keys go to it.
  xdotool({"windowactivate", "--sync", std::to_string(w)});
  xdotool({"sleep", "0.3"});
  return w;
}

std::string openResult(int files, const std::string& names, const std::string& folder,
                       bool cancelled) {
  return "{\"result\": {\"nFilesSelected\": " + std::to_string(files) + ", \"sFiles\": " + names +
         ", \"sLastDirectory\": \"" + folder +
         "\", \"bCanceled\": " + (cancelled ? "true" : "false") + "}";
}

TEST_F(DialogsDrivenTest, OpenDialogPicksAFileOrIsCancelledCentredOverItsOwner) {
  // Only ASCII is typed (xdotool types other letters unreliably); the
  // folder's name is not.
  const auto folder = freshFolder("pick") / "Übergabe";
  std::filesystem::create_directories(folder);
  writeFile(folder / "Model 1.cfg", "settings");
  ForeignWindow owner("quill", "Quill", "Quillane Owner");
  xdotool({"windowmove", "--sync", std::to_string(owner.id()), "40", "60"});
  xdotool({"windowsize", "--sync", std::to_string(owner.id()), "900", "700"});
  {
    QxcallProcess qx({"--json", "--as", "dlg", "QXVBUtils.QXCommonDlg", "FileDialog", "++", "--put",
                      "sInitDir", folder.string(), "@@", "dlg", "ShowOpen",
                      "l:" + std::to_string(owner.id())});
    const uint32_t w = dialogTitled("Open");
    const WindowGeometry d = windowGeometry(w), o = windowGeometry(owner.id());
    // Centred over the owner (the frames differ only by their title bars).
    EXPECT_NEAR(d.x + d.width / 2, o.x + o.width / 2, 4);
    EXPECT_NEAR(d.y + d.height / 2, o.y + o.height / 2, 16);
    typeText(w, "Model 1.cfg");
    pressKeys(w, {"Return"});
    ASSERT_EQ(qx.wait(), 0) << qx.output();
    EXPECT_EQ(lastResultOf(qx), openResult(1, "{\"lbound\": 1, \"items\": [\"Model 1.cfg\"]}",
                                           folder.string(), false));
  }
  {
    QxcallProcess qx({"--json", "QXVBUtils.QXCommonDlg", "ShowSave", "l:0", "b:false"});
    pressKeys(dialogTitled("Save As"), {"Escape"});
    ASSERT_EQ(qx.wait(), 0) << qx.output();
    EXPECT_EQ(resultOf(qx), openResult(0, "{\"lbound\": 0, \"items\": []}", "", true));
  }
}

TEST_F(DialogsDrivenTest, OpenDialogPicksThreeFiles) {
  const auto folder = freshFolder("three");
  for (const char* name : {"a.txt", "b.cfg", "c d.txt", "e.png"}) writeFile(folder / name, name);
  // The record's flags ask for several files; the dialog starts in sInitDir.
  QxcallProcess qx({"--json", "--as", "dlg", "QXVBUtils.QXCommonDlg", "FileDialog", "++", "--put",
                    "flags", "l:512", "--", "--put", "sInitDir", folder.string(), "@@", "dlg",
                    "ShowOpen", "l:0", "b:false"});
  const uint32_t w = dialogTitled("Open");
  typeText(w, "\"c d.txt\" \"a.txt\" \"b.cfg\"");
  pressKeys(w, {"Return"});
  ASSERT_EQ(qx.wait(), 0) << qx.output();
  EXPECT_EQ(lastResultOf(qx),
            openResult(3, "{\"lbound\": 1, \"items\": [\"c d.txt\", \"a.txt\", \"b.cfg\"]}",
                       folder.string(), false));
}

TEST_F(DialogsDrivenTest, FontAndColourArePicked) {
  {
    QxcallProcess qx({"--json", "QXVBUtils.QXCommonDlg", "ShowFont", "l:0", "DejaVu Serif"});
    const uint32_t w = dialogTitled("Font");
    // The face name field has the focus with its text selected.
    typeText(w, "DejaVu Sans Mono");
    pressKeys(w, {"Return"});
    ASSERT_EQ(qx.wait(), 0) << qx.output();
    EXPECT_EQ(resultOf(qx),
              "{\"result\": {\"sSelectedFont\": \"DejaVu Sans Mono\", \"bCanceled\": false, "
              "\"bBold\": false, \"bItalic\": false, \"nSize\": 10, \"bUnderline\": false, "
              "\"bStrikeOut\": false, \"lColor\": 16776960, \"sFaceName\": \"\", "
              "\"bShowColor\": false}");
  }
  {
    // Red in, green chosen in the dialog's HTML field.
    QxcallProcess qx({"--json", "QXVBUtils.QXCommonDlg", "ShowColor2", "l:0", "b:true", "l:255"});
    const uint32_t w = dialogTitled("Color");
    pressKeys(w, {"alt+h", "ctrl+a"});
    typeText(w, "#00ff00");
    pressKeys(w, {"Tab", "Return"});
    ASSERT_EQ(qx.wait(), 0) << qx.output();
    EXPECT_EQ(resultOf(qx), "{\"result\": {\"oSelectedColor\": 65280, \"bCanceled\": false}");
  }
}

TEST_F(DialogsDrivenTest, FolderBrowserChoosesATypedFolder) {
  const auto folder = freshFolder("browse");
  std::filesystem::create_directories(folder / "Exports");
  QxcallProcess qx({"--json", "QXVBUtils.QX_File_Utils", "QX_File_FolderBrowser", "l:0",
                    "Choose the folder", "Export to", folder.string()});
  const uint32_t w = dialogTitled("Export to");
  typeText(w, "Exports");
  pressKeys(w, {"Return"});
  ASSERT_EQ(qx.wait(), 0) << qx.output();
  EXPECT_EQ(resultOf(qx), "{\"result\": \"" + (folder / "Exports").string() + "\"");
}

TEST_F(DialogsDrivenTest, ValidationHandlerRefusesSomeFolders) {
  const auto folder = freshFolder("validate");
  std::filesystem::create_directories(folder / "Archive 2019");
  std::filesystem::create_directories(folder / "Models");
  // qxcall answers ValidatePath: folders named Archive... are refused.
  QxcallProcess qx({"--json", "QXVBUtils.ShOpenDirTV", "@answer", "ValidatePath", "2=b:false",
                    "3=s:Archives are read-only", "if", "1~*/Archive*", "--", "OpenDirectoryTV",
                    "l:0", "Choose a model folder", "Export", folder.string()});
  const uint32_t w = dialogTitled("Export");
  typeText(w, "Archive 2019");
  pressKeys(w, {"Return"});
  // Refused: the dialog stays.
  xdotool({"sleep", "0.5"});
  EXPECT_NE(waitForWindow(exactPattern("Export"), 1s), 0u);
  pressKeys(w, {"ctrl+a"});
  typeText(w, "Models");
  pressKeys(w, {"Return"});
  ASSERT_EQ(qx.wait(), 0) << qx.output();
  const std::string out = qx.output();
  EXPECT_NE(out.find("{\"event\": \"ValidatePath\", \"object\": \"ShOpenDirTV\", \"args\": [\"" +
                     (folder / "Archive 2019").string() + "\""),
            std::string::npos)
      << out;
  EXPECT_EQ(lastResultOf(qx), "{\"result\": \"" + (folder / "Models").string() + "\"");
}

}  // namespace
}  // namespace qxvb::test
