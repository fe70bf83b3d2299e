#include "xml/dom_parse.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/valid.h>

#include <cstdarg>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <vector>

#include "platform/regular_file.h"
#include "xml/dom_handle.h"
#include "xml/dom_render.h"

namespace qxvb::xml {

namespace {

// Bounds of what a document and each external part of it may bring in.
constexpr std::size_t kDocumentLimit = std::size_t{512} << 20;
constexpr std::size_t kExternalLimit = std::size_t{64} << 20;

thread_local bool localExternalsAllowed = true;

bool isLocalUrl(const char* url) {
  if (url == nullptr) return false;
  const std::string text(url);
  if (text.rfind("file:", 0) == 0) return true;
  const size_t colon = text.find(':');
  const size_t slash = text.find('/');
  return colon == std::string::npos || (slash != std::string::npos && slash < colon);
}

// External DTDs, entities and schema parts: only for documents whose
// caller allows them, only local, and only regular files (a FIFO or device
// is refused without blocking), read whole within a bound.
xmlParserInputPtr refuseOrLoad(const char* url, const char*, xmlParserCtxtPtr context) {
  if (!localExternalsAllowed || !isLocalUrl(url) || context == nullptr) return nullptr;
  std::string local(url);
  if (local.rfind("file://", 0) == 0) {
    local.erase(0, 7);
  } else if (local.rfind("file:", 0) == 0) {
    local.erase(0, 5);
  }
  std::string bytes;
  if (platform::readRegularFile(local, bytes, kExternalLimit) != 0) return nullptr;
  xmlParserInputBufferPtr buffer = xmlParserInputBufferCreateMem(
      bytes.data(), static_cast<int>(bytes.size()), XML_CHAR_ENCODING_NONE);
  if (buffer == nullptr) return nullptr;
  xmlParserInputPtr input = xmlNewIOInputStream(context, buffer, XML_CHAR_ENCODING_NONE);
  if (input == nullptr) {
    xmlFreeParserInputBuffer(buffer);
    return nullptr;
  }
  // Relative references inside the loaded part resolve against its own name.
  input->filename = reinterpret_cast<const char*>(xmlStrdup(BAD_CAST local.c_str()));
  return input;
}

std::string lineOf(const std::string& text, int line) {
  size_t start = 0;
  for (int i = 1; i < line && start != std::string::npos; ++i) {
    start = text.find('\n', start);
    if (start != std::string::npos) ++start;
  }
  if (start == std::string::npos || start > text.size()) return std::string();
  size_t end = text.find('\n', start);
  std::string out = text.substr(start, end == std::string::npos ? end : end - start);
  if (!out.empty() && out.back() == '\r') out.pop_back();
  return out;
}

int32_t offsetOf(const std::string& text, int line, int column) {
  size_t start = 0;
  for (int i = 1; i < line && start != std::string::npos; ++i) {
    start = text.find('\n', start);
    if (start != std::string::npos) ++start;
  }
  if (start == std::string::npos) return 0;
  return static_cast<int32_t>(start) + (column > 0 ? column - 1 : 0);
}

ParseErrorInfo errorFrom(const ErrorCapture& capture, const std::string& text,
                         const std::string& url) {
  ParseErrorInfo info;
  info.url = url;
  info.errorCode = parserErrorCode(capture.hasError() ? capture.code() : XML_ERR_INTERNAL_ERROR);
  info.reason =
      (capture.hasError() ? capture.message() : std::string("The document is not valid."));
  info.reason += "\r\n";
  info.line = capture.line();
  info.linepos = capture.column();
  info.srcText = lineOf(text, capture.line());
  info.filepos = offsetOf(text, capture.line(), capture.column());
  return info;
}

ParseErrorInfo simpleError(int32_t code, const std::string& reason, const std::string& url) {
  ParseErrorInfo info;
  info.errorCode = code;
  info.reason = reason + "\r\n";
  info.url = url;
  return info;
}

bool startsWithDeclaration(const std::string& text) {
  size_t at = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
  return text.compare(at, 5, "<?xml") == 0 && text.size() > at + 5 && isXmlWhiteSpace(text[at + 5]);
}

// The declaration is a node of the document, as DOM callers see it, with
// its pseudo-attributes as written.
void addDeclarationNode(xmlDocPtr doc, const std::string& text) {
  const size_t start = text.find("<?xml") + 5;
  const size_t end = text.find("?>", start);
  if (end == std::string::npos) return;
  size_t first = start;
  while (first < end && isXmlWhiteSpace(text[first])) ++first;
  size_t last = end;
  while (last > first && isXmlWhiteSpace(text[last - 1])) --last;
  xmlNodePtr pi = xmlNewDocPI(doc, BAD_CAST "xml", xmlText(text.substr(first, last - first)));
  if (pi == nullptr) return;
  if (doc->children == nullptr) {
    xmlAddChild(reinterpret_cast<xmlNodePtr>(doc), pi);
  } else {
    xmlAddPrevSibling(doc->children, pi);
  }
}

bool isBlank(const xmlChar* content) {
  if (content == nullptr) return true;
  for (const xmlChar* p = content; *p != 0; ++p) {
    if (!isXmlWhiteSpace(static_cast<char>(*p))) return false;
  }
  return true;
}

void dropWhiteSpaceNodes(xmlDocPtr doc) {
  std::vector<xmlNodePtr> blanks;
  for (xmlNodePtr top = doc->children; top != nullptr; top = top->next) {
    if (top->type != XML_ELEMENT_NODE) continue;
    std::vector<xmlNodePtr> found;
    xmlNodePtr cur = top;
    // Iterative walk over the element's subtree.
    while (cur != nullptr) {
      if (cur->type == XML_TEXT_NODE && isBlank(cur->content) &&
          xmlNodeGetSpacePreserve(cur->parent) != 1) {
        blanks.push_back(cur);
      }
      if (cur->type == XML_ELEMENT_NODE && cur->children != nullptr) {
        cur = cur->children;
        continue;
      }
      while (cur != nullptr && cur != top && cur->next == nullptr) cur = cur->parent;
      if (cur == nullptr || cur == top) break;
      cur = cur->next;
    }
  }
  for (xmlNodePtr blank : blanks) {
    xmlUnlinkNode(blank);
    xmlFreeNode(blank);
  }
}

bool missesExternalSubset(xmlDocPtr doc) {
  return doc->intSubset != nullptr && doc->intSubset->SystemID != nullptr &&
         doc->extSubset == nullptr;
}

bool validate(xmlDocPtr doc) {
  xmlValidCtxtPtr context = xmlNewValidCtxt();
  if (context == nullptr) throw std::bad_alloc();
  const int ok = xmlValidateDocument(context, doc);
  xmlFreeValidCtxt(context);
  return ok == 1;
}

}  // namespace

int32_t parserErrorCode(int code) {
  return static_cast<int32_t>(0xC00C0000u | (static_cast<uint32_t>(code) & 0xFFFFu));
}

ErrorCapture::ErrorCapture()
    : savedStructured_(xmlStructuredError),
      savedStructuredContext_(xmlStructuredErrorContext),
      savedGeneric_(xmlGenericError),
      savedGenericContext_(xmlGenericErrorContext) {
  xmlSetStructuredErrorFunc(this, &ErrorCapture::onStructured);
  xmlSetGenericErrorFunc(this, &ErrorCapture::onGeneric);
}

ErrorCapture::~ErrorCapture() {
  xmlSetStructuredErrorFunc(savedStructuredContext_, savedStructured_);
  xmlSetGenericErrorFunc(savedGenericContext_, savedGeneric_);
}

void ErrorCapture::onStructured(void* self, xmlErrorPtr error) {
  auto* capture = static_cast<ErrorCapture*>(self);
  if (error == nullptr || error->level < XML_ERR_ERROR || capture->code_ != 0) return;
  capture->code_ = error->code != 0 ? error->code : XML_ERR_INTERNAL_ERROR;
  capture->line_ = error->line;
  capture->column_ = error->int2;
  capture->message_ = error->message != nullptr ? error->message : "";
  while (!capture->message_.empty() && isXmlWhiteSpace(capture->message_.back())) {
    capture->message_.pop_back();
  }
}

void ErrorCapture::onGeneric(void*, const char*, ...) {}

void installEntityLoader() {
  static std::once_flag once;
  std::call_once(once, [] {
    xmlInitParser();
    xmlSetExternalEntityLoader(&refuseOrLoad);
  });
}

LocalExternalsAllowed::LocalExternalsAllowed(bool allowed) : saved_(localExternalsAllowed) {
  localExternalsAllowed = allowed;
}

LocalExternalsAllowed::~LocalExternalsAllowed() {
  localExternalsAllowed = saved_;
}

ParseOutcome parseText(const std::string& text, const std::string& url, const LoadOptions& options,
                       TextSource source) {
  installEntityLoader();
  if (text.find('<') == std::string::npos) {
    ParseOutcome outcome;
    outcome.error = simpleError(parserErrorCode(XML_ERR_DOCUMENT_EMPTY),
                                "XML document must have a top level element.", url);
    return outcome;
  }
  const LocalExternalsAllowed externals(options.resolveExternals);
  ErrorCapture capture;
  ParseOutcome outcome;
  xmlParserCtxtPtr context = xmlNewParserCtxt();
  if (context == nullptr) throw std::bad_alloc();
  int flags = XML_PARSE_NONET | XML_PARSE_NODICT | XML_PARSE_NOENT;
  if (options.resolveExternals) flags |= XML_PARSE_DTDLOAD | XML_PARSE_DTDATTR;
  xmlDocPtr doc = xmlCtxtReadMemory(context, text.data(), static_cast<int>(text.size()),
                                    url.empty() ? nullptr : url.c_str(),
                                    source == TextSource::Utf8String ? "UTF-8" : nullptr, flags);
  const bool wellFormed = doc != nullptr && context->wellFormed != 0 && !capture.hasError();
  xmlFreeParserCtxt(context);
  if (!wellFormed) {
    xmlFreeDoc(doc);
    outcome.error = errorFrom(capture, text, url);
    return outcome;
  }
  if (options.resolveExternals && missesExternalSubset(doc)) {
    const std::string dtd = fromXml(doc->intSubset->SystemID);
    xmlFreeDoc(doc);
    outcome.error = simpleError(
        kResourceNotFound,
        "The system cannot locate the resource specified. Error processing resource '" + dtd + "'.",
        url);
    return outcome;
  }
  const bool hasDtd = doc->intSubset != nullptr || doc->extSubset != nullptr;
  const bool dtdComplete = options.resolveExternals || !missesExternalSubset(doc);
  if (options.validateOnParse && hasDtd && dtdComplete && !validate(doc)) {
    xmlFreeDoc(doc);
    outcome.error = errorFrom(capture, text, url);
    return outcome;
  }
  if (!options.preserveWhiteSpace) dropWhiteSpaceNodes(doc);
  if (startsWithDeclaration(text)) addDeclarationNode(doc, text);
  outcome.doc = doc;
  return outcome;
}

ParseOutcome parseFile(const std::string& path, const LoadOptions& options) {
  std::string local = path;
  if (local.rfind("file://", 0) == 0) local.erase(0, 7);
  if (!isLocalUrl(local.c_str())) {
    ParseOutcome outcome;
    outcome.error = simpleError(kResourceNotFound,
                                "The system cannot locate the resource specified. Only local "
                                "files can be loaded.",
                                path);
    return outcome;
  }
  std::error_code ec;
  if (local.empty() || !std::filesystem::exists(local, ec)) {
    ParseOutcome outcome;
    outcome.error =
        simpleError(kObjectNotFound, "The system cannot locate the object specified.", path);
    return outcome;
  }
  // Only a regular file is read, and within a bound.
  std::string bytes;
  if (platform::readRegularFile(local, bytes, kDocumentLimit) != 0) {
    ParseOutcome outcome;
    outcome.error = simpleError(kAccessDenied, "Access is denied.", path);
    return outcome;
  }
  return parseText(bytes, local, options, TextSource::FileBytes);
}

}  // namespace qxvb::xml
