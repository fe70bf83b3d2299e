// QXCommonDlg: the open, save, font and print dialogs and the colour
// picker, with their records kept in the property objects between calls.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "frame/dispatch.h"
#include "ui/common_dialogs/dialog_records.h"
#include "ui/common_dialogs/file_name_buffer.h"
#include "ui/common_dialogs/font_record.h"

namespace qxvb::gui {

// The colour picker's result (SelectedColor).
struct SelectedColor {
  int32_t oSelectedColor = 0;
  bool bCanceled = false;
  Record toRecord() const;
};

inline constexpr int32_t kDefaultOpenFlags = 0x380004;
inline constexpr int32_t kDefaultSaveFlags = 0x280004;
inline constexpr int32_t kDefaultColorFlags = 259;
// The characters a file buffer grows by at each call.
inline constexpr size_t kFileBufferSpaces = 65535;

class QXCommonDlg : public Dispatch {
 public:
  QXCommonDlg();
  const DispatchTable& dispatchTable() const override;

  // The property objects, created on first use.
  DialogRecord& FileDialog();
  DialogRecord& ColorDialog();
  DialogRecord& FontDialog();
  DialogRecord& PrintDialog();
  Object fileDialogObject() { return objectOf(file_, openFileNameLayout()); }
  Object colorDialogObject() { return objectOf(color_, chooseColorsLayout()); }
  Object fontDialogObject() { return objectOf(font_, chooseFontsLayout()); }
  Object printDialogObject() { return objectOf(print_, printDlgsLayout()); }
  // Set: a property object of the matching class, or Nothing (a new one is
  // then made on next use); raises 13 for any other object.
  void setFileDialog(const Object& o) { file_ = checked(o, openFileNameLayout()); }
  void setColorDialog(const Object& o) { color_ = checked(o, chooseColorsLayout()); }
  void setFontDialog(const Object& o) { font_ = checked(o, chooseFontsLayout()); }
  void setPrintDialog(const Object& o) { print_ = checked(o, printDlgsLayout()); }

  SelectedFile ShowOpen(int32_t hWnd, bool centerForm);
  SelectedFile ShowSave(int32_t hWnd, bool centerForm);
  SelectedColor ShowColor(int32_t hWnd, bool centerForm);
  SelectedColor ShowColor2(int32_t hWnd, bool centerForm, int32_t c);
  SelectedFont ShowFont(int32_t hWnd, const std::string& startingFontName, bool centerForm);
  SelectedFont ShowFontDialog(int32_t hWnd, const SelectedFont& startingFont, bool centerForm);
  int32_t ShowPrinter(int32_t hWnd, bool centerForm);

  int32_t colorFlags() const { return colorFlags_; }
  int32_t ownerWindow() const { return owner_; }

  // The record steps before the file dialogs: the buffers, the size and the
  // flags (steps 1 to 3 of ShowOpen).
  void prepareFileRecord(int32_t hWnd, int32_t defaultFlags);

 private:
  Object objectOf(std::shared_ptr<DialogRecord>& slot, const RecordLayout& layout);
  static std::shared_ptr<DialogRecord> checked(const Object& o, const RecordLayout& layout);
  SelectedFile runFile(int32_t hWnd, bool centerForm, bool save);
  SelectedFont runFont(int32_t hWnd, const std::string& face, const SelectedFont* start,
                       bool centerForm);

  std::shared_ptr<DialogRecord> file_, color_, font_, print_;
  int32_t openFlags_ = kDefaultOpenFlags;
  int32_t saveFlags_ = kDefaultSaveFlags;
  int32_t colorFlags_ = kDefaultColorFlags;
  int32_t owner_ = 0;
};

Object makeQXCommonDlg();

}  // namespace qxvb::gui
