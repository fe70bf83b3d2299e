// Where the common dialogs appear and whom they belong to: a dialog is
// owned by the caller's window (a window of this process, or any other
// client's X11 window) and centred once, when it is first activated, over
// that window or on the screen, as the platform's positioning hook did.
#pragma once

#include <QPoint>
#include <QRect>
#include <cstdint>
#include <optional>

class QWidget;

namespace qxvb::gui {

// The rectangle of any client's top-level window with its frame, in
// screen coordinates; nullopt for 0 and for windows that do not exist.
std::optional<QRect> windowRect(int32_t window);

// The top-left corner that centres a size over a rectangle: the halves are
// taken in floating point and the result rounded to integers.
QPoint centredPosition(const QRect& over, int width, int height);

// Makes owner the dialog's owner: a Qt parent for this process's windows,
// WM_TRANSIENT_FOR for other clients' windows; nothing for 0.
void setDialogOwner(QWidget& dialog, int32_t owner);

// Places the dialog before it is shown and again, with its real frame, when
// it is first activated: centred over the owner's window when overOwner is
// true (on the screen when there is no such window), else on the screen.
void centreWhenShown(QWidget& dialog, int32_t owner, bool overOwner);

}  // namespace qxvb::gui
