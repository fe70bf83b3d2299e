#include "ui/progress/progress_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "frame/string_table.h"
#include "frame/vb_conversions.h"

namespace qxvb::gui {

namespace {

constexpr int32_t kCancelText = 41156;
constexpr int kRaiseIntervalMs = 500;
// The bar works in steps of a thousandth of the range.
constexpr int kBarSteps = 1000;

}  // namespace

ProgressWindow::ProgressWindow()
    : bar_(new QProgressBar(this)),
      label_(new QLabel(this)),
      cancelButton_(new QPushButton(this)),
      timer_(new QTimer(this)) {
  setObjectName("frmProgress");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  bar_->setObjectName("prgProgress");
  bar_->setRange(0, kBarSteps);
  bar_->setTextVisible(false);
  label_->setObjectName("lblProgress");
  label_->setAlignment(Qt::AlignCenter);
  label_->setMinimumWidth(label_->fontMetrics().horizontalAdvance("100%") + 8);
  cancelButton_->setObjectName("cmdCancel");
  cancelButton_->setText(QString::fromStdString(localString(kCancelText)));
  auto* row = new QHBoxLayout;
  row->addWidget(bar_, 1);
  row->addWidget(label_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cancelButton_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addLayout(buttons);
  resize(380, sizeHint().height());
  connect(cancelButton_, &QPushButton::clicked, this, [this] { cancel(); });
  connect(timer_, &QTimer::timeout, this, [this] { keepInFront(); });
  timer_->start(kRaiseIntervalMs);
  label_->setText(labelText());
}

void ProgressWindow::setMinimum(float v) {
  min_ = v;
  updateBar();
}

void ProgressWindow::setMaximum(float v) {
  max_ = v;
  updateBar();
}

bool ProgressWindow::setValue(float v) {
  if (v < std::min(min_, max_) || v > std::max(min_, max_)) return false;
  value_ = v;
  updateBar();
  label_->setText(labelText());
  return true;
}

QString ProgressWindow::percentText(float v) const {
  if (max_ == min_) return {};
  const double percent = (static_cast<double>(v) - min_) / (static_cast<double>(max_) - min_) * 100;
  return QString::fromStdString(formatDouble(roundBankers(percent))) + "%";
}

QString ProgressWindow::labelText() const {
  const QString text = percentText(value_);
  return text.isEmpty() ? label_->text() : text;
}

void ProgressWindow::updateBar() {
  if (max_ == min_) return;
  const double fill = (static_cast<double>(value_) - min_) / (static_cast<double>(max_) - min_);
  bar_->setValue(static_cast<int>(std::lround(std::clamp(fill, 0.0, 1.0) * kBarSteps)));
}

bool ProgressWindow::keepInFront() {
  if (!isVisible() || cancelled_ || inDebug_) return false;
  raise();
  return true;
}

void ProgressWindow::cancel() {
  cancelled_ = true;
  hide();
  QCoreApplication::processEvents();
}

void ProgressWindow::closeEvent(QCloseEvent* event) {
  // Closing from the window manager cancels like the button; the window
  // stays loaded.
  event->ignore();
  cancel();
}

}  // namespace qxvb::gui
