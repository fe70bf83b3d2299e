// The window helpers of QXUtilities on any client's X11 windows: a window
// handle is an X11 window id. Handles of windows that do not exist give
// the empty answers (0, "", Empty) and never an X error.
#pragma once

#include <cstdint>
#include <string>

#include "frame/variant.h"

namespace qxvb::gui {

// The first window below the parent (the top-level windows for 0) whose
// class name starts with classPrefix and ends with classPostFix, whose
// title starts with titlePrefix and, unless userData is -1, whose
// user-data word equals userData. Comparisons are exact. The child handle
// is accepted and has no effect. Empty when nothing matches.
Variant findWindowByPrefixPostFix(int32_t parent, int32_t child, const std::string& classPrefix,
                                  const std::string& classPostFix, const std::string& titlePrefix,
                                  int32_t userData);

std::string readWindowText(int32_t window);
// 1 when the title was set, 0 when the window does not exist.
int32_t writeWindowText(int32_t window, const std::string& text);

void setWindowUserData(int32_t window, int32_t value);
int32_t getWindowUserData(int32_t window);

// Caption buttons: True takes the element away, False puts it back.
void removeFormStyleButtons(int32_t window, bool minButton, bool maxButton, bool sysMenu);
// Window-menu items: each True takes the function away for good. Restore
// and the separator have no counterpart in the window manager's functions.
void removeFormSysMenus(int32_t window, bool restore, bool move, bool size, bool minimize,
                        bool maximize, bool separator, bool close);

}  // namespace qxvb::gui
