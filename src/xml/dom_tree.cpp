#include "xml/dom_tree.h"

#include <new>

#include "xml/dom_errors.h"

namespace qxvb::xml {

namespace {

bool holdsChildren(xmlNodePtr node) {
  return node->type == XML_ELEMENT_NODE || node->type == XML_DOCUMENT_NODE ||
         node->type == XML_HTML_DOCUMENT_NODE;
}

bool isTextual(xmlNodePtr node) {
  return node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE ||
         node->type == XML_ENTITY_REF_NODE;
}

void checkInsertable(xmlNodePtr parent, xmlNodePtr child, xmlNodePtr refChild) {
  if (!holdsChildren(parent)) {
    raiseDomError("This operation can not be performed with a Node of this type.");
  }
  if (child->type == XML_ATTRIBUTE_NODE || child->type == XML_DOCUMENT_NODE ||
      child->type == XML_HTML_DOCUMENT_NODE || child->type == XML_DTD_NODE ||
      child->type == XML_NAMESPACE_DECL) {
    raiseDomError("Insert of a Node of this type is not allowed.");
  }
  if (refChild != nullptr && refChild->parent != parent) {
    raiseDomError("Insert position Node must be a Child of the Node to insert under.");
  }
  // Only a node with children can be an ancestor of parent.
  for (xmlNodePtr up = child->children != nullptr ? parent->parent : nullptr; up != nullptr;
       up = up->parent) {
    if (up == child) raiseDomError("Inserting a Node or its ancestor under itself is not allowed.");
  }
  if (parent == child)
    raiseDomError("Inserting a Node or its ancestor under itself is not allowed.");
  if (!isDocument(parent)) return;
  if (isTextual(child)) raiseDomError("Cannot insert text as a child of this node.");
  if (child->type != XML_ELEMENT_NODE) return;
  for (xmlNodePtr c = parent->children; c != nullptr; c = c->next) {
    if (c->type == XML_ELEMENT_NODE && c != child) {
      raiseDomError("Only one top level element is allowed in an XML document.");
    }
  }
}

void linkBefore(xmlNodePtr parent, xmlNodePtr child, xmlNodePtr refChild) {
  child->parent = parent;
  child->doc = parent->doc;
  child->next = refChild;
  if (refChild != nullptr) {
    child->prev = refChild->prev;
    refChild->prev = child;
  } else {
    child->prev = parent->last;
    parent->last = child;
  }
  if (child->prev != nullptr) {
    child->prev->next = child;
  } else {
    parent->children = child;
  }
}

std::string qualifiedName(xmlAttrPtr attr) {
  std::string name = fromXml(attr->name);
  if (attr->ns != nullptr && attr->ns->prefix != nullptr) {
    name = fromXml(attr->ns->prefix) + ":" + name;
  }
  return name;
}

xmlNodePtr checked(xmlNodePtr node) {
  if (node == nullptr) throw std::bad_alloc();
  return node;
}

}  // namespace

int32_t domNodeType(xmlNodePtr node) {
  switch (node->type) {
    case XML_DTD_NODE:
    case XML_DOCUMENT_TYPE_NODE:
      return 10;
    case XML_HTML_DOCUMENT_NODE:
      return 9;
    case XML_ENTITY_DECL:
      return 6;
    case XML_NOTATION_NODE:
      return 12;
    default:
      return node->type <= XML_NOTATION_NODE ? static_cast<int32_t>(node->type) : 0;
  }
}

bool isElement(xmlNodePtr node) {
  return node != nullptr && node->type == XML_ELEMENT_NODE;
}
bool isDocument(xmlNodePtr node) {
  return node != nullptr &&
         (node->type == XML_DOCUMENT_NODE || node->type == XML_HTML_DOCUMENT_NODE);
}
bool isAttribute(xmlNodePtr node) {
  return node != nullptr && node->type == XML_ATTRIBUTE_NODE;
}

xmlNodePtr insertChild(DocHandle& handle, xmlNodePtr parent, xmlNodePtr child,
                       xmlNodePtr refChild) {
  if (child == nullptr) raiseDomError("Invalid pointer.");
  checkInsertable(parent, child, refChild);
  if (child == refChild) return child;
  if (child->doc != handle.doc()) child = copyNode(handle, child, true);
  if (child->parent != nullptr) {
    xmlUnlinkNode(child);
  } else {
    handle.forgetDetached(child);
  }
  linkBefore(parent, child, refChild);
  if (child->type == XML_ELEMENT_NODE && !isDocument(parent)) {
    // A moved element may use a namespace declared on its old ancestors.
    xmlReconciliateNs(handle.doc(), child);
  }
  return child;
}

void detachNode(DocHandle& handle, xmlNodePtr node) {
  if (node == nullptr || node->parent == nullptr) return;
  xmlUnlinkNode(node);
  handle.keepDetached(node);
}

void replaceContent(DocHandle& handle, xmlNodePtr node, const std::string& text) {
  if (node->type != XML_ELEMENT_NODE && node->type != XML_ATTRIBUTE_NODE) {
    xmlNodeSetContent(node, xmlText(text));
    return;
  }
  while (node->children != nullptr) detachNode(handle, node->children);
  if (text.empty()) return;
  xmlNodePtr textNode = checked(xmlNewDocText(handle.doc(), xmlText(text)));
  linkBefore(node, textNode, nullptr);
}

xmlAttrPtr findAttribute(xmlNodePtr element, const std::string& name) {
  if (!isElement(element)) return nullptr;
  for (xmlAttrPtr a = element->properties; a != nullptr; a = a->next) {
    if (qualifiedName(a) == name) return a;
  }
  return nullptr;
}

xmlAttrPtr setAttributeNode(DocHandle& handle, xmlNodePtr element, xmlAttrPtr attr) {
  if (attr == nullptr) raiseDomError("Invalid pointer.");
  if (!isElement(element)) {
    raiseDomError("This operation can not be performed with a Node of this type.");
  }
  if (attr->parent == element) return nullptr;
  if (attr->parent != nullptr) raiseDomError("The attribute is already in use by another element.");
  if (attr->doc != handle.doc()) {
    attr = reinterpret_cast<xmlAttrPtr>(copyNode(handle, reinterpret_cast<xmlNodePtr>(attr), true));
  }
  handle.forgetDetached(reinterpret_cast<xmlNodePtr>(attr));
  xmlAttrPtr old = findAttribute(element, qualifiedName(attr));
  attr->parent = element;
  attr->doc = element->doc;
  if (old != nullptr) {
    attr->prev = old->prev;
    attr->next = old->next;
    if (old->prev != nullptr) old->prev->next = attr;
    if (old->next != nullptr) old->next->prev = attr;
    if (element->properties == old) element->properties = attr;
    old->parent = nullptr;
    old->prev = nullptr;
    old->next = nullptr;
    handle.keepDetached(reinterpret_cast<xmlNodePtr>(old));
    return old;
  }
  attr->next = nullptr;
  attr->prev = nullptr;
  if (element->properties == nullptr) {
    element->properties = attr;
  } else {
    xmlAttrPtr last = element->properties;
    while (last->next != nullptr) last = last->next;
    last->next = attr;
    attr->prev = last;
  }
  return nullptr;
}

void setAttributeValue(DocHandle& handle, xmlNodePtr element, const std::string& name,
                       const std::string& value) {
  xmlAttrPtr existing = findAttribute(element, name);
  if (existing != nullptr) {
    replaceContent(handle, reinterpret_cast<xmlNodePtr>(existing), value);
    return;
  }
  xmlAttrPtr attr = newAttribute(handle, name);
  replaceContent(handle, reinterpret_cast<xmlNodePtr>(attr), value);
  setAttributeNode(handle, element, attr);
}

void checkName(const std::string& name) {
  if (name.empty()) raiseDomError("This name may not be empty.");
  if (xmlValidateQName(xmlText(name), 0) != 0) {
    raiseDomError("This name may not contain the characters of '" + name + "'.");
  }
}

xmlNodePtr newElement(DocHandle& handle, const std::string& name) {
  checkName(name);
  xmlNodePtr node = checked(xmlNewDocNode(handle.doc(), nullptr, xmlText(name), nullptr));
  handle.keepDetached(node);
  return node;
}

xmlAttrPtr newAttribute(DocHandle& handle, const std::string& name) {
  checkName(name);
  xmlAttrPtr attr = xmlNewDocProp(handle.doc(), xmlText(name), nullptr);
  checked(reinterpret_cast<xmlNodePtr>(attr));
  handle.keepDetached(reinterpret_cast<xmlNodePtr>(attr));
  return attr;
}

xmlNodePtr newTextNode(DocHandle& handle, const std::string& text) {
  xmlNodePtr node = checked(xmlNewDocText(handle.doc(), xmlText(text)));
  handle.keepDetached(node);
  return node;
}

xmlNodePtr copyNode(DocHandle& handle, xmlNodePtr node, bool deep) {
  xmlNodePtr copy = nullptr;
  if (node->type == XML_ATTRIBUTE_NODE) {
    copy = reinterpret_cast<xmlNodePtr>(xmlCopyProp(nullptr, reinterpret_cast<xmlAttrPtr>(node)));
    if (copy != nullptr) xmlSetTreeDoc(copy, handle.doc());
  } else if (node->type == XML_DTD_NODE) {
    copy = reinterpret_cast<xmlNodePtr>(xmlCopyDtd(reinterpret_cast<xmlDtdPtr>(node)));
    if (copy != nullptr) xmlSetTreeDoc(copy, handle.doc());
  } else {
    copy = xmlDocCopyNode(node, handle.doc(), deep ? 1 : 2);
  }
  handle.keepDetached(checked(copy));
  return copy;
}

void forEachDescendant(xmlNodePtr root, const std::function<void(xmlNodePtr)>& visit) {
  xmlNodePtr cur = root->children;
  while (cur != nullptr) {
    visit(cur);
    if (cur->type == XML_ELEMENT_NODE && cur->children != nullptr) {
      cur = cur->children;
      continue;
    }
    while (cur != nullptr && cur != root && cur->next == nullptr) cur = cur->parent;
    if (cur == nullptr || cur == root) return;
    cur = cur->next;
  }
}

std::string nodeContent(xmlNodePtr node) {
  return takeXmlString(xmlNodeGetContent(node));
}

}  // namespace qxvb::xml
