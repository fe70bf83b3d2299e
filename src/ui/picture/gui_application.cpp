#include "ui/picture/gui_application.h"

#include <QCoreApplication>
#include <QGuiApplication>
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
  static QGuiApplication* application = new QGuiApplication(argc, argv);
  (void)application;
}

}  // namespace

void ensureGuiApplication() {
  static std::once_flag once;
  std::call_once(once, createApplication);
}

}  // namespace qxvb::gui
