// The host's model in the repository's tables: diagram and symbol types,
// diagrams with their pages, symbols, the diagrams related to each symbol
// and the lines between symbols.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "components/qxhost/diagram_model.h"

namespace qxvb::ado {
class Connection;
}

namespace qxvb::qxhost {

// The model tables in the order they are created.
const std::vector<std::string>& modelTableNames();

// Creates whichever model tables are missing.
void createModelTables(ado::Connection& connection);
bool hasModelTables(ado::Connection& connection);

// A diagram's own row (no symbols or lines); nothing when there is none.
std::optional<DiagramModel> readDiagramHeader(ado::Connection& connection, int32_t ddid);

// A diagram with its symbols (nesting levels set), related diagrams and
// lines; nothing when there is no such diagram.
std::optional<DiagramModel> readDiagram(ado::Connection& connection, int32_t ddid);

// The drawing extent of a diagram whose own row was read: its page
// together with every symbol on it.
Rect drawingExtent(ado::Connection& connection, const DiagramModel& header);

// Every diagram's own row, by identifier.
std::vector<DiagramModel> listDiagrams(ado::Connection& connection);

// Whether diagrams of the type are drawn in the second notation.
bool isSecondNotationType(ado::Connection& connection, int32_t type);

// The text between single quotes in a statement.
std::string sqlText(const std::string& text);

}  // namespace qxvb::qxhost
