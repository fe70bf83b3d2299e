// The product's outside components the library calls, registered under the
// product's ProgIDs so that the real components can take their place.
#include "components/qxdutils/qxdutils_component.h"
#include "components/qxxres/string_table_resource.h"
#include "frame/catalogue.h"
#include "settings/xml/xml_classes.h"

namespace qxvb {

namespace {
ClassInfo component(const char* name, const char* progId, Object (*factory)()) {
  ClassInfo info;
  info.name = name;
  info.progId = progId;
  info.instancing = Instancing::MultiUse;
  info.factory = factory;
  info.partOfLibrary = false;
  return info;
}
}  // namespace

void registerComponentClasses(Catalogue& catalogue) {
  catalogue.add(component("Resource", "QXXRes.Resource", qxxres::makeStringTableResource));
  catalogue.add(component("Utils", "QXDUTILS.Utils", qxdutils::makeQXDUtilsComponent));
  registerXmlClasses(catalogue);
}

}  // namespace qxvb
