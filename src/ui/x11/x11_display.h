// The library's own connection to the X server, shared by the process.
// Every query checks its reply, so a window that does not exist (or has
// gone since it was listed) gives an empty answer instead of an X error,
// and nothing here can end the process. Safe to use from every thread.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qxvb::x11 {

using WindowId = uint32_t;

// The property reply of one request: its type, format and raw bytes.
struct Property {
  xcb_atom_t type = XCB_ATOM_NONE;
  uint8_t format = 0;
  std::vector<uint8_t> bytes;
  // The 32-bit items of a format-32 property.
  std::vector<uint32_t> words() const;
  std::string text() const;
};

// The connection to the display named by DISPLAY, opened on first use
// (and again when it broke or DISPLAY changed). Reached through a Session.
class Display {
 public:
  xcb_connection_t* connection() const { return connection_; }
  xcb_window_t root() const { return root_; }
  // The atom of a name, interned once.
  xcb_atom_t atom(std::string_view name);

  // Sends a property request; the answer is read with readProperty.
  xcb_get_property_cookie_t requestProperty(WindowId window, xcb_atom_t property,
                                            uint32_t maxWords = 1u << 22);
  static std::optional<Property> readProperty(xcb_connection_t* c,
                                              xcb_get_property_cookie_t cookie);
  std::optional<Property> property(WindowId window, xcb_atom_t property);

  // Replaces a property; false when the window does not exist.
  bool setProperty(WindowId window, xcb_atom_t property, xcb_atom_t type, uint8_t format,
                   const void* data, uint32_t items);
  // Checks a request sent with a checked cookie; true when it succeeded.
  bool succeeded(xcb_void_cookie_t cookie);
  // Sends a client message to the root window, as EWMH requests go.
  bool sendRootMessage(WindowId window, xcb_atom_t type, const uint32_t (&data)[5]);

  ~Display();
  Display(const Display&) = delete;
  Display& operator=(const Display&) = delete;

 private:
  friend class Session;
  Display(xcb_connection_t* connection, xcb_window_t root, std::string name);
  void dropStaleEvents();

  xcb_connection_t* connection_;
  xcb_window_t root_;
  std::string name_;
  std::vector<std::pair<std::string, xcb_atom_t>> atoms_;
};

// Holds the process's display for the calling thread while it lives; false
// when no X server can be reached.
class Session {
 public:
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  explicit operator bool() const { return display_ != nullptr; }
  Display* operator->() const { return display_; }
  Display& operator*() const { return *display_; }

 private:
  std::unique_lock<std::recursive_mutex> lock_;
  Display* display_ = nullptr;
};

// Text of a WM_NAME-style property: UTF-8 as it is, Latin-1 converted.
std::string propertyText(const Property& p, xcb_atom_t utf8Type);

}  // namespace qxvb::x11
