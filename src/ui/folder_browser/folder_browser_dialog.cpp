#include "ui/folder_browser/folder_browser_dialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace qxvb::gui {

namespace {

QString displayText(const std::string& text) {
  return QString::fromStdString(text).replace("\r\n", "\n");
}

}  // namespace

FolderDialog::FolderDialog(QWidget* parent) : QFileDialog(parent) {
  setWindowFlags(Qt::Widget);
  setOption(QFileDialog::DontUseNativeDialog, true);
  setFileMode(QFileDialog::Directory);
  setLabelText(QFileDialog::Accept, "OK");
  setSizeGripEnabled(false);
  if (auto* box = findChild<QDialogButtonBox*>()) {
    ok_ = box->button(QDialogButtonBox::Open);
    if (ok_ == nullptr) ok_ = box->button(QDialogButtonBox::Save);
  }
  if (ok_ != nullptr) {
    qtEnabled_ = ok_->isEnabled();
    ok_->installEventFilter(this);
  }
}

void FolderDialog::setValid(bool valid) {
  valid_ = valid;
  applyOk();
}

void FolderDialog::applyOk() {
  if (ok_ == nullptr) return;
  applying_ = true;
  ok_->setEnabled(qtEnabled_ && valid_);
  applying_ = false;
}

bool FolderDialog::eventFilter(QObject* watched, QEvent* event) {
  // The file dialog switches its button on and off as the name changes;
  // what it wants is kept and combined with the watcher's answer.
  if (watched == ok_ && event->type() == QEvent::EnabledChange && !applying_) {
    qtEnabled_ = ok_->isEnabled();
    if (!valid_ && ok_->isEnabled()) applyOk();
  }
  return QFileDialog::eventFilter(watched, event);
}

void FolderDialog::accept() {
  // Return in the name field or the list reaches here too.
  if (!valid_) return;
  QFileDialog::accept();
}

FolderBrowserDialog::FolderBrowserDialog(bool includeFiles, bool statusLine) {
  message_ = new QLabel(this);
  message_->setWordWrap(true);
  message_->setTextFormat(Qt::PlainText);
  files_ = new FolderDialog(this);
  files_->setOption(QFileDialog::ShowDirsOnly, !includeFiles);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(message_);
  layout->addWidget(files_, 1);
  if (statusLine) {
    status_ = new QLabel(this);
    status_->setTextFormat(Qt::PlainText);
    status_->setWordWrap(true);
    layout->addWidget(status_);
  }
  const auto changed = [this] { highlightChanged(); };
  connect(files_, &QFileDialog::currentChanged, this, changed);
  connect(files_, &QFileDialog::directoryEntered, this, changed);
  if (auto* name = files_->findChild<QLineEdit*>()) {
    connect(name, &QLineEdit::textChanged, this, changed);
  }
  connect(files_, &QDialog::accepted, this, &FolderBrowserDialog::accept);
  connect(files_, &QDialog::rejected, this, &QDialog::reject);
  // The first highlighted folder is reported once the dialog runs.
  QTimer::singleShot(0, this, changed);
  resize(760, 540);
}

void FolderBrowserDialog::setMessage(const std::string& text) {
  message_->setText(displayText(text));
}

void FolderBrowserDialog::setStatus(const std::string& text) {
  if (status_ != nullptr) status_->setText(displayText(text));
}

bool FolderBrowserDialog::okEnabled() const {
  return files_->okButton() != nullptr && files_->okButton()->isEnabled();
}

void FolderBrowserDialog::selectFolder(const std::string& path) {
  const QString folder = QString::fromStdString(path);
  if (!QDir(folder).exists()) return;
  files_->setDirectory(folder);
  highlightChanged();
}

std::string FolderBrowserDialog::highlighted() const {
  const QStringList selected = files_->selectedFiles();
  if (selected.isEmpty()) return {};
  return QDir::cleanPath(selected.front()).toStdString();
}

void FolderBrowserDialog::highlightChanged() {
  const std::string path = highlighted();
  if (reported_ && path == lastHighlighted_) return;
  reported_ = true;
  lastHighlighted_ = path;
  if (watcher_) watcher_(path);
}

void FolderBrowserDialog::accept() {
  // A folder that changed since it was last answered for is asked about
  // again before it is taken.
  highlightChanged();
  if (!files_->valid()) {
    files_->show();
    return;
  }
  chosen_ = highlighted();
  QDialog::accept();
}

}  // namespace qxvb::gui
