// QX_XMLHelper: the library's XML document operations for itself and its
// callers: opening documents with XPath selection, finding or adding the
// root, child elements and attributes by name, deleting them, repairing a
// broken DTD reference in a stored file, and XML Schema validation.
#pragma once

#include <memory>
#include <string>

#include "frame/dispatch.h"
#include "xml/dom_document.h"

namespace qxvb {

using XmlDocumentRef = std::shared_ptr<xml::XmlDocument>;

class QX_XMLHelper : public Dispatch {
 public:
  const DispatchTable& dispatchTable() const override;

  // Null when the file cannot be loaded.
  XmlDocumentRef QX_XML_OpenDomDoc(const std::string& v_strFile);
  // Creates the document when r_objDomDoc is null. Returns the document's
  // first child node of any kind, adding an element when it has none.
  xml::NodeRef QX_XML_AddOrSetRoot(XmlDocumentRef& r_objDomDoc,
                                   const std::string& v_strRootNameIfAdding = "ROOT");
  xml::NodeRef QX_XML_AddNode(const XmlDocumentRef& r_objDomDoc, const xml::NodeRef& r_objParent,
                              const std::string& v_strName);
  xml::NodeRef QX_XML_AddOrSetNode(const XmlDocumentRef& r_objDomDoc,
                                   const xml::NodeRef& r_objParent, const std::string& v_strName);
  void QX_XML_DeleteNode(const XmlDocumentRef& r_objDomDoc, const xml::NodeRef& r_objParent,
                         const std::string& v_strName);
  xml::NodeRef QX_XML_AddAttribute(const XmlDocumentRef& r_objDomDoc,
                                   const xml::NodeRef& r_objParent, const std::string& v_strName,
                                   const std::string& v_strValue);
  xml::NodeRef QX_XML_AddOrSetAttribute(const XmlDocumentRef& r_objDomDoc,
                                        const xml::NodeRef& r_objParent,
                                        const std::string& v_strName,
                                        const std::string& v_strValue);
  void QX_XML_DeleteAttribute(const XmlDocumentRef& r_objDomDoc, const xml::NodeRef& r_objParent,
                              const std::string& v_strName);
  bool QX_XML_LoadDocwithDTDPathFix(XmlDocumentRef& objXMLDoc, const std::string& v_strXMLFile,
                                    const std::string& v_strNewDTDPathIfNeeded);
  // True when valid; every failure is raised as error 1.
  bool QX_XML_ValidateSchema(const std::string& strXMLPath, const std::string& strXSDPath);
};

Object makeQX_XMLHelper();

// The thread's one helper that the library's own code uses.
std::shared_ptr<QX_XMLHelper> sharedXmlHelper();

}  // namespace qxvb
