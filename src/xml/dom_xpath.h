// XPath 1.0 selection relative to a node.
#pragma once

#include <libxml/tree.h>

#include <string>
#include <vector>

#include "xml/dom_handle.h"

namespace qxvb::xml {

// The nodes expression selects from context, in document order. Raises a
// DOM error for an invalid expression or one that gives no node-set.
std::vector<xmlNodePtr> selectNodes(const DocHandle& handle, xmlNodePtr context,
                                    const std::string& expression);

// Parses a SelectionNamespaces value ("xmlns:a='uri' xmlns:b='uri'").
// Raises a DOM error when it is malformed.
std::vector<std::pair<std::string, std::string>> parseSelectionNamespaces(const std::string& text);

}  // namespace qxvb::xml
