#include "ui/common_dialogs/print_dialog.h"

#include <QComboBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

#include "ui/common_dialogs/comdlg_flags.h"
#include "ui/common_dialogs/dialog_position.h"
#include "ui/common_dialogs/dialog_records.h"

namespace qxvb::gui {

void setUpPrintDialog(QPrintDialog& dialog, QPrinter& printer, const DialogRecord& record) {
  const int32_t flags = record.lng(pd::flags);
  QAbstractPrintDialog::PrintDialogOptions options = QAbstractPrintDialog::PrintShowPageSize;
  if ((flags & PD_NOSELECTION) == 0) options |= QAbstractPrintDialog::PrintSelection;
  if ((flags & PD_NOPAGENUMS) == 0) options |= QAbstractPrintDialog::PrintPageRange;
  if ((flags & (PD_DISABLEPRINTTOFILE | PD_HIDEPRINTTOFILE)) == 0) {
    options |= QAbstractPrintDialog::PrintToFile;
  }
  options |= QAbstractPrintDialog::PrintCollateCopies;
  dialog.setOptions(options);
  const int32_t minPage = record.lng(pd::nMinPage), maxPage = record.lng(pd::nMaxPage);
  if (maxPage > 0 && minPage <= maxPage) dialog.setMinMax(std::max(minPage, 1), maxPage);
  const int32_t from = record.lng(pd::nFromPage), to = record.lng(pd::nToPage);
  if (from > 0 && to >= from) printer.setFromTo(from, to);
  if ((flags & PD_PAGENUMS) != 0) {
    dialog.setPrintRange(QAbstractPrintDialog::PageRange);
  } else if ((flags & PD_SELECTION) != 0) {
    dialog.setPrintRange(QAbstractPrintDialog::Selection);
  } else {
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
  }
  const int32_t copies = record.lng(pd::nCopies);
  if (copies > 0) printer.setCopyCount(copies);
  printer.setCollateCopies((flags & PD_COLLATE) != 0);
  // Qt's dialog lays its printer list out narrower than its names.
  for (QComboBox* box : dialog.findChildren<QComboBox*>()) {
    int widest = 0;
    for (int i = 0; i < box->count(); ++i) {
      widest = std::max(widest, box->fontMetrics().horizontalAdvance(box->itemText(i)));
    }
    box->setMinimumWidth(widest + 48);
  }
  dialog.resize(std::max(dialog.sizeHint().width(), 480), dialog.sizeHint().height());
}

void storePrintAnswer(DialogRecord& record, const QPrinter& printer) {
  int32_t flags =
      record.lng(pd::flags) & ~(PD_SELECTION | PD_PAGENUMS | PD_COLLATE | PD_PRINTTOFILE);
  switch (printer.printRange()) {
    case QPrinter::Selection:
      flags |= PD_SELECTION;
      break;
    case QPrinter::PageRange:
      flags |= PD_PAGENUMS;
      record.set(pd::nFromPage, Variant(static_cast<int32_t>(printer.fromPage())));
      record.set(pd::nToPage, Variant(static_cast<int32_t>(printer.toPage())));
      break;
    default:
      break;
  }
  if (printer.collateCopies()) flags |= PD_COLLATE;
  if (!printer.outputFileName().isEmpty()) flags |= PD_PRINTTOFILE;
  record.set(pd::flags, Variant(flags));
  record.set(pd::nCopies, Variant(static_cast<int32_t>(printer.copyCount())));
}

int32_t runPrintDialog(DialogRecord& record, int32_t owner, bool centreOverOwner) {
  const int32_t flags = record.lng(pd::flags);
  QPrinter printer;
  if ((flags & PD_RETURNDEFAULT) != 0) return 1;
  if ((flags & PD_PRINTSETUP) != 0) {
    QPageSetupDialog dialog(&printer);
    setDialogOwner(dialog, owner);
    centreWhenShown(dialog, owner, centreOverOwner);
    return dialog.exec() == QDialog::Accepted ? 1 : 0;
  }
  QPrintDialog dialog(&printer);
  setUpPrintDialog(dialog, printer, record);
  setDialogOwner(dialog, owner);
  centreWhenShown(dialog, owner, centreOverOwner);
  if (dialog.exec() != QDialog::Accepted) return 0;
  storePrintAnswer(record, printer);
  return 1;
}

}  // namespace qxvb::gui
