// The text forms of a node as the DOM's xml and text properties give them.
#pragma once

#include <libxml/tree.h>

#include <string>

namespace qxvb::xml {

// The markup of a node. A document gives each of its top-level nodes
// followed by CR LF; its XML declaration is written without the encoding,
// since the text is no longer in any byte encoding.
std::string renderXml(xmlNodePtr node);

// The bytes a document is saved as: UTF-8; a declaration that names an
// encoding names UTF-8.
std::string renderForSave(xmlDocPtr doc);

// The text of a node: for elements and documents the text and CDATA
// descendants joined. Unless white space is preserved (by the document or
// by xml:space="preserve"), each text piece is trimmed and pieces that
// were separated by white space are joined with one space. CDATA is kept
// as it is.
std::string renderText(xmlNodePtr node, bool preserveWhiteSpace);

bool isXmlWhiteSpace(char c);

// The pseudo-attribute text of an XML declaration with its encoding
// replaced (or removed when encoding is empty).
std::string declarationWithEncoding(const std::string& content, const std::string& encoding);

}  // namespace qxvb::xml
