// Owners of the library's windows: a window of this process's own Qt
// application is a real Qt parent; any other client's window becomes the
// owner through WM_TRANSIENT_FOR, so the window manager keeps the library's
// window above it.
#pragma once

#include <cstdint>

class QWidget;

namespace qxvb::gui {

// The widget of this process whose X11 window is handle; nullptr for
// other clients' windows, 0 and handles off the window thread.
QWidget* ownWidgetOf(int32_t handle);

// Makes window transient for the foreign owner (no effect for 0, for the
// process's own windows and for windows that do not exist).
void attachToForeignOwner(QWidget& window, int32_t owner);

}  // namespace qxvb::gui
