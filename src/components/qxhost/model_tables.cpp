#include "components/qxhost/model_tables.h"

#include <map>

#include "ado/connection.h"
#include "ado/recordset.h"
#include "frame/automation_error.h"
#include "frame/vb_conversions.h"

namespace qxvb::qxhost {

namespace {

struct TableDefinition {
  const char* name;
  const char* columns;
};

// Left, top, right and bottom are kept as X1, Y1, X2, Y2: LEFT and RIGHT
// are reserved words of SQL.
const TableDefinition kTables[] = {
    {"DiagramType",
     "(TypeNumber INTEGER PRIMARY KEY, Name VARCHAR(255) NOT NULL, "
     "SecondNotation INTEGER NOT NULL DEFAULT 0)"},
    {"SymbolType", "(TypeNumber INTEGER PRIMARY KEY, Name VARCHAR(255) NOT NULL)"},
    {"Diagram",
     "(DDID INTEGER PRIMARY KEY, Name VARCHAR(255) NOT NULL, TypeNumber INTEGER NOT NULL, "
     "X1 INTEGER NOT NULL, Y1 INTEGER NOT NULL, X2 INTEGER NOT NULL, Y2 INTEGER NOT NULL)"},
    {"Symbol",
     "(DDID INTEGER PRIMARY KEY, DiagramID INTEGER NOT NULL, Position INTEGER NOT NULL, "
     "Name VARCHAR(255) NOT NULL, TypeNumber INTEGER NOT NULL, Flags INTEGER NOT NULL, "
     "X1 INTEGER NOT NULL, Y1 INTEGER NOT NULL, X2 INTEGER NOT NULL, Y2 INTEGER NOT NULL, "
     "Problem VARCHAR(1000))"},
    {"SymbolRelatedDiagram",
     "(SymbolID INTEGER NOT NULL, Position INTEGER NOT NULL, DiagramID INTEGER NOT NULL, "
     "PRIMARY KEY (SymbolID, Position))"},
    {"DiagramLine",
     "(ID INTEGER PRIMARY KEY, DiagramID INTEGER NOT NULL, FromID INTEGER NOT NULL, "
     "ToID INTEGER NOT NULL, Name VARCHAR(255))"},
};

const char* const kIndexes[] = {
    "CREATE INDEX IF NOT EXISTS SymbolByDiagram ON Symbol (DiagramID, Position)",
    "CREATE INDEX IF NOT EXISTS LineByDiagram ON DiagramLine (DiagramID)",
};

std::string text(const ado::Recordset& rows, const char* field) {
  const Variant value = rows.Collect(Variant(field));
  return value.isNull() ? std::string() : CStr(value);
}

int32_t number(const ado::Recordset& rows, const char* field) {
  const Variant value = rows.Collect(Variant(field));
  return value.isNull() ? 0 : CLng(value);
}

// The SELECT list and joins of a diagram's own row.
std::string diagramQuery(const std::string& where) {
  return "SELECT d.DDID, d.Name, d.TypeNumber, t.Name AS TypeName, t.SecondNotation, d.X1, d.Y1, "
         "d.X2, d.Y2 FROM Diagram d LEFT JOIN DiagramType t ON t.TypeNumber = d.TypeNumber" +
         where;
}

DiagramModel diagramRow(const ado::Recordset& rows) {
  DiagramModel d;
  d.id = number(rows, "DDID");
  d.name = text(rows, "Name");
  d.type = number(rows, "TypeNumber");
  d.typeName = text(rows, "TypeName");
  d.secondNotation = number(rows, "SecondNotation") != 0;
  d.page = {number(rows, "X1"), number(rows, "Y1"), number(rows, "X2"), number(rows, "Y2")};
  return d;
}

void readSymbols(ado::Connection& connection, DiagramModel& d) {
  const std::string id = std::to_string(d.id);
  std::map<int32_t, size_t> byId;
  {
    auto rows = connection.Execute(
        "SELECT s.DDID, s.Name, s.TypeNumber, t.Name AS TypeName, s.Flags, s.X1, s.Y1, s.X2, "
        "s.Y2, s.Problem FROM Symbol s LEFT JOIN SymbolType t ON t.TypeNumber = s.TypeNumber "
        "WHERE s.DiagramID = " +
        id + " ORDER BY s.Position, s.DDID");
    for (; !rows->Eof(); rows->MoveNext()) {
      SymbolModel s;
      s.id = number(*rows, "DDID");
      s.name = text(*rows, "Name");
      s.type = number(*rows, "TypeNumber");
      s.typeName = text(*rows, "TypeName");
      s.flags = static_cast<uint32_t>(number(*rows, "Flags"));
      s.rect = {number(*rows, "X1"), number(*rows, "Y1"), number(*rows, "X2"), number(*rows, "Y2")};
      s.problem = text(*rows, "Problem");
      byId[s.id] = d.symbols.size();
      d.symbols.push_back(std::move(s));
    }
  }
  auto related = connection.Execute(
      "SELECT r.SymbolID, r.DiagramID FROM SymbolRelatedDiagram r JOIN Symbol s ON s.DDID = "
      "r.SymbolID WHERE s.DiagramID = " +
      id + " ORDER BY r.SymbolID, r.Position");
  for (; !related->Eof(); related->MoveNext()) {
    const auto found = byId.find(number(*related, "SymbolID"));
    if (found != byId.end())
      d.symbols[found->second].related.push_back(number(*related, "DiagramID"));
  }
  auto lines = connection.Execute(
      "SELECT FromID, ToID, Name FROM DiagramLine WHERE DiagramID = " + id + " ORDER BY ID");
  for (; !lines->Eof(); lines->MoveNext()) {
    d.lines.push_back({number(*lines, "FromID"), number(*lines, "ToID"), text(*lines, "Name")});
  }
  computeNestingLevels(d);
}

}  // namespace

const std::vector<std::string>& modelTableNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> list;
    for (const TableDefinition& t : kTables) list.emplace_back(t.name);
    return list;
  }();
  return names;
}

