// Glyvel: the product's fonts component. It answers the desktop's user
// interface and menu fonts (Qt's, from fontconfig and the platform theme),
// which the settings file may override in section [Glyvel]: UIFontName,
// UIFontSize, MenuFontName, MenuFontSize, and ApplyFontLocalisation (0 turns
// the localised fonts off; they are on by default).
#pragma once

#include <cstdint>

namespace qxvb::glyvel {

inline constexpr int32_t kUserInterfaceFont = 1;
inline constexpr int32_t kMenuFont = 5;

}  // namespace qxvb::glyvel

extern "C" {
// Fills name (NUL-terminated, at most length - 1 bytes of UTF-8) and *size
// (points) with the font of the kind; returns nonzero on success.
int32_t Glyvel_GetQXFont(int32_t kind, char* name, int32_t length, int32_t* size);
// Nonzero when the product wants localised fonts applied.
int32_t Glyvel_bApplyFontLocalisation();
}
