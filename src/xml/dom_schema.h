// A schema cache: XML Schemas compiled once, keyed by target namespace,
// against which documents are validated.
#pragma once

#include <libxml/tree.h>
#include <libxml/xmlschemas.h>

#include <string>
#include <vector>

#include "frame/dispatch.h"
#include "xml/dom_parse.h"

namespace qxvb::xml {

class XmlSchemaCache : public Dispatch {
 public:
  XmlSchemaCache() = default;
  ~XmlSchemaCache() override;
  const DispatchTable& dispatchTable() const override;

  // Compiles the schema held by a document object, or read from a file
  // when schema is a path; raises when it is not a usable schema. A schema
  // added again for the same namespace replaces the earlier one.
  void add(const std::string& namespaceUri, const Variant& schema);
  int32_t length() const { return static_cast<int32_t>(entries_.size()); }
  std::string namespaceURI(int32_t index) const;

  // Validates doc against the schema for its root's namespace; errorCode 0
  // when it is valid.
  ParseErrorInfo validate(xmlDocPtr doc) const;

 private:
  struct Entry {
    std::string namespaceUri;
    xmlDocPtr source = nullptr;  // kept while the compiled schema lives
    xmlSchemaPtr schema = nullptr;
  };
  void compile(const std::string& namespaceUri, xmlDocPtr source);
  const Entry* schemaFor(xmlDocPtr doc) const;

  std::vector<Entry> entries_;
};

}  // namespace qxvb::xml
