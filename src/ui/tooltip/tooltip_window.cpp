#include "ui/tooltip/tooltip_window.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

#include "ui/fonts/fonts.h"

namespace qxvb::gui {

std::string doubledAmpersands(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    out += ch;
    if (ch == '&') out += '&';
  }
  return out;
}

TooltipWindow::TooltipWindow() {
  setObjectName("frmTooltip");
  setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setTextFormat(Qt::PlainText);
  setMargin(4);
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setAutoFillBackground(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, QColor(255, 255, 225));
  colours.setColor(QPalette::WindowText, Qt::black);
  setPalette(colours);
  applyFormLanguage(*this);
  connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
}

void TooltipWindow::setTipText(const std::string& text) {
  tipText_ = QString::fromStdString(doubledAmpersands(text));
  // A label without a buddy shows "&" as it is: undo the doubling for it.
  QString shown = tipText_;
  shown.replace("&&", "&");
  setText(shown);
  // Not shown (the tip has no frame), but lets tools find the tip by its text.
  setWindowTitle(shown);
}

void TooltipWindow::display(bool show) {
  timer_.stop();
  if (isVisible()) hideTip();
  if (show) {
    cursor_ = QCursor::pos();
    timer_.start(kDelayMs);
  }
}

QPoint TooltipWindow::placement(QPoint cursor, QSize tip, QRect screen) {
  QPoint at(cursor.x() + 12, cursor.y() + 20);
  if (at.x() + tip.width() > screen.right()) at.setX(screen.right() - tip.width());
  if (at.y() + tip.height() > screen.bottom()) at.setY(cursor.y() - tip.height() - 4);
  at.setX(std::max(at.x(), screen.left()));
  at.setY(std::max(at.y(), screen.top()));
  return at;
}

void TooltipWindow::tick() {
  if (isVisible()) {
    timer_.stop();
    hideTip();
    return;
  }
  adjustSize();
  const QScreen* screen = QGuiApplication::screenAt(cursor_);
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  const QRect area = screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
  move(placement(cursor_, size(), area));
  show();
  grabMouse();
  timer_.start(kShowMs);
}

void TooltipWindow::hideTip() {
  releaseMouse();
  timer_.stop();
  hide();
}

void TooltipWindow::mousePressEvent(QMouseEvent*) {
  hideTip();
}
void TooltipWindow::mouseReleaseEvent(QMouseEvent*) {
  hideTip();
}

void TooltipWindow::mouseMoveEvent(QMouseEvent* event) {
  const QPoint moved = event->globalPosition().toPoint() - cursor_;
  if (event->buttons() != Qt::NoButton || std::abs(moved.x()) > kMoveTolerance * 4 ||
      std::abs(moved.y()) > kMoveTolerance * 4) {
    hideTip();
  }
}

}  // namespace qxvb::gui
