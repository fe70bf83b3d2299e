// Acting on modal windows from inside the process: a modal dialog runs its
// own event loop, so the test hands its steps to a timer that waits for
// the dialog to be shown and active, then acts on it.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace qxvb::test {

// Runs act on the active modal widget of type T once it is shown and
// active (within limitMs); gives up silently after that, so the dialog
// stays open and the test's own checks fail.
template <class T = QWidget>
void whenModalShown(std::function<void(T*)> act, int limitMs = 10000) {
  auto timer = std::make_shared<QElapsedTimer>();
  timer->start();
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [act = std::move(act), timer, poll, limitMs]() {
    QWidget* modal = QApplication::activeModalWidget();
    T* typed = dynamic_cast<T*>(modal);
    if (typed != nullptr && typed->isVisible() && typed->isActiveWindow()) {
      act(typed);
      *poll = nullptr;  // ends the cycle the function holds to itself
      return;
    }
    if (timer->elapsed() > limitMs) {
      *poll = nullptr;
      return;
    }
    QTimer::singleShot(20, *poll);
  };
  QTimer::singleShot(0, *poll);
}

}  // namespace qxvb::test
