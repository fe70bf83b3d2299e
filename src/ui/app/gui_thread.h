// Which thread the library's windows live on, and how a caller without an
// event loop of its own keeps them alive.
//
// Qt windows live on the thread of the application object. When the caller
// has no Qt application, the first graphical call creates one on the
// calling thread (ui/picture/gui_application.h), which then is the window
// thread for the rest of the process. A host that made its own QApplication
// keeps it, and its thread is the window thread. A call that needs a
// window from any other thread, or in a host whose application cannot
// show widgets (a QGuiApplication), raises RPC_E_WRONG_THREAD at once
// instead of touching Qt: it neither crashes nor waits for the window
// thread. Members that need no window (X11 queries, drawing on images,
// text measures, starting programs) work on every thread.
#pragma once

#include <cstdint>

namespace qxvb::gui {

// The platform's "called on the wrong thread" error number.
inline constexpr int32_t kWrongThreadError = static_cast<int32_t>(0x8001010E);

// Creates the application if needed and tells whether windows may be made
// on the calling thread.
bool onWindowThread();

// Whether a widget application exists and runs on the calling thread,
// without creating one.
bool applicationOnThisThread();

// Like onWindowThread, but raises kWrongThreadError (source: member) when
// the answer is no.
void requireWindowThread(const char* member);

// Lets pending window events run on the window thread; a no-op elsewhere.
// Members of modeless windows call it, so a caller without an event loop
// still sees its windows painted and its buttons answered.
void processPendingEvents();

// Runs the window thread's events for about milliseconds.
void processEventsFor(int milliseconds);

// Runs events until no window of the library's application is visible, or
// limitMilliseconds passed; true when the windows were all closed.
bool processEventsWhileWindowsShown(int limitMilliseconds);

}  // namespace qxvb::gui
