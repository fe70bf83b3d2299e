// The property classes of the common dialogs: QXOpenFileName,
// QXChooseColors, QXChooseFonts and QXPrintDlgs each hold one platform
// dialog record field by field. Every field is a property of its own name
// and type, and Struct gets or lets the whole record. A let converts the
// value to the field's type (as a typed property does) and nothing more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "frame/dispatch.h"

namespace qxvb::gui {

enum class FieldType { Long, Integer, String };

struct FieldSpec {
  const char* name;
  FieldType type;
};

// One record type: its name in the type library and its fields in order.
struct RecordLayout {
  RecordLayout(const char* className, const char* recordName, std::vector<FieldSpec> fields);
  std::string recordName;  // the platform record
  std::vector<FieldSpec> fields;
  DispatchTable table;  // the property class's members
};

// Field positions, in the platform's order.
namespace ofn {
enum : size_t {
  nStructSize,
  hwndOwner,
  hInstance,
  sFilter,
  sCustomFilter,
  nCustFilterSize,
  nFilterIndex,
  sFile,
  nFileSize,
  sFileTitle,
  nTitleSize,
  sInitDir,
  sDlgTitle,
  flags,
  nFileOffset,
  nFileExt,
  sDefFileExt,
  nCustDataSize,
  fnHook,
  sTemplateName
};
}  // namespace ofn
namespace cc {
enum : size_t {
  lStructSize,
  hwndOwner,
  hInstance,
  rgbResult,
  lpCustColors,
  flags,
  lCustData,
  lpfnHook,
  lpTemplateName
};
}  // namespace cc
namespace cf {
enum : size_t {
  lStructSize,
  hwndOwner,
  hdc,
  lpLogFont,
  iPointSize,
  flags,
  rgbColors,
  lCustData,
  lpfnHook,
  lpTemplateName,
  hInstance,
  lpszStyle,
  nFontType,
  MISSING_ALIGNMENT,
  nSizeMin,
  nSizeMax
};
}  // namespace cf
namespace pd {
enum : size_t {
  lStructSize,
  hwndOwner,
  hDevMode,
  hDevNames,
  hdc,
  flags,
  nFromPage,
  nToPage,
  nMinPage,
  nMaxPage,
  nCopies,
  hInstance,
  lCustData,
  lpfnPrintHook,
  lpfnSetupHook,
  lpPrintTemplateName,
  lpSetupTemplateName,
  hPrintTemplate,
  hSetupTemplate
};
}  // namespace pd

const RecordLayout& openFileNameLayout();
const RecordLayout& chooseColorsLayout();
const RecordLayout& chooseFontsLayout();
const RecordLayout& printDlgsLayout();

class DialogRecord : public Dispatch {
 public:
  explicit DialogRecord(const RecordLayout& layout);
  const DispatchTable& dispatchTable() const override;

  const RecordLayout& layout() const { return layout_; }
  const Variant& value(size_t field) const { return values_[field]; }
  // Converts to the field's type; overflow and type mismatch raise.
  void set(size_t field, const Variant& value);

  int32_t lng(size_t field) const;
  std::string str(size_t field) const;

  // The whole record, typed by the platform record's name.
  Record toRecord() const;
  // Takes every field of a record of this type (a field it lacks becomes
  // 0 or ""); another record type or a non-record raises 13.
  void fromRecord(const Variant& record);

 private:
  const RecordLayout& layout_;
  std::vector<Variant> values_;
};

Object makeQXOpenFileName();
Object makeQXChooseColors();
Object makeQXChooseFonts();
Object makeQXPrintDlgs();

}  // namespace qxvb::gui
