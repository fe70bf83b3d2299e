#include "ui/x11/x11_display.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/text/utf.h"

namespace qxvb::x11 {

namespace {

std::recursive_mutex& displayLock() {
  static std::recursive_mutex lock;
  return lock;
}

std::unique_ptr<Display>& current() {
  static std::unique_ptr<Display> display;
  return display;
}

std::string displayName() {
  const char* name = std::getenv("DISPLAY");
  return name != nullptr ? std::string(name) : std::string();
}

// Replies larger than this are cut: titles of a megabyte still fit.
constexpr uint32_t kMaxWords = 1u << 22;

}  // namespace

std::vector<uint32_t> Property::words() const {
  std::vector<uint32_t> out;
  if (format != 32) return out;
  out.resize(bytes.size() / 4);
  if (!out.empty()) std::memcpy(out.data(), bytes.data(), out.size() * 4);
  return out;
}

std::string Property::text() const {
  return {bytes.begin(), bytes.end()};
}

Display::Display(xcb_connection_t* connection, xcb_window_t root, std::string name)
    : connection_(connection), root_(root), name_(std::move(name)) {}

Display::~Display() {
  xcb_disconnect(connection_);
}

xcb_atom_t Display::atom(std::string_view name) {
  for (const auto& [known, value] : atoms_) {
    if (known == name) return value;
  }
  xcb_intern_atom_cookie_t cookie =
      xcb_intern_atom(connection_, 0, static_cast<uint16_t>(name.size()), name.data());
  xcb_generic_error_t* error = nullptr;
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection_, cookie, &error);
  std::free(error);
  xcb_atom_t value = XCB_ATOM_NONE;
  if (reply != nullptr) value = reply->atom;
  std::free(reply);
  if (value != XCB_ATOM_NONE) atoms_.emplace_back(std::string(name), value);
  return value;
}

xcb_get_property_cookie_t Display::requestProperty(WindowId window, xcb_atom_t property,
                                                   uint32_t maxWords) {
  return xcb_get_property(connection_, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, maxWords);
}

std::optional<Property> Display::readProperty(xcb_connection_t* c,
                                              xcb_get_property_cookie_t cookie) {
  xcb_generic_error_t* error = nullptr;
  xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, &error);
  std::free(error);
  if (reply == nullptr) return std::nullopt;
  std::optional<Property> result;
  if (reply->type != XCB_ATOM_NONE) {
    Property p;
    p.type = reply->type;
    p.format = reply->format;
    const auto* data = static_cast<const uint8_t*>(xcb_get_property_value(reply));
    const int length = xcb_get_property_value_length(reply);
    p.bytes.assign(data, data + length);
    result = std::move(p);
  }
  std::free(reply);
  return result;
}

std::optional<Property> Display::property(WindowId window, xcb_atom_t property) {
  if (window == 0 || property == XCB_ATOM_NONE) return std::nullopt;
  return readProperty(connection_, requestProperty(window, property, kMaxWords));
}

bool Display::succeeded(xcb_void_cookie_t cookie) {
  xcb_generic_error_t* error = xcb_request_check(connection_, cookie);
  const bool ok = error == nullptr;
  std::free(error);
  return ok;
}

bool Display::setProperty(WindowId window, xcb_atom_t property, xcb_atom_t type, uint8_t format,
                          const void* data, uint32_t items) {
  if (window == 0 || property == XCB_ATOM_NONE) return false;
  return succeeded(xcb_change_property_checked(connection_, XCB_PROP_MODE_REPLACE, window, property,
                                               type, format, items, data));
}

bool Display::sendRootMessage(WindowId window, xcb_atom_t type, const uint32_t (&data)[5]) {
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = window;
  event.type = type;
  for (int i = 0; i < 5; ++i) event.data.data32[i] = data[i];
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  return succeeded(
      xcb_send_event_checked(connection_, 0, root_, mask, reinterpret_cast<const char*>(&event)));
}

void Display::dropStaleEvents() {
  // Nothing here selects events; what arrives are errors of requests whose
  // replies were discarded.
  while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) std::free(event);
}

Session::Session() : lock_(displayLock()) {
  auto& display = current();
  const std::string name = displayName();
  if (display && (xcb_connection_has_error(display->connection_) != 0 || display->name_ != name)) {
    display.reset();
  }
  if (!display) {
    if (name.empty()) return;
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(name.c_str(), &screenNumber);
    if (xcb_connection_has_error(c) != 0) {
      xcb_disconnect(c);
      return;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem > 0; ++i) xcb_screen_next(&it);
    if (it.rem == 0) {
      xcb_disconnect(c);
      return;
    }
    display.reset(new Display(c, it.data->root, name));
  }
  display->dropStaleEvents();
  display_ = display.get();
}

Session::~Session() {
  if (display_ != nullptr) xcb_flush(display_->connection_);
}

std::string propertyText(const Property& p, xcb_atom_t utf8Type) {
  if (p.format != 8) return {};
  std::string raw = p.text();
  // Some clients store a terminating NUL.
  while (!raw.empty() && raw.back() == '\0') raw.pop_back();
  if (p.type == utf8Type) return raw;
  // Other 8-bit text is Latin-1, whose bytes are the first 256 characters.
  std::string out;
  out.reserve(raw.size());
  for (const unsigned char ch : raw) utf::append(out, ch);
  return out;
}

}  // namespace qxvb::x11
