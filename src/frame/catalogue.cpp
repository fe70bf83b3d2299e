#include "frame/catalogue.h"

#include "frame/automation_error.h"
#include "frame/module_state.h"
#include "platform/text/ascii.h"

namespace qxvb {

namespace {

[[noreturn]] void cannotCreate() {
  raiseVbError(vberr::CantCreateObject);
}

}  // namespace

Catalogue& Catalogue::instance() {
  static Catalogue catalogue = [] {
    Catalogue c;
    registerClassLists(c);
    return c;
  }();
  return catalogue;
}

void Catalogue::add(ClassInfo info) {
  classes_.push_back(std::move(info));
}

const ClassInfo* Catalogue::find(std::string_view progIdOrClsid) const {
  for (const auto& c : classes_) {
    if (ascii::equalsIgnoreCase(c.progId, progIdOrClsid) ||
        ascii::equalsIgnoreCase(c.clsid, progIdOrClsid))
      return &c;
  }
  return nullptr;
}

const ClassInfo* Catalogue::findByName(std::string_view className) const {
  for (const auto& c : classes_) {
    if (c.partOfLibrary && ascii::equalsIgnoreCase(c.name, className)) return &c;
  }
  return nullptr;
}

const ClassInfo* Catalogue::findByInterface(std::string_view iid) const {
  for (const auto& c : classes_) {
    if (ascii::equalsIgnoreCase(c.iid, iid)) return &c;
    for (const auto& alias : c.aliasIids) {
      if (ascii::equalsIgnoreCase(alias, iid)) return &c;
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