void createModelTables(ado::Connection& connection) {
  for (const TableDefinition& t : kTables) {
    connection.Execute(std::string("CREATE TABLE IF NOT EXISTS ") + t.name + " " + t.columns);
  }
  for (const char* index : kIndexes) connection.Execute(index);
}

bool hasModelTables(ado::Connection& connection) {
  try {
    for (const TableDefinition& t : kTables) {
      connection.Execute(std::string("SELECT COUNT(*) AS N FROM ") + t.name + " WHERE 1 = 0");
    }
    return true;
  } catch (const AutomationError&) {
    return false;
  }
}

std::optional<DiagramModel> readDiagramHeader(ado::Connection& connection, int32_t ddid) {
  auto rows = connection.Execute(diagramQuery(" WHERE d.DDID = " + std::to_string(ddid)));
  if (rows->Eof()) return std::nullopt;
  return diagramRow(*rows);
}

std::optional<DiagramModel> readDiagram(ado::Connection& connection, int32_t ddid) {
  std::optional<DiagramModel> d = readDiagramHeader(connection, ddid);
  if (d) readSymbols(connection, *d);
  return d;
}

Rect drawingExtent(ado::Connection& connection, const DiagramModel& header) {
  auto rows = connection.Execute(
      "SELECT COUNT(*) AS N, MIN(X1) AS L, MIN(Y1) AS T, MAX(X2) AS R, MAX(Y2) AS B FROM Symbol "
      "WHERE DiagramID = " +
      std::to_string(header.id));
  if (rows->Eof() || number(*rows, "N") == 0) return header.page;
  return unite(header.page,
               {number(*rows, "L"), number(*rows, "T"), number(*rows, "R"), number(*rows, "B")});
}

std::vector<DiagramModel> listDiagrams(ado::Connection& connection) {
  std::vector<DiagramModel> list;
  auto rows = connection.Execute(diagramQuery(" ORDER BY d.DDID"));
  for (; !rows->Eof(); rows->MoveNext()) list.push_back(diagramRow(*rows));
  return list;
}

bool isSecondNotationType(ado::Connection& connection, int32_t type) {
  auto rows = connection.Execute("SELECT SecondNotation FROM DiagramType WHERE TypeNumber = " +
                                 std::to_string(type));
  return !rows->Eof() && number(*rows, "SecondNotation") != 0;
}

std::string sqlText(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted + "'";
}

}  // namespace qxvb::qxhost
