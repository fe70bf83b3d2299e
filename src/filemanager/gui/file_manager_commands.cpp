// The file manager window's commands: import (the common open dialog and
// the import-as dialog), recent files and folders, export with progress,
// view with the registered program, delete, encrypt, and the workspace
// choice, each reporting through the window's messages.
#include <QApplication>
#include <QMenu>
#include <QProgressBar>
#include <QTableView>
#include <filesystem>
#include <memory>

#include "ado/connection.h"
#include "ado/recordset.h"
#include "filemanager/file_manager.h"
#include "filemanager/gui/file_manager_form.h"
#include "filemanager/gui/file_viewer.h"
#include "filemanager/gui/import_as_dialog.h"
#include "filemanager/recent_lists.h"
#include "filemanager/stored_names.h"
#include "filemanager/workspaces.h"
#include "files/special_folders.h"
#include "files/temp_names.h"
#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"
#include "platform/registry/app_settings.h"
#include "platform/state_paths.h"
#include "platform/text/ascii.h"
#include "ui/common_dialogs/comdlg_flags.h"
#include "ui/common_dialogs/file_name_buffer.h"
#include "ui/common_dialogs/qx_common_dlg.h"
#include "ui/folder_browser/sh_open_dir_tv.h"
#include "ui/message_box/message_box.h"

