#include "ui/picture/gui_application.h"

#include <QApplication>
#include <QCoreApplication>
#include <cstdlib>
#include <mutex>

namespace qxvb::gui {

namespace {

bool hasDisplay() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

void createApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  const char* chosen = std::getenv("QT_QPA_PLATFORM");
  if ((chosen == nullptr || *chosen == '\0') && !hasDisplay()) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  // Qt keeps references to argc and argv for the application's lifetime.
  static int argc = 1;
  static char name[] = "QXVBUtils";
  static char* argv[] = {name, nullptr};
  // A widget application, so that the same object serves windows too.
  static QApplication* application = new QApplication(argc, argv);
  // The library's windows come and go inside the caller's program: closing
  // the last one must not end event loops that are still running.
  QApplication::setQuitOnLastWindowClosed(false);
  (void)application;
}

}  // namespace

void ensureGuiApplication() {
  static std::once_flag once;
  std::call_once(once, createApplication);
}

}  // namespace qxvb::gui
