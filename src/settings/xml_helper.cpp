#include "settings/xml_helper.h"

#include "frame/automation_error.h"
#include "frame/module_state.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"
#include "xml/dom_lists.h"
#include "xml/dom_schema.h"

namespace qxvb {

namespace {

using xml::NodeRef;
using xml::XmlDocument;

constexpr int32_t kSchemaLoadFailed = 41147;
constexpr int32_t kDocumentLoadFailed = 41148;
constexpr int32_t kValidationError = 1;
constexpr std::string_view kValidateSource = "QX_XML_ValidateSchema";

XmlDocumentRef newSyncDocument(xml::DomVersion version = xml::DomVersion::V3) {
  XmlDocumentRef doc = XmlDocument::create(version);
  doc->async = false;
  return doc;
}

// Nothing is allowed; any other non-document raises 13.
XmlDocumentRef documentFrom(const Variant& value) {
  const Object object = CObj(value);
  if (!object) return nullptr;
  auto doc = std::dynamic_pointer_cast<XmlDocument>(object);
  if (!doc) raiseVbError(vberr::TypeMismatch);
  return doc;
}

XmlDocument& required(const XmlDocumentRef& doc) {
  if (!doc) raiseVbError(vberr::ObjectNotSet);
  return *doc;
}

xml::XmlNode& required(const NodeRef& node) {
  if (!node) raiseVbError(vberr::ObjectNotSet);
  return *node;
}

// A node without attributes has Nothing as its map.
std::shared_ptr<xml::XmlNamedNodeMap> attributesOf(const NodeRef& parent) {
  auto map = required(parent).attributes();
  if (!map) raiseVbError(vberr::ObjectNotSet);
  return map;
}

bool endsWithSeparator(const std::string& path) {
  return !path.empty() && path.back() == '/';
}

// The DTD file name after its folder; references written on either kind
// of system are understood.
std::string dtdFileName(const std::string& reference) {
  const size_t cut = reference.find_last_of("/\\");
  return cut == std::string::npos ? reference : reference.substr(cut + 1);
}

std::string rewrittenDoctype(const std::string& whole, const std::string& doctype,
                             const std::string& dtdPath) {
  const size_t at = whole.find(doctype);
  if (at == std::string::npos || doctype.empty()) raiseVbError(vberr::InvalidProcedureCall);
  return whole.substr(0, at) + "<!DOCTYPE QXMatrixContents SYSTEM \"" + dtdPath + "\">" +
         whole.substr(at + doctype.size());
}

[[noreturn]] void raiseValidation(const std::string& description) {
  raiseError(kValidationError, kValidateSource, description);
}

std::string formattedReason(int32_t templateId, const std::string& reason) {
  return formatLocalString(localString(templateId), Variant(reason));
}

}  // namespace

XmlDocumentRef QX_XMLHelper::QX_XML_OpenDomDoc(const std::string& v_strFile) {
  XmlDocumentRef doc = newSyncDocument();
  doc->setProperty("SelectionLanguage", Variant("XPath"));
  return doc->load(v_strFile) ? doc : nullptr;
}

NodeRef QX_XMLHelper::QX_XML_AddOrSetRoot(XmlDocumentRef& r_objDomDoc,
                                          const std::string& v_strRootNameIfAdding) {
  if (!r_objDomDoc) r_objDomDoc = newSyncDocument();
  NodeRef first = r_objDomDoc->childNodes()->item(0);
  if (first) return first;
  return r_objDomDoc->appendChild(r_objDomDoc->createElement(v_strRootNameIfAdding));
}

NodeRef QX_XMLHelper::QX_XML_AddNode(const XmlDocumentRef& r_objDomDoc, const NodeRef& r_objParent,
                                     const std::string& v_strName) {
  NodeRef element = required(r_objDomDoc).createElement(v_strName);
  return required(r_objParent).appendChild(element);
}

NodeRef QX_XMLHelper::QX_XML_AddOrSetNode(const XmlDocumentRef& r_objDomDoc,
                                          const NodeRef& r_objParent,
                                          const std::string& v_strName) {
  NodeRef found = required(r_objParent).selectSingleNode(v_strName);
  return found ? found : QX_XML_AddNode(r_objDomDoc, r_objParent, v_strName);
}

void QX_XMLHelper::QX_XML_DeleteNode(const XmlDocumentRef&, const NodeRef& r_objParent,
                                     const std::string& v_strName) {
  try {
    NodeRef found = required(r_objParent).selectSingleNode(v_strName);
    if (found) r_objParent->removeChild(found);
  } catch (const std::exception&) {
    // Deleting is best effort: a missing or unreachable node stays as it is.
  }
}

NodeRef QX_XMLHelper::QX_XML_AddAttribute(const XmlDocumentRef& r_objDomDoc,
                                          const NodeRef& r_objParent, const std::string& v_strName,
                                          const std::string& v_strValue) {
  NodeRef attribute = required(r_objDomDoc).createAttribute(v_strName);
  attribute->setText(v_strValue);
  attributesOf(r_objParent)->setNamedItem(attribute);
  return attribute;
}

NodeRef QX_XMLHelper::QX_XML_AddOrSetAttribute(const XmlDocumentRef& r_objDomDoc,
                                               const NodeRef& r_objParent,
                                               const std::string& v_strName,
                                               const std::string& v_strValue) {
  NodeRef existing = attributesOf(r_objParent)->getNamedItem(v_strName);
  if (!existing) return QX_XML_AddAttribute(r_objDomDoc, r_objParent, v_strName, v_strValue);
  existing->setText(v_strValue);
  return existing;
}

void QX_XMLHelper::QX_XML_DeleteAttribute(const XmlDocumentRef&, const NodeRef& r_objParent,
                                          const std::string& v_strName) {
  try {
    const auto map = attributesOf(r_objParent);
    if (map->getNamedItem(v_strName)) map->removeNamedItem(v_strName);
  } catch (const std::exception&) {
    // Deleting is best effort: a missing attribute stays missing.
  }
}

bool QX_XMLHelper::QX_XML_LoadDocwithDTDPathFix(XmlDocumentRef& objXMLDoc,
                                                const std::string& v_strXMLFile,
                                                const std::string& v_strNewDTDPathIfNeeded) {
  required(objXMLDoc).async = false;
  bool loaded = objXMLDoc->load(v_strXMLFile);
  if (!loaded) {
    XmlDocumentRef relaxed = newSyncDocument();
    relaxed->resolveExternals = false;
    relaxed->validateOnParse = false;
    objXMLDoc = relaxed;
    if (!relaxed->load(v_strXMLFile)) return false;

    const std::string whole = relaxed->xml();
    NodeRef doctype = relaxed->doctype();
    const std::string doctypeXml = required(doctype).xml();
    NodeRef system = required(doctype).attributes()->getNamedItem("SYSTEM");
    std::string dtd = required(system).text();
    relaxed.reset();

    std::string folder = v_strNewDTDPathIfNeeded;
    if (!endsWithSeparator(folder)) folder += '/';
    dtd = folder + dtdFileName(dtd);

    // The rewritten text is stored as it is: its new DTD is checked by the
    // final load, and a failed parse here never empties the file.
    XmlDocumentRef fixed = newSyncDocument();
    fixed->resolveExternals = false;
    fixed->validateOnParse = false;
    fixed->setPreserveWhiteSpace(true);
    if (fixed->loadXML(rewrittenDoctype(whole, doctypeXml, dtd))) fixed->save(v_strXMLFile);

    objXMLDoc = newSyncDocument();
    loaded = objXMLDoc->load(v_strXMLFile);
  }
  if (loaded) objXMLDoc->setProperty("SelectionLanguage", Variant("XPath"));
  return loaded;
}

bool QX_XMLHelper::QX_XML_ValidateSchema(const std::string& strXMLPath,
                                         const std::string& strXSDPath) {
  XmlDocumentRef schema = newSyncDocument(xml::DomVersion::V6);
  if (!schema->load(strXSDPath)) {
    raiseValidation(formattedReason(kSchemaLoadFailed, schema->lastError().reason));
  }
  std::string targetNamespace;
  if (auto root = std::dynamic_pointer_cast<xml::XmlElement>(schema->documentElement())) {
    const Variant value = root->getAttribute("targetNamespace");
    if (!value.isNull()) targetNamespace = CStr(value);
  }
  auto cache = std::make_shared<xml::XmlSchemaCache>();
  try {
    cache->add(targetNamespace, Variant(Object(schema)));
  } catch (const AutomationError& e) {
    raiseValidation(formattedReason(kSchemaLoadFailed, e.description()));
  }

  XmlDocumentRef instance = newSyncDocument(xml::DomVersion::V6);
  instance->validateOnParse = false;
  instance->resolveExternals = false;
  if (!instance->load(strXMLPath)) {
    raiseValidation(formattedReason(kDocumentLoadFailed, instance->lastError().reason));
  }
  instance->setSchemas(Variant(Object(cache)));
  const auto result = instance->validate();
  if (result->info().errorCode == 0) return true;
  raiseValidation(result->info().reason);
}

const DispatchTable& QX_XMLHelper::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("QX_XMLHelper");
    using H = QX_XMLHelper;
    const auto node = [](const CallArgs& a, size_t i) { return xml::XmlNode::fromVariant(a[i]); };
    Members<H>(t)
        .method("QX_XML_OpenDomDoc", {in("v_strFile")},
                [](H& h, CallArgs& a) { return xml::asVariant(h.QX_XML_OpenDomDoc(a.str(0))); })
        .method("QX_XML_AddOrSetRoot", {ref("r_objDomDoc"), opt("v_strRootNameIfAdding", "ROOT")},
                [](H& h, CallArgs& a) {
                  XmlDocumentRef doc = documentFrom(a[0]);
                  NodeRef root = h.QX_XML_AddOrSetRoot(doc, a.str(1));
                  a.set(0, xml::asVariant(doc));
                  return xml::asVariant(root);
                })
        .method("QX_XML_AddNode", {ref("r_objDomDoc"), ref("r_objParent"), in("v_strName")},
                [node](H& h, CallArgs& a) {
                  return xml::asVariant(h.QX_XML_AddNode(documentFrom(a[0]), node(a, 1), a.str(2)));
                })
        .method("QX_XML_AddOrSetNode", {ref("r_objDomDoc"), ref("r_objParent"), in("v_strName")},
                [node](H& h, CallArgs& a) {
                  return xml::asVariant(
                      h.QX_XML_AddOrSetNode(documentFrom(a[0]), node(a, 1), a.str(2)));
                })
        .method("QX_XML_DeleteNode", {ref("r_objDomDoc"), ref("r_objParent"), in("v_strName")},
                [](H& h, CallArgs& a) {
                  try {
                    h.QX_XML_DeleteNode(documentFrom(a[0]), xml::XmlNode::fromVariant(a[1]),
                                        a.str(2));
                  } catch (const std::exception&) {
                    // Failures of a delete are ignored, bad arguments included.
                  }
                  return Variant();
                })
        .method("QX_XML_AddAttribute",
                {ref("r_objDomDoc"), ref("r_objParent"), in("v_strName"), in("v_strValue")},
                [node](H& h, CallArgs& a) {
                  return xml::asVariant(
                      h.QX_XML_AddAttribute(documentFrom(a[0]), node(a, 1), a.str(2), a.str(3)));
                })
        .method("QX_XML_AddOrSetAttribute",
                {ref("r_objDomDoc"), ref("r_objParent"), in("v_strName"), in("v_strValue")},
                [node](H& h, CallArgs& a) {
                  return xml::asVariant(h.QX_XML_AddOrSetAttribute(documentFrom(a[0]), node(a, 1),
                                                                   a.str(2), a.str(3)));
                })
        .method("QX_XML_DeleteAttribute", {ref("r_objDomDoc"), ref("r_objParent"), in("v_strName")},
                [](H& h, CallArgs& a) {
                  try {
                    h.QX_XML_DeleteAttribute(documentFrom(a[0]), xml::XmlNode::fromVariant(a[1]),
                                             a.str(2));
                  } catch (const std::exception&) {
                    // Failures of a delete are ignored, bad arguments included.
                  }
                  return Variant();
                })
        .method("QX_XML_LoadDocwithDTDPathFix",
                {ref("objXMLDoc"), in("v_strXMLFile"), in("v_strNewDTDPathIfNeeded")},
                [](H& h, CallArgs& a) {
                  XmlDocumentRef doc = documentFrom(a[0]);
                  bool loaded = false;
                  try {
                    loaded = h.QX_XML_LoadDocwithDTDPathFix(doc, a.str(1), a.str(2));
                  } catch (...) {
                    a.set(0, xml::asVariant(doc));
                    throw;
                  }
                  a.set(0, xml::asVariant(doc));
                  return Variant(loaded);
                })
        .method<&H::QX_XML_ValidateSchema>("QX_XML_ValidateSchema",
                                           {in("strXMLPath"), in("strXSDPath")});
    return t;
  }();
  return table;
}

Object makeQX_XMLHelper() {
  return std::make_shared<QX_XMLHelper>();
}

std::shared_ptr<QX_XMLHelper> sharedXmlHelper() {
  return std::static_pointer_cast<QX_XMLHelper>(
      sharedObject("QX_XMLHelper", [] { return makeQX_XMLHelper(); }));
}

}  // namespace qxvb
