// Tree surgery on libxml2 nodes that never frees a node a caller may still
// hold: whatever leaves the tree is handed to the document's handle. The
// library's own linking is used instead of xmlAddChild, which may merge
// and free adjacent text nodes or replace and free attributes.
#pragma once

#include <libxml/tree.h>

#include <functional>
#include <string>

#include "xml/dom_handle.h"

namespace qxvb::xml {

// The DOM node type number (1 element ... 12 notation) of a libxml2 node.
int32_t domNodeType(xmlNodePtr node);

bool isElement(xmlNodePtr node);
bool isDocument(xmlNodePtr node);
bool isAttribute(xmlNodePtr node);

// Inserts child under parent before refChild (at the end when refChild is
// null), taking it out of wherever it was. Raises for insertions the DOM
// refuses (cycles, attributes as children, a second document element...).
// A node of another document is copied in; the node inserted is returned.
xmlNodePtr insertChild(DocHandle& handle, xmlNodePtr parent, xmlNodePtr child, xmlNodePtr refChild);

// Takes a node out of its tree; it stays alive in the handle.
void detachNode(DocHandle& handle, xmlNodePtr node);

// Replaces the children of an element or attribute by one text node (none
// for empty text).
void replaceContent(DocHandle& handle, xmlNodePtr node, const std::string& text);

// The attribute of element called name (qualified name as written), or null.
xmlAttrPtr findAttribute(xmlNodePtr element, const std::string& name);

// Puts attr on element; an attribute of the same name is detached and the
// new one takes its place. Returns the attribute it replaced, or null.
xmlAttrPtr setAttributeNode(DocHandle& handle, xmlNodePtr element, xmlAttrPtr attr);

// Sets the value of the attribute called name, adding it at the end when
// absent; an existing attribute keeps its position.
void setAttributeValue(DocHandle& handle, xmlNodePtr element, const std::string& name,
                       const std::string& value);

// A new node of the handle's document, detached; raises for invalid names.
xmlNodePtr newElement(DocHandle& handle, const std::string& name);
xmlAttrPtr newAttribute(DocHandle& handle, const std::string& name);
xmlNodePtr newTextNode(DocHandle& handle, const std::string& text);

// A copy of node (with its subtree when deep) in the handle's document,
// detached.
xmlNodePtr copyNode(DocHandle& handle, xmlNodePtr node, bool deep);

// Node contents (attribute value, text, comment) as a string.
std::string nodeContent(xmlNodePtr node);

// Visits the descendants of root in document order, descending into
// elements only (attributes are not visited). Iterative, so deep trees are
// safe.
void forEachDescendant(xmlNodePtr root, const std::function<void(xmlNodePtr)>& visit);

// Checks a name against the XML Name production; raises when invalid.
void checkName(const std::string& name);

}  // namespace qxvb::xml
