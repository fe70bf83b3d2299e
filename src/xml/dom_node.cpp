#include "xml/dom_node.h"

#include "frame/automation_error.h"
#include "frame/vb_conversions.h"
#include "xml/dom_document.h"
#include "xml/dom_errors.h"
#include "xml/dom_lists.h"
#include "xml/dom_render.h"
#include "xml/dom_tree.h"
#include "xml/dom_xpath.h"

namespace qxvb::xml {

namespace {

std::string qualifiedName(const xmlChar* name, xmlNsPtr ns) {
  std::string out = fromXml(name);
  if (ns != nullptr && ns->prefix != nullptr) out = fromXml(ns->prefix) + ":" + out;
  return out;
}

bool hasContent(xmlNodePtr node) {
  switch (node->type) {
    case XML_ATTRIBUTE_NODE:
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
      return true;
    default:
      return false;
  }
}

// Document type and entity declarations show no children.
bool showsChildren(xmlNodePtr node) {
  return node->type != XML_DTD_NODE && node->type != XML_ENTITY_DECL &&
         node->type != XML_ENTITY_REF_NODE;
}

[[noreturn]] void wrongNodeType() {
  raiseDomError("This operation can not be performed with a Node of this type.");
}

}  // namespace

XmlNode::XmlNode(DocRef handle, xmlNodePtr node) : handle_(std::move(handle)), node_(node) {}

NodeRef XmlNode::wrap(const DocRef& handle, xmlNodePtr node) {
  if (node == nullptr) return nullptr;
  if (isDocument(node)) return XmlDocument::forHandle(handle);
  if (node->type == XML_ELEMENT_NODE) return std::make_shared<XmlElement>(handle, node);
  if (node->type == XML_ATTRIBUTE_NODE) return std::make_shared<XmlAttribute>(handle, node);
  return std::make_shared<XmlNode>(handle, node);
}

NodeRef XmlNode::from(const Object& object) {
  if (!object) raiseVbError(vberr::ObjectNotSet);
  auto node = std::dynamic_pointer_cast<XmlNode>(object);
  if (!node) raiseVbError(vberr::TypeMismatch);
  return node;
}

NodeRef XmlNode::fromVariant(const Variant& value) {
  return from(CObj(value));
}

void XmlNode::rebind(DocRef handle, xmlNodePtr node) {
  handle_ = std::move(handle);
  node_ = node;
}

void XmlNode::requireChildHolder() const {
  if (node_->type != XML_ELEMENT_NODE && !isDocument(node_)) wrongNodeType();
}

std::string XmlNode::nodeName() const {
  switch (node_->type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
      return qualifiedName(node_->name, node_->ns);
    case XML_TEXT_NODE:
      return "#text";
    case XML_CDATA_SECTION_NODE:
      return "#cdata-section";
    case XML_COMMENT_NODE:
      return "#comment";
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE:
      return "#document";
    case XML_DOCUMENT_FRAG_NODE:
      return "#document-fragment";
    default:
      return fromXml(node_->name);
  }
}

int32_t XmlNode::nodeType() const {
  return domNodeType(node_);
}

std::string XmlNode::baseName() const {
  if (node_->type == XML_ELEMENT_NODE || node_->type == XML_ATTRIBUTE_NODE ||
      node_->type == XML_PI_NODE) {
    std::string name = fromXml(node_->name);
    const size_t colon = name.find(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
  }
  return std::string();
}

Variant XmlNode::nodeValue() const {
  if (!hasContent(node_)) return Variant::null();
  return Variant(nodeContent(node_));
}

void XmlNode::setNodeValue(const Variant& value) {
  if (!hasContent(node_)) wrongNodeType();
  replaceContent(*handle_, node_, CStr(value));
}

std::string XmlNode::text() const {
  return renderText(node_, handle_->preserveWhiteSpace);
}

void XmlNode::setText(const std::string& value) {
  if (isDocument(node_) || !showsChildren(node_)) wrongNodeType();
  replaceContent(*handle_, node_, value);
}

std::string XmlNode::xml() const {
  return renderXml(node_);
}

std::shared_ptr<XmlNodeList> XmlNode::childNodes() const {
  if (!showsChildren(node_))
    return std::make_shared<XmlNodeList>(handle_, std::vector<xmlNodePtr>{});
  return std::make_shared<XmlNodeList>(handle_, node_);
}

NodeRef XmlNode::firstChild() const {
  return showsChildren(node_) ? wrap(handle_, node_->children) : nullptr;
}

NodeRef XmlNode::lastChild() const {
  return showsChildren(node_) ? wrap(handle_, node_->last) : nullptr;
}

NodeRef XmlNode::previousSibling() const {
  return isAttribute(node_) ? nullptr : wrap(handle_, node_->prev);
}

NodeRef XmlNode::nextSibling() const {
  return isAttribute(node_) ? nullptr : wrap(handle_, node_->next);
}

NodeRef XmlNode::parentNode() const {
  return isAttribute(node_) ? nullptr : wrap(handle_, node_->parent);
}

std::shared_ptr<XmlNamedNodeMap> XmlNode::attributes() const {
  if (node_->type != XML_ELEMENT_NODE && node_->type != XML_DTD_NODE) return nullptr;
  return std::make_shared<XmlNamedNodeMap>(handle_, node_);
}

std::shared_ptr<XmlDocument> XmlNode::ownerDocument() const {
  return isDocument(node_) ? nullptr : XmlDocument::forHandle(handle_);
}

bool XmlNode::hasChildNodes() const {
  return showsChildren(node_) && node_->children != nullptr;
}

NodeRef XmlNode::appendChild(const NodeRef& child) {
  return insertBefore(child, nullptr);
}

NodeRef XmlNode::insertBefore(const NodeRef& child, const NodeRef& refChild) {
  if (!child) raiseDomError("Invalid pointer.");
  requireChildHolder();
  xmlNodePtr ref = refChild ? refChild->raw() : nullptr;
  if (child->raw() == ref) return child;
  xmlNodePtr inserted = insertChild(*handle_, node_, child->raw(), ref);
  return inserted == child->raw() && child->handle_ == handle_ ? child : wrap(handle_, inserted);
}

NodeRef XmlNode::removeChild(const NodeRef& child) {
  if (!child) raiseDomError("Invalid pointer.");
  if (child->raw()->parent != node_ || isAttribute(child->raw())) {
    raiseDomError("The parameter Node is not a child of this Node.");
  }
  detachNode(*handle_, child->raw());
  return child;
}

NodeRef XmlNode::replaceChild(const NodeRef& newChild, const NodeRef& oldChild) {
  if (!newChild || !oldChild) raiseDomError("Invalid pointer.");
  if (oldChild->raw()->parent != node_ || isAttribute(oldChild->raw())) {
    raiseDomError("The parameter Node is not a child of this Node.");
  }
  if (newChild->raw() == oldChild->raw()) return oldChild;
  xmlNodePtr ref = oldChild->raw()->next;
  if (ref == newChild->raw()) ref = ref->next;
  detachNode(*handle_, oldChild->raw());
  try {
    insertBefore(newChild, wrap(handle_, ref));
  } catch (...) {
    insertChild(*handle_, node_, oldChild->raw(), ref);
    throw;
  }
  return oldChild;
}

NodeRef XmlNode::cloneNode(bool deep) const {
  return wrap(handle_, copyNode(*handle_, node_, deep));
}

NodeRef XmlNode::selectSingleNode(const std::string& expression) const {
  const auto nodes = xml::selectNodes(*handle_, node_, expression);
  return nodes.empty() ? nullptr : wrap(handle_, nodes.front());
}

std::shared_ptr<XmlNodeList> XmlNode::selectNodes(const std::string& expression) const {
  return std::make_shared<XmlNodeList>(handle_, xml::selectNodes(*handle_, node_, expression));
}

Variant XmlElement::getAttribute(const std::string& name) const {
  xmlAttrPtr attr = findAttribute(raw(), name);
  if (attr == nullptr) return Variant::null();
  return Variant(nodeContent(reinterpret_cast<xmlNodePtr>(attr)));
}

void XmlElement::setAttribute(const std::string& name, const std::string& value) {
  if (findAttribute(raw(), name) == nullptr) checkName(name);
  setAttributeValue(*handle(), raw(), name, value);
}

void XmlElement::removeAttribute(const std::string& name) {
  detachNode(*handle(), reinterpret_cast<xmlNodePtr>(findAttribute(raw(), name)));
}

NodeRef XmlElement::getAttributeNode(const std::string& name) const {
  return wrap(handle(), reinterpret_cast<xmlNodePtr>(findAttribute(raw(), name)));
}

std::shared_ptr<XmlNodeList> XmlElement::getElementsByTagName(const std::string& name) const {
  return elementsByTagName(handle(), raw(), name);
}

std::shared_ptr<XmlNodeList> elementsByTagName(const DocRef& handle, xmlNodePtr root,
                                               const std::string& name) {
  std::vector<xmlNodePtr> found;
  forEachDescendant(root, [&](xmlNodePtr n) {
    if (n->type == XML_ELEMENT_NODE && (name == "*" || qualifiedName(n->name, n->ns) == name)) {
      found.push_back(n);
    }
  });
  return std::make_shared<XmlNodeList>(handle, std::move(found));
}

void addNodeMembers(DispatchTable& table) {
  Members<XmlNode>(table)
      .get<&XmlNode::nodeName>("nodeName", {})
      .get<&XmlNode::nodeType>("nodeType", {})
      .get<&XmlNode::nodeValue>("nodeValue", {})
      .put<&XmlNode::setNodeValue>("nodeValue", {in("value")})
      .get<&XmlNode::text>("text", {})
      .put<&XmlNode::setText>("text", {in("value")})
      .get<&XmlNode::xml>("xml", {})
      .get<&XmlNode::baseName>("baseName", {})
      .get<&XmlNode::childNodes>("childNodes", {})
      .get("firstChild", {}, [](XmlNode& n, CallArgs&) { return asVariant(n.firstChild()); })
      .get("lastChild", {}, [](XmlNode& n, CallArgs&) { return asVariant(n.lastChild()); })
      .get("previousSibling", {},
           [](XmlNode& n, CallArgs&) { return asVariant(n.previousSibling()); })
      .get("nextSibling", {}, [](XmlNode& n, CallArgs&) { return asVariant(n.nextSibling()); })
      .get("parentNode", {}, [](XmlNode& n, CallArgs&) { return asVariant(n.parentNode()); })
      .get<&XmlNode::attributes>("attributes", {})
      .get<&XmlNode::ownerDocument>("ownerDocument", {})
      .method<&XmlNode::hasChildNodes>("hasChildNodes", {})
      .method("appendChild", {in("newChild")},
              [](XmlNode& n, CallArgs& a) {
                return asVariant(n.appendChild(XmlNode::fromVariant(a[0])));
              })
      .method("insertBefore", {in("newChild"), opt("refChild", Variant())},
              [](XmlNode& n, CallArgs& a) {
                const Object ref = a[1].type() == VarType::Object ? a.object(1) : nullptr;
                return asVariant(
                    n.insertBefore(XmlNode::fromVariant(a[0]), ref ? XmlNode::from(ref) : nullptr));
              })
      .method("removeChild", {in("childNode")},
              [](XmlNode& n, CallArgs& a) {
                return asVariant(n.removeChild(XmlNode::fromVariant(a[0])));
              })
      .method("replaceChild", {in("newChild"), in("oldChild")},
              [](XmlNode& n, CallArgs& a) {
                return asVariant(
                    n.replaceChild(XmlNode::fromVariant(a[0]), XmlNode::fromVariant(a[1])));
              })
      .method("cloneNode", {in("deep")},
              [](XmlNode& n, CallArgs& a) { return asVariant(n.cloneNode(a.boolean(0))); })
      .method("selectSingleNode", {in("queryString")},
              [](XmlNode& n, CallArgs& a) { return asVariant(n.selectSingleNode(a.str(0))); })
      .method<&XmlNode::selectNodes>("selectNodes", {in("queryString")});
}

const DispatchTable& XmlNode::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("IXMLDOMNode");
    addNodeMembers(t);
    return t;
  }();
  return table;
}

