// The file manager window in the process: the grid and its filters, the
// commands by their ids with the dialogs they open, pick mode, and a
// repository that is locked, read-only or gone while the window is open.
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "ado/connection.h"
#include "components/encryption/file_encryption.h"
#include "filemanager/gui/import_as_dialog.h"
#include "filemanager/recent_lists.h"
#include "filemanager/stored_names.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"
#include "platform/registry/app_settings.h"
#include "ui/folder_browser/folder_browser_dialog.h"
#include "window_fixture.h"

namespace qxvb::test {
namespace {

using namespace qxvb::filestore;
namespace fs = std::filesystem;

std::vector<std::string> shownNames(FileManagerForm& form) {
  std::vector<std::string> names;
  for (int r = 0; r < form.model().rowCount(); ++r) names.push_back(form.model().fileAt(r).name);
  return names;
}

void selectExtensions(FileManagerForm& form, const std::set<QString>& keep) {
  for (int i = 0; i < form.extensionList()->count(); ++i) {
    QListWidgetItem* item = form.extensionList()->item(i);
    item->setSelected(keep.count(item->data(Qt::UserRole).toString()) > 0);
  }
}

TEST_F(FileManagerWindowTest, GridListsFiltersAndKeepsImagesOnly) {
  FileManagerForm* form =
      open({onDisk("notes.txt", "n"), onDisk("Größe.cfg", "g"), onDisk("Images/logo.png", "p"),
            onDisk("O'Brien \"draft\".TXT", "o"), onDisk("README", "r"),
            onDisk("plan.svg",
                   "<svg xmlns='http://www.w3.org/2000/svg' width='40' height='30'>"
                   "<rect width='40' height='30' fill='teal'/></svg>")});
  ASSERT_NE(form, nullptr);
  manager_->store().storeBytes("Back\\slash\\deep.cfg", ByteArray{0, {'b'}});
  form->loadList();
  // In the store's order (the embedded repository sorts by code point).
  EXPECT_EQ(shownNames(*form),
            (std::vector<std::string>{"Back\\slash\\deep.cfg", "Größe.cfg", "Images\\logo.png",
                                      "O'Brien \"draft\".TXT", "README", "notes.txt", "plan.svg"}));
  QAbstractItemModel* grid = form->grid()->model();
  EXPECT_EQ(grid->headerData(0, Qt::Horizontal).toString().toStdString(), localString(34952));
  EXPECT_EQ(grid->index(3, 1).data().toString(), "txt");
  EXPECT_EQ(grid->index(4, 1).data().toString(), "");
  EXPECT_FALSE(grid->index(0, 2).data().toString().isEmpty());
  EXPECT_EQ(form->extensionList()->count(), 5);  // (none), cfg, png, svg, txt (TXT folded)
  EXPECT_EQ(form->windowTitle().toStdString(), localString(34968));

  // The filter fields are commands of the bar too.
  for (int id : {cmd::NameFilter, cmd::Extensions, cmd::Extension}) {
    ASSERT_NE(form->command(id), nullptr) << id;
  }
  EXPECT_EQ(form->command(cmd::NameFilter)->text(), "N&ame");
  EXPECT_EQ(form->command(cmd::Extension)->text(), "E&xt");

  // Name filter while Filter is checked, without regard to case.
  form->nameFilterEdit()->setText("GR");
  form->runCommand(cmd::Filter);
  EXPECT_EQ(shownNames(*form), std::vector<std::string>{"Größe.cfg"});
  form->runCommand(cmd::Filter);
  EXPECT_EQ(form->model().rowCount(), 7);

  // Extension filter: quick changes start the timer, which refills once.
  QSignalSpy resets(&form->model(), &QAbstractItemModel::modelReset);
  selectExtensions(*form, {"txt", "cfg"});
  selectExtensions(*form, {"txt"});
  EXPECT_TRUE(form->extensionTimer()->isActive());
  EXPECT_EQ(resets.count(), 0);
  ASSERT_TRUE(soon([&] { return !form->extensionTimer()->isActive(); }));
  EXPECT_EQ(resets.count(), 1);
  EXPECT_EQ(shownNames(*form), (std::vector<std::string>{"O'Brien \"draft\".TXT", "notes.txt"}));

  // Images only: pictures alone, at once; and back.
  manager_->SetForImagesOnly(true);
  EXPECT_EQ(shownNames(*form), (std::vector<std::string>{"Images\\logo.png", "plan.svg"}));
  manager_->SetForImagesOnly(false);
  EXPECT_EQ(form->model().rowCount(), 7);

  // Selecting a row names it in the pick field; the preview shows pictures
  // and says so for other files.
  form->selectNames({"notes.txt"});
  EXPECT_EQ(form->pickName()->text(), "notes.txt");
  form->runCommand(cmd::Preview);
  EXPECT_TRUE(form->previewPane()->isVisible());
  EXPECT_TRUE(form->notPictureLabel()->isVisible());
  form->selectNames({"plan.svg"});
  EXPECT_FALSE(form->notPictureLabel()->isVisible());
  form->close();
  EXPECT_EQ(registry::getAppSetting("Tembra", "FileManager", "PicturePreview"), "T");
}

TEST_F(FileManagerWindowTest, ImportsExportsAndDeletesThroughTheDialogs) {
  FileManagerForm* form = open({});
  ASSERT_NE(form, nullptr);
  onDisk("in/a.txt", "alpha");
  onDisk("in/b.cfg", std::string("be\0ta", 5));
  onDisk("in/c d.png", "gamma");
  const std::string in = (disk_ / "in").string();

  // Import: the open dialog with several files.
  whenModalShown<QFileDialog>([&](QFileDialog* d) {
    EXPECT_EQ(d->windowTitle().toStdString(), localString(34966));
    d->setDirectory(QString::fromStdString(in));
    d->findChild<QLineEdit*>()->setText("\"a.txt\" \"b.cfg\" \"c d.png\"");
    static_cast<QDialog*>(d)->accept();
  });
  form->runCommand(cmd::Import);
  EXPECT_EQ(shownNames(*form), (std::vector<std::string>{"a.txt", "b.cfg", "c d.png"}));
  EXPECT_EQ(registry::getAppSetting("Tembra", "Folders", "File Manager"), in);
  EXPECT_EQ(RecentList("Tembra", "MRU").entries()[0], in + "/c d.png");
  EXPECT_EQ(form->command(cmd::ImportFile0)->text().toStdString(), "&1 " + in + "/c d.png");

  // Import as: the second dialog names the stored file.
  whenModalShown<QFileDialog>([&](QFileDialog* d) {
    EXPECT_EQ(d->windowTitle().toStdString(), localString(34967));
    d->findChild<QLineEdit*>()->setText("\"b.cfg\"");
    static_cast<QDialog*>(d)->accept();
  });
  whenModalShown<ImportAsDialog>([](ImportAsDialog* d) {
    EXPECT_EQ(d->FileName(), "b.cfg");
    d->fileNameEdit()->clear();
    EXPECT_FALSE(d->okButton()->isEnabled());
    QTest::keyClicks(d->fileNameEdit(), "Images\\renamed.cfg");
    EXPECT_TRUE(d->okButton()->isEnabled());
    d->okButton()->click();
  });
  form->runCommand(cmd::ImportAs);
  EXPECT_EQ(manager_->store().readBytes("Images\\renamed.cfg").data.size(), 5u);

  // Export of the whole list into a folder chosen in the folder browser.
  const fs::path out = folder_ / "out";
  fs::create_directories(out);
  form->grid()->selectAll();
  whenModalShown<gui::FolderBrowserDialog>([&](gui::FolderBrowserDialog* d) {
    d->selectFolder(out.string());
    d->accept();
  });
  form->runCommand(cmd::ExportChoose);
  EXPECT_EQ(readFile(out / "a.txt"), "alpha");
  EXPECT_EQ(readFile(out / "b.cfg"), std::string("be\0ta", 5));
  EXPECT_EQ(readFile(out / "c d.png"), "gamma");
  EXPECT_EQ(readFile(out / "Images" / "renamed.cfg"), std::string("be\0ta", 5));
  EXPECT_EQ(RecentList("Tembra", "MRUFolder").entries()[0], out.string());
  EXPECT_FALSE(form->progressBar()->isVisible());

  // A recent folder or file that went away is reported; nothing happens.
  fs::remove_all(out);
  std::string message;
  answerNextMessage(&message);
  form->runCommand(cmd::ExportFolder0);
  EXPECT_EQ(message, localString(34949));
  fs::remove(in + "/b.cfg");  // the newest recent file
  answerNextMessage(&message);
  form->runCommand(cmd::ImportFile0);
  EXPECT_EQ(message, localString(34950));
  EXPECT_EQ(form->model().rowCount(), 4);

  // Export into a folder that cannot be written: the error, nothing lost.
  const fs::path blocked = folder_ / "blocker";
  writeFile(blocked, "a file, not a folder");
  RecentList("Tembra", "MRUFolder").add((blocked / "sub").string());
  answerNextMessage(&message);
  form->runCommand(cmd::ExportFolder0);
  EXPECT_FALSE(message.empty());
  EXPECT_EQ(manager_->store().readBytes("a.txt").data.size(), 5u);

  // Nothing selected, then Delete on the grid.
  form->grid()->clearSelection();
  answerNextMessage(&message);
  form->runCommand(cmd::Delete);
  EXPECT_EQ(message, localString(34945));
  form->selectNames({"a.txt", "c d.png"});
  QTest::keyClick(form->grid(), Qt::Key_Delete);
  EXPECT_EQ(shownNames(*form), (std::vector<std::string>{"Images\\renamed.cfg", "b.cfg"}));
  EXPECT_FALSE(manager_->store().exists("a.txt"));
  EXPECT_EQ(form->statusText()->text().toStdString(), localString(34944));
}

TEST_F(FileManagerWindowTest, ViewsWithTheRegisteredProgramAndEncryptsSettingsFiles) {
  // A viewer registered for text files; other types have none.
  const fs::path viewed = folder_ / "viewed";
  const fs::path viewer = folder_ / "viewer.sh";
  writeFile(viewer, "#!/bin/sh\ncp \"$1\" '" + viewed.string() + "'\n");
  fs::permissions(viewer, fs::perms::owner_all);
  fs::create_directories(sandboxRoot() / "data" / "applications");
  fs::create_directories(sandboxRoot() / "config");
  writeFile(sandboxRoot() / "data" / "applications" / "qxview.desktop",
            "[Desktop Entry]\nType=Application\nName=Viewer\nExec=" + viewer.string() +
                " %f\nMimeType=text/plain;\n");
  writeFile(sandboxRoot() / "config" / "mimeapps.list",
            "[Default Applications]\ntext/plain=qxview.desktop\n");
  FileManagerForm* form =
      open({onDisk("notes.txt", "plain notes"), onDisk("data.qxzz", std::string("\0\1\2", 3)),
            onDisk("setup.CFG", "[a]\nb=1\n"), onDisk("report.doc", "doc")});
  ASSERT_NE(form, nullptr);
  form->selectNames({"data.qxzz", "notes.txt"});
  std::string message;
  answerNextMessage(&message);
  form->runCommand(cmd::View);
  EXPECT_EQ(message, localString(34947) + "\ndata.qxzz");
  EXPECT_TRUE(eventually([&] { return readFile(viewed) == "plain notes"; }, 10s));

  // Encrypt: a question first; only .txt and .cfg files change.
  form->selectNames({"notes.txt", "report.doc", "setup.CFG"});
  answerNextMessage(nullptr, QMessageBox::No);
  form->runCommand(cmd::Encrypt);
  EXPECT_EQ(manager_->store().readBytes("notes.txt").data.size(), 11u);
  answerNextMessage(&message, QMessageBox::Yes);
  form->runCommand(cmd::Encrypt);
  EXPECT_NE(message.find('3'), std::string::npos);
  const std::string key = encryption::loadKey();
  for (const auto& [name, plain] : {std::pair<std::string, std::string>{"notes.txt", "plain notes"},
                                    {"setup.CFG", "[a]\nb=1\n"}}) {
    const ByteArray stored = manager_->store().readBytes(name);
    const std::string sealed(stored.data.begin(), stored.data.end());
    EXPECT_TRUE(encryption::looksEncrypted(sealed)) << name;
    EXPECT_EQ(encryption::decryptBytes(sealed, key), plain) << name;
  }
  EXPECT_EQ(manager_->store().readBytes("report.doc").data.size(), 3u);
  EXPECT_EQ(form->statusText()->text().toStdString(), localString(34958));
  // The temporary copies are gone.
  for (const auto& entry : fs::directory_iterator(sandboxRoot() / "tmp")) {
    EXPECT_NE(entry.path().filename().string().rfind("qx", 0), 0u) << entry.path();
  }
}

TEST_F(FileManagerWindowTest, PickModeHandsTheNamesToTheOwner) {
  setFileManagerFromBrowseInternal(true);
  FileManagerForm* form = open({onDisk("a.txt", "a"), onDisk("b.txt", "b")}, true);
  ASSERT_NE(form, nullptr);
  EXPECT_TRUE(form->okButton()->isVisible());
  EXPECT_TRUE(form->okButton()->isEnabled());
  form->selectNames({"a.txt", "b.txt"});
  form->okButton()->click();
  EXPECT_EQ(manager_->SelectedFileName(), "a.txt\rb.txt\r");
  EXPECT_FALSE(form->isVisible());
  // Cancel and Escape close without a choice; the window opens again.
  manager_->setSelectedFileName("");
  manager_->Show(false);
  form->selectNames({"b.txt"});
  QTest::keyClick(form->grid(), Qt::Key_Escape);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(manager_->SelectedFileName(), "");
  setFileManagerFromBrowseInternal(false);
}

TEST_F(FileManagerWindowTest, LockedReadOnlyOrVanishedRepositoriesAreReported) {
  FileManagerForm* form = open({onDisk("a.txt", "a"), onDisk("b.txt", "b")});
  ASSERT_NE(form, nullptr);
  manager_->binding().setup.connection->setCommandTimeout(1);
  // Another session holds the write lock.
  auto other = std::make_shared<ado::Connection>();
  other->Open(connectionString());
  other->Execute("BEGIN EXCLUSIVE");
  std::string message;
  form->selectNames({"a.txt"});
  answerNextMessage(&message);
  form->runCommand(cmd::Delete);
  EXPECT_FALSE(message.empty());
  other->Execute("COMMIT");
  other->Close();
  EXPECT_TRUE(manager_->store().exists("a.txt"));

  // A read-only binding: imports fail with a message, the list stays.
  form->close();
  form = open({}, false, ";Mode=Read");
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->model().rowCount(), 2);
  onDisk("c.txt", "c");
  whenModalShown<QFileDialog>([&](QFileDialog* d) {
    d->setDirectory(QString::fromStdString(disk_.string()));
    d->findChild<QLineEdit*>()->setText("\"c.txt\"");
    static_cast<QDialog*>(d)->accept();
  });
  answerNextMessage(&message);
  form->runCommand(cmd::Import);
  EXPECT_FALSE(message.empty());
  EXPECT_EQ(shownNames(*form), (std::vector<std::string>{"a.txt", "b.txt"}));

  // The file goes away under the open window: refresh and export answer
  // what the open database still holds, or say why they cannot.
  fs::remove(repository_);
  message.clear();
  QTimer::singleShot(3000, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->accept();
  });
  form->runCommand(cmd::Refresh);
  EXPECT_TRUE(form->model().rowCount() == 2 || !form->statusText()->text().isEmpty());
}

}  // namespace
}  // namespace qxvb::test
