// The product icon the string-table component puts on windows.
#pragma once

#include <QIcon>
#include <QImage>
#include <cstdint>
#include <vector>

namespace qxvb::qxxres {

// The icon drawn at a size (square, pixels).
QImage productIconImage(int size);
QIcon productIcon();

// _NET_WM_ICON data: for each size, width, height, then ARGB pixels.
std::vector<uint32_t> productIconProperty();

// Puts the icon on the window: through Qt for the process's own windows,
// as _NET_WM_ICON for any other client's. No effect for windows that do
// not exist.
void setProductIcon(int32_t hwnd);

}  // namespace qxvb::qxxres
