// frmTooltip: a small tip near the mouse cursor for any window. It shows
// 800 ms after it was asked for and hides itself after 5 s, on a click or
// when the mouse moves away or a button goes down.
#pragma once

#include <QLabel>
#include <QPoint>
#include <QTimer>
#include <cstdint>
#include <string>

namespace qxvb::gui {

class TooltipWindow : public QLabel {
 public:
  static constexpr int kDelayMs = 800;
  static constexpr int kShowMs = 5000;
  // How far (pixels) the mouse may move before the tip hides.
  static constexpr int kMoveTolerance = 4;

  TooltipWindow();

  void setTarget(int32_t hwnd) { target_ = hwnd; }
  int32_t target() const { return target_; }
  // The form's text: "&" doubled, so that it shows as itself.
  void setTipText(const std::string& text);
  const QString& tipText() const { return tipText_; }

  void display(bool show);
  // The timer's work, public so that tests can step the clock.
  void tick();
  int timerInterval() const { return timer_.interval(); }
  bool timerActive() const { return timer_.isActive(); }
  QPoint rememberedCursor() const { return cursor_; }

  // Where the tip goes for a cursor position on a screen area.
  static QPoint placement(QPoint cursor, QSize tip, QRect screen);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void hideTip();

  QTimer timer_;
  int32_t target_ = 0;
  QString tipText_;
  QPoint cursor_;
};

// Doubles every "&" of a tip text.
std::string doubledAmpersands(const std::string& text);

}  // namespace qxvb::gui
