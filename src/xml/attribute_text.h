// Attribute values written into XML text exactly as the DOM's xml text
// writes them (the same escapes and character references), for callers
// that write XML text straight out instead of building a document first.
#pragma once

#include <string>

namespace qxvb::xml {

class AttributeWriter {
 public:
  AttributeWriter();
  ~AttributeWriter();
  AttributeWriter(const AttributeWriter&) = delete;
  AttributeWriter& operator=(const AttributeWriter&) = delete;

  // Appends ` name="value"` to out, the value escaped as in an attribute of
  // one of the library's documents.
  void append(std::string& out, const std::string& name, const std::string& value);

 private:
  void* buffer_;    // libxml2's buffer, reused
  void* document_;  // the document the text is escaped for
};

}  // namespace qxvb::xml
