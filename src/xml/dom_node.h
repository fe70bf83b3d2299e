// DOM node objects over libxml2 nodes. Each holds the document's handle,
// so a node object stays usable as long as it exists, even after its node
// has been removed from the tree or its document object released.
#pragma once

#include <libxml/tree.h>

#include <memory>
#include <string>

#include "frame/dispatch.h"
#include "xml/dom_handle.h"

namespace qxvb::xml {

class XmlDocument;
class XmlNodeList;
class XmlNamedNodeMap;
class XmlNode;
using NodeRef = std::shared_ptr<XmlNode>;

class XmlNode : public Dispatch {
 public:
  XmlNode(DocRef handle, xmlNodePtr node);
  const DispatchTable& dispatchTable() const override;

  // The object for a node of the handle's document (element, attribute,
  // document or any other kind); null for a null node.
  static NodeRef wrap(const DocRef& handle, xmlNodePtr node);
  // The node behind an object given by a caller; raises 13 for an object
  // that is not a DOM node and 91 for Nothing.
  static NodeRef from(const Object& object);
  static NodeRef fromVariant(const Variant& value);

  xmlNodePtr raw() const { return node_; }
  const DocRef& handle() const { return handle_; }

  std::string nodeName() const;
  int32_t nodeType() const;
  Variant nodeValue() const;
  void setNodeValue(const Variant& value);
  std::string text() const;
  void setText(const std::string& value);
  std::string xml() const;
  std::string baseName() const;

  std::shared_ptr<XmlNodeList> childNodes() const;
  NodeRef firstChild() const;
  NodeRef lastChild() const;
  NodeRef previousSibling() const;
  NodeRef nextSibling() const;
  NodeRef parentNode() const;
  // Null for nodes that carry no attributes.
  std::shared_ptr<XmlNamedNodeMap> attributes() const;
  std::shared_ptr<XmlDocument> ownerDocument() const;
  bool hasChildNodes() const;

  NodeRef appendChild(const NodeRef& child);
  NodeRef insertBefore(const NodeRef& child, const NodeRef& refChild);
  NodeRef removeChild(const NodeRef& child);
  NodeRef replaceChild(const NodeRef& newChild, const NodeRef& oldChild);
  virtual NodeRef cloneNode(bool deep) const;

  NodeRef selectSingleNode(const std::string& expression) const;
  std::shared_ptr<XmlNodeList> selectNodes(const std::string& expression) const;

 protected:
  // A document object points at a new document after loading.
  void rebind(DocRef handle, xmlNodePtr node);
  void requireChildHolder() const;

 private:
  DocRef handle_;
  xmlNodePtr node_;
};

class XmlElement : public XmlNode {
 public:
  using XmlNode::XmlNode;
  const DispatchTable& dispatchTable() const override;

  std::string tagName() const { return nodeName(); }
  // Null when the element has no such attribute.
  Variant getAttribute(const std::string& name) const;
  void setAttribute(const std::string& name, const std::string& value);
  void removeAttribute(const std::string& name);
  NodeRef getAttributeNode(const std::string& name) const;
  std::shared_ptr<XmlNodeList> getElementsByTagName(const std::string& name) const;
};

class XmlAttribute : public XmlNode {
 public:
  using XmlNode::XmlNode;
  const DispatchTable& dispatchTable() const override;
};

// An object result of a member; Nothing for a null pointer.
template <class T>
Variant asVariant(const std::shared_ptr<T>& object) {
  return Variant(Object(object));
}

// The members every node object has, for the tables of derived classes.
void addNodeMembers(DispatchTable& table);

// The elements below root called name ("*" for all), in document order.
std::shared_ptr<XmlNodeList> elementsByTagName(const DocRef& handle, xmlNodePtr root,
                                               const std::string& name);

}  // namespace qxvb::xml
