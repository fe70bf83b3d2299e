#include "ui/window_helpers/window_helpers.h"

#include <QApplication>
#include <QWidget>

#include "ui/app/owner_window.h"
#include "ui/x11/x11_windows.h"

namespace qxvb::gui {

namespace {

x11::WindowId id(int32_t handle) {
  return static_cast<x11::WindowId>(handle);
}

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// A window of this process's own Qt application keeps its title in Qt: it
// is read and changed through Qt so that Qt's idea of it stays right.
QWidget* ownWidget(int32_t handle) {
  return ownWidgetOf(handle);
}

}  // namespace

Variant findWindowByPrefixPostFix(int32_t parent, int32_t /*child*/, const std::string& classPrefix,
                                  const std::string& classPostFix, const std::string& titlePrefix,
                                  int32_t userData) {
  const std::vector<x11::WindowId> candidates =
      parent == 0 ? x11::topLevelWindows() : x11::childWindows(id(parent));
  const bool checkUserData = userData != -1;
  const x11::WindowId found =
      x11::findFirstWindow(candidates, checkUserData, [&](const x11::WindowFacts& facts) {
        return startsWith(facts.title, titlePrefix) && endsWith(facts.className, classPostFix) &&
               startsWith(facts.className, classPrefix) &&
               (!checkUserData || facts.userData == userData);
      });
  if (found == 0) return {};
  return Variant(static_cast<int32_t>(found));
}

std::string readWindowText(int32_t window) {
  if (window == 0) return {};
  if (QWidget* own = ownWidget(window)) return own->windowTitle().toStdString();
  return x11::windowTitle(id(window)).value_or(std::string());
}

int32_t writeWindowText(int32_t window, const std::string& text) {
  if (window == 0) return 0;
  if (QWidget* own = ownWidget(window)) {
    own->setWindowTitle(QString::fromStdString(text));
    return 1;
  }
  return x11::setWindowTitle(id(window), text) ? 1 : 0;
}

void setWindowUserData(int32_t window, int32_t value) {
  if (window != 0) x11::setWindowUserData(id(window), value);
}

int32_t getWindowUserData(int32_t window) {
  return window == 0 ? 0 : x11::windowUserData(id(window));
}

void removeFormStyleButtons(int32_t window, bool minButton, bool maxButton, bool sysMenu) {
  using namespace x11::motif;
  auto hints = x11::motifHints(id(window));
  if (!hints) return;
  const auto apply = [&](bool remove, uint32_t decoration, uint32_t function) {
    if (remove) {
      (*hints)[2] &= ~decoration;
      (*hints)[1] &= ~function;
    } else {
      (*hints)[2] |= decoration;
      (*hints)[1] |= function;
    }
  };
  apply(minButton, kDecorMinimize, kFuncMinimize);
  apply(maxButton, kDecorMaximize, kFuncMaximize);
  apply(sysMenu, kDecorMenu, 0);
  x11::setMotifHints(id(window), *hints);
}

void removeFormSysMenus(int32_t window, bool /*restore*/, bool move, bool size, bool minimize,
                        bool maximize, bool /*separator*/, bool close) {
  using namespace x11::motif;
  auto hints = x11::motifHints(id(window));
  if (!hints) return;
  uint32_t removed = 0;
  if (close) removed |= kFuncClose;
  if (minimize) removed |= kFuncMinimize;
  if (maximize) removed |= kFuncMaximize;
  if (move) removed |= kFuncMove;
  if (size) removed |= kFuncResize;
  (*hints)[1] &= ~removed;
  x11::setMotifHints(id(window), *hints);
}

}  // namespace qxvb::gui
