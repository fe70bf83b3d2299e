#include "ui/common_dialogs/file_dialog.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QStringList>

#include "ui/common_dialogs/comdlg_flags.h"
#include "ui/common_dialogs/dialog_position.h"

namespace qxvb::gui {

namespace {

QString qs(const std::string& text) {
  return QString::fromStdString(text);
}

// "Description (pattern pattern)": the dialog shows the description and
// filters by the patterns in the last parentheses.
QString nameFilterOf(const FileFilter& filter) {
  QStringList patterns;
  for (const std::string& p : filter.patterns) patterns << qs(p);
  return qs(filter.description) + " (" + patterns.join(' ') + ")";
}

QFileDialog::FileMode fileModeOf(const FileDialogSetup& setup) {
  if (setup.save) return QFileDialog::AnyFile;
  if ((setup.flags & OFN_ALLOWMULTISELECT) != 0) return QFileDialog::ExistingFiles;
  // Without "file must exist" the open dialog takes a name that does not
  // exist yet, as the platform's does.
  if ((setup.flags & OFN_FILEMUSTEXIST) != 0) return QFileDialog::ExistingFile;
  return QFileDialog::AnyFile;
}

}  // namespace

void setUpFileDialog(QFileDialog& dialog, const FileDialogSetup& setup) {
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setOption(QFileDialog::HideNameFilterDetails, true);
  dialog.setWindowTitle(qs(setup.title));
  dialog.setAcceptMode(setup.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(fileModeOf(setup));
  dialog.setOption(QFileDialog::DontConfirmOverwrite,
                   !setup.save || (setup.flags & OFN_OVERWRITEPROMPT) == 0);
  dialog.setOption(QFileDialog::DontResolveSymlinks, (setup.flags & OFN_NODEREFERENCELINKS) != 0);
  if ((setup.flags & OFN_FORCESHOWHIDDEN) != 0) dialog.setFilter(dialog.filter() | QDir::Hidden);
  if (!setup.filters.empty()) {
    QStringList filters;
    for (const FileFilter& f : setup.filters) filters << nameFilterOf(f);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.at(setup.filterIndex - 1));
  }
  if (!setup.folder.empty() && QDir(qs(setup.folder)).exists()) {
    dialog.setDirectory(qs(setup.folder));
  }
  if (!setup.fileName.empty()) dialog.selectFile(qs(setup.fileName));
  dialog.setDefaultSuffix(qs(setup.defaultExtension));
  // Room for the type and date columns.
  dialog.resize(800, 500);
}

FileDialogAnswer answerOf(const QFileDialog& dialog, const FileDialogSetup& setup) {
  FileDialogAnswer answer;
  for (const QString& path : dialog.selectedFiles()) {
    answer.paths.push_back(QDir::cleanPath(path).toStdString());
  }
  answer.filterIndex = 0;
  if (!setup.filters.empty()) {
    // The dialog names the filter without its patterns: its list tells
    // which one is in use.
    const auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
    const int index = types != nullptr ? types->currentIndex() : -1;
    answer.filterIndex = index >= 0 ? index + 1 : setup.filterIndex;
  }
  return answer;
}

std::optional<FileDialogAnswer> runFileDialog(const FileDialogSetup& setup, int32_t owner,
                                              bool centreOverOwner) {
  QFileDialog dialog;
  setUpFileDialog(dialog, setup);
  setDialogOwner(dialog, owner);
  centreWhenShown(dialog, owner, centreOverOwner);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  FileDialogAnswer answer = answerOf(dialog, setup);
  if (answer.paths.empty()) return std::nullopt;
  return answer;
}

}  // namespace qxvb::gui
