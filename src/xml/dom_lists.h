// Node lists (childNodes, selectNodes, getElementsByTagName) and the
// attribute map of an element.
#pragma once

#include <libxml/tree.h>

#include <cstdint>
#include <string>
#include <vector>

#include "frame/dispatch.h"
#include "xml/dom_handle.h"
#include "xml/dom_node.h"

namespace qxvb::xml {

class XmlNodeList : public Dispatch {
 public:
  // The live list of parent's children.
  XmlNodeList(DocRef handle, xmlNodePtr parent);
  // A fixed list, as a selection gives it.
  XmlNodeList(DocRef handle, std::vector<xmlNodePtr> nodes);
  const DispatchTable& dispatchTable() const override;

  int32_t length() const;
  // Null when index is out of range.
  NodeRef item(int32_t index) const;
  // The next node of the list's own iteration, null at the end.
  NodeRef nextNode();
  void reset() { position_ = 0; }

 private:
  xmlNodePtr at(int32_t index) const;

  DocRef handle_;
  xmlNodePtr parent_ = nullptr;
  std::vector<xmlNodePtr> nodes_;
  int32_t position_ = 0;
};

class XmlNamedNodeMap : public Dispatch {
 public:
  XmlNamedNodeMap(DocRef handle, xmlNodePtr owner);
  const DispatchTable& dispatchTable() const override;

  int32_t length() const;
  NodeRef item(int32_t index) const;
  NodeRef getNamedItem(const std::string& name) const;
  // Adds the attribute, replacing one of the same name in its place.
  NodeRef setNamedItem(const NodeRef& attribute);
  // The removed attribute; null when there was none.
  NodeRef removeNamedItem(const std::string& name);
  NodeRef nextNode();
  void reset() { position_ = 0; }

 private:
  std::vector<xmlAttrPtr> attributesNow() const;

  DocRef handle_;
  xmlNodePtr owner_;
  // A document type node shows its identifiers as SYSTEM and PUBLIC.
  std::vector<xmlAttrPtr> doctypeItems_;
  int32_t position_ = 0;
};

}  // namespace qxvb::xml
