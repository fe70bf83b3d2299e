#include "xml/dom_document.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "frame/automation_error.h"
#include "frame/vb_conversions.h"
#include "platform/atomic_file.h"
#include "platform/text/ascii.h"
#include "xml/dom_errors.h"
#include "xml/dom_lists.h"
#include "xml/dom_render.h"
#include "xml/dom_schema.h"
#include "xml/dom_tree.h"
#include "xml/dom_xpath.h"

namespace qxvb::xml {

namespace {

constexpr int32_t kPathNotFound = static_cast<int32_t>(0x80070003);

// Properties a document accepts and then ignores: nothing here depends on them.
bool isIgnoredProperty(const std::string& name) {
  for (const char* ignored :
       {"ProhibitDTD", "NewParser", "ServerHTTPRequest", "AllowDocumentFunction", "AllowXsltScript",
        "ResolveExternals", "MaxElementDepth"}) {
    if (ascii::equalsIgnoreCase(name, ignored)) return true;
  }
  return false;
}

DocRef newHandle(xmlDocPtr doc = nullptr) {
  return std::make_shared<DocHandle>(doc);
}

// Writes bytes as the whole file at path through the platform's atomic
// writer: a failed write never leaves a partial file, links planted at the
// name are replaced rather than followed, and a rewrite keeps the mode.
void writeWhole(const std::string& path, const std::string& bytes) {
  const int error = platform::writeFileAtomically(path, bytes);
  if (error == 0) return;
  if (error == ENOENT || error == ENOTDIR) {
    raiseError(kPathNotFound, kDomSource, "The system cannot find the path specified.\r\n");
  }
  if (error == ENOSPC || error == EDQUOT || error == EIO) {
    raiseError(kAccessDenied, kDomSource, "The file could not be written.\r\n");
  }
  raiseError(kAccessDenied, kDomSource, "Access is denied.\r\n");
}

}  // namespace

XmlDocument::XmlDocument(DomVersion version, const DocRef& handle)
    : XmlNode(handle ? handle : newHandle(), nullptr), version_(version) {
  rebind(this->handle(), reinterpret_cast<xmlNodePtr>(this->handle()->doc()));
  resolveExternals = version == DomVersion::V3;
  selectionLanguage_ = version == DomVersion::V3 ? "XSLPattern" : "XPath";
}

std::shared_ptr<XmlDocument> XmlDocument::create(DomVersion version) {
  auto document = std::make_shared<XmlDocument>(version);
  document->handle()->owner = document;
  return document;
}

std::shared_ptr<XmlDocument> XmlDocument::forHandle(const DocRef& handle) {
  if (auto existing = handle->owner.lock()) return existing;
  auto document = std::make_shared<XmlDocument>(DomVersion::V3, handle);
  handle->owner = document;
  return document;
}

LoadOptions XmlDocument::loadOptions() const {
  LoadOptions options;
  options.resolveExternals = resolveExternals;
  options.validateOnParse = validateOnParse;
  options.preserveWhiteSpace = preserveWhiteSpace();
  return options;
}

bool XmlDocument::finishLoad(ParseOutcome outcome, const std::string& url) {
  // Node objects of the old content keep the old document alive; this
  // object moves on to the new one (an empty one when loading failed).
  DocRef old = handle();
  DocRef fresh = newHandle(outcome.doc);
  fresh->preserveWhiteSpace = old->preserveWhiteSpace;
  fresh->selectionNamespaces = old->selectionNamespaces;
  fresh->owner = std::static_pointer_cast<XmlDocument>(weak_from_this().lock());
  rebind(fresh, reinterpret_cast<xmlNodePtr>(fresh->doc()));
  lastError_ = std::move(outcome.error);
  url_ = outcome.doc != nullptr ? url : std::string();
  return outcome.doc != nullptr;
}

bool XmlDocument::load(const std::string& path) {
  return finishLoad(parseFile(path, loadOptions()), path);
}

bool XmlDocument::loadXML(const std::string& text) {
  return finishLoad(parseText(text, std::string(), loadOptions()), std::string());
}

void XmlDocument::save(const std::string& path) const {
  if (path.empty())
    raiseError(kPathNotFound, kDomSource, "The system cannot find the path specified.\r\n");
  writeWhole(path, renderForSave(handle()->doc()));
}

std::shared_ptr<XmlParseError> XmlDocument::parseError() const {
  return std::make_shared<XmlParseError>(lastError_);
}

NodeRef XmlDocument::documentElement() const {
  return wrap(handle(), xmlDocGetRootElement(handle()->doc()));
}

void XmlDocument::setDocumentElement(const NodeRef& element) {
  if (!element || !isElement(element->raw())) raiseDomError("Invalid pointer.");
  NodeRef current = documentElement();
  if (current) {
    replaceChild(element, current);
  } else {
    appendChild(element);
  }
}

NodeRef XmlDocument::doctype() const {
  for (xmlNodePtr c = handle()->doc()->children; c != nullptr; c = c->next) {
    if (c->type == XML_DTD_NODE) return wrap(handle(), c);
  }
  return nullptr;
}

NodeRef XmlDocument::createElement(const std::string& name) {
  return wrap(handle(), newElement(*handle(), name));
}

NodeRef XmlDocument::createAttribute(const std::string& name) {
  return wrap(handle(), reinterpret_cast<xmlNodePtr>(newAttribute(*handle(), name)));
}

NodeRef XmlDocument::createTextNode(const std::string& text) {
  return wrap(handle(), newTextNode(*handle(), text));
}

NodeRef XmlDocument::createComment(const std::string& text) {
  xmlNodePtr node = xmlNewDocComment(handle()->doc(), xmlText(text));
  if (node == nullptr) throw std::bad_alloc();
  handle()->keepDetached(node);
  return wrap(handle(), node);
}

NodeRef XmlDocument::createCDATASection(const std::string& text) {
  xmlNodePtr node = xmlNewCDataBlock(handle()->doc(), xmlText(text), static_cast<int>(text.size()));
  if (node == nullptr) throw std::bad_alloc();
  handle()->keepDetached(node);
  return wrap(handle(), node);
}

NodeRef XmlDocument::createProcessingInstruction(const std::string& target,
                                                 const std::string& data) {
  checkName(target);
  xmlNodePtr node = xmlNewDocPI(handle()->doc(), xmlText(target), xmlText(data));
  if (node == nullptr) throw std::bad_alloc();
  handle()->keepDetached(node);
  return wrap(handle(), node);
}

NodeRef XmlDocument::cloneNode(bool deep) const {
  auto copy = create(version_);
  copy->async = async;
  copy->validateOnParse = validateOnParse;
  copy->resolveExternals = resolveExternals;
  copy->selectionLanguage_ = selectionLanguage_;
  copy->selectionNamespacesText_ = selectionNamespacesText_;
  DocRef fresh = newHandle(xmlCopyDoc(handle()->doc(), deep ? 1 : 0));
  fresh->preserveWhiteSpace = handle()->preserveWhiteSpace;
  fresh->selectionNamespaces = handle()->selectionNamespaces;
  fresh->owner = copy;
  copy->rebind(fresh, reinterpret_cast<xmlNodePtr>(fresh->doc()));
  return copy;
}

bool XmlDocument::preserveWhiteSpace() const {
  return handle()->preserveWhiteSpace;
}
void XmlDocument::setPreserveWhiteSpace(bool value) {
  handle()->preserveWhiteSpace = value;
}

void XmlDocument::setProperty(const std::string& name, const Variant& value) {
  if (ascii::equalsIgnoreCase(name, "SelectionLanguage")) {
    const std::string language = CStr(value);
    if (!ascii::equalsIgnoreCase(language, "XPath") &&
        !ascii::equalsIgnoreCase(language, "XSLPattern")) {
      raiseDomError("SelectionLanguage property value is invalid.");
    }
    selectionLanguage_ = language;
  } else if (ascii::equalsIgnoreCase(name, "SelectionNamespaces")) {
    const std::string text = CStr(value);
    handle()->selectionNamespaces = parseSelectionNamespaces(text);
    selectionNamespacesText_ = text;
  } else if (!isIgnoredProperty(name)) {
    raiseDomError("Property name is invalid.");
  }
}

Variant XmlDocument::getProperty(const std::string& name) const {
  if (ascii::equalsIgnoreCase(name, "SelectionLanguage")) return Variant(selectionLanguage_);
  if (ascii::equalsIgnoreCase(name, "SelectionNamespaces")) {
    return Variant(selectionNamespacesText_);
  }
  raiseDomError("Property name is invalid.");
}

void XmlDocument::setSchemas(const Variant& cache) {
  const Object object = CObj(cache);
  if (!object) {
    schemas_.reset();
    return;
  }
  schemas_ = std::dynamic_pointer_cast<XmlSchemaCache>(object);
  if (!schemas_) raiseVbError(vberr::TypeMismatch);
}

Variant XmlDocument::schemas() const {
  return asVariant(schemas_);
}

std::shared_ptr<XmlParseError> XmlDocument::validate() {
  ParseErrorInfo info;
  if (xmlDocGetRootElement(handle()->doc()) == nullptr) {
    info.errorCode = parserErrorCode(XML_ERR_DOCUMENT_EMPTY);
    info.reason = "The document has no document element.\r\n";
  } else if (schemas_) {
    info = schemas_->validate(handle()->doc());
  } else {
    info.errorCode = parserErrorCode(XML_SCHEMAV_CVC_ELT_1);
    info.reason = "There is no schema to validate the document against.\r\n";
  }
  lastError_ = info;
  return std::make_shared<XmlParseError>(std::move(info));
}

const DispatchTable& XmlParseError::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("IXMLDOMParseError");
    Members<XmlParseError>(t)
        .get("errorCode", {},
             [](XmlParseError& e, CallArgs&) { return Variant(e.info().errorCode); })
        .get("reason", {}, [](XmlParseError& e, CallArgs&) { return Variant(e.info().reason); })
        .get("url", {}, [](XmlParseError& e, CallArgs&) { return Variant(e.info().url); })
        .get("srcText", {}, [](XmlParseError& e, CallArgs&) { return Variant(e.info().srcText); })
        .get("line", {}, [](XmlParseError& e, CallArgs&) { return Variant(e.info().line); })
        .get("linepos", {}, [](XmlParseError& e, CallArgs&) { return Variant(e.info().linepos); })
        .get("filepos", {}, [](XmlParseError& e, CallArgs&) { return Variant(e.info().filepos); });
    return t;
  }();
  return table;
}

