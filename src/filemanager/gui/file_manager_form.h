// frmFileManager: the window over the repository's file store. A grid of
// the stored files with filters by name and extension, commands by their
// control identifiers (import, import-as, recent files and folders,
// export with progress, view, delete, encrypt, refresh, preview, filter,
// workspaces), a preview pane, a status bar, and in pick mode the controls
// that hand the chosen names back to the owner.
#pragma once

#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "filemanager/file_store.h"
#include "filemanager/gui/file_list_model.h"

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTableView;
class QTimer;
class QWidget;

namespace qxvb {
class QXFileManager;
}

namespace qxvb::filestore {

// The command identifiers of the window's command bar.
namespace cmd {
inline constexpr int Import = 1004, Export = 1005, Refresh = 1011, Delete = 1016, View = 1017,
                     Preview = 1020, Encrypt = 1021, ExportFolder0 = 2000, ExportChoose = 2004,
                     ImportFile0 = 2100, ImportDialog = 2104, Workspace = 2202, ImportAs = 2203,
                     Filter = 2204, NameFilter = 2205, Extensions = 2206, Extension = 2207;
}  // namespace cmd

class FileManagerForm : public QMainWindow {
 public:
  explicit FileManagerForm(QXFileManager& owner);
  ~FileManagerForm() override;

  // Runs a command as its control would.
  void runCommand(int id);
  QAction* command(int id) const;

  // Requeries the store and fills the grid (the filters stay).
  void loadList();
  // Fills the grid from the rows already read, with the filters applied.
  void refill();
  void setImagesOnly(bool imagesOnly);
  void showMessage(const std::string& text, bool isError);
  void filesImported(const std::vector<std::string>& paths);

  // Shows the window; modal runs until it closes.
  void present(bool modal);

  std::vector<std::string> selectedNames() const;
  void selectNames(const std::vector<std::string>& names);
  // The caption with the workspace, as set when the window opens.
  void resetCaption();

  FileListModel& model() { return *model_; }
  QTableView* grid() const { return grid_; }
  QListWidget* extensionList() const { return lbExts_; }
  QLineEdit* nameFilterEdit() const { return nameFilter_; }
  QLabel* statusText() const { return status_; }
  QLabel* previewImage() const { return imgPreview_; }
  QLabel* notPictureLabel() const { return lblNotPicture_; }
  QWidget* previewPane() const { return previewPane_; }
  QProgressBar* progressBar() const { return prgProgressBar_; }
  QLineEdit* pickName() const { return txtFileName_; }
  QPushButton* okButton() const { return cmdOK_; }
  QPushButton* cancelButton() const { return cmdCancel_; }
  QPushButton* exitButton() const { return cmdExit_; }
  QMenu* importMenu() const { return importMenu_; }
  QMenu* exportMenu() const { return exportMenu_; }
  QMenu* contextMenu() const { return contextMenu_; }
  QTimer* extensionTimer() const { return tmrExts_; }

  // The command menu at the grid (the context-menu key and right button).
  void dropDownCommandMenu(const QPoint& where);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildCommands();
  void buildLayout();
  QAction* addCommand(int id, const QString& caption, const std::function<void()>& run);
  void rebuildRecentMenus();
  void fillExtensionList();
  void applyFilters();
  void selectionChanged();
  void updatePreview();
  std::string temporaryFolder() const;
  void guarded(const std::function<void()>& work);

  // Commands.
  void importDialog(bool importAs);
  void importPaths(const std::vector<Import_File>& files);
  void importRecentFile(int index);
  void exportToFolder(const std::string& folder);
  void exportToRecentFolder(int index);
  void exportChooseFolder();
  void viewSelected();
  void deleteSelected();
  void encryptSelected();
  void chooseWorkspace();
  void pickSelected();
  bool requireListed();
  StoreReport progressReport();

  QXFileManager& owner_;
  std::string appName_;
  std::string settingsApp_;
  std::unique_ptr<FileListModel> model_;
  std::map<int, QAction*> commands_;
  QTableView* grid_ = nullptr;
  QListWidget* lbExts_ = nullptr;
  QTimer* tmrExts_ = nullptr;
  QLineEdit* nameFilter_ = nullptr;
  QLabel* status_ = nullptr;
  QProgressBar* prgProgressBar_ = nullptr;
  QWidget* previewPane_ = nullptr;
  QLabel* imgPreview_ = nullptr;
  QLabel* lblNotPicture_ = nullptr;
  QWidget* pickRow_ = nullptr;
  QLabel* lblFileName_ = nullptr;
  QLineEdit* txtFileName_ = nullptr;
  QPushButton* cmdOK_ = nullptr;
  QPushButton* cmdCancel_ = nullptr;
  QPushButton* cmdExit_ = nullptr;
  QMenu* importMenu_ = nullptr;
  QMenu* exportMenu_ = nullptr;
  QMenu* contextMenu_ = nullptr;
  bool imagesOnly_ = false;
  bool closing_ = false;
  std::function<void()> onClosed_;
};

// Registers the window as the one QXFileManager's Init members create.
void registerFileManagerWindow();

// The window of a file manager object once it was shown; nullptr before.
FileManagerForm* formOf(QXFileManager& manager);

}  // namespace qxvb::filestore
