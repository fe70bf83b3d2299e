// The font dialog: Qt's font dialog, embedded in a dialog of its own that
// adds the platform dialog's colour list below it when the caller wants
// the colour controls.
#pragma once

#include <QDialog>
#include <cstdint>
#include <optional>

#include "ui/common_dialogs/font_record.h"

class QComboBox;
class QFontDialog;
class QLabel;

namespace qxvb::gui {

struct FontDialogSetup {
  LogFont logFont;
  int32_t flags = 0;          // CF_ flags
  int32_t pointSize10 = 100;  // used when the LOGFONT gives no height
  int32_t colour = 0;         // BGR
  bool showColour = false;
  int32_t sizeMin = 0, sizeMax = 0;  // with CF_LIMITSIZE
};

struct FontDialogAnswer {
  LogFont logFont;
  int32_t pointSize10 = 0;
  int32_t colour = 0;  // BGR
  std::string style;
  int16_t fontType = 0;
};

class FontChooser : public QDialog {
 public:
  FontChooser(const FontDialogSetup& setup, int dpi);

  FontDialogAnswer answer() const;
  QFontDialog* fonts() const { return fonts_; }
  QComboBox* colours() const { return colours_; }
  bool colourShown() const;

  void accept() override;

 private:
  FontDialogSetup setup_;
  int dpi_;
  QFontDialog* fonts_;
  QLabel* colourLabel_;
  QComboBox* colours_;
  QString family_;
  int weight_ = 400;
  bool italic_ = false;
  bool adjusting_ = false;
};

// The logical dots per inch of the screen (96 when there is none).
int screenDpi();

std::optional<FontDialogAnswer> runFontDialog(const FontDialogSetup& setup, int32_t owner,
                                              bool centreOverOwner);

}  // namespace qxvb::gui
