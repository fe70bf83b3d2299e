// Shared ownership of one libxml2 document. Every DOM object of a document
// holds its handle, so the document lives while any of its nodes is still
// reachable. Nodes taken out of the tree stay owned by the handle until the
// document ends, so a removed node is never freed under a caller's feet.
#pragma once

#include <libxml/tree.h>

#include <memory>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace qxvb::xml {

class XmlDocument;

class DocHandle : public std::enable_shared_from_this<DocHandle> {
 public:
  // Takes ownership of doc; a null doc becomes a new empty document.
  explicit DocHandle(xmlDocPtr doc = nullptr);
  ~DocHandle();
  DocHandle(const DocHandle&) = delete;
  DocHandle& operator=(const DocHandle&) = delete;

  xmlDocPtr doc() const { return doc_; }

  // A node that is out of the tree (new, or just unlinked) is kept here.
  void keepDetached(xmlNodePtr node);
  // The node has been linked into a tree again.
  void forgetDetached(xmlNodePtr node);

  // Whether text keeps white space as it stands (the document's
  // preserveWhiteSpace).
  bool preserveWhiteSpace = false;

  // Prefix and namespace pairs that XPath selection may use.
  std::vector<std::pair<std::string, std::string>> selectionNamespaces;

  // The document object that speaks for this document, made on demand.
  std::weak_ptr<XmlDocument> owner;

 private:
  xmlDocPtr doc_;
  std::unordered_set<xmlNodePtr> detached_;
};

using DocRef = std::shared_ptr<DocHandle>;

// Copies a libxml2 string into a std::string and frees it.
std::string takeXmlString(xmlChar* text);
inline const xmlChar* xmlText(const std::string& s) {
  return reinterpret_cast<const xmlChar*>(s.c_str());
}
inline std::string fromXml(const xmlChar* s) {
  return s == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(s));
}

}  // namespace qxvb::xml
