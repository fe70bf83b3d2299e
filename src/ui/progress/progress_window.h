// frmProgress: a small modeless window with a progress bar, the
// percentage and a Cancel button.
#pragma once

#include <QWidget>
#include <cstdint>

class QCloseEvent;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace qxvb::gui {

class ProgressWindow : public QWidget {
 public:
  ProgressWindow();

  bool cancelled() const { return cancelled_; }
  void setInDebug(bool inDebug) { inDebug_ = inDebug; }
  bool inDebug() const { return inDebug_; }

  // The range and value cross as single-precision numbers, as the
  // platform's progress bar takes them.
  float minimum() const { return min_; }
  float maximum() const { return max_; }
  float value() const { return value_; }
  void setMinimum(float v);
  void setMaximum(float v);
  // False (and nothing changes) for a value outside the range.
  bool setValue(float v);
  // The label's text: the percentage of v in the range, rounded half to
  // even; empty when the range is empty.
  QString percentText(float v) const;
  QString labelText() const;

  // The timer's work: brings the window to the front while it is shown,
  // not cancelled and not in debug mode; true when it did.
  bool keepInFront();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void cancel();
  void updateBar();

  QProgressBar* bar_;
  QLabel* label_;
  QPushButton* cancelButton_;
  QTimer* timer_;
  float min_ = 0, max_ = 100, value_ = 0;
  bool cancelled_ = false;
  bool inDebug_ = false;
};

}  // namespace qxvb::gui
