#include "error_helper/gui/error_dialog.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "diagram/help/help.h"
#include "frame/catalogue.h"
#include "frame/string_table.h"
#include "text/qxutilities.h"
#include "ui/fonts/fonts.h"

namespace qxvb::gui {

namespace {

constexpr int32_t kCaptionText = 41118, kDetailsFrameText = 41119, kOkText = 41120,
                  kDetailsText = 41121, kHelpText = 41122, kNumberText = 41124;
constexpr int32_t kHelpModeContext = 4;
constexpr int32_t kHelpModeToc = 0;

QLabel* wrappingLabel(QWidget* parent, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setWordWrap(true);
  label->setTextFormat(Qt::PlainText);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

}  // namespace

ErrorDialog::ErrorDialog()
    : icon_(new QLabel(this)),
      lblError_(wrappingLabel(this, "lblError")),
      lblDescription_(wrappingLabel(this, "lblDescription")),
      lblErrorWithIcon_(wrappingLabel(this, "lblErrorWithIcon")),
      lblErrorWithoutIcon_(wrappingLabel(this, "lblErrorWithoutIcon")),
      fraDetails_(new QGroupBox(this)),
      txtDetails_(new QPlainTextEdit(fraDetails_)),
      cmdOK_(new QPushButton(this)),
      cmdDetails_(new QPushButton(this)),
      cmdHelp_(new QPushButton(this)) {
  setObjectName("frmErrorDialog");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  applyFormLanguage(*this);
  setWindowTitle(QString::fromStdString(localString(kCaptionText)));
  fraDetails_->setTitle(QString::fromStdString(localString(kDetailsFrameText)));
  cmdOK_->setText(QString::fromStdString(localString(kOkText)));
  cmdDetails_->setText(QString::fromStdString(localString(kDetailsText)));
  cmdHelp_->setText(QString::fromStdString(localString(kHelpText)));
  cmdOK_->setObjectName("cmdOK");
  cmdDetails_->setObjectName("cmdDetails");
  cmdHelp_->setObjectName("cmdHelp");
  icon_->setObjectName("Picture1");
  const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  icon_->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(iconSize));
  icon_->setAlignment(Qt::AlignTop);
  txtDetails_->setObjectName("txtDetails");
  txtDetails_->setReadOnly(true);
  txtDetails_->setMinimumHeight(140);
  auto* detailsLayout = new QVBoxLayout(fraDetails_);
  detailsLayout->addWidget(txtDetails_);
  fraDetails_->setObjectName("fraDetails");
  fraDetails_->hide();

  auto* messages = new QVBoxLayout;
  messages->addWidget(lblError_);
  messages->addWidget(lblDescription_);
  messages->addWidget(lblErrorWithIcon_);
  messages->addWidget(lblErrorWithoutIcon_);
  messages->addStretch(1);
  auto* top = new QHBoxLayout;
  top->addWidget(icon_);
  top->addLayout(messages, 1);
  top->setSpacing(16);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdHelp_);
  buttons->addStretch(1);
  buttons->addWidget(cmdDetails_);
  buttons->addWidget(cmdOK_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addLayout(buttons);
  layout->addWidget(fraDetails_);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  setMinimumWidth(420);
  lblErrorWithIcon_->setMinimumWidth(320);
  lblDescription_->setMinimumWidth(320);
  lblErrorWithoutIcon_->setMinimumWidth(320);
  cmdOK_->setDefault(true);
  connect(cmdOK_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cmdDetails_, &QPushButton::clicked, this, [this] { showDetails(); });
  connect(cmdHelp_, &QPushButton::clicked, this, [this] { openHelp(); });
}

void ErrorDialog::initialise(const std::string& details, int32_t number,
                             const std::string& /*source*/, const std::string& description,
                             const std::string& helpFile, const std::string& helpContext,
                             bool withIcon) {
  lblErrorWithIcon_->hide();
  if (number != 0) {
    lblError_->setText(
        QString::fromStdString(formatLocalString(localString(kNumberText), Variant(number))));
    lblErrorWithoutIcon_->hide();
  } else {
    lblError_->hide();
    lblDescription_->hide();
    lblErrorWithoutIcon_->hide();
    lblErrorWithIcon_->show();
  }
  if (!withIcon) {
    icon_->hide();
    lblError_->hide();
    lblDescription_->hide();
    lblErrorWithoutIcon_->show();
    lblErrorWithIcon_->hide();
  }
  const QString text = QString::fromStdString(description);
  lblDescription_->setText(text);
  lblErrorWithoutIcon_->setText(text);
  lblErrorWithIcon_->setText(text);
  txtDetails_->setPlainText(QString::fromStdString(details));
  helpFile_ = helpFile;
  helpContext_ = helpContext;
}

void ErrorDialog::showDetails() {
  fraDetails_->show();
  cmdDetails_->setEnabled(false);
  adjustSize();
}

void ErrorDialog::openHelp() {
  auto utilities = globalInstanceOf<QXUtilities>("QXUtilities");
  std::string topic = helpContext_;
  lastHelpMode_ = topic.empty() ? kHelpModeToc : kHelpModeContext;
  if (topic.empty()) {
    QX_Util_Help(*utilities, kHelpModeToc, topic, static_cast<int32_t>(winId()));
  } else {
    QX_Util_Help(*utilities, kHelpModeContext, topic, static_cast<int32_t>(winId()));
  }
  lastHelpTopic_ = topic;
}

void ErrorDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1 || event->key() == Qt::Key_Help) {
    openHelp();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace qxvb::gui
