// QX_FindWindowByPrefixPostFix over 500 top-level windows of another
// client, on a private Xvfb, against the plain X11 loop doing the same
// work: each window's class and title read in turn, one round trip each.
// The window looked for is the last one, so both walk every window.
#include <benchmark/benchmark.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "frame/catalogue.h"
#include "frame/dispatch.h"
#include "support/x_server.h"

namespace {

using qxvb::Variant;

constexpr int kWindows = 500;

// The windows, made once over a connection of their own.
class Windows {
 public:
  Windows() {
    qxvb::test::sharedXServer();
    c_ = xcb_connect(nullptr, nullptr);
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    root_ = screen->root;
    const xcb_atom_t netName = atom("_NET_WM_NAME");
    const xcb_atom_t utf8 = atom("UTF8_STRING");
    for (int i = 0; i < kWindows; ++i) {
      const xcb_window_t w = xcb_generate_id(c_);
      xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, root_, 0, 0, 50, 50, 0,
                        XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
      const std::string cls =
          std::string("bench") + '\0' + "QuillaneFrame" + std::to_string(i) + '\0';
      xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                          static_cast<uint32_t>(cls.size()), cls.data());
      const std::string title = "Quillane window " + std::to_string(i);
      xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, netName, utf8, 8,
                          static_cast<uint32_t>(title.size()), title.data());
    }
    xcb_aux_sync();
  }
  ~Windows() { xcb_disconnect(c_); }
  xcb_connection_t* connection() const { return c_; }
  xcb_window_t root() const { return root_; }
  xcb_atom_t atom(const char* name) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
        c_, xcb_intern_atom(c_, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r->atom;
    std::free(r);
    return a;
  }

 private:
  void xcb_aux_sync() {
    std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
  }
  xcb_connection_t* c_;
  xcb_window_t root_;
};

Windows& windows() {
  static Windows w;
  return w;
}

const std::string kLastClassPostFix = "Frame" + std::to_string(kWindows - 1);

void FindWindowByPrefixPostFix(benchmark::State& state) {
  windows();
  auto utilities = qxvb::createObject("QXVBUtils.QXUtilities");
  for (auto _ : state) {
    const Variant found = utilities->call("QX_FindWindowByPrefixPostFix",
                                          {Variant(0), Variant(0), Variant("Quillane"),
                                           Variant(kLastClassPostFix), Variant("Quillane window")});
    if (found.isEmpty()) state.SkipWithError("window not found");
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(FindWindowByPrefixPostFix)->Unit(benchmark::kMillisecond);

std::string propertyText(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property) {
  xcb_get_property_reply_t* r = xcb_get_property_reply(
      c, xcb_get_property(c, 0, w, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr);
  std::string text;
  if (r != nullptr) {
    text.assign(static_cast<const char*>(xcb_get_property_value(r)),
                static_cast<size_t>(xcb_get_property_value_length(r)));
  }
  std::free(r);
  return text;
}

// The plain loop: the root's children, then for each its class and title.
void PlainX11Loop(benchmark::State& state) {
  Windows& ws = windows();
  xcb_connection_t* c = ws.connection();
  const xcb_atom_t netName = ws.atom("_NET_WM_NAME");
  for (auto _ : state) {
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, ws.root()), nullptr);
    const xcb_window_t* children = xcb_query_tree_children(tree);
    const int count = xcb_query_tree_children_length(tree);
    xcb_window_t found = 0;
    for (int i = 0; i < count && found == 0; ++i) {
      const std::string cls = propertyText(c, children[i], XCB_ATOM_WM_CLASS);
      std::string title = propertyText(c, children[i], netName);
      if (title.empty()) title = propertyText(c, children[i], XCB_ATOM_WM_NAME);
      const size_t nul = cls.find('\0');
      const std::string className = nul == std::string::npos
                                        ? std::string()
                                        : cls.substr(nul + 1, cls.find('\0', nul + 1) - nul - 1);
      if (title.rfind("Quillane window", 0) == 0 && className.rfind("Quillane", 0) == 0 &&
          className.size() >= kLastClassPostFix.size() &&
          className.compare(className.size() - kLastClassPostFix.size(), kLastClassPostFix.size(),
                            kLastClassPostFix) == 0) {
        found = children[i];
      }
    }
    std::free(tree);
    if (found == 0) state.SkipWithError("window not found");
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(PlainX11Loop)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
