// The folder browser's window: Qt's file dialog in folder mode, embedded
// under a message text and above a status text. Its OK button follows the
// answer of whoever watches the highlighted folder: a folder they refuse
// cannot be chosen, neither by the button nor by the keyboard.
#pragma once

#include <QDialog>
#include <QFileDialog>
#include <functional>
#include <string>

class QLabel;
class QPushButton;

namespace qxvb::gui {

class FolderDialog : public QFileDialog {
 public:
  explicit FolderDialog(QWidget* parent);
  void setValid(bool valid);
  bool valid() const { return valid_; }
  QPushButton* okButton() const { return ok_; }
  void accept() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void applyOk();
  QPushButton* ok_ = nullptr;
  bool valid_ = true;
  bool qtEnabled_ = true;  // what the file dialog itself wants for the button
  bool applying_ = false;
};

class FolderBrowserDialog : public QDialog {
 public:
  // includeFiles: files are listed too; statusLine: the dialog has a status
  // text of its own.
  FolderBrowserDialog(bool includeFiles, bool statusLine);

  // Called with the highlighted folder whenever it changes.
  void setWatcher(std::function<void(const std::string&)> watcher) {
    watcher_ = std::move(watcher);
  }

  void setMessage(const std::string& text);
  void setStatus(const std::string& text);
  bool hasStatusLine() const { return status_ != nullptr; }
  void setOkEnabled(bool enabled) { files_->setValid(enabled); }
  bool okEnabled() const;
  // Shows the folder (when it exists) as the highlighted one.
  void selectFolder(const std::string& path);
  // The folder OK would choose now ("" for none).
  std::string highlighted() const;
  std::string chosen() const { return chosen_; }
  FolderDialog* files() const { return files_; }
  QLabel* messageLabel() const { return message_; }
  QLabel* statusLabel() const { return status_; }

  void accept() override;

 private:
  void highlightChanged();

  FolderDialog* files_;
  QLabel* message_;
  QLabel* status_ = nullptr;
  std::function<void(const std::string&)> watcher_;
  std::string lastHighlighted_;
  bool reported_ = false;
  std::string chosen_;
};

}  // namespace qxvb::gui
