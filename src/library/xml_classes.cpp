#include <functional>
#include <memory>

#include "frame/catalogue.h"
#include "library/class_lists.h"
#include "xml/dom_document.h"
#include "xml/dom_schema.h"

namespace qxvb {

namespace {

constexpr const char* kDocumentIid = "{2933BF95-7B36-11D2-B20E-00C04F983E60}";
constexpr const char* kSchemaCacheIid = "{50EA08B0-DD1B-4664-9A50-C2F40F4BD79A}";

void addComponent(Catalogue& catalogue, const char* name, const char* progId, const char* clsid,
                  const char* iid, std::function<Object()> factory) {
  ClassInfo info;
  info.name = name;
  info.progId = progId;
  info.clsid = clsid;
  info.iid = iid;
  info.instancing = Instancing::MultiUse;
  info.factory = std::move(factory);
  info.partOfLibrary = false;
  catalogue.add(std::move(info));
}

Object makeDocument3() {
  return xml::XmlDocument::create(xml::DomVersion::V3);
}
Object makeDocument6() {
  return xml::XmlDocument::create(xml::DomVersion::V6);
}
Object makeSchemaCache() {
  return std::make_shared<xml::XmlSchemaCache>();
}

}  // namespace

void registerXmlClasses(Catalogue& catalogue) {
  addComponent(catalogue, "DOMDocument", "MSXML2.DOMDocument",
               "{F6D90F11-9C73-11D3-B32E-00C04F990BB4}", kDocumentIid, makeDocument3);
  addComponent(catalogue, "DOMDocument30", "MSXML2.DOMDocument.3.0",
               "{F5078F32-C551-11D3-89B9-0000F81FE221}", kDocumentIid, makeDocument3);
  addComponent(catalogue, "DOMDocument60", "MSXML2.DOMDocument.6.0",
               "{88D96A05-F192-11D4-A65F-0040963251E5}", kDocumentIid, makeDocument6);
  addComponent(catalogue, "XMLSchemaCache60", "MSXML2.XMLSchemaCache.6.0",
               "{88D96A07-F192-11D4-A65F-0040963251E5}", kSchemaCacheIid, makeSchemaCache);
}

}  // namespace qxvb
