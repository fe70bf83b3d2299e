// Display and DisplayWithoutIcon of QX_ErrorHelper: the error dialog,
// modal, owned by the given window.
#include <QApplication>
#include <QCursor>

#include "error_helper/error_helper.h"
#include "error_helper/gui/error_dialog.h"
#include "frame/member_extensions.h"
#include "frame/vb_conversions.h"
#include "ui/app/gui_thread.h"
#include "ui/app/owner_window.h"

namespace qxvb::gui {

namespace {

// The owner: a window handle, or an object with an hWnd (a form).
int32_t ownerHandle(const Variant& owner) {
  if (owner.isMissing() || owner.isEmpty() || owner.isNull()) return 0;
  try {
    if (const auto* object = owner.get<Object>()) {
      return *object ? CLng((*object)->getProperty("hWnd")) : 0;
    }
    return CLng(owner);
  } catch (...) {
    return 0;
  }
}

Variant display(QX_ErrorHelper& helper, CallArgs& a, bool withIcon) {
  const char* member = withIcon ? "Display" : "DisplayWithoutIcon";
  const QX_ErrorHelper::ShownError shown = helper.errorToShow(a.lng(1));
  requireWindowThread(member);
  const int32_t owner = ownerHandle(a[0]);
  ErrorDialog dialog;
  if (QWidget* parent = ownWidgetOf(owner)) dialog.setParent(parent, dialog.windowFlags());
  dialog.initialise(shown.details, shown.number, shown.source, shown.description, shown.helpFile,
                    shown.helpContext, withIcon);
  attachToForeignOwner(dialog, owner);
  dialog.setWindowModality(Qt::ApplicationModal);
  // The mouse pointer is what it was before, afterwards.
  const bool overridden = QApplication::overrideCursor() != nullptr;
  if (overridden) QApplication::setOverrideCursor(Qt::ArrowCursor);
  dialog.exec();
  if (overridden) QApplication::restoreOverrideCursor();
  return Variant();
}

void addDisplayMembers(DispatchTable& table) {
  Members<QX_ErrorHelper>(table)
      .method("Display", {in("v_frmOwner"), opt("v_enuSwitch", Variant(0))},
              [](QX_ErrorHelper& h, CallArgs& a) { return display(h, a, true); })
      .method("DisplayWithoutIcon", {in("v_frmOwner"), opt("v_enuSwitch", Variant(0))},
              [](QX_ErrorHelper& h, CallArgs& a) { return display(h, a, false); });
}

[[maybe_unused]] const bool registered = addMemberExtension("QX_ErrorHelper", addDisplayMembers);

}  // namespace

}  // namespace qxvb::gui
