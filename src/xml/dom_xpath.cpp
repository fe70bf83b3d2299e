#include "xml/dom_xpath.h"

#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <new>

#include "xml/dom_errors.h"
#include "xml/dom_parse.h"
#include "xml/dom_render.h"

namespace qxvb::xml {

namespace {

bool isTreeNode(xmlNodePtr node) {
  return node != nullptr && node->type != XML_NAMESPACE_DECL;
}

struct XPathContext {
  xmlXPathContextPtr context;
  explicit XPathContext(xmlDocPtr doc) : context(xmlXPathNewContext(doc)) {
    if (context == nullptr) throw std::bad_alloc();
  }
  ~XPathContext() { xmlXPathFreeContext(context); }
  XPathContext(const XPathContext&) = delete;
  XPathContext& operator=(const XPathContext&) = delete;
};

struct XPathResult {
  xmlXPathObjectPtr value;
  ~XPathResult() { xmlXPathFreeObject(value); }
};

}  // namespace

std::vector<xmlNodePtr> selectNodes(const DocHandle& handle, xmlNodePtr context,
                                    const std::string& expression) {
  ErrorCapture capture;
  XPathContext xpath(handle.doc());
  xpath.context->node = context;
  for (const auto& [prefix, uri] : handle.selectionNamespaces) {
    if (!prefix.empty()) xmlXPathRegisterNs(xpath.context, xmlText(prefix), xmlText(uri));
  }
  XPathResult result{xmlXPathEvalExpression(xmlText(expression), xpath.context)};
  if (result.value == nullptr) {
    std::string why = capture.hasError() ? capture.message() : "Invalid expression";
    raiseDomError(why + " -->" + expression + "<--");
  }
  if (result.value->type != XPATH_NODESET) {
    raiseDomError("Expression does not evaluate to a node-set. -->" + expression + "<--");
  }
  std::vector<xmlNodePtr> nodes;
  const xmlNodeSetPtr set = result.value->nodesetval;
  const int count = set != nullptr ? set->nodeNr : 0;
  nodes.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    if (isTreeNode(set->nodeTab[i])) nodes.push_back(set->nodeTab[i]);
  }
  return nodes;
}

std::vector<std::pair<std::string, std::string>> parseSelectionNamespaces(const std::string& text) {
  std::vector<std::pair<std::string, std::string>> out;
  size_t at = 0;
  const auto skipBlanks = [&] {
    while (at < text.size() && isXmlWhiteSpace(text[at])) ++at;
  };
  skipBlanks();
  while (at < text.size()) {
    if (text.compare(at, 5, "xmlns") != 0)
      raiseDomError("SelectionNamespaces property value is invalid.");
    at += 5;
    std::string prefix;
    if (at < text.size() && text[at] == ':') {
      const size_t start = ++at;
      while (at < text.size() && text[at] != '=' && !isXmlWhiteSpace(text[at])) ++at;
      prefix = text.substr(start, at - start);
    }
    skipBlanks();
    if (at >= text.size() || text[at] != '=')
      raiseDomError("SelectionNamespaces property value is invalid.");
    ++at;
    skipBlanks();
    if (at >= text.size() || (text[at] != '\'' && text[at] != '"')) {
      raiseDomError("SelectionNamespaces property value is invalid.");
    }
    const char quote = text[at];
    const size_t close = text.find(quote, at + 1);
    if (close == std::string::npos) raiseDomError("SelectionNamespaces property value is invalid.");
    out.emplace_back(prefix, text.substr(at + 1, close - at - 1));
    at = close + 1;
    skipBlanks();
  }
  return out;
}

}  // namespace qxvb::xml
