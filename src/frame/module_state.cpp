#include "frame/module_state.h"

#include <dlfcn.h>

#include <memory>
#include <utility>
#include <vector>

#include "frame/catalogue.h"
#include "frame/dispatch.h"
#include "platform/text/ascii.h"

namespace qxvb {

namespace {

struct ModuleState {
  Object stringTable;
  bool stringTableInitialised = false;
  bool loading = false;
  // Creation order is kept so objects are released newest first.
  std::vector<std::pair<std::string, Object>> shared;
  std::vector<std::function<void()>> unloadHooks;

  ~ModuleState() { release(); }

  void release() {
    while (!shared.empty()) {
      // Move out first: a destructor may ask for other shared objects.
      Object last = std::move(shared.back().second);
      shared.pop_back();
      last.reset();
    }
    auto hooks = std::move(unloadHooks);
    unloadHooks.clear();
    for (auto& hook : hooks) hook();
    stringTable.reset();
    stringTableInitialised = false;
  }
};

ModuleState& state() {
  thread_local ModuleState s;
  return s;
}

}  // namespace

std::string libraryPath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&libraryPath), &info) == 0 || info.dli_fname == nullptr) {
    return {};
  }
  return info.dli_fname;
}

std::string libraryFolder() {
  const std::string path = libraryPath();
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string installedDataFolder() {
#ifdef QXVB_DATA_FROM_LIBRARY
  return libraryFolder() + "/" + QXVB_DATA_FROM_LIBRARY;
#else
  return {};
#endif
}

std::string stringTableFolderFor(std::string_view folder) {
  const size_t p = ascii::findIgnoreCase(folder, "/QXVBUtils");
  if (p == std::string_view::npos) return std::string(folder);
  // The folder up to and including the separator, then "win32/bin".
  return std::string(folder.substr(0, p + 1)) + "win32/bin";
}

bool threadLoaded() {
  return state().stringTableInitialised;
}

void ensureThreadLoaded() {
  ModuleState& s = state();
  if (s.stringTable || s.loading) return;
  s.loading = true;
  try {
    s.stringTable = createObject("QXXRes.Resource");
    if (!s.stringTableInitialised) {
      std::vector<Variant> args{Variant(stringTableFolderFor(libraryFolder()))};
      s.stringTable->invoke("SetStringtablePath", kMethod, args);
      s.stringTableInitialised = true;
    }
  } catch (...) {
    s.stringTable.reset();
    s.loading = false;
    throw;
  }
  s.loading = false;
}

void unloadThread() {
  state().release();
}

Object stringTableObject() {
  ensureThreadLoaded();
  return state().stringTable;
}

Object sharedObject(std::string_view key, const std::function<Object()>& create) {
  ModuleState& s = state();
  for (const auto& [name, object] : s.shared) {
    if (name == key) return object;
  }
  Object created = create();
  s.shared.emplace_back(std::string(key), created);
  return created;
}

void atThreadUnload(std::function<void()> hook) {
  state().unloadHooks.push_back(std::move(hook));
}

}  // namespace qxvb
