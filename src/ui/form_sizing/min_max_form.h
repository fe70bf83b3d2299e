// QX_clsMinMaxFlickerFreeForm: the limits a user can drag a window to,
// given to the window manager as the window's size hints (WM_NORMAL_HINTS),
// which it enforces while the user drags, so the window never has to be
// sized back. The hints the window had are put back when the object ends.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "ui/x11/x11_windows.h"

namespace qxvb::gui {

class MinMaxLimits {
 public:
  MinMaxLimits() = default;
  ~MinMaxLimits();
  MinMaxLimits(const MinMaxLimits&) = delete;
  MinMaxLimits& operator=(const MinMaxLimits&) = delete;

  // A limit of 0 or below leaves that side unlimited. Errors are ignored.
  void init(int32_t window, int32_t minWidth, int32_t maxWidth, int32_t minHeight,
            int32_t maxHeight);

  // The hints the limits make of a window's hints.
  static x11::SizeHints limitedHints(x11::SizeHints hints, int32_t minWidth, int32_t maxWidth,
                                     int32_t minHeight, int32_t maxHeight);

 private:
  void restore();

  int32_t window_ = 0;
  std::optional<x11::SizeHints> previous_;
  // For the process's own windows, their Qt limits.
  std::optional<std::array<int, 4>> previousQt_;
};

}  // namespace qxvb::gui
