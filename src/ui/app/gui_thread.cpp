#include "ui/app/gui_thread.h"

#include <algorithm>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include "frame/automation_error.h"
#include "ui/picture/gui_application.h"

namespace qxvb::gui {

namespace {

bool anyWindowShown() {
  const auto windows = QApplication::topLevelWidgets();
  for (const QWidget* w : windows) {
    if (w->isVisible()) return true;
  }
  return false;
}

}  // namespace

bool onWindowThread() {
  ensureGuiApplication();
  return applicationOnThisThread();
}

bool applicationOnThisThread() {
  const QCoreApplication* app = QCoreApplication::instance();
  return app != nullptr && qobject_cast<const QApplication*>(app) != nullptr &&
         QThread::currentThread() == app->thread();
}

void requireWindowThread(const char* member) {
  if (onWindowThread()) return;
  raiseError(kWrongThreadError, member,
             "The library's windows live on the thread of the program's Qt application; "
             "call this member from that thread.");
}

void processPendingEvents() {
  if (!onWindowThread()) return;
  QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

void processEventsFor(int milliseconds) {
  if (!onWindowThread()) return;
  QEventLoop loop;
  QTimer::singleShot(std::max(milliseconds, 0), &loop, &QEventLoop::quit);
  loop.exec();
}

bool processEventsWhileWindowsShown(int limitMilliseconds) {
  if (!onWindowThread()) return true;
  QCoreApplication::processEvents();
  if (!anyWindowShown()) return true;
  QElapsedTimer clock;
  clock.start();
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (!anyWindowShown() || clock.elapsed() >= limitMilliseconds) loop.quit();
  });
  poll.start(50);
  loop.exec();
  return !anyWindowShown();
}

}  // namespace qxvb::gui
