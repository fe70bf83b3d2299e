// The Qt application object that fonts, text drawing and windows need.
// Images and SVG shapes draw without one; text inside an SVG does not.
#pragma once

namespace qxvb::gui {

// Makes sure a Qt application exists, creating a QApplication on first
// call when the host has none. Without a display (neither DISPLAY nor
// WAYLAND_DISPLAY set, and no QT_QPA_PLATFORM chosen) it runs on the
// offscreen platform, so servers and tests can draw. An application the
// host created is used as it is; the one created here lives until the
// process ends. The thread rules for windows: ui/app/gui_thread.h.
void ensureGuiApplication();

}  // namespace qxvb::gui
