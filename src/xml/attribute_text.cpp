#include "xml/attribute_text.h"

#include <libxml/tree.h>

#include <new>

namespace qxvb::xml {

AttributeWriter::AttributeWriter() : buffer_(xmlBufferCreate()), document_(xmlNewDoc(nullptr)) {
  if (buffer_ == nullptr || document_ == nullptr) {
    xmlBufferFree(static_cast<xmlBufferPtr>(buffer_));
    xmlFreeDoc(static_cast<xmlDocPtr>(document_));
    throw std::bad_alloc();
  }
  // The library's documents are UTF-8 throughout, so the text is kept as
  // it is rather than turned into character references.
  static_cast<xmlDocPtr>(document_)->encoding = xmlStrdup(BAD_CAST "UTF-8");
}

AttributeWriter::~AttributeWriter() {
  xmlBufferFree(static_cast<xmlBufferPtr>(buffer_));
  xmlFreeDoc(static_cast<xmlDocPtr>(document_));
}

void AttributeWriter::append(std::string& out, const std::string& name, const std::string& value) {
  auto* buffer = static_cast<xmlBufferPtr>(buffer_);
  xmlBufferEmpty(buffer);
  // The serializer's own escaping of attribute text.
  xmlAttrSerializeTxtContent(buffer, static_cast<xmlDocPtr>(document_), nullptr,
                             reinterpret_cast<const xmlChar*>(value.c_str()));
  out += ' ';
  out += name;
  out += "=\"";
  out.append(reinterpret_cast<const char*>(xmlBufferContent(buffer)),
             static_cast<size_t>(xmlBufferLength(buffer)));
  out += '"';
}

}  // namespace qxvb::xml
