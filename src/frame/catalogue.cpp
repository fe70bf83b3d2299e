#include "frame/catalogue.h"

#include "frame/automation_error.h"
#include "frame/module_state.h"

namespace qxvb {

namespace {

bool sameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

[[noreturn]] void cannotCreate() {
  raiseVbError(vberr::CantCreateObject);
}

}  // namespace

Catalogue& Catalogue::instance() {
  static Catalogue catalogue = [] {
    Catalogue c;
    registerLibraryClasses(c);
    registerComponentClasses(c);
    registerPlatformClasses(c);
    return c;
  }();
  return catalogue;
}

void Catalogue::add(ClassInfo info) {
  classes_.push_back(std::move(info));
}

const ClassInfo* Catalogue::find(std::string_view progIdOrClsid) const {
  for (const auto& c : classes_) {
    if (sameText(c.progId, progIdOrClsid) || sameText(c.clsid, progIdOrClsid)) return &c;
  }
  return nullptr;
}

const ClassInfo* Catalogue::findByName(std::string_view className) const {
  for (const auto& c : classes_) {
    if (c.partOfLibrary && sameText(c.name, className)) return &c;
  }
  return nullptr;
}

const ClassInfo* Catalogue::findByInterface(std::string_view iid) const {
  for (const auto& c : classes_) {
    if (sameText(c.iid, iid)) return &c;
    for (const auto& alias : c.aliasIids) {
      if (sameText(alias, iid)) return &c;
    }
  }
  return nullptr;
}

Object createObject(std::string_view progIdOrClsid) {
  const ClassInfo* info = Catalogue::instance().find(progIdOrClsid);
  if (info == nullptr || info->instancing == Instancing::PublicNotCreatable || !info->factory) {
    cannotCreate();
  }
  if (info->partOfLibrary) ensureThreadLoaded();
  return info->factory();
}

Object createInternal(std::string_view className) {
  const ClassInfo* info = Catalogue::instance().findByName(className);
  if (info == nullptr || !info->factory) cannotCreate();
  ensureThreadLoaded();
  return info->factory();
}

Object globalInstance(std::string_view className) {
  const ClassInfo* info = Catalogue::instance().findByName(className);
  if (info == nullptr || info->instancing != Instancing::GlobalMultiUse) cannotCreate();
  ensureThreadLoaded();
  return sharedObject("global:" + info->name, [info] { return info->factory(); });
}

}  // namespace qxvb
