#include "xml/dom_render.h"

#include <libxml/xmlsave.h>

#include <new>
#include <vector>

#include "xml/dom_handle.h"
#include "xml/dom_tree.h"

namespace qxvb::xml {

namespace {

std::string dumpNode(xmlNodePtr node) {
  xmlOutputBufferPtr out = xmlAllocOutputBuffer(nullptr);
  if (out == nullptr) throw std::bad_alloc();
  xmlNodeDumpOutput(out, node->doc, node, 0, 0, "UTF-8");
  xmlOutputBufferFlush(out);
  std::string text(reinterpret_cast<const char*>(xmlOutputBufferGetContent(out)),
                   xmlOutputBufferGetSize(out));
  xmlOutputBufferClose(out);
  return text;
}

bool isDeclaration(xmlNodePtr node) {
  return node->type == XML_PI_NODE && xmlStrEqual(node->name, BAD_CAST "xml");
}

// The xml text drops the declared encoding; a saved file keeps it, naming
// UTF-8, the encoding it is written in.
std::string renderDeclaration(xmlNodePtr node, bool forSave) {
  const std::string content = nodeContent(node);
  if (forSave && content.find("encoding") == std::string::npos) return "<?xml " + content + "?>";
  return "<?xml " + declarationWithEncoding(content, forSave ? "UTF-8" : "") + "?>";
}

std::string renderDocument(xmlDocPtr doc, bool forSave) {
  std::string out;
  for (xmlNodePtr c = doc->children; c != nullptr; c = c->next) {
    if (isDeclaration(c)) {
      out += renderDeclaration(c, forSave);
    } else {
      out += dumpNode(c);
    }
    out += "\r\n";
  }
  return out;
}

struct TextJoiner {
  std::string result;
  bool pendingSpace = false;

  void addPreserved(const std::string& piece) {
    if (piece.empty()) return;
    if (pendingSpace && !result.empty()) result += ' ';
    result += piece;
    pendingSpace = false;
  }

  void addNormalised(const std::string& piece) {
    size_t first = 0;
    while (first < piece.size() && isXmlWhiteSpace(piece[first])) ++first;
    if (first == piece.size()) {
      pendingSpace = pendingSpace || !piece.empty();
      return;
    }
    size_t last = piece.size();
    while (isXmlWhiteSpace(piece[last - 1])) --last;
    if (!result.empty() && (pendingSpace || first > 0)) result += ' ';
    result.append(piece, first, last - first);
    pendingSpace = last < piece.size();
  }
};

bool preservesSpace(xmlNodePtr textNode, bool preserveWhiteSpace) {
  if (preserveWhiteSpace || textNode->type == XML_CDATA_SECTION_NODE) return true;
  return textNode->parent != nullptr && xmlNodeGetSpacePreserve(textNode->parent) == 1;
}

void addPiece(TextJoiner& joiner, xmlNodePtr node, bool preserveWhiteSpace) {
  const std::string content = fromXml(node->content);
  if (preservesSpace(node, preserveWhiteSpace)) {
    joiner.addPreserved(content);
  } else {
    joiner.addNormalised(content);
  }
}

}  // namespace

bool isXmlWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string declarationWithEncoding(const std::string& content, const std::string& encoding) {
  std::string out = content;
  const size_t at = out.find("encoding");
  if (at != std::string::npos) {
    size_t open = out.find_first_of("\"'", at);
    size_t close = open == std::string::npos ? open : out.find(out[open], open + 1);
    if (close != std::string::npos) {
      size_t start = at;
      while (start > 0 && isXmlWhiteSpace(out[start - 1])) --start;
      out.erase(start, close + 1 - start);
    }
  }
  if (encoding.empty()) return out;
  // The encoding follows the version, as the declaration's grammar wants.
  const std::string item = " encoding=\"" + encoding + "\"";
  size_t version = out.find("version");
  size_t open = version == std::string::npos ? version : out.find_first_of("\"'", version);
  size_t close = open == std::string::npos ? open : out.find(out[open], open + 1);
  if (close == std::string::npos) return out + item;
  return out.insert(close + 1, item);
}

std::string renderXml(xmlNodePtr node) {
  switch (node->type) {
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE:
      return renderDocument(reinterpret_cast<xmlDocPtr>(node), false);
    case XML_ATTRIBUTE_NODE: {
      std::string text = dumpNode(node);
      if (!text.empty() && text[0] == ' ') text.erase(0, 1);
      return text;
    }
    case XML_PI_NODE:
      if (isDeclaration(node)) return renderDeclaration(node, false);
      return dumpNode(node);
    default:
      return dumpNode(node);
  }
}

std::string renderForSave(xmlDocPtr doc) {
  return renderDocument(doc, true);
}

std::string renderText(xmlNodePtr node, bool preserveWhiteSpace) {
  switch (node->type) {
    case XML_ATTRIBUTE_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
    case XML_CDATA_SECTION_NODE:
      return nodeContent(node);
    case XML_TEXT_NODE: {
      TextJoiner joiner;
      addPiece(joiner, node, preserveWhiteSpace);
      return joiner.result;
    }
    case XML_ELEMENT_NODE:
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE:
    case XML_DOCUMENT_FRAG_NODE: {
      TextJoiner joiner;
      forEachDescendant(node, [&](xmlNodePtr n) {
        if (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) {
          addPiece(joiner, n, preserveWhiteSpace);
        }
      });
      return joiner.result;
    }
    default:
      return std::string();
  }
}

}  // namespace qxvb::xml
