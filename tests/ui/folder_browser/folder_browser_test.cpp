// The folder browser in the process: ValidatePath answers decide whether
// OK can choose the highlighted folder, status texts land where the flags
// say, one browser per thread, folders that vanish while it is open.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <filesystem>

#include "../gui_fixture.h"
#include "frame/catalogue.h"
#include "frame/events.h"
#include "frame/vb_conversions.h"
#include "support/modal_driver.h"
#include "support/sandbox.h"
#include "ui/app/gui_thread.h"
#include "ui/folder_browser/folder_browser_dialog.h"
#include "ui/folder_browser/sh_open_dir_tv.h"

namespace qxvb::test {
namespace {

using namespace qxvb::gui;
namespace fs = std::filesystem;

class FolderBrowserTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    ASSERT_TRUE(onWindowThread());
    root_ = freshFolder("browse");
    fs::create_directories(root_ / "Models");
    fs::create_directories(root_ / "Archive");
    browser_ = std::make_shared<ShOpenDirTV>();
  }

  // Connects a handler that refuses folders whose name holds "Archive".
  void refuseArchives() {
    browser_->events()->advise(
        std::make_shared<FunctionSink>([this](std::string_view name, std::vector<Variant>& a) {
          ASSERT_EQ(name, "ValidatePath");
          asked_.push_back(CStr(a[0]));
          const bool archive = CStr(a[0]).find("Archive") != std::string::npos;
          a[1] = Variant(!archive);
          a[2] = Variant(archive ? "Archives are read-only" : "A model folder");
        }));
  }

  std::string open(int32_t flags, bool validate = true) {
    return browser_->OpenDirectoryTV(0, "Choose the folder", "Export", root_.string(),
                                     Variant(Object()), validate, flags);
  }

  fs::path root_;
  std::shared_ptr<ShOpenDirTV> browser_;
  std::vector<std::string> asked_;
};

TEST_F(FolderBrowserTest, OkFollowsTheHandlersAnswer) {
  refuseArchives();
  whenModalShown<FolderBrowserDialog>([&](FolderBrowserDialog* d) {
    EXPECT_EQ(d->windowTitle(), "Export");
    EXPECT_EQ(d->highlighted(), root_.string());
    EXPECT_TRUE(d->okEnabled());
    // The new dialog style has no status line: the status follows the
    // message.
    EXPECT_FALSE(d->hasStatusLine());
    EXPECT_EQ(d->messageLabel()->text(), "Choose the folder\n\nA model folder");
    d->selectFolder((root_ / "Archive").string());
    EXPECT_FALSE(d->okEnabled());
    EXPECT_EQ(d->messageLabel()->text(), "Choose the folder\n\nArchives are read-only");
    // Neither the button nor Return can choose a refused folder.
    d->files()->okButton()->setEnabled(true);
    EXPECT_FALSE(d->okEnabled());
    d->accept();
    EXPECT_TRUE(d->isVisible());
    d->selectFolder((root_ / "Models").string());
    EXPECT_TRUE(d->okEnabled());
    d->accept();
  });
  EXPECT_EQ(open(kDefaultBrowseFlags), (root_ / "Models").string());
  EXPECT_EQ(asked_.front(), root_.string());
  EXPECT_NE(std::find(asked_.begin(), asked_.end(), (root_ / "Archive").string()), asked_.end());
  EXPECT_EQ(browser_->openDialog(), nullptr);
}

TEST_F(FolderBrowserTest, StatusTextFollowsTheFlags) {
  refuseArchives();
  // The old style with STATUSTEXT has a status line of its own.
  whenModalShown<FolderBrowserDialog>([&](FolderBrowserDialog* d) {
    ASSERT_TRUE(d->hasStatusLine());
    EXPECT_EQ(d->statusLabel()->text(), "A model folder");
    EXPECT_EQ(d->messageLabel()->text(), "Choose the folder");
    d->reject();
  });
  EXPECT_EQ(open(QX_BIF_RETURNONLYFSDIRS | QX_BIF_STATUSTEXT), "");
  // Without STATUSTEXT nothing is written, though the handler runs.
  asked_.clear();
  whenModalShown<FolderBrowserDialog>([&](FolderBrowserDialog* d) {
    EXPECT_EQ(d->messageLabel()->text(), "Choose the folder");
    d->selectFolder((root_ / "Archive").string());
    EXPECT_FALSE(d->okEnabled());
    EXPECT_EQ(d->messageLabel()->text(), "Choose the folder");
    d->reject();
  });
  EXPECT_EQ(open(QX_BIF_RETURNONLYFSDIRS | QX_BIF_NEWDIALOGSTYLE), "");
  EXPECT_FALSE(asked_.empty());
  // Without validation every folder is accepted and reads "Valid Path".
  asked_.clear();
  whenModalShown<FolderBrowserDialog>([&](FolderBrowserDialog* d) {
    EXPECT_EQ(d->statusLabel()->text(), "Valid Path");
    d->selectFolder((root_ / "Archive").string());
    EXPECT_TRUE(d->okEnabled());
    d->accept();
  });
  EXPECT_EQ(open(QX_BIF_STATUSTEXT, false), (root_ / "Archive").string());
  EXPECT_TRUE(asked_.empty());
}

TEST_F(FolderBrowserTest, OneBrowserPerThreadAndVanishingFolders) {
  // A second browser opened while one is open (from its handler) shows
  // the critical message and answers "".
  std::string second = "not called";
  bool messageShown = false;
  bool once = false;
  browser_->events()->advise(std::make_shared<FunctionSink>([&](std::string_view,
                                                                std::vector<Variant>& a) {
    a[1] = Variant(true);
    if (once) return;
    once = true;
    whenModalShown<QMessageBox>([&](QMessageBox* box) {
      messageShown = box->icon() == QMessageBox::Critical && box->text().contains("already open");
      box->accept();
    });
    second = ShOpenDirTV().OpenDirectoryTV(0, "again", "Again", "", Variant(Object()), false,
                                           kDefaultBrowseFlags);
  }));
  whenModalShown<FolderBrowserDialog>([&](FolderBrowserDialog* d) {
    // The highlighted folder goes away while the dialog is open.
    d->selectFolder((root_ / "Archive").string());
    fs::remove(root_ / "Archive");
    d->selectFolder((root_ / "Archive").string());
    d->selectFolder((root_ / "Models").string());
    fs::remove(root_ / "Models");
    d->accept();
  });
  const std::string chosen = open(kDefaultBrowseFlags);
  EXPECT_TRUE(messageShown);
  EXPECT_EQ(second, "");
  EXPECT_EQ(chosen, (root_ / "Models").string());
  // The callback answers 0 and does nothing for other windows.
  EXPECT_EQ(browser_->MyCallBackTV(12345, 1, 0, 0), 0);
  // Through the late-bound interface, with the default arguments.
  whenModalShown<FolderBrowserDialog>([&](FolderBrowserDialog* d) {
    EXPECT_EQ(browser_->MyCallBackTV(browser_->dialogWindow(), 2, 1, 0), 0);
    d->reject();
  });
  std::vector<Variant> args{Variant(0), Variant("Pick"), Variant("Browse")};
  EXPECT_EQ(createObject("QXVBUtils.ShOpenDirTV")->invoke("OpenDirectoryTV", kMethod, args),
            Variant(""));
}

}  // namespace
}  // namespace qxvb::test
