#include "components/dialog_services/gui/dialog_services.h"

#include <QColorDialog>
#include <QGuiApplication>
#include <QPalette>
#include <cstdio>
#include <memory>

#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/vb_conversions.h"
#include "ui/app/gui_thread.h"
#include "ui/common_dialogs/dialog_position.h"

namespace qxvb::dialog_services {

namespace {

// The palette role that stands for a platform system colour index.
QPalette::ColorRole roleOfSystemColour(uint32_t index) {
  switch (index) {
    case 5:  // window background
      return QPalette::Base;
    case 8:  // window text
      return QPalette::Text;
    case 13:  // highlight
      return QPalette::Highlight;
    case 14:  // highlighted text
      return QPalette::HighlightedText;
    case 18:  // button text
      return QPalette::ButtonText;
    case 15:  // button face
      return QPalette::Button;
    default:
      return QPalette::Window;
  }
}

QColor startingColour(const std::string& hrgb) {
  bool ok = false;
  const uint32_t value = QString::fromStdString(hrgb).toUInt(&ok, 16);
  if (!ok) return Qt::black;
  if (hrgb.size() <= 6) return QColor(QRgb(value));
  if ((value & 0x80000000u) != 0) {
    return QGuiApplication::palette().color(roleOfSystemColour(value & 0xFFu));
  }
  return Qt::black;
}

std::string attribute(const Object& element, const char* name) {
  const Variant v = element->call("getAttribute", {Variant(name)});
  return v.isNull() ? std::string() : CStr(v);
}

}  // namespace

ColourRequest parseColourRequest(const std::string& request) {
  Object document = createObject("MSXML2.DOMDocument");
  document->putProperty("async", Variant(false));
  // Parsed for ourselves: nothing external is ever loaded into it.
  document->putProperty("resolveExternals", Variant(false));
  document->call("loadXML", {Variant(request)});
  const Object root = CObj(document->getProperty("documentElement"));
  if (!root)
    raiseError(vberr::InvalidProcedureCall, "ChooseColor", "The colour request is not XML.");
  ColourRequest r;
  r.owner = CLng(Variant(attribute(root, "hWnd").empty() ? "0" : attribute(root, "hWnd")));
  r.centre = attribute(root, "center") != "F";
  r.hrgb = attribute(root, "hrgb");
  return r;
}

std::string colourReply(uint32_t rgb) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "%06X", rgb & 0xFFFFFFu);
  return std::string("<c hrgb='") + hex + "'/>";
}

std::string DialogServices::ChooseColor(const std::string& request, bool& cancelled) {
  gui::requireWindowThread("ChooseColor");
  const ColourRequest r = parseColourRequest(request);
  QColorDialog dialog;
  dialog.setOption(QColorDialog::DontUseNativeDialog, true);
  dialog.setWindowTitle("Color");
  dialog.setCurrentColor(startingColour(r.hrgb));
  gui::setDialogOwner(dialog, r.owner);
  gui::centreWhenShown(dialog, r.owner, r.centre);
  if (dialog.exec() != QDialog::Accepted) {
    cancelled = true;
    return "<c/>";
  }
  cancelled = false;
  return colourReply(dialog.currentColor().rgb());
}

const DispatchTable& DialogServices::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("Services");
    Members<DialogServices>(t).method("ChooseColor",
                                      {in("v_strRequest"), optRef("r_blnCanceled", Variant(false))},
                                      [](DialogServices& s, CallArgs& a) {
                                        bool cancelled = false;
                                        std::string reply = s.ChooseColor(a.str(0), cancelled);
                                        if (!a.missing(1)) a.set(1, Variant(cancelled));
                                        return Variant(std::move(reply));
                                      });
    return t;
  }();
  return table;
}

Object makeDialogServices() {
  return std::make_shared<DialogServices>();
}

}  // namespace qxvb::dialog_services
