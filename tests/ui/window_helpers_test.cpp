// The window helpers on windows of another X client, under a real window
// manager.
#include <string>

#include "frame/catalogue.h"
#include "frame/dispatch.h"
#include "frame/variant.h"
#include "frame/vb_conversions.h"
#include "gui_fixture.h"

namespace qxvb::test {
namespace {

Variant call(const std::string& member, std::vector<Variant> args = {}) {
  return createObject("QXVBUtils.QXUtilities")->call(member, std::move(args));
}

int32_t handle(const ForeignWindow& w) {
  return static_cast<int32_t>(w.id());
}

using WindowHelpersTest = GuiTest;

TEST_F(WindowHelpersTest, FindsTheFirstWindowMatchingClassTitleAndUserData) {
  ForeignWindow first("quill", "QuillaneMainFrame", "Quillane - Model A");
  ForeignWindow second("quill", "QuillaneMainFrame", "Quillane - Model B");
  ForeignWindow other("xterm", "XTerm", "Quillane - shell");
  call("QX_SetWindowUserData", {Variant(handle(second)), Variant(77)});

  const auto find = [](const char* prefix, const char* postfix, const char* title, int32_t data) {
    return call("QX_FindWindowByPrefixPostFix", {Variant(0), Variant(0), Variant(prefix),
                                                 Variant(postfix), Variant(title), Variant(data)});
  };
  EXPECT_EQ(CLng(find("Quillane", "Frame", "Quillane - Model", -1)), handle(first));
  EXPECT_EQ(CLng(find("Quillane", "Frame", "Quillane - Model B", -1)), handle(second));
  EXPECT_EQ(CLng(find("", "", "Quillane", 77)), handle(second));
  EXPECT_EQ(CLng(find("XT", "erm", "", -1)), handle(other));
  // Exact and case-sensitive; a postfix longer than the class never matches.
  EXPECT_TRUE(find("quillane", "", "", -1).isEmpty());
  EXPECT_TRUE(find("", "XXQuillaneMainFrame", "", -1).isEmpty());
  EXPECT_TRUE(find("", "", "Quillane - Model C", -1).isEmpty());
  // All defaults: the first top-level window there is.
  EXPECT_FALSE(call("QX_FindWindowByPrefixPostFix").isEmpty());
  // A parent that does not exist has no children.
  EXPECT_TRUE(call("QX_FindWindowByPrefixPostFix", {Variant(0x7ffffff0)}).isEmpty());
}

TEST_F(WindowHelpersTest, ReadsAndWritesTitlesOfAnyClient) {
  ForeignWindow w("quill", "Quill", "Start");
  EXPECT_EQ(CStr(call("QX_ReadWindowText", {Variant(handle(w))})), "Start");
  const std::string title = "Größe & Gewicht \xE2\x80\x94 模型";
  EXPECT_EQ(CLng(call("QX_WriteWindowText", {Variant(handle(w)), Variant(title)})), 1);
  EXPECT_EQ(CStr(call("QX_ReadWindowText", {Variant(handle(w))})), title);
  EXPECT_EQ(xdotool({"getwindowname", std::to_string(w.id())}), title);

  const std::string huge(1 << 20, 'x');
  EXPECT_EQ(CLng(call("QX_WriteWindowText", {Variant(handle(w)), Variant(huge)})), 1);
  EXPECT_EQ(CStr(call("QX_ReadWindowText", {Variant(handle(w))})).size(), huge.size());
  EXPECT_EQ(CLng(call("QX_WriteWindowText", {Variant(handle(w)), Variant("")})), 1);
  EXPECT_EQ(CStr(call("QX_ReadWindowText", {Variant(handle(w))})), "");
}

TEST_F(WindowHelpersTest, HandlesOfMissingWindowsGiveEmptyAnswers) {
  for (const int32_t bad : {0, -5, 0x7ffffff0, 1}) {
    EXPECT_EQ(CStr(call("QX_ReadWindowText", {Variant(bad)})), "");
    EXPECT_EQ(CLng(call("QX_WriteWindowText", {Variant(bad), Variant("x")})), 0);
    call("QX_SetWindowUserData", {Variant(bad), Variant(3)});
    EXPECT_EQ(CLng(call("QX_GetWindowUserData", {Variant(bad)})), 0);
    Variant h(bad);
    call("QX_RemoveFormStyleButtons", {h, Variant(true), Variant(true), Variant(true)});
    call("QX_RemoveFormSysMenus", {h, Variant(true), Variant(true), Variant(true), Variant(true),
                                   Variant(true), Variant(true), Variant(true)});
  }
  // The connection still works after all those failures.
  ForeignWindow w("quill", "Quill", "Still there");
  EXPECT_EQ(CStr(call("QX_ReadWindowText", {Variant(handle(w))})), "Still there");
}

TEST_F(WindowHelpersTest, UserDataIsAWordOnTheWindow) {
  ForeignWindow w("quill", "Quill", "Data");
  EXPECT_EQ(CLng(call("QX_GetWindowUserData", {Variant(handle(w))})), 0);
  call("QX_SetWindowUserData", {Variant(handle(w)), Variant(-123456)});
  EXPECT_EQ(CLng(call("QX_GetWindowUserData", {Variant(handle(w))})), -123456);
  // Any value convertible to a Long names the window.
  EXPECT_EQ(CLng(call("QX_GetWindowUserData", {Variant(std::to_string(w.id()))})), -123456);
}

// The decorations and functions a window manager reads: openbox takes the
// buttons from the decorations and enforces moving and sizing from the
// functions (it keeps minimise, maximise and close available whatever the
// functions say, so those are checked in the hints themselves).
TEST_F(WindowHelpersTest, CaptionButtonsAndMenuItemsGoToTheMotifHints) {
  ForeignWindow w("quill", "Quill", "Buttons");
  const std::string id = std::to_string(w.id());
  const auto hints = [&] { return runProgram({"xprop", "-id", id, "_MOTIF_WM_HINTS"}); };
  const auto allowed = [&](const char* action) {
    return propertyListsAtom(w.id(), "_NET_WM_ALLOWED_ACTIONS", action);
  };
  ASSERT_TRUE(eventually([&] { return allowed("_NET_WM_ACTION_MOVE"); }));
  Variant h(handle(w));
  // Decorations without minimise (32) and maximise (64); functions likewise.
  call("QX_RemoveFormStyleButtons", {h, Variant(true), Variant(true), Variant(false)});
  EXPECT_NE(hints().find("= 0x3, 0x26, 0x1e, 0x0, 0x0"), std::string::npos) << hints();
  call("QX_RemoveFormStyleButtons", {h, Variant(false), Variant(false), Variant(true)});
  EXPECT_NE(hints().find("= 0x3, 0x3e, 0x6e, 0x0, 0x0"), std::string::npos) << hints();
  call("QX_RemoveFormStyleButtons", {h, Variant(false), Variant(false), Variant(false)});
  EXPECT_NE(hints().find("= 0x3, 0x3e, 0x7e, 0x0, 0x0"), std::string::npos) << hints();

  call("QX_RemoveFormSysMenus", {h, Variant(false), Variant(true), Variant(true), Variant(false),
                                 Variant(false), Variant(false), Variant(true)});
  EXPECT_TRUE(eventually([&] { return !allowed("_NET_WM_ACTION_MOVE"); }));
  EXPECT_TRUE(eventually([&] { return !allowed("_NET_WM_ACTION_RESIZE"); }));
  EXPECT_NE(hints().find("= 0x3, 0x18, 0x7e, 0x0, 0x0"), std::string::npos) << hints();
  // Items taken away stay away when the buttons are put back.
  call("QX_RemoveFormStyleButtons", {h, Variant(false), Variant(false), Variant(false)});
  EXPECT_FALSE(allowed("_NET_WM_ACTION_MOVE"));
}

TEST_F(WindowHelpersTest, TheStringTableComponentPutsTheProductIconOnAWindow) {
  ForeignWindow w("quill", "Quill", "Icon");
  const auto icon = [&] {
    return runProgram({"xprop", "-id", std::to_string(w.id()), "_NET_WM_ICON"});
  };
  // openbox gives managed windows a 48-pixel icon of its own.
  EXPECT_EQ(icon().find("Icon (16 x 16)"), std::string::npos);
  createObject("QXXRes.Resource")->call("SetIcon", {Variant(handle(w))});
  const std::string set = icon();
  EXPECT_NE(set.find("Icon (16 x 16)"), std::string::npos) << set.substr(0, 200);
  EXPECT_NE(set.find("Icon (32 x 32)"), std::string::npos);
  EXPECT_NE(set.find("Icon (48 x 48)"), std::string::npos);
  // Windows that do not exist are no error.
  createObject("QXXRes.Resource")->call("SetIcon", {Variant(0x7ffffff0)});
  createObject("QXXRes.Resource")->call("SetIcon", {Variant(0)});
}

}  // namespace
}  // namespace qxvb::test
