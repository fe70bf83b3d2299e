// The window helpers, the message box and the user names as members of
// QXUtilities.
#include <optional>
#include <string>

#include "frame/member_extensions.h"
#include "frame/vb_conversions.h"
#include "text/qxutilities.h"
#include "ui/message_box/message_box.h"
#include "ui/window_helpers/host_process.h"
#include "ui/window_helpers/shell_and_wait.h"
#include "ui/window_helpers/user_names.h"
#include "ui/window_helpers/window_helpers.h"

namespace qxvb::gui {

namespace {

using Self = QXUtilities;

void addWindowMembers(DispatchTable& table) {
  Members<Self>(table)
      .method("QX_FindWindowByPrefixPostFix",
              {opt("v_lngParenthWnd", Variant(0)), opt("v_lngChildHwnd", Variant(0)),
               opt("v_strClassNamePrefix", Variant("")), opt("v_strClassNamePostFix", Variant("")),
               opt("v_strWindowNamePrefix", Variant("")), opt("v_lngWindowUserData", Variant(-1))},
              [](Self&, CallArgs& a) {
                return findWindowByPrefixPostFix(a.lng(0), a.lng(1), a.str(2), a.str(3), a.str(4),
                                                 a.lng(5));
              })
      .method("QX_ReadWindowText", {in("window_hwnd")},
              [](Self&, CallArgs& a) { return Variant(readWindowText(a.lng(0))); })
      .method("QX_WriteWindowText", {in("v_lngHwnd"), in("v_strText")},
              [](Self&, CallArgs& a) { return Variant(writeWindowText(a.lng(0), a.str(1))); })
      .method("QX_SetWindowUserData", {in("v_lngHwnd"), in("v_lngValue")},
              [](Self&, CallArgs& a) {
                setWindowUserData(a.lng(0), a.lng(1));
                return Variant();
              })
      .method("QX_GetWindowUserData", {in("v_lngHwnd")},
              [](Self&, CallArgs& a) { return Variant(getWindowUserData(CLng(a[0]))); })
      .method("QX_RemoveFormStyleButtons",
              {ref("v_lngHwnd"), in("v_blnRemoveMinButton"), in("v_blnRemoveMaxButton"),
               in("v_blnRemoveSysMenu")},
              [](Self&, CallArgs& a) {
                removeFormStyleButtons(a.lng(0), a.boolean(1), a.boolean(2), a.boolean(3));
                return Variant();
              })
      .method("QX_RemoveFormSysMenus",
              {in("v_lngHwnd"), in("v_blnRemoveRestore"), in("v_blnRemoveMove"),
               in("v_blnRemoveSize"), in("v_blnRemoveMinimize"), in("v_blnRemoveMaximize"),
               in("v_blnRemoveSeperator"), in("v_blnRemoveClose")},
              [](Self&, CallArgs& a) {
                removeFormSysMenus(a.lng(0), a.boolean(1), a.boolean(2), a.boolean(3), a.boolean(4),
                                   a.boolean(5), a.boolean(6), a.boolean(7));
                return Variant();
              })
      .method("QX_ShellAndWaitForTermination",
              {ref("sShell"), opt("eWindowStyle", Variant(1)), optRef("sError"),
               opt("lTimeOut", Variant(2000000000))},
              [](Self&, CallArgs& a) {
                std::string error;
                const bool ok = shellAndWaitForTermination(a.str(0), a.lng(1), error, a.lng(3));
                if (!ok && !a.missing(2)) a.set(2, Variant(error));
                return Variant(ok);
              })
      .method("QX_MsgBox", {ref("Prompt"), opt("Buttons", Variant(0)), opt("Title"), opt("hWnd")},
              [](Self&, CallArgs& a) {
                std::optional<std::string> title;
                std::optional<int32_t> owner;
                if (!a.missing(2)) title = a.str(2);
                if (!a.missing(3)) owner = a.lng(3);
                return Variant(messageBox(a.str(0), a.lng(1), title, owner));
              })
      .method("QXGetWindowsUserName", {},
              [](Self&, CallArgs&) { return Variant(windowsUserName()); })
      .method("QXGetWindowsUserNameEx", {opt("v_enuExtendedFormat", Variant(2))},
              [](Self&, CallArgs& a) { return Variant(windowsUserNameEx(a.lng(0))); })
      .method("QXUtil_IsQXActive", {},
              [](Self&, CallArgs&) { return Variant(isHostApplicationActive()); });
}

[[maybe_unused]] const bool registered = addMemberExtension("QXUtilities", addWindowMembers);

}  // namespace

}  // namespace qxvb::gui
