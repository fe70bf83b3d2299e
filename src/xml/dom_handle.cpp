#include "xml/dom_handle.h"

namespace qxvb::xml {

namespace {
xmlDocPtr newEmptyDocument() {
  xmlDocPtr doc = xmlNewDoc(BAD_CAST "1.0");
  if (doc == nullptr) throw std::bad_alloc();
  return doc;
}
}  // namespace

DocHandle::DocHandle(xmlDocPtr doc) : doc_(doc != nullptr ? doc : newEmptyDocument()) {
  // Attribute values are written as UTF-8 rather than as character
  // references only when the document declares an encoding.
  if (doc_->encoding == nullptr) doc_->encoding = xmlStrdup(BAD_CAST "UTF-8");
}

DocHandle::~DocHandle() {
  // Detached nodes go first: they may still point at the document.
  for (xmlNodePtr node : detached_) {
    if (node->type == XML_ATTRIBUTE_NODE) {
      xmlFreeProp(reinterpret_cast<xmlAttrPtr>(node));
    } else {
      xmlFreeNode(node);
    }
  }
  xmlFreeDoc(doc_);
}

void DocHandle::keepDetached(xmlNodePtr node) {
  if (node != nullptr) detached_.insert(node);
}

void DocHandle::forgetDetached(xmlNodePtr node) {
  detached_.erase(node);
}

std::string takeXmlString(xmlChar* text) {
  std::string out = fromXml(text);
  if (text != nullptr) xmlFree(text);
  return out;
}

}  // namespace qxvb::xml
