// QX_File_FolderBrowser: the folder browser without validation events, as
// a member of QX_File_Utils.
#include <memory>

#include "files/qx_file_utils.h"
#include "frame/member_extensions.h"
#include "ui/folder_browser/sh_open_dir_tv.h"

namespace qxvb {

namespace {

constexpr int32_t kFolderBrowserFlags = 97;

void addFolderBrowser(DispatchTable& table) {
  Members<QX_File_Utils>(table).method(
      "QX_File_FolderBrowser",
      {in("v_lngHWndOwner"), ref("odtvMsg"), ref("odtvTitle"),
       optRef("odtvDefaultPath", Variant("")), optRef("odtvIcon"),
       optRef("v_enuFlangs", Variant(kFolderBrowserFlags))},
      [](QX_File_Utils&, CallArgs& a) {
        const auto browser = std::make_shared<gui::ShOpenDirTV>();
        const Variant icon = a.missing(4) ? Variant(Object()) : a[4];
        return Variant(browser->OpenDirectoryTV(a.lng(0), a.str(1), a.str(2), a.str(3), icon, false,
                                                a.lng(5)));
      });
}

[[maybe_unused]] const bool registered = addMemberExtension("QX_File_Utils", addFolderBrowser);

}  // namespace

}  // namespace qxvb
