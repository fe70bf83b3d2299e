#include "filemanager/gui/import_as_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "frame/string_table.h"
#include "ui/fonts/fonts.h"

namespace qxvb::filestore {

namespace {

constexpr int32_t kCaption = 35129;
constexpr int32_t kPrompt = 35130;

}  // namespace

ImportAsDialog::ImportAsDialog(QWidget* owner) : QDialog(owner) {
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setWindowTitle(QString::fromStdString(localString(kCaption)));
  label1_ = new QLabel(QString::fromStdString(localString(kPrompt)), this);
  txtFileName_ = new QLineEdit(this);
  txtFileName_->setMinimumWidth(320);
  label1_->setBuddy(txtFileName_);
  cmdOK_ = new QPushButton("OK", this);
  cmdCancel_ = new QPushButton("Cancel", this);
  cmdOK_->setDefault(true);
  cmdOK_->setEnabled(false);
  connect(cmdOK_, &QPushButton::clicked, this, &ImportAsDialog::accept);
  connect(cmdCancel_, &QPushButton::clicked, this, &ImportAsDialog::reject);
  // OK needs a name.
  connect(txtFileName_, &QLineEdit::textChanged, this,
          [this](const QString& text) { cmdOK_->setEnabled(!text.isEmpty()); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdOK_);
  buttons->addWidget(cmdCancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label1_);
  layout->addWidget(txtFileName_);
  layout->addLayout(buttons);
  result_ = kImportAsCancelled;
  // The product's font localisation, as for its own forms.
  gui::applyFormLanguage(*this);
}

std::string ImportAsDialog::FileName() const {
  return txtFileName_->text().toStdString();
}

void ImportAsDialog::setFileName(const std::string& name) {
  txtFileName_->setText(QString::fromStdString(name));
  txtFileName_->selectAll();
}

void ImportAsDialog::accept() {
  if (txtFileName_->text().isEmpty()) return;
  result_ = kImportAsConfirmed;
  QDialog::accept();
}

void ImportAsDialog::reject() {
  result_ = kImportAsCancelled;
  QDialog::reject();
}

}  // namespace qxvb::filestore
