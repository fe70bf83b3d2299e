#include "ui/app/owner_window.h"

#include <QWidget>
#include <QWindow>

#include "ui/app/gui_thread.h"
#include "ui/x11/x11_windows.h"

namespace qxvb::gui {

QWidget* ownWidgetOf(int32_t handle) {
  if (handle == 0 || !applicationOnThisThread()) return nullptr;
  return QWidget::find(static_cast<WId>(static_cast<uint32_t>(handle)));
}

void attachToForeignOwner(QWidget& window, int32_t owner) {
  if (owner == 0 || owner == 1 || ownWidgetOf(owner) != nullptr) return;
  const auto ownerId = static_cast<x11::WindowId>(owner);
  if (!x11::windowExists(ownerId)) return;
  // Qt writes WM_TRANSIENT_FOR itself when it maps the window, so the owner
  // is given to it as a foreign window.
  window.winId();
  QWindow* foreign = QWindow::fromWinId(static_cast<WId>(ownerId));
  if (foreign == nullptr || window.windowHandle() == nullptr) {
    delete foreign;
    return;
  }
  window.windowHandle()->setTransientParent(foreign);
  QObject::connect(&window, &QObject::destroyed, [foreign] { delete foreign; });
}

}  // namespace qxvb::gui
