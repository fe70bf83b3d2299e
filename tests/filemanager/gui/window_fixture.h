// Set-up of the file manager window's tests: the program's X server with
// its window manager, an embedded repository made as qxrepo makes it, files
// on disk, and a file manager object bound to the repository.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "database/repository/embedded_repository.h"
#include "filemanager/file_manager.h"
#include "filemanager/gui/file_manager_form.h"
#include "frame/collection.h"
#include "frame/module_state.h"
#include "support/gui_driver.h"
#include "support/modal_driver.h"
#include "support/sandbox.h"
#include "support/x_server.h"
#include "ui/app/gui_thread.h"

namespace qxvb::test {

class FileManagerWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sharedXServer(); }

  void SetUp() override {
    unloadThread();
    ASSERT_TRUE(gui::onWindowThread());
    filestore::registerFileManagerWindow();
    folder_ = freshFolder("window");
    repository_ = folder_ / "model.qxr";
    createEmbeddedRepository(repository_.string());
    disk_ = folder_ / "disk";
    std::filesystem::create_directories(disk_);
  }

  void TearDown() override {
    manager_.reset();
    unloadThread();
  }

  std::string connectionString(const std::string& extra = {}) const {
    return embeddedConnectionString(repository_.string()) + extra;
  }

  // A file on disk below disk_ with the given contents.
  std::string onDisk(const std::string& name, const std::string& contents) {
    const auto path = disk_ / name;
    std::filesystem::create_directories(path.parent_path());
    writeFile(path, contents);
    return path.string();
  }

  // Binds a new object (Init, or Init_New for pick mode), imports the files
  // and shows the window without waiting.
  filestore::FileManagerForm* open(const std::vector<std::string>& paths, bool pickMode = false,
                                   const std::string& extra = {}) {
    manager_ = std::make_shared<QXFileManager>();
    Object none;
    if (pickMode) {
      manager_->Init_New("Quillane", none, connectionString(extra), 0);
    } else {
      manager_->Init("Quillane", none, connectionString(extra), 0);
    }
    std::vector<filestore::Import_File> files;
    for (const auto& p : paths) files.push_back({p, {}});
    if (!files.empty()) manager_->importFiles(files);
    manager_->Show(false);
    filestore::FileManagerForm* form = filestore::formOf(*manager_);
    EXPECT_NE(form, nullptr);
    return form;
  }

  // Accepts the next message box, keeping its text.
  void answerNextMessage(std::string* text, QMessageBox::StandardButton button = QMessageBox::Ok) {
    whenModalShown<QMessageBox>([text, button](QMessageBox* box) {
      if (text != nullptr) *text = box->text().toStdString();
      QAbstractButton* b = box->button(button);
      if (b != nullptr) {
        b->click();
      } else {
        box->accept();
      }
    });
  }

  std::filesystem::path folder_, repository_, disk_;
  std::shared_ptr<QXFileManager> manager_;
};

// Lets the window thread's events run until condition holds (or limit).
inline bool soon(const std::function<bool()>& condition, int limitMs = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > limitMs) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

}  // namespace qxvb::test