namespace {

Members<XmlDocument>& addFlag(Members<XmlDocument>& m, const char* name, bool XmlDocument::*field) {
  return m.get(name, {}, [field](XmlDocument& d, CallArgs&) { return Variant(d.*field); })
      .put(name, {in("value")}, [field](XmlDocument& d, CallArgs& a) {
        d.*field = a.boolean(0);
        return Variant();
      });
}

void addCreators(Members<XmlDocument>& m) {
  m.method("createElement", {in("tagName")},
           [](XmlDocument& d, CallArgs& a) { return asVariant(d.createElement(a.str(0))); })
      .method("createAttribute", {in("name")},
              [](XmlDocument& d, CallArgs& a) { return asVariant(d.createAttribute(a.str(0))); })
      .method("createTextNode", {in("data")},
              [](XmlDocument& d, CallArgs& a) { return asVariant(d.createTextNode(a.str(0))); })
      .method("createComment", {in("data")},
              [](XmlDocument& d, CallArgs& a) { return asVariant(d.createComment(a.str(0))); })
      .method("createCDATASection", {in("data")},
              [](XmlDocument& d, CallArgs& a) { return asVariant(d.createCDATASection(a.str(0))); })
      .method("createProcessingInstruction", {in("target"), in("data")},
              [](XmlDocument& d, CallArgs& a) {
                return asVariant(d.createProcessingInstruction(a.str(0), a.str(1)));
              });
}

}  // namespace

