// What the window helpers ask of any client's X11 windows: lists, names,
// the library's user-data word, the Motif decoration hints, the active
// window, owning processes and size hints. Every function answers its
// empty value when there is no display or the window does not exist.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/x11/x11_display.h"

namespace qxvb::x11 {

// The top-level windows: the window manager's client list (in the order it
// keeps them), then the root's other children that carry a WM_CLASS
// (unmapped and override-redirect windows).
std::vector<WindowId> topLevelWindows();
// The children of a window in stacking order, bottom first.
std::vector<WindowId> childWindows(WindowId parent);

bool windowExists(WindowId window);

// _NET_WM_NAME, else WM_NAME; nullopt when the window does not exist.
std::optional<std::string> windowTitle(WindowId window);
// Sets _NET_WM_NAME and WM_NAME (and the icon names); false when the
// window does not exist.
bool setWindowTitle(WindowId window, const std::string& title);
// The class part of WM_CLASS.
std::string windowClass(WindowId window);

// The library's user-data word (property _QXVB_USERDATA), 0 when unset.
int32_t windowUserData(WindowId window);
bool setWindowUserData(WindowId window, int32_t value);

// What a matching walk looks at for one window.
struct WindowFacts {
  WindowId window = 0;
  std::string className;
  std::string title;
  int32_t userData = 0;
};
// The first of candidates whose facts satisfy match; 0 when none does.
// Requests go out in batches, so a long list costs few round trips.
WindowId findFirstWindow(const std::vector<WindowId>& candidates, bool readUserData,
                         const std::function<bool(const WindowFacts&)>& match);

// _MOTIF_WM_HINTS: flags, functions, decorations, input mode, status.
namespace motif {
inline constexpr uint32_t kFunctionsFlag = 1;
inline constexpr uint32_t kDecorationsFlag = 2;
inline constexpr uint32_t kFuncAll = 1, kFuncResize = 2, kFuncMove = 4, kFuncMinimize = 8,
                          kFuncMaximize = 16, kFuncClose = 32;
inline constexpr uint32_t kDecorAll = 1, kDecorBorder = 2, kDecorResizeH = 4, kDecorTitle = 8,
                          kDecorMenu = 16, kDecorMinimize = 32, kDecorMaximize = 64;
}  // namespace motif
using MotifHints = std::array<uint32_t, 5>;
// The window's hints with both fields spelled out bit by bit (a window
// without hints, or with the "all" bits, counts as having everything).
std::optional<MotifHints> motifHints(WindowId window);
bool setMotifHints(WindowId window, const MotifHints& hints);

// _NET_ACTIVE_WINDOW of the root; 0 when none.
WindowId activeWindow();
// Asks the window manager to activate (and raise) the window.
bool requestActivation(WindowId window);
// _NET_WM_PID; 0 when unknown.
uint32_t windowProcess(WindowId window);

// WM_NORMAL_HINTS as its 18 words (all zero when unset).
using SizeHints = std::array<uint32_t, 18>;
inline constexpr uint32_t kPMinSize = 16, kPMaxSize = 32;
std::optional<SizeHints> normalHints(WindowId window);
bool setNormalHints(WindowId window, const SizeHints& hints);

// _NET_WM_ICON: width, height, then ARGB pixels, for each size.
bool setWindowIcon(WindowId window, const std::vector<uint32_t>& data);
// WM_TRANSIENT_FOR.
bool setTransientFor(WindowId window, WindowId owner);
// The pointer's position on the root window; nullopt without a display.
std::optional<std::pair<int, int>> pointerPosition();

}  // namespace qxvb::x11
