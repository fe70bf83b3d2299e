#include "ui/common_dialogs/qx_common_dlg.h"

#include <exception>

#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/vb_conversions.h"
#include "ui/app/gui_thread.h"
#include "ui/common_dialogs/color_request.h"
#include "ui/common_dialogs/comdlg_flags.h"
#include "ui/common_dialogs/file_dialog.h"
#include "ui/common_dialogs/font_dialog.h"
#include "ui/common_dialogs/print_dialog.h"

namespace qxvb::gui {

namespace {

constexpr int32_t kOpenRecordSize = 76;
constexpr int32_t kFontRecordSize = 60;
constexpr int32_t kPrintRecordSize = 66;
constexpr int32_t kDefaultFontFlags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS;
// RGB(0, 255, 255), the font routine's starting text colour.
constexpr int32_t kStartingFontColour = 0xFFFF00;
// Stand-ins for the addresses the platform record carries: the LOGFONT
// and the hook that hides the colour controls.
constexpr int32_t kLogFontAddress = 1;
constexpr int32_t kColourHidingHook = 2;

}  // namespace

Record SelectedColor::toRecord() const {
  Record r;
  r.typeName = "SelectedColor";
  r.fields = {{"oSelectedColor", Variant(oSelectedColor)}, {"bCanceled", Variant(bCanceled)}};
  return r;
}

QXCommonDlg::QXCommonDlg() = default;

Object QXCommonDlg::objectOf(std::shared_ptr<DialogRecord>& slot, const RecordLayout& layout) {
  if (!slot) slot = std::make_shared<DialogRecord>(layout);
  return slot;
}

std::shared_ptr<DialogRecord> QXCommonDlg::checked(const Object& o, const RecordLayout& layout) {
  if (!o) return nullptr;
  auto record = std::dynamic_pointer_cast<DialogRecord>(o);
  if (!record || &record->layout() != &layout) raiseVbError(vberr::TypeMismatch);
  return record;
}

DialogRecord& QXCommonDlg::FileDialog() {
  objectOf(file_, openFileNameLayout());
  return *file_;
}

DialogRecord& QXCommonDlg::ColorDialog() {
  objectOf(color_, chooseColorsLayout());
  return *color_;
}

DialogRecord& QXCommonDlg::FontDialog() {
  objectOf(font_, chooseFontsLayout());
  return *font_;
}

DialogRecord& QXCommonDlg::PrintDialog() {
  objectOf(print_, printDlgsLayout());
  return *print_;
}

void QXCommonDlg::prepareFileRecord(int32_t hWnd, int32_t defaultFlags) {
  owner_ = hWnd;
  DialogRecord& r = FileDialog();
  r.set(ofn::nStructSize, Variant(kOpenRecordSize));
  r.set(ofn::hwndOwner, Variant(hWnd));
  std::string buffer = r.str(ofn::sFile);
  buffer.append(kFileBufferSpaces, ' ');
  buffer.push_back('\0');
  const auto size = static_cast<int32_t>(characterCount(buffer));
  r.set(ofn::sFile, Variant(std::move(buffer)));
  r.set(ofn::nFileSize, Variant(size));
  r.set(ofn::sFileTitle, Variant(std::string(static_cast<size_t>(size), ' ')));
  r.set(ofn::nTitleSize, Variant(size));
  r.set(ofn::flags, Variant(r.lng(ofn::flags) | defaultFlags));
}

SelectedFile QXCommonDlg::runFile(int32_t hWnd, bool centerForm, bool save) {
  requireWindowThread(save ? "ShowSave" : "ShowOpen");
  prepareFileRecord(hWnd, save ? saveFlags_ : openFlags_);
  DialogRecord& r = FileDialog();
  int32_t result = 0;
  if (const auto answer = runFileDialog(fileDialogSetup(r, save), hWnd, centerForm)) {
    result = storeFileAnswer(r, *answer);
  }
  if (save) return saveResult(result, r.str(ofn::sFile), r.lng(ofn::nFileOffset));
  return openResult(result, r.str(ofn::sFile), r.lng(ofn::flags));
}

SelectedFile QXCommonDlg::ShowOpen(int32_t hWnd, bool centerForm) {
  return runFile(hWnd, centerForm, false);
}

SelectedFile QXCommonDlg::ShowSave(int32_t hWnd, bool centerForm) {
  return runFile(hWnd, centerForm, true);
}

SelectedColor QXCommonDlg::ShowColor(int32_t hWnd, bool centerForm) {
  return ShowColor2(hWnd, centerForm, 0);
}

SelectedColor QXCommonDlg::ShowColor2(int32_t hWnd, bool centerForm, int32_t c) {
  // A failure anywhere ends the call with what was filled so far.
  SelectedColor result;
  try {
    const std::string request = colourRequest(hWnd, centerForm, c);
    Object services = createObject(kDialogServicesProgId);
    std::vector<Variant> args{Variant(request), Variant(false)};
    const Variant reply = services->invoke(kChooseColorMember, kMethod, args);
    if (CBool(args[1])) {
      result.oSelectedColor = 0;
      result.bCanceled = true;
      return result;
    }
    result.oSelectedColor = colourOfReply(CStr(reply));
    result.bCanceled = false;
  } catch (const std::exception&) {
  }
  return result;
}

SelectedFont QXCommonDlg::runFont(int32_t hWnd, const std::string& face, const SelectedFont* start,
                                  bool centerForm) {
  requireWindowThread(start != nullptr ? "ShowFontDialog" : "ShowFont");
  owner_ = hWnd;
  const int dpi = screenDpi();
  DialogRecord& r = FontDialog();
  r.set(cf::rgbColors, Variant(kStartingFontColour));
  if (start != nullptr) r.set(cf::rgbColors, Variant(start->lColor));
  r.set(cf::nSizeMax, Variant(0));
  r.set(cf::nSizeMin, Variant(0));
  r.set(cf::hwndOwner, Variant(hWnd));
  r.set(cf::hdc, Variant(0));
  r.set(cf::lpfnHook, Variant(0));
  r.set(cf::lCustData, Variant(0));
  r.set(cf::lpLogFont, Variant(kLogFontAddress));
  if (r.lng(cf::iPointSize) == 0) r.set(cf::iPointSize, Variant(100));
  r.set(cf::lStructSize, Variant(kFontRecordSize));
  if (r.lng(cf::flags) == 0) r.set(cf::flags, Variant(kDefaultFontFlags));
  const bool showColour = start != nullptr && start->bShowColor;
  if (!showColour) {
    r.set(cf::flags, Variant(r.lng(cf::flags) | CF_ENABLEHOOK));
    r.set(cf::lpfnHook, Variant(kColourHidingHook));
  }
  FontDialogSetup setup;
  setup.logFont = logFontFor(face, start, dpi);
  setup.flags = r.lng(cf::flags);
  setup.pointSize10 = r.lng(cf::iPointSize);
  setup.colour = r.lng(cf::rgbColors);
  setup.showColour = showColour;
  setup.sizeMin = r.lng(cf::nSizeMin);
  setup.sizeMax = r.lng(cf::nSizeMax);
  const auto answer = runFontDialog(setup, hWnd, centerForm);
  if (!answer) {
    SelectedFont cancelled;
    cancelled.bCanceled = true;
    return cancelled;
  }
  r.set(cf::iPointSize, Variant(answer->pointSize10));
  r.set(cf::rgbColors, Variant(answer->colour));
  r.set(cf::nFontType, Variant(answer->fontType));
  if ((setup.flags & CF_USESTYLE) != 0) r.set(cf::lpszStyle, Variant(answer->style));
  return fontResult(answer->logFont, r.lng(cf::iPointSize), r.lng(cf::rgbColors));
}

SelectedFont QXCommonDlg::ShowFont(int32_t hWnd, const std::string& startingFontName,
                                   bool centerForm) {
  return runFont(hWnd, startingFontName, nullptr, centerForm);
}

SelectedFont QXCommonDlg::ShowFontDialog(int32_t hWnd, const SelectedFont& startingFont,
                                         bool centerForm) {
  return runFont(hWnd, startingFont.sSelectedFont, &startingFont, centerForm);
}

int32_t QXCommonDlg::ShowPrinter(int32_t hWnd, bool centerForm) {
  requireWindowThread("ShowPrinter");
  owner_ = hWnd;
  DialogRecord& r = PrintDialog();
  r.set(pd::hwndOwner, Variant(hWnd));
  r.set(pd::lStructSize, Variant(kPrintRecordSize));
  return runPrintDialog(r, hWnd, centerForm);
}

const DispatchTable& QXCommonDlg::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("QXCommonDlg");
    using Self = QXCommonDlg;
    using Getter = Object (Self::*)();
    using Setter = void (Self::*)(const Object&);
    Members<Self> m(t);
    const auto property = [&m](const char* name, Getter get, Setter set) {
      m.get(name, {}, [get](Self& s, CallArgs&) { return Variant((s.*get)()); });
      const auto assign = [set](Self& s, CallArgs& a) {
        (s.*set)(CObj(a[0]));
        return Variant();
      };
      m.putRef(name, {in("Value")}, assign);
      m.put(name, {in("Value")}, assign);
    };
    property("FileDialog", &Self::fileDialogObject, &Self::setFileDialog);
    property("ColorDialog", &Self::colorDialogObject, &Self::setColorDialog);
    property("FontDialog", &Self::fontDialogObject, &Self::setFontDialog);
    property("PrintDialog", &Self::printDialogObject, &Self::setPrintDialog);
    const std::vector<ParamSpec> window{in("hWnd"), opt("centerForm", Variant(true))};
    m.method<&Self::ShowOpen>("ShowOpen", window)
        .method<&Self::ShowSave>("ShowSave", window)
        .method<&Self::ShowColor>("ShowColor", window)
        .method<&Self::ShowColor2>("ShowColor2", {in("hWnd"), opt("centerForm", Variant(true)),
                                                  optRef("c", Variant(int32_t{0}))})
        .method<&Self::ShowFont>(
            "ShowFont", {in("hWnd"), in("startingFontName"), opt("centerForm", Variant(true))})
        .method("ShowFontDialog",
                {in("hWnd"), ref("startingFont"), opt("centerForm", Variant(true))},
                [](Self& s, CallArgs& a) {
                  const SelectedFont start = SelectedFont::fromRecord(a[1]);
                  return Variant(s.ShowFontDialog(a.lng(0), start, a.boolean(2)).toRecord());
                })
        .method("ShowPrinter", window, [](Self& s, CallArgs& a) {
          return Variant(s.ShowPrinter(a.lng(0), a.boolean(1)));
        });
    return t;
  }();
  return table;
}

Object makeQXCommonDlg() {
  return std::make_shared<QXCommonDlg>();
}

}  // namespace qxvb::gui