const DispatchTable& XmlDocument::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("IXMLDOMDocument2");
    addNodeMembers(t);
    Members<XmlDocument> m(t);
    addCreators(m);
    addFlag(m, "async", &XmlDocument::async);
    addFlag(m, "validateOnParse", &XmlDocument::validateOnParse);
    addFlag(m, "resolveExternals", &XmlDocument::resolveExternals);
    m.get<&XmlDocument::preserveWhiteSpace>("preserveWhiteSpace", {})
        .put<&XmlDocument::setPreserveWhiteSpace>("preserveWhiteSpace", {in("value")})
        .method<&XmlDocument::load>("load", {in("xmlSource")})
        .method<&XmlDocument::loadXML>("loadXML", {in("bstrXML")})
        .method<&XmlDocument::save>("save", {in("destination")})
        .get<&XmlDocument::parseError>("parseError", {})
        .get("documentElement", {},
             [](XmlDocument& d, CallArgs&) { return asVariant(d.documentElement()); })
        .putRef("documentElement", {in("value")},
                [](XmlDocument& d, CallArgs& a) {
                  d.setDocumentElement(XmlNode::fromVariant(a[0]));
                  return Variant();
                })
        .get("doctype", {}, [](XmlDocument& d, CallArgs&) { return asVariant(d.doctype()); })
        .get<&XmlDocument::url>("url", {})
        .method("getElementsByTagName", {in("tagName")},
                [](XmlDocument& d, CallArgs& a) {
                  return asVariant(elementsByTagName(d.handle(), d.raw(), a.str(0)));
                })
        .method<&XmlDocument::setProperty>("setProperty", {in("name"), in("value")})
        .method<&XmlDocument::getProperty>("getProperty", {in("name")})
        .get<&XmlDocument::schemas>("schemas", {})
        .putRef<&XmlDocument::setSchemas>("schemas", {in("value")})
        .method<&XmlDocument::validate>("validate", {});
    return t;
  }();
  return table;
}

}  // namespace qxvb::xml
