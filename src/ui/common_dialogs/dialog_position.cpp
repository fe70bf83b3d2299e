#include "ui/common_dialogs/dialog_position.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>
#include <cstdlib>

#include "ui/app/owner_window.h"
#include "ui/x11/x11_display.h"

namespace qxvb::gui {

namespace {

std::optional<QRect> foreignWindowRect(x11::WindowId window) {
  x11::Session s;
  if (!s) return std::nullopt;
  xcb_connection_t* c = s->connection();
  xcb_generic_error_t* error = nullptr;
  xcb_get_geometry_reply_t* geometry =
      xcb_get_geometry_reply(c, xcb_get_geometry(c, window), &error);
  std::free(error);
  if (geometry == nullptr) return std::nullopt;
  const int width = geometry->width, height = geometry->height;
  std::free(geometry);
  error = nullptr;
  xcb_translate_coordinates_reply_t* origin = xcb_translate_coordinates_reply(
      c, xcb_translate_coordinates(c, window, s->root(), 0, 0), &error);
  std::free(error);
  if (origin == nullptr) return std::nullopt;
  QRect rect(origin->dst_x, origin->dst_y, width, height);
  std::free(origin);
  // The window manager's frame: left, right, top, bottom.
  const auto extents = s->property(window, s->atom("_NET_FRAME_EXTENTS"));
  if (extents && extents->format == 32) {
    const std::vector<uint32_t> w = extents->words();
    if (w.size() >= 4) {
      rect.adjust(-static_cast<int>(w[0]), -static_cast<int>(w[2]), static_cast<int>(w[1]),
                  static_cast<int>(w[3]));
    }
  }
  return rect;
}

QRect screenRect() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->geometry() : QRect(0, 0, 0, 0);
}

QRect centreArea(int32_t owner, bool overOwner) {
  if (overOwner) {
    if (const std::optional<QRect> rect = windowRect(owner)) return *rect;
  }
  return screenRect();
}

// Moves the dialog once, when the window manager first activates it (its
// frame is known then), and goes away.
class Centring : public QObject {
 public:
  Centring(QWidget& dialog, int32_t owner, bool overOwner)
      : QObject(&dialog), owner_(owner), overOwner_(overOwner) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::WindowActivate) {
      auto* dialog = static_cast<QWidget*>(watched);
      const QRect frame = dialog->frameGeometry();
      dialog->move(centredPosition(centreArea(owner_, overOwner_), frame.width(), frame.height()));
      dialog->removeEventFilter(this);
      deleteLater();
    }
    return false;
  }

 private:
  int32_t owner_;
  bool overOwner_;
};

}  // namespace

std::optional<QRect> windowRect(int32_t window) {
  if (window == 0) return std::nullopt;
  if (QWidget* own = ownWidgetOf(window)) return own->window()->frameGeometry();
  return foreignWindowRect(static_cast<x11::WindowId>(window));
}

QPoint centredPosition(const QRect& over, int width, int height) {
  const double x = over.left() + over.width() / 2.0 - width / 2.0;
  const double y = over.top() + over.height() / 2.0 - height / 2.0;
  return {static_cast<int>(std::nearbyint(x)), static_cast<int>(std::nearbyint(y))};
}

void setDialogOwner(QWidget& dialog, int32_t owner) {
  if (QWidget* own = ownWidgetOf(owner)) {
    dialog.setParent(own->window(), dialog.windowFlags() | Qt::Dialog);
    return;
  }
  attachToForeignOwner(dialog, owner);
}

void centreWhenShown(QWidget& dialog, int32_t owner, bool overOwner) {
  const QSize size = dialog.testAttribute(Qt::WA_Resized) ? dialog.size() : dialog.sizeHint();
  dialog.move(centredPosition(centreArea(owner, overOwner), size.width(), size.height()));
  dialog.installEventFilter(new Centring(dialog, owner, overOwner));
}

}  // namespace qxvb::gui
