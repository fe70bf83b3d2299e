// frmImportAs: asks for the name a file from disk is stored under. It has
// no access to the store; it answers the name and whether the person
// confirmed (Result 1) or not (2).
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qxvb::filestore {

inline constexpr int16_t kImportAsConfirmed = 1;
inline constexpr int16_t kImportAsCancelled = 2;

class ImportAsDialog : public QDialog {
 public:
  explicit ImportAsDialog(QWidget* owner = nullptr);

  int16_t Result() const { return result_; }
  std::string FileName() const;
  void setFileName(const std::string& name);

  QLineEdit* fileNameEdit() const { return txtFileName_; }
  QPushButton* okButton() const { return cmdOK_; }
  QPushButton* cancelButton() const { return cmdCancel_; }

  void accept() override;
  void reject() override;

 private:
  QLabel* label1_;
  QLineEdit* txtFileName_;
  QPushButton* cmdOK_;
  QPushButton* cmdCancel_;
  int16_t result_ = kImportAsCancelled;
};

}  // namespace qxvb::filestore
