// ShowListSelector and ShowListSelector2: members of QXUtilities.
#include <QStringList>

#include "frame/collection.h"
#include "frame/member_extensions.h"
#include "frame/vb_conversions.h"
#include "text/qxutilities.h"
#include "ui/app/gui_thread.h"
#include "ui/list_selector/list_selector.h"

namespace qxvb::gui {

namespace {

using Self = QXUtilities;

QStringList textsOf(const Variant& list) {
  QStringList out;
  const Object object = CObj(list);
  if (!object) return out;
  const int32_t count = CLng(object->getProperty("Count"));
  for (int32_t i = 1; i <= count; ++i) {
    out << QString::fromStdString(CStr(object->call("Item", {Variant(i)})));
  }
  return out;
}

Variant showListSelector(CallArgs& a, bool sorted) {
  requireWindowThread("ShowListSelector");
  ListSelector form;
  form.init(QString::fromStdString(a.str(0)), textsOf(a[1]), QString::fromStdString(a.str(2)),
            a.boolean(3), a.boolean(4), sorted);
  form.exec();
  return Variant(form.answer().toStdString());
}

void addListSelectorMembers(DispatchTable& table) {
  Members<Self>(table)
      .method("ShowListSelector",
              {in("v_strCaption"), ref("r_colList"), in("v_strInitialSelectedValue"),
               opt("v_blnMultipleRowSelect", Variant(false)),
               opt("v_blnPositionNextToMouse", Variant(false))},
              [](Self&, CallArgs& a) { return showListSelector(a, false); })
      .method("ShowListSelector2",
              {in("v_strCaption"), ref("r_colList"), in("v_strInitialSelectedValue"),
               opt("v_blnMultipleRowSelect", Variant(false)),
               opt("v_blnPositionNextToMouse", Variant(false)), opt("v_blnSorted", Variant(false))},
              [](Self&, CallArgs& a) { return showListSelector(a, a.boolean(5)); });
}

[[maybe_unused]] const bool registered = addMemberExtension("QXUtilities", addListSelectorMembers);

}  // namespace

}  // namespace qxvb::gui
