// The print dialog: Qt's print dialog set up from a PRINTDLGS record
// (page range, copies, collation, the print-to-file choice) and the
// record updated from what the person chose, as the platform does.
#pragma once

#include <cstdint>

class QPrintDialog;
class QPrinter;

namespace qxvb::gui {

class DialogRecord;

void setUpPrintDialog(QPrintDialog& dialog, QPrinter& printer, const DialogRecord& record);
void storePrintAnswer(DialogRecord& record, const QPrinter& printer);

// Shows the dialog (or, with PD_RETURNDEFAULT, only takes the default
// printer) and answers the platform's result: non-zero when confirmed.
int32_t runPrintDialog(DialogRecord& record, int32_t owner, bool centreOverOwner);

}  // namespace qxvb::gui
