// The open and save dialogs: Qt's own file dialog set up from an
// OPENFILENAME record as the platform's dialog reads it.
#pragma once

#include <cstdint>
#include <optional>

#include "ui/common_dialogs/file_name_buffer.h"

class QFileDialog;

namespace qxvb::gui {

// Applies the setup (mode, filters, folder, name, title, default
// extension and the flags with a meaning here) to a dialog.
void setUpFileDialog(QFileDialog& dialog, const FileDialogSetup& setup);

// What an accepted dialog answers for the setup.
FileDialogAnswer answerOf(const QFileDialog& dialog, const FileDialogSetup& setup);

// Shows the dialog modally, owned by owner and centred over it (or on the
// screen); nullopt when the person cancelled.
std::optional<FileDialogAnswer> runFileDialog(const FileDialogSetup& setup, int32_t owner,
                                              bool centreOverOwner);

}  // namespace qxvb::gui
