#include "ui/common_dialogs/dialog_records.h"

#include <memory>

#include "frame/automation_error.h"
#include "frame/vb_conversions.h"

namespace qxvb::gui {

namespace {

constexpr FieldType L = FieldType::Long, I = FieldType::Integer, S = FieldType::String;

Variant defaultOf(FieldType type) {
  switch (type) {
    case FieldType::Long:
      return Variant(int32_t{0});
    case FieldType::Integer:
      return Variant(int16_t{0});
    case FieldType::String:
      break;
  }
  return Variant("");
}

Variant converted(FieldType type, const Variant& value) {
  switch (type) {
    case FieldType::Long:
      return Variant(CLng(value));
    case FieldType::Integer:
      return Variant(CInt(value));
    case FieldType::String:
      break;
  }
  return Variant(CStr(value));
}

void addFieldMembers(const std::vector<FieldSpec>& fields, DispatchTable& table) {
  Members<DialogRecord> m(table);
  for (size_t i = 0; i < fields.size(); ++i) {
    m.get(fields[i].name, {}, [i](DialogRecord& r, CallArgs&) { return r.value(i); });
    m.put(fields[i].name, {in("Value")}, [i](DialogRecord& r, CallArgs& a) {
      r.set(i, a[0]);
      return Variant();
    });
  }
  m.get("Struct", {}, [](DialogRecord& r, CallArgs&) { return Variant(r.toRecord()); });
  m.put("Struct", {in("Value")}, [](DialogRecord& r, CallArgs& a) {
    r.fromRecord(a[0]);
    return Variant();
  });
}

}  // namespace

RecordLayout::RecordLayout(const char* className, const char* recordName,
                           std::vector<FieldSpec> fieldList)
    : recordName(recordName), fields(std::move(fieldList)), table(className) {
  addFieldMembers(fields, table);
}

const RecordLayout& openFileNameLayout() {
  static const RecordLayout layout(
      "QXOpenFileName", "OPENFILENAME",
      {{"nStructSize", L},   {"hwndOwner", L},       {"hInstance", L},    {"sFilter", S},
       {"sCustomFilter", S}, {"nCustFilterSize", L}, {"nFilterIndex", L}, {"sFile", S},
       {"nFileSize", L},     {"sFileTitle", S},      {"nTitleSize", L},   {"sInitDir", S},
       {"sDlgTitle", S},     {"flags", L},           {"nFileOffset", I},  {"nFileExt", I},
       {"sDefFileExt", S},   {"nCustDataSize", L},   {"fnHook", L},       {"sTemplateName", S}});
  return layout;
}

const RecordLayout& chooseColorsLayout() {
  static const RecordLayout layout("QXChooseColors", "CHOOSECOLORS",
                                   {{"lStructSize", L},
                                    {"hwndOwner", L},
                                    {"hInstance", L},
                                    {"rgbResult", L},
                                    {"lpCustColors", L},
                                    {"flags", L},
                                    {"lCustData", L},
                                    {"lpfnHook", L},
                                    {"lpTemplateName", S}});
  return layout;
}

const RecordLayout& chooseFontsLayout() {
  static const RecordLayout layout("QXChooseFonts", "CHOOSEFONTS",
                                   {{"lStructSize", L},
                                    {"hwndOwner", L},
                                    {"hdc", L},
                                    {"lpLogFont", L},
                                    {"iPointSize", L},
                                    {"flags", L},
                                    {"rgbColors", L},
                                    {"lCustData", L},
                                    {"lpfnHook", L},
                                    {"lpTemplateName", S},
                                    {"hInstance", L},
                                    {"lpszStyle", S},
                                    {"nFontType", I},
                                    {"MISSING_ALIGNMENT", I},
                                    {"nSizeMin", L},
                                    {"nSizeMax", L}});
  return layout;
}

const RecordLayout& printDlgsLayout() {
  static const RecordLayout layout("QXPrintDlgs", "PRINTDLGS",
                                   {{"lStructSize", L},
                                    {"hwndOwner", L},
                                    {"hDevMode", L},
                                    {"hDevNames", L},
                                    {"hdc", L},
                                    {"flags", L},
                                    {"nFromPage", L},
                                    {"nToPage", L},
                                    {"nMinPage", L},
                                    {"nMaxPage", L},
                                    {"nCopies", I},
                                    {"hInstance", L},
                                    {"lCustData", L},
                                    {"lpfnPrintHook", L},
                                    {"lpfnSetupHook", L},
                                    {"lpPrintTemplateName", S},
                                    {"lpSetupTemplateName", S},
                                    {"hPrintTemplate", L},
                                    {"hSetupTemplate", L}});
  return layout;
}

DialogRecord::DialogRecord(const RecordLayout& layout) : layout_(layout) {
  values_.reserve(layout.fields.size());
  for (const FieldSpec& f : layout.fields) values_.push_back(defaultOf(f.type));
}

const DispatchTable& DialogRecord::dispatchTable() const {
  return layout_.table;
}

void DialogRecord::set(size_t field, const Variant& value) {
  values_[field] = converted(layout_.fields[field].type, value);
}

int32_t DialogRecord::lng(size_t field) const {
  return CLng(values_[field]);
}

std::string DialogRecord::str(size_t field) const {
  return CStr(values_[field]);
}

Record DialogRecord::toRecord() const {
  Record r;
  r.typeName = layout_.recordName;
  for (size_t i = 0; i < values_.size(); ++i)
    r.fields.emplace_back(layout_.fields[i].name, values_[i]);
  return r;
}

void DialogRecord::fromRecord(const Variant& record) {
  const Record* r = record.get<Record>();
  if (r == nullptr || r->typeName != layout_.recordName) raiseVbError(vberr::TypeMismatch);
  std::vector<Variant> taken;
  taken.reserve(values_.size());
  for (const FieldSpec& f : layout_.fields) {
    const Variant* v = r->field(f.name);
    taken.push_back(v != nullptr ? converted(f.type, *v) : defaultOf(f.type));
  }
  values_ = std::move(taken);
}

Object makeQXOpenFileName() {
  return std::make_shared<DialogRecord>(openFileNameLayout());
}

Object makeQXChooseColors() {
  return std::make_shared<DialogRecord>(chooseColorsLayout());
}

Object makeQXChooseFonts() {
  return std::make_shared<DialogRecord>(chooseFontsLayout());
}

Object makeQXPrintDlgs() {
  return std::make_shared<DialogRecord>(printDlgsLayout());
}

}  // namespace qxvb::gui
