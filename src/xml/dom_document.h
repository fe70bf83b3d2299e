// The DOM document object: loading and saving, node creation, the parse
// error of the last load, and the document-wide properties.
#pragma once

#include <memory>
#include <string>

#include "frame/dispatch.h"
#include "xml/dom_node.h"
#include "xml/dom_parse.h"

namespace qxvb::xml {

class XmlSchemaCache;

class XmlParseError : public Dispatch {
 public:
  explicit XmlParseError(ParseErrorInfo info) : info_(std::move(info)) {}
  const DispatchTable& dispatchTable() const override;
  const ParseErrorInfo& info() const { return info_; }

 private:
  ParseErrorInfo info_;
};

// The two generations of the DOM differ in their defaults only.
enum class DomVersion { V3, V6 };

class XmlDocument : public XmlNode {
 public:
  explicit XmlDocument(DomVersion version = DomVersion::V3, const DocRef& handle = nullptr);
  const DispatchTable& dispatchTable() const override;

  static std::shared_ptr<XmlDocument> create(DomVersion version = DomVersion::V3);
  // The document object of a handle, made when it has none any more.
  static std::shared_ptr<XmlDocument> forHandle(const DocRef& handle);

  bool load(const std::string& path);
  bool loadXML(const std::string& text);
  // Writes the document to path; raises when it cannot be written.
  void save(const std::string& path) const;

  std::shared_ptr<XmlParseError> parseError() const;
  const ParseErrorInfo& lastError() const { return lastError_; }
  // The file the document was loaded from; empty otherwise.
  const std::string& url() const { return url_; }

  NodeRef documentElement() const;
  void setDocumentElement(const NodeRef& element);
  NodeRef doctype() const;
  NodeRef createElement(const std::string& name);
  NodeRef createAttribute(const std::string& name);
  NodeRef createTextNode(const std::string& text);
  NodeRef createComment(const std::string& text);
  NodeRef createCDATASection(const std::string& text);
  NodeRef createProcessingInstruction(const std::string& target, const std::string& data);
  NodeRef cloneNode(bool deep) const override;

  void setProperty(const std::string& name, const Variant& value);
  Variant getProperty(const std::string& name) const;

  // The schemas the document is validated against, and validation.
  void setSchemas(const Variant& cache);
  Variant schemas() const;
  std::shared_ptr<XmlParseError> validate();

  bool async = true;
  bool validateOnParse = true;
  bool resolveExternals = true;
  bool preserveWhiteSpace() const;
  void setPreserveWhiteSpace(bool value);

 private:
  bool finishLoad(ParseOutcome outcome, const std::string& url);
  LoadOptions loadOptions() const;

  DomVersion version_;
  std::string selectionLanguage_;
  std::string selectionNamespacesText_;
  std::string url_;
  ParseErrorInfo lastError_;
  std::shared_ptr<XmlSchemaCache> schemas_;
};

}  // namespace qxvb::xml
