#include "ui/common_dialogs/font_record.h"

#include <cmath>

#include "frame/automation_error.h"
#include "frame/vb_conversions.h"
#include "platform/ansi.h"

namespace qxvb::gui {

namespace {

constexpr const char* kTypeName = "SelectedFont";

Variant fieldOf(const Record& r, const char* name) {
  const Variant* v = r.field(name);
  return v != nullptr ? *v : Variant();
}

}  // namespace

Record SelectedFont::toRecord() const {
  Record r;
  r.typeName = kTypeName;
  r.fields = {{"sSelectedFont", Variant(sSelectedFont)},
              {"bCanceled", Variant(bCanceled)},
              {"bBold", Variant(bBold)},
              {"bItalic", Variant(bItalic)},
              {"nSize", Variant(nSize)},
              {"bUnderline", Variant(bUnderline)},
              {"bStrikeOut", Variant(bStrikeOut)},
              {"lColor", Variant(lColor)},
              {"sFaceName", Variant(sFaceName)},
              {"bShowColor", Variant(bShowColor)}};
  return r;
}

SelectedFont SelectedFont::fromRecord(const Variant& value) {
  const Record* r = value.get<Record>();
  if (r == nullptr || r->typeName != kTypeName) raiseVbError(vberr::TypeMismatch);
  SelectedFont f;
  f.sSelectedFont = CStr(fieldOf(*r, "sSelectedFont"));
  f.bCanceled = CBool(fieldOf(*r, "bCanceled"));
  f.bBold = CBool(fieldOf(*r, "bBold"));
  f.bItalic = CBool(fieldOf(*r, "bItalic"));
  f.nSize = CInt(fieldOf(*r, "nSize"));
  f.bUnderline = CBool(fieldOf(*r, "bUnderline"));
  f.bStrikeOut = CBool(fieldOf(*r, "bStrikeOut"));
  f.lColor = CLng(fieldOf(*r, "lColor"));
  f.sFaceName = CStr(fieldOf(*r, "sFaceName"));
  f.bShowColor = CBool(fieldOf(*r, "bShowColor"));
  return f;
}

int32_t mulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  const double exact = static_cast<double>(a) * b / c;
  return static_cast<int32_t>(exact < 0 ? -std::floor(-exact + 0.5) : std::floor(exact + 0.5));
}

LogFont logFontFor(const std::string& faceName, const SelectedFont* start, int dpi) {
  // The face name goes into the field byte by byte in the locale's
  // character set; a byte past the field is out of its range.
  if (ansi::fromUtf8(faceName).size() > kFaceNameBytes) raiseVbError(vberr::SubscriptOutOfRange);
  LogFont lf;
  lf.lfFaceName = faceName;
  if (start != nullptr) {
    lf.lfWeight = start->bBold ? 700 : 400;
    lf.lfItalic = start->bItalic ? 1 : 0;
    lf.lfUnderline = start->bUnderline ? 1 : 0;
    lf.lfStrikeOut = start->bStrikeOut ? 1 : 0;
    lf.lfHeight = -mulDiv(start->nSize, dpi, 72);
  }
  return lf;
}

int pointsOfHeight(int32_t lfHeight, int dpi) {
  return mulDiv(lfHeight < 0 ? -lfHeight : lfHeight, 72, dpi);
}

SelectedFont fontResult(const LogFont& logFont, int32_t iPointSize, int32_t rgbColors) {
  SelectedFont f;
  f.bCanceled = false;
  f.bBold = logFont.lfWeight > 400;
  f.bItalic = logFont.lfItalic != 0;
  f.bUnderline = logFont.lfUnderline != 0;
  f.bStrikeOut = logFont.lfStrikeOut != 0;
  f.lColor = rgbColors;
  f.nSize = CInt(Variant(iPointSize / 10.0));
  f.sSelectedFont = logFont.lfFaceName.substr(0, logFont.lfFaceName.find('\0'));
  return f;
}

}  // namespace qxvb::gui