namespace qxvb::filestore {

namespace {

// The product's outside components, reached by ProgID.
constexpr const char* kEncryptionProgId = "QXCrypt.FileEncryption";
constexpr const char* kWorkspacePickerProgId = "QXWorkspace.WorkspacePicker";

constexpr int32_t kSelectToDelete = 34945, kNothingListed = 34946, kNoProgram = 34947,
                  kSelectToView = 34948, kFolderGone = 34949, kFileGone = 34950,
                  kChooseExportFolder = 34951, kEncryptQuestion = 34955, kExported = 34956,
                  kEncrypted = 34958, kSelectToExport = 34959, kImportTitle = 34966,
                  kImportAsTitle = 34967, kWorkspaceError = 35107, kChoosingWorkspace = 55025;
constexpr int32_t kYesNoQuestion = 36, kCriticalStyle = 16, kAnswerYes = 6;
constexpr int32_t kExportFolderFlags = 97;
// The picker answers 0 for a chosen workspace.
constexpr int32_t kPickCancelled = 1, kPickFailed = 2;
constexpr const char* kFoldersSection = "Folders";
constexpr const char* kFileManagerKey = "File Manager";

bool isSettingsFile(const std::string& name) {
  const std::string lower = ascii::toLower(name);
  const auto endsWith = [&lower](const char* tail) {
    const std::string t(tail);
    return lower.size() >= t.size() && lower.compare(lower.size() - t.size(), t.size(), t) == 0;
  };
  return endsWith(".txt") || endsWith(".cfg");
}

bool folderExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_directory(path, ec);
}

bool fileExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

std::string joinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

// Removes its file when it goes, whatever happened meanwhile.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
  ~TemporaryFile() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove(path_, ec);
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

bool FileManagerForm::requireListed() {
  if (model_->rowCount() > 0) return true;
  showMessage(localString(kNothingListed), true);
  return false;
}

StoreReport FileManagerForm::progressReport() {
  StoreReport r;
  r.message = [this](const std::string& text) { showMessage(text, true); };
  r.status = [this](const std::string& text) { showMessage(text, false); };
  r.progressInit = [this](int32_t min, int32_t max) {
    prgProgressBar_->setRange(min, max);
    prgProgressBar_->setValue(min);
    prgProgressBar_->show();
  };
  r.progress = [this](int32_t value) {
    prgProgressBar_->setValue(value);
    // The bar moves while the work goes on.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  };
  r.progressReset = [this] { prgProgressBar_->hide(); };
  return r;
}

void FileManagerForm::importDialog(bool importAs) {
  auto dialog = std::make_shared<gui::QXCommonDlg>();
  gui::DialogRecord& r = dialog->FileDialog();
  r.set(gui::ofn::sInitDir,
        Variant(registry::getAppSetting(settingsApp_, kFoldersSection, kFileManagerKey)));
  r.set(gui::ofn::sDlgTitle, Variant(localString(importAs ? kImportAsTitle : kImportTitle)));
  r.set(gui::ofn::flags,
        Variant(gui::OFN_ALLOWMULTISELECT | gui::OFN_FILEMUSTEXIST | gui::OFN_PATHMUSTEXIST));
  const gui::SelectedFile chosen = dialog->ShowOpen(static_cast<int32_t>(winId()), true);
  if (chosen.bCanceled || chosen.nFilesSelected == 0) return;
  registry::saveAppSetting(settingsApp_, kFoldersSection, kFileManagerKey, chosen.sLastDirectory);
  std::vector<Import_File> files;
  for (const std::string& name : chosen.sFiles.items) {
    files.push_back({name.front() == '/' ? name : joinPath(chosen.sLastDirectory, name), {}});
  }
  if (importAs) {
    ImportAsDialog ask(this);
    ask.setFileName(gui::fileNameOf(files.front().Name));
    ask.exec();
    if (ask.Result() != kImportAsConfirmed) return;
    files = {{files.front().Name, ask.FileName()}};
  }
  importPaths(files);
}

void FileManagerForm::importPaths(const std::vector<Import_File>& files) {
  try {
    owner_.importFiles(files);
  } catch (...) {
    // Files imported before the one that failed are stored: show them.
    loadList();
    throw;
  }
}

void FileManagerForm::filesImported(const std::vector<std::string>& paths) {
  RecentList recent(settingsApp_, "MRU");
  for (const std::string& path : paths) recent.add(path);
  rebuildRecentMenus();
  loadList();
  std::vector<std::string> names;
  names.reserve(paths.size());
  for (const std::string& path : paths) names.push_back(storedNameFor(path));
  selectNames(names);
}

void FileManagerForm::importRecentFile(int index) {
  const std::string path = RecentList(settingsApp_, "MRU").entries()[static_cast<size_t>(index)];
  if (!fileExists(path)) {
    showMessage(localString(kFileGone), true);
    return;
  }
  importPaths({{path, {}}});
}

void FileManagerForm::exportToFolder(const std::string& folder) {
  if (!requireListed()) return;
  const std::vector<std::string> names = selectedNames();
  if (names.empty()) {
    showMessage(localString(kSelectToExport), true);
    return;
  }
  const StoreReport report = progressReport();
  report.progressInit(0, static_cast<int32_t>(names.size()));
  try {
    int32_t done = 0;
    for (const std::string& name : names) {
      const int row = model_->rowOf(name);
      const int32_t wid = row >= 0 ? model_->fileAt(row).wid : owner_.store().setup().wid;
      const std::filesystem::path target = targetPathFor(folder, name);
      std::filesystem::create_directories(target.parent_path());
      owner_.store().retrieve(name, wid, target);
      report.progress(++done);
    }
  } catch (...) {
    report.progressReset();
    throw;
  }
  report.progressReset();
  RecentList(settingsApp_, "MRUFolder").add(folder);
  rebuildRecentMenus();
  showMessage(formatLocalString(localString(kExported), Variant(static_cast<int32_t>(names.size())),
                                Variant(folder)),
              false);
}

void FileManagerForm::exportToRecentFolder(int index) {
  const std::string folder =
      RecentList(settingsApp_, "MRUFolder").entries()[static_cast<size_t>(index)];
  if (!folderExists(folder)) {
    showMessage(localString(kFolderGone), true);
    return;
  }
  exportToFolder(folder);
}

void FileManagerForm::exportChooseFolder() {
  std::string start = registry::getAppSetting(settingsApp_, kFoldersSection, kFileManagerKey);
  if (start.empty()) start = files::userDirectory("DOCUMENTS").value_or(paths::home().string());
  const auto browser = std::make_shared<gui::ShOpenDirTV>();
  const std::string folder =
      browser->OpenDirectoryTV(static_cast<int32_t>(winId()), localString(kChooseExportFolder),
                               "Export", start, Variant(Object()), false, kExportFolderFlags);
  if (folder.empty()) return;
  registry::saveAppSetting(settingsApp_, kFoldersSection, kFileManagerKey, folder);
  exportToFolder(folder);
}

void FileManagerForm::viewSelected() {
  if (!requireListed()) return;
  const std::vector<std::string> names = selectedNames();
  if (names.empty()) {
    showMessage(localString(kSelectToView), true);
    return;
  }
  const std::string temp = paths::tempDir().string() + "/";
  std::string unopened;
  for (const std::string& name : names) {
    const int row = model_->rowOf(name);
    const std::filesystem::path target = targetPathFor(temp, name);
    std::filesystem::create_directories(target.parent_path());
    owner_.store().retrieve(name, row >= 0 ? model_->fileAt(row).wid : owner_.store().setup().wid,
                            target);
    if (!openWithAssociatedProgram(target.string())) unopened += "\n" + name;
  }
  if (!unopened.empty()) showMessage(localString(kNoProgram) + unopened, true);
}

void FileManagerForm::deleteSelected() {
  if (!requireListed()) return;
  const std::vector<std::string> names = selectedNames();
  if (names.empty()) {
    showMessage(localString(kSelectToDelete), true);
    return;
  }
  try {
    owner_.store().remove(names, progressReport());
  } catch (const ProcedureRefused&) {
    // Reported already; the list shows what the store holds.
  } catch (...) {
    prgProgressBar_->hide();
    loadList();
    throw;
  }
  loadList();
}

void FileManagerForm::encryptSelected() {
  if (!requireListed()) return;
  const std::vector<std::string> names = selectedNames();
  const std::string question =
      formatLocalString(localString(kEncryptQuestion), Variant(static_cast<int32_t>(names.size())));
  if (gui::messageBox(question, kYesNoQuestion, appName_, static_cast<int32_t>(winId())) !=
      kAnswerYes) {
    return;
  }
  Object encryption;
  try {
    for (const std::string& name : names) {
      if (!isSettingsFile(name)) continue;
      if (!encryption) encryption = createObject(kEncryptionProgId);
      const TemporaryFile temp(files::platformTempFile(temporaryFolder(), "qx", 0));
      if (temp.path().empty()) raiseVbError(vberr::PermissionDenied);
      const int row = model_->rowOf(name);
      owner_.store().retrieve(name, row >= 0 ? model_->fileAt(row).wid : owner_.store().setup().wid,
                              temp.path());
      encryption->call("EncryptFile", {Variant(temp.path())});
      owner_.store().importFiles({{temp.path(), name}});
    }
  } catch (...) {
    loadList();
    throw;
  }
  loadList();
  selectNames(names);
  showMessage(localString(kEncrypted), false);
}

void FileManagerForm::chooseWorkspace() {
  const StoreSetup& setup = owner_.store().setup();
  if (!setup.workspaces) return;
  auto tree = setup.connection->Execute(workspaceTreeQuery(setup.oracle));
  const std::string xml = tree->Eof() ? std::string() : CStr(tree->Collect(Variant("xml")));
  std::vector<Variant> args{Variant(xml), Variant(static_cast<int32_t>(winId())),
                            Variant(setup.wid), Variant(int32_t{0})};
  createObject(kWorkspacePickerProgId)->invoke("PickWorkspace", kMethod, args);
  const int32_t flags = CLng(args[3]);
  if (flags == kPickFailed) {
    gui::messageBox(
        formatLocalString(localString(kWorkspaceError), Variant(localString(kChoosingWorkspace))),
        kCriticalStyle, appName_, static_cast<int32_t>(winId()));
    return;
  }
  if (flags == kPickCancelled) return;
  owner_.switchWorkspace(CLng(args[2]), xml);
  loadList();
  resetCaption();
}

void FileManagerForm::pickSelected() {
  std::string value;
  for (const std::string& name : selectedNames()) value += name + "\r";
  owner_.setSelectedFileName(value);
  close();
}

void FileManagerForm::rebuildRecentMenus() {
  const auto fill = [this](QMenu* menu, const std::vector<std::string>& entries, int firstId,
                           const std::vector<int>& tail) {
    menu->clear();
    bool any = false;
    for (int i = 0; i < kRecentEntries; ++i) {
      QAction* a = command(firstId + i);
      const std::string& entry = entries[static_cast<size_t>(i)];
      a->setText(QString::fromStdString(recentCaption(i, entry)));
      a->setVisible(!entry.empty());
      if (!entry.empty()) {
        menu->addAction(a);
        any = true;
      }
    }
    if (any) menu->addSeparator();
    for (int id : tail) menu->addAction(command(id));
  };
  fill(importMenu_, RecentList(settingsApp_, "MRU").entries(), cmd::ImportFile0,
       {cmd::ImportDialog, cmd::ImportAs});
  fill(exportMenu_, RecentList(settingsApp_, "MRUFolder").entries(), cmd::ExportFolder0,
       {cmd::ExportChoose});
}

}  // namespace qxvb::filestore
