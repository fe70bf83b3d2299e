#include "xml/dom_lists.h"

#include "xml/dom_errors.h"
#include "xml/dom_tree.h"

namespace qxvb::xml {

namespace {

xmlNodePtr asNode(xmlAttrPtr attr) {
  return reinterpret_cast<xmlNodePtr>(attr);
}

xmlAttrPtr doctypeItem(DocHandle& handle, const char* name, const xmlChar* value) {
  xmlAttrPtr attr = newAttribute(handle, name);
  replaceContent(handle, asNode(attr), fromXml(value));
  return attr;
}

}  // namespace

XmlNodeList::XmlNodeList(DocRef handle, xmlNodePtr parent)
    : handle_(std::move(handle)), parent_(parent) {}

XmlNodeList::XmlNodeList(DocRef handle, std::vector<xmlNodePtr> nodes)
    : handle_(std::move(handle)), nodes_(std::move(nodes)) {}

xmlNodePtr XmlNodeList::at(int32_t index) const {
  if (index < 0) return nullptr;
  if (parent_ == nullptr) {
    return static_cast<size_t>(index) < nodes_.size() ? nodes_[static_cast<size_t>(index)]
                                                      : nullptr;
  }
  xmlNodePtr node = parent_->children;
  for (int32_t i = 0; i < index && node != nullptr; ++i) node = node->next;
  return node;
}

int32_t XmlNodeList::length() const {
  if (parent_ == nullptr) return static_cast<int32_t>(nodes_.size());
  int32_t count = 0;
  for (xmlNodePtr node = parent_->children; node != nullptr; node = node->next) ++count;
  return count;
}

NodeRef XmlNodeList::item(int32_t index) const {
  return XmlNode::wrap(handle_, at(index));
}

NodeRef XmlNodeList::nextNode() {
  xmlNodePtr node = at(position_);
  if (node != nullptr) ++position_;
  return XmlNode::wrap(handle_, node);
}

const DispatchTable& XmlNodeList::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("IXMLDOMNodeList");
    Members<XmlNodeList>(t)
        .get<&XmlNodeList::length>("length", {})
        .get("item", {in("index")},
             [](XmlNodeList& l, CallArgs& a) { return asVariant(l.item(a.lng(0))); })
        .method("nextNode", {}, [](XmlNodeList& l, CallArgs&) { return asVariant(l.nextNode()); })
        .method<&XmlNodeList::reset>("reset", {});
    return t;
  }();
  return table;
}

XmlNamedNodeMap::XmlNamedNodeMap(DocRef handle, xmlNodePtr owner)
    : handle_(std::move(handle)), owner_(owner) {
  if (owner_->type != XML_DTD_NODE) return;
  const auto* dtd = reinterpret_cast<xmlDtdPtr>(owner_);
  if (dtd->ExternalID != nullptr) {
    doctypeItems_.push_back(doctypeItem(*handle_, "PUBLIC", dtd->ExternalID));
  }
  if (dtd->SystemID != nullptr) {
    doctypeItems_.push_back(doctypeItem(*handle_, "SYSTEM", dtd->SystemID));
  }
}

std::vector<xmlAttrPtr> XmlNamedNodeMap::attributesNow() const {
  if (owner_->type == XML_DTD_NODE) return doctypeItems_;
  std::vector<xmlAttrPtr> out;
  for (xmlAttrPtr a = owner_->properties; a != nullptr; a = a->next) out.push_back(a);
  return out;
}

int32_t XmlNamedNodeMap::length() const {
  return static_cast<int32_t>(attributesNow().size());
}

NodeRef XmlNamedNodeMap::item(int32_t index) const {
  const auto items = attributesNow();
  if (index < 0 || static_cast<size_t>(index) >= items.size()) return nullptr;
  return XmlNode::wrap(handle_, asNode(items[static_cast<size_t>(index)]));
}

NodeRef XmlNamedNodeMap::getNamedItem(const std::string& name) const {
  if (owner_->type == XML_DTD_NODE) {
    for (xmlAttrPtr a : doctypeItems_) {
      if (fromXml(a->name) == name) return XmlNode::wrap(handle_, asNode(a));
    }
    return nullptr;
  }
  return XmlNode::wrap(handle_, asNode(findAttribute(owner_, name)));
}

NodeRef XmlNamedNodeMap::setNamedItem(const NodeRef& attribute) {
  if (!attribute) raiseDomError("Invalid pointer.");
  if (!isAttribute(attribute->raw()))
    raiseDomError("Insert of a Node of this type is not allowed.");
  if (owner_->type != XML_ELEMENT_NODE)
    raiseDomError("This operation is not allowed on a read-only node.");
  const bool sameDocument = attribute->raw()->doc == handle_->doc();
  xmlAttrPtr attr = reinterpret_cast<xmlAttrPtr>(attribute->raw());
  setAttributeNode(*handle_, owner_, attr);
  if (sameDocument) return attribute;
  // An attribute of another document was copied in; return the copy.
  for (xmlAttrPtr a = owner_->properties; a != nullptr; a = a->next) {
    if (xmlStrEqual(a->name, attr->name)) return XmlNode::wrap(handle_, asNode(a));
  }
  return nullptr;
}

NodeRef XmlNamedNodeMap::removeNamedItem(const std::string& name) {
  if (owner_->type != XML_ELEMENT_NODE)
    raiseDomError("This operation is not allowed on a read-only node.");
  xmlAttrPtr attr = findAttribute(owner_, name);
  if (attr == nullptr) return nullptr;
  detachNode(*handle_, asNode(attr));
  return XmlNode::wrap(handle_, asNode(attr));
}

NodeRef XmlNamedNodeMap::nextNode() {
  NodeRef node = item(position_);
  if (node) ++position_;
  return node;
}

const DispatchTable& XmlNamedNodeMap::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("IXMLDOMNamedNodeMap");
    Members<XmlNamedNodeMap>(t)
        .get<&XmlNamedNodeMap::length>("length", {})
        .get("item", {in("index")},
             [](XmlNamedNodeMap& m, CallArgs& a) { return asVariant(m.item(a.lng(0))); })
        .method("getNamedItem", {in("name")},
                [](XmlNamedNodeMap& m, CallArgs& a) { return asVariant(m.getNamedItem(a.str(0))); })
        .method("setNamedItem", {in("newItem")},
                [](XmlNamedNodeMap& m, CallArgs& a) {
                  return asVariant(m.setNamedItem(XmlNode::fromVariant(a[0])));
                })
        .method(
            "removeNamedItem", {in("name")},
            [](XmlNamedNodeMap& m, CallArgs& a) { return asVariant(m.removeNamedItem(a.str(0))); })
        .method("nextNode", {},
                [](XmlNamedNodeMap& m, CallArgs&) { return asVariant(m.nextNode()); })
        .method<&XmlNamedNodeMap::reset>("reset", {});
    return t;
  }();
  return table;
}

}  // namespace qxvb::xml
