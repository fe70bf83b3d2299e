// frmErrorDialog: one error (or a chain) shown to the user, with or
// without the error icon, the number line, and a details area opened on
// request; Help and F1 open the error's help topic.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace qxvb::gui {

class ErrorDialog : public QDialog {
 public:
  ErrorDialog();

  // The form's public entry: details text, number, source, description,
  // help file, help context, and whether the icon shows.
  void initialise(const std::string& details, int32_t number, const std::string& source,
                  const std::string& description, const std::string& helpFile,
                  const std::string& helpContext, bool withIcon);

  // Opens the details area and grows the window so that it fits.
  void showDetails();
  // Help: the context's topic, or help without a topic.
  void openHelp();
  // The help call's mode and topic the last openHelp made.
  int32_t lastHelpMode() const { return lastHelpMode_; }
  const std::string& lastHelpTopic() const { return lastHelpTopic_; }

  QLabel* iconLabel() const { return icon_; }
  QLabel* errorLine() const { return lblError_; }
  QLabel* descriptionLabel() const { return lblDescription_; }
  QLabel* messageWithIcon() const { return lblErrorWithIcon_; }
  QLabel* messageWithoutIcon() const { return lblErrorWithoutIcon_; }
  QGroupBox* detailsFrame() const { return fraDetails_; }
  QPlainTextEdit* detailsText() const { return txtDetails_; }
  QPushButton* detailsButton() const { return cmdDetails_; }
  QPushButton* helpButton() const { return cmdHelp_; }
  QPushButton* okButton() const { return cmdOK_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QLabel* icon_;
  QLabel* lblError_;
  QLabel* lblDescription_;
  QLabel* lblErrorWithIcon_;
  QLabel* lblErrorWithoutIcon_;
  QGroupBox* fraDetails_;
  QPlainTextEdit* txtDetails_;
  QPushButton* cmdOK_;
  QPushButton* cmdDetails_;
  QPushButton* cmdHelp_;
  std::string helpFile_;
  std::string helpContext_;
  int32_t lastHelpMode_ = -1;
  std::string lastHelpTopic_;
};

}  // namespace qxvb::gui
