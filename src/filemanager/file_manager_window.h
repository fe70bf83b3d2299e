// What the file manager object needs from its window. The window itself
// belongs to the graphical module, which registers a factory; without one
// the object still imports files and reports through its events.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qxvb {

class QXFileManager;

class FileManagerWindow {
 public:
  virtual ~FileManagerWindow() = default;
  virtual void setImagesOnly(bool imagesOnly) = 0;
  virtual void show(bool modal) = 0;
  virtual bool isVisible() const = 0;
  // A message while the window is visible: the status bar, and for errors
  // also a message box.
  virtual void showMessage(const std::string& text, bool isError) = 0;
  // After an import: the list is refreshed and the recent files updated.
  virtual void filesImported(const std::vector<std::string>& paths) = 0;
};

using FileManagerWindowFactory = std::function<std::unique_ptr<FileManagerWindow>(QXFileManager&)>;

// Registers the window the Init members create; an empty factory removes it.
void setFileManagerWindowFactory(FileManagerWindowFactory factory);
const FileManagerWindowFactory& fileManagerWindowFactory();

}  // namespace qxvb