const DispatchTable& XmlElement::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("IXMLDOMElement");
    addNodeMembers(t);
    Members<XmlElement>(t)
        .get<&XmlElement::tagName>("tagName", {})
        .method<&XmlElement::getAttribute>("getAttribute", {in("name")})
        .method<&XmlElement::setAttribute>("setAttribute", {in("name"), in("value")})
        .method<&XmlElement::removeAttribute>("removeAttribute", {in("name")})
        .method("getAttributeNode", {in("name")},
                [](XmlElement& e, CallArgs& a) { return asVariant(e.getAttributeNode(a.str(0))); })
        .method<&XmlElement::getElementsByTagName>("getElementsByTagName", {in("tagName")});
    return t;
  }();
  return table;
}

const DispatchTable& XmlAttribute::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("IXMLDOMAttribute");
    addNodeMembers(t);
    Members<XmlAttribute>(t)
        .get("name", {}, [](XmlAttribute& n, CallArgs&) { return Variant(n.nodeName()); })
        .get("value", {}, [](XmlAttribute& n, CallArgs&) { return n.nodeValue(); })
        .put("value", {in("value")}, [](XmlAttribute& n, CallArgs& a) {
          n.setNodeValue(a[0]);
          return Variant();
        });
    return t;
  }();
  return table;
}

}  // namespace qxvb::xml
