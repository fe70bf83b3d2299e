#include "ui/x11/x11_windows.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unordered_set>

namespace qxvb::x11 {

namespace {

constexpr const char* kUserDataProperty = "_QXVB_USERDATA";

std::vector<WindowId> queryChildren(Display& d, WindowId parent) {
  std::vector<WindowId> out;
  xcb_generic_error_t* error = nullptr;
  xcb_query_tree_reply_t* reply =
      xcb_query_tree_reply(d.connection(), xcb_query_tree(d.connection(), parent), &error);
  std::free(error);
  if (reply == nullptr) return out;
  const xcb_window_t* children = xcb_query_tree_children(reply);
  out.assign(children, children + xcb_query_tree_children_length(reply));
  std::free(reply);
  return out;
}

std::string classPart(const std::optional<Property>& p) {
  if (!p || p->format != 8) return {};
  const std::string raw = p->text();
  const size_t nul = raw.find('\0');
  if (nul == std::string::npos) return {};
  std::string cls = raw.substr(nul + 1);
  const size_t end = cls.find('\0');
  if (end != std::string::npos) cls.resize(end);
  return cls;
}

int32_t firstWord(const std::optional<Property>& p) {
  if (!p || p->format != 32 || p->bytes.size() < 4) return 0;
  int32_t value = 0;
  std::memcpy(&value, p->bytes.data(), 4);
  return value;
}

std::optional<std::string> titleOf(const std::optional<Property>& netName,
                                   const std::optional<Property>& name, xcb_atom_t utf8) {
  if (netName && netName->format == 8) return propertyText(*netName, utf8);
  if (name && name->format == 8) return propertyText(*name, utf8);
  return std::nullopt;
}

// Requests for one window of a walk, answered in the order they were sent.
struct Pending {
  WindowId window;
  xcb_get_property_cookie_t cls, netName, name, user;
};

constexpr uint32_t kSpelledFunctions = motif::kFuncResize | motif::kFuncMove |
                                       motif::kFuncMinimize | motif::kFuncMaximize |
                                       motif::kFuncClose;
constexpr uint32_t kSpelledDecorations = motif::kDecorBorder | motif::kDecorResizeH |
                                         motif::kDecorTitle | motif::kDecorMenu |
                                         motif::kDecorMinimize | motif::kDecorMaximize;

uint32_t spelled(uint32_t value, uint32_t allBit, uint32_t every) {
  // With the "all" bit set, the other bits name what is left out.
  if ((value & allBit) != 0) return every & ~value;
  return value & every;
}

}  // namespace

std::vector<WindowId> topLevelWindows() {
  Session s;
  if (!s) return {};
  std::vector<WindowId> out;
  if (auto list = s->property(s->root(), s->atom("_NET_CLIENT_LIST"))) out = list->words();
  const std::unordered_set<WindowId> managed(out.begin(), out.end());
  const std::vector<WindowId> children = queryChildren(*s, s->root());
  std::vector<xcb_get_property_cookie_t> cookies;
  cookies.reserve(children.size());
  for (const WindowId w : children) {
    cookies.push_back(s->requestProperty(w, XCB_ATOM_WM_CLASS, 256));
  }
  for (size_t i = 0; i < children.size(); ++i) {
    const auto cls = Display::readProperty(s->connection(), cookies[i]);
    if (cls && managed.count(children[i]) == 0) out.push_back(children[i]);
  }
  return out;
}

std::vector<WindowId> childWindows(WindowId parent) {
  Session s;
  if (!s || parent == 0) return {};
  return queryChildren(*s, parent);
}

bool windowExists(WindowId window) {
  Session s;
  if (!s || window == 0) return false;
  xcb_generic_error_t* error = nullptr;
  xcb_get_window_attributes_reply_t* reply = xcb_get_window_attributes_reply(
      s->connection(), xcb_get_window_attributes(s->connection(), window), &error);
  std::free(error);
  const bool exists = reply != nullptr;
  std::free(reply);
  return exists;
}

std::optional<std::string> windowTitle(WindowId window) {
  Session s;
  if (!s || window == 0) return std::nullopt;
  const xcb_atom_t utf8 = s->atom("UTF8_STRING");
  const auto netCookie = s->requestProperty(window, s->atom("_NET_WM_NAME"));
  const auto nameCookie = s->requestProperty(window, XCB_ATOM_WM_NAME);
  const auto netName = Display::readProperty(s->connection(), netCookie);
  const auto name = Display::readProperty(s->connection(), nameCookie);
  if (auto title = titleOf(netName, name, utf8)) return title;
  if (!windowExists(window)) return std::nullopt;
  return std::string();
}

bool setWindowTitle(WindowId window, const std::string& title) {
  Session s;
  if (!s || window == 0) return false;
  const xcb_atom_t utf8 = s->atom("UTF8_STRING");
  const auto size = static_cast<uint32_t>(title.size());
  if (!s->setProperty(window, s->atom("_NET_WM_NAME"), utf8, 8, title.data(), size)) return false;
  s->setProperty(window, XCB_ATOM_WM_NAME, utf8, 8, title.data(), size);
  s->setProperty(window, s->atom("_NET_WM_ICON_NAME"), utf8, 8, title.data(), size);
  return true;
}

std::string windowClass(WindowId window) {
  Session s;
  if (!s || window == 0) return {};
  return classPart(s->property(window, XCB_ATOM_WM_CLASS));
}

int32_t windowUserData(WindowId window) {
  Session s;
  if (!s || window == 0) return 0;
  return firstWord(s->property(window, s->atom(kUserDataProperty)));
}

bool setWindowUserData(WindowId window, int32_t value) {
  Session s;
  if (!s || window == 0) return false;
  return s->setProperty(window, s->atom(kUserDataProperty), XCB_ATOM_CARDINAL, 32, &value, 1);
}

WindowId findFirstWindow(const std::vector<WindowId>& candidates, bool readUserData,
                         const std::function<bool(const WindowFacts&)>& match) {
  Session s;
  if (!s) return 0;
  const xcb_atom_t utf8 = s->atom("UTF8_STRING");
  const xcb_atom_t netNameAtom = s->atom("_NET_WM_NAME");
  const xcb_atom_t userAtom = s->atom(kUserDataProperty);
  xcb_connection_t* c = s->connection();
  constexpr size_t kBatch = 128;
  std::vector<Pending> pending;
  for (size_t start = 0; start < candidates.size(); start += kBatch) {
    const size_t end = std::min(candidates.size(), start + kBatch);
    pending.clear();
    for (size_t i = start; i < end; ++i) {
      const WindowId w = candidates[i];
      Pending p{w,
                s->requestProperty(w, XCB_ATOM_WM_CLASS, 256),
                s->requestProperty(w, netNameAtom),
                s->requestProperty(w, XCB_ATOM_WM_NAME),
                {}};
      if (readUserData) p.user = s->requestProperty(w, userAtom, 1);
      pending.push_back(p);
    }
    WindowId found = 0;
    for (const Pending& p : pending) {
      if (found != 0) {
        xcb_discard_reply(c, p.cls.sequence);
        xcb_discard_reply(c, p.netName.sequence);
        xcb_discard_reply(c, p.name.sequence);
        if (readUserData) xcb_discard_reply(c, p.user.sequence);
        continue;
      }
      WindowFacts facts;
      facts.window = p.window;
      facts.className = classPart(Display::readProperty(c, p.cls));
      const auto netName = Display::readProperty(c, p.netName);
      const auto name = Display::readProperty(c, p.name);
      facts.title = titleOf(netName, name, utf8).value_or(std::string());
      if (readUserData) facts.userData = firstWord(Display::readProperty(c, p.user));
      if (match(facts)) found = p.window;
    }
    if (found != 0) return found;
  }
  return 0;
}

std::optional<MotifHints> motifHints(WindowId window) {
  Session s;
  if (!s || window == 0) return std::nullopt;
  const auto p = s->property(window, s->atom("_MOTIF_WM_HINTS"));
  if (!p && !windowExists(window)) return std::nullopt;
  MotifHints hints{motif::kFunctionsFlag | motif::kDecorationsFlag, kSpelledFunctions,
                   kSpelledDecorations, 0, 0};
  if (p) {
    const auto words = p->words();
    const uint32_t flags = words.size() > 0 ? words[0] : 0;
    if ((flags & motif::kFunctionsFlag) != 0 && words.size() > 1) {
      hints[1] = spelled(words[1], motif::kFuncAll, kSpelledFunctions);
    }
    if ((flags & motif::kDecorationsFlag) != 0 && words.size() > 2) {
      hints[2] = spelled(words[2], motif::kDecorAll, kSpelledDecorations);
    }
    if (words.size() > 3) hints[3] = words[3];
    if (words.size() > 4) hints[4] = words[4];
    hints[0] = flags | motif::kFunctionsFlag | motif::kDecorationsFlag;
  }
  return hints;
}

bool setMotifHints(WindowId window, const MotifHints& hints) {
  Session s;
  if (!s || window == 0) return false;
  const xcb_atom_t atom = s->atom("_MOTIF_WM_HINTS");
  return s->setProperty(window, atom, atom, 32, hints.data(), 5);
}

WindowId activeWindow() {
  Session s;
  if (!s) return 0;
  return static_cast<WindowId>(firstWord(s->property(s->root(), s->atom("_NET_ACTIVE_WINDOW"))));
}

bool requestActivation(WindowId window) {
  Session s;
  if (!s || window == 0) return false;
  // Source 2: a pager-like request, which window managers honour at once.
  const uint32_t data[5] = {2, XCB_CURRENT_TIME, 0, 0, 0};
  return s->sendRootMessage(window, s->atom("_NET_ACTIVE_WINDOW"), data);
}

uint32_t windowProcess(WindowId window) {
  Session s;
  if (!s || window == 0) return 0;
  return static_cast<uint32_t>(firstWord(s->property(window, s->atom("_NET_WM_PID"))));
}

std::optional<SizeHints> normalHints(WindowId window) {
  Session s;
  if (!s || window == 0) return std::nullopt;
  const auto p = s->property(window, XCB_ATOM_WM_NORMAL_HINTS);
  if (!p && !windowExists(window)) return std::nullopt;
  SizeHints hints{};
  if (p) {
    const auto words = p->words();
    std::copy_n(words.begin(), std::min(words.size(), hints.size()), hints.begin());
  }
  return hints;
}

bool setNormalHints(WindowId window, const SizeHints& hints) {
  Session s;
  if (!s || window == 0) return false;
  return s->setProperty(window, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32, hints.data(),
                        static_cast<uint32_t>(hints.size()));
}

bool setWindowIcon(WindowId window, const std::vector<uint32_t>& data) {
  Session s;
  if (!s || window == 0) return false;
  return s->setProperty(window, s->atom("_NET_WM_ICON"), XCB_ATOM_CARDINAL, 32, data.data(),
                        static_cast<uint32_t>(data.size()));
}

bool setTransientFor(WindowId window, WindowId owner) {
  Session s;
  if (!s || window == 0) return false;
  return s->setProperty(window, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32, &owner, 1);
}

std::optional<std::pair<int, int>> pointerPosition() {
  Session s;
  if (!s) return std::nullopt;
  xcb_generic_error_t* error = nullptr;
  xcb_query_pointer_reply_t* reply = xcb_query_pointer_reply(
      s->connection(), xcb_query_pointer(s->connection(), s->root()), &error);
  std::free(error);
  if (reply == nullptr) return std::nullopt;
  std::pair<int, int> position{reply->root_x, reply->root_y};
  std::free(reply);
  return position;
}

}  // namespace qxvb::x11
