// The file manager object's window: made when it is first shown (an object
// that only imports never needs the window thread), then kept as long as
// the object lives.
#include <memory>

#include "filemanager/file_manager.h"
#include "filemanager/file_manager_window.h"
#include "filemanager/gui/file_manager_form.h"
#include "filemanager/recent_lists.h"
#include "ui/app/gui_thread.h"

namespace qxvb::filestore {

namespace {

class FileManagerWindowImpl : public FileManagerWindow {
 public:
  explicit FileManagerWindowImpl(QXFileManager& owner) : owner_(owner) {}

  void setImagesOnly(bool imagesOnly) override {
    if (form_) form_->setImagesOnly(imagesOnly);
  }

  void show(bool modal) override {
    gui::requireWindowThread("Show");
    owner_.reopenOwnConnection();
    if (!form_) {
      form_ = std::make_unique<FileManagerForm>(owner_);
      form_->setImagesOnly(owner_.imagesOnly());
    }
    form_->present(modal);
  }

  FileManagerForm* form() const { return form_.get(); }

  bool isVisible() const override { return form_ && form_->isVisible(); }

  void showMessage(const std::string& text, bool isError) override {
    if (form_) form_->showMessage(text, isError);
  }

  void filesImported(const std::vector<std::string>& paths) override {
    if (form_ && gui::applicationOnThisThread()) {
      form_->filesImported(paths);
      return;
    }
    // Without the window the recent files are still kept.
    RecentList recent(owner_.binding().settingsAppName, "MRU");
    for (const std::string& path : paths) recent.add(path);
  }

 private:
  QXFileManager& owner_;
  std::unique_ptr<FileManagerForm> form_;
};

}  // namespace

FileManagerForm* formOf(QXFileManager& manager) {
  auto* window = dynamic_cast<FileManagerWindowImpl*>(manager.window());
  return window != nullptr ? window->form() : nullptr;
}

void registerFileManagerWindow() {
  setFileManagerWindowFactory(
      [](QXFileManager& owner) { return std::make_unique<FileManagerWindowImpl>(owner); });
}

namespace {
[[maybe_unused]] const bool registered = [] {
  registerFileManagerWindow();
  return true;
}();
}  // namespace

}  // namespace qxvb::filestore
