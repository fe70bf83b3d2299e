// QX_Progress: forwards every member to one frmProgress window, created on
// first use and unloaded when the object ends.
#include <memory>

#include "frame/automation_error.h"
#include "frame/dispatch.h"
#include "frame/vb_conversions.h"
#include "ui/app/gui_thread.h"
#include "ui/progress/progress_window.h"
#include "ui/ui_classes.h"

namespace qxvb {

namespace {

class QX_Progress : public Dispatch {
 public:
  const DispatchTable& dispatchTable() const override;

  gui::ProgressWindow& form(const char* member) {
    gui::requireWindowThread(member);
    if (!form_) form_ = std::make_unique<gui::ProgressWindow>();
    return *form_;
  }

 private:
  std::unique_ptr<gui::ProgressWindow> form_;
};

// Values come back from the bar truncated to a Long.
Variant truncated(float v) {
  return Variant(static_cast<int32_t>(v));
}

// Range and value members ignore errors, overflowing conversions included.
template <class F>
void ignoringErrors(F&& f) {
  try {
    f();
  } catch (const AutomationError&) {
  }
}

}  // namespace

const DispatchTable& QX_Progress::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("QX_Progress");
    Members<QX_Progress>(t)
        .put("blnInDebug", {in("v")},
             [](QX_Progress& p, CallArgs& a) {
               p.form("blnInDebug").setInDebug(a.boolean(0));
               return Variant();
             })
        .get("blnCancelled", {},
             [](QX_Progress& p, CallArgs&) {
               auto& f = p.form("blnCancelled");
               gui::processPendingEvents();
               return Variant(f.cancelled());
             })
        .method("GetRange", {ref("r_lngMin"), ref("r_lngMax")},
                [](QX_Progress& p, CallArgs& a) {
                  auto& f = p.form("GetRange");
                  a.set(0, truncated(f.minimum()));
                  a.set(1, truncated(f.maximum()));
                  return Variant();
                })
        .method("SetRange", {in("v_lngMin"), in("v_lngMax")},
                [](QX_Progress& p, CallArgs& a) {
                  auto& f = p.form("SetRange");
                  ignoringErrors([&] {
                    f.setMinimum(static_cast<float>(a.lng(0)));
                    f.setMaximum(static_cast<float>(a.lng(1)));
                  });
                  gui::processPendingEvents();
                  return Variant();
                })
        .method("GetProgress", {},
                [](QX_Progress& p, CallArgs&) { return truncated(p.form("GetProgress").value()); })
        .method("SetProgress", {in("v_lngValue")},
                [](QX_Progress& p, CallArgs& a) {
                  auto& f = p.form("SetProgress");
                  ignoringErrors([&] { f.setValue(static_cast<float>(a.lng(0))); });
                  gui::processPendingEvents();
                  return Variant();
                })
        .method("SetCaption", {in("v_strCaption")},
                [](QX_Progress& p, CallArgs& a) {
                  p.form("SetCaption").setWindowTitle(QString::fromStdString(a.str(0)));
                  gui::processPendingEvents();
                  return Variant();
                })
        .method("Show", {},
                [](QX_Progress& p, CallArgs&) {
                  p.form("Show").show();
                  gui::processPendingEvents();
                  return Variant();
                })
        .method("Hide", {}, [](QX_Progress& p, CallArgs&) {
          p.form("Hide").hide();
          gui::processPendingEvents();
          return Variant();
        });
    return t;
  }();
  return table;
}

Object makeQX_Progress() {
  return std::make_shared<QX_Progress>();
}

}  // namespace qxvb
