#include "xml/dom_schema.h"

#include <new>

#include "frame/vb_conversions.h"
#include "xml/dom_document.h"
#include "xml/dom_errors.h"

namespace qxvb::xml {

namespace {

void freeEntry(xmlDocPtr source, xmlSchemaPtr schema) {
  if (schema != nullptr) xmlSchemaFree(schema);
  if (source != nullptr) xmlFreeDoc(source);
}

}  // namespace

XmlSchemaCache::~XmlSchemaCache() {
  for (const Entry& e : entries_) freeEntry(e.source, e.schema);
}

void XmlSchemaCache::add(const std::string& namespaceUri, const Variant& schema) {
  if (schema.type() == VarType::Object) {
    auto document = std::dynamic_pointer_cast<XmlDocument>(CObj(schema));
    if (!document) raiseDomError("The schema must be given as a document or a file.");
    xmlDocPtr copy = xmlCopyDoc(document->handle()->doc(), 1);
    if (copy == nullptr) throw std::bad_alloc();
    compile(namespaceUri, copy);
    return;
  }
  const std::string path = CStr(schema);
  LoadOptions options;
  options.resolveExternals = false;
  options.validateOnParse = false;
  options.preserveWhiteSpace = true;
  ParseOutcome outcome = parseFile(path, options);
  if (outcome.doc == nullptr) raiseDomError(outcome.error.reason);
  compile(namespaceUri, outcome.doc);
}

void XmlSchemaCache::compile(const std::string& namespaceUri, xmlDocPtr source) {
  installEntityLoader();
  // Included and imported schemas may come from local files only.
  const LocalExternalsAllowed externals(true);
  ErrorCapture capture;
  xmlSchemaParserCtxtPtr parser = xmlSchemaNewDocParserCtxt(source);
  if (parser == nullptr) {
    xmlFreeDoc(source);
    throw std::bad_alloc();
  }
  xmlSchemaPtr schema = xmlSchemaParse(parser);
  xmlSchemaFreeParserCtxt(parser);
  if (schema == nullptr) {
    xmlFreeDoc(source);
    raiseDomError(capture.hasError() ? capture.message() : "The schema is not valid.");
  }
  for (Entry& e : entries_) {
    if (e.namespaceUri == namespaceUri) {
      freeEntry(e.source, e.schema);
      e.source = source;
      e.schema = schema;
      return;
    }
  }
  entries_.push_back(Entry{namespaceUri, source, schema});
}

std::string XmlSchemaCache::namespaceURI(int32_t index) const {
  if (index < 0 || index >= length()) raiseDomError("The index is out of range.");
  return entries_[static_cast<size_t>(index)].namespaceUri;
}

const XmlSchemaCache::Entry* XmlSchemaCache::schemaFor(xmlDocPtr doc) const {
  xmlNodePtr root = xmlDocGetRootElement(doc);
  const std::string ns =
      root != nullptr && root->ns != nullptr ? fromXml(root->ns->href) : std::string();
  for (const Entry& e : entries_) {
    if (e.namespaceUri == ns) return &e;
  }
  return nullptr;
}

ParseErrorInfo XmlSchemaCache::validate(xmlDocPtr doc) const {
  ParseErrorInfo info;
  const Entry* entry = schemaFor(doc);
  if (entry == nullptr) {
    info.errorCode = parserErrorCode(XML_SCHEMAV_CVC_ELT_1);
    info.reason = "The root element has no schema in the schema cache.\r\n";
    return info;
  }
  ErrorCapture capture;
  xmlSchemaValidCtxtPtr context = xmlSchemaNewValidCtxt(entry->schema);
  if (context == nullptr) throw std::bad_alloc();
  const int result = xmlSchemaValidateDoc(context, doc);
  xmlSchemaFreeValidCtxt(context);
  if (result == 0) return info;
  info.errorCode = parserErrorCode(capture.hasError() ? capture.code() : result);
  info.reason =
      (capture.hasError() ? capture.message() : std::string("The document is not valid.")) + "\r\n";
  info.line = capture.line();
  info.linepos = capture.column();
  return info;
}

const DispatchTable& XmlSchemaCache::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("IXMLDOMSchemaCollection2");
    Members<XmlSchemaCache>(t)
        .method<&XmlSchemaCache::add>("add", {in("namespaceURI"), in("var")})
        .get<&XmlSchemaCache::length>("length", {})
        .get<&XmlSchemaCache::namespaceURI>("namespaceURI", {in("index")});
    return t;
  }();
  return table;
}

}  // namespace qxvb::xml
