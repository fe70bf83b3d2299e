#include "components/qxhost/model_file.h"

#include <libxml/tree.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <set>

#include "ado/connection.h"
#include "ado/recordset.h"
#include "components/qxhost/model_tables.h"
#include "frame/automation_error.h"
#include "platform/regular_file.h"
#include "platform/unicode.h"
#include "xml/dom_parse.h"

namespace qxvb::qxhost {

namespace {

constexpr size_t kLongestName = 255;
constexpr size_t kLongestProblem = 1000;

using Attributes = std::map<std::string, std::string>;

class Reader {
 public:
  explicit Reader(std::string url) : url_(std::move(url)) {}

  [[noreturn]] void fail(const xmlNode* node, const std::string& message) const {
    const long line = node != nullptr ? xmlGetLineNo(node) : 0;
    throw ModelError(url_ + ":" + std::to_string(line > 0 ? line : 0) + ": " + message);
  }

  static std::string nameOf(const xmlNode* node) {
    return reinterpret_cast<const char*>(node->name);
  }

  // The element's attributes; any attribute not in allowed is refused.
  Attributes attributes(const xmlNode* node, std::initializer_list<const char*> allowed) const {
    Attributes found;
    for (const xmlAttr* a = node->properties; a != nullptr; a = a->next) {
      const std::string name = reinterpret_cast<const char*>(a->name);
      if (std::find_if(allowed.begin(), allowed.end(), [&](const char* n) { return name == n; }) ==
          allowed.end()) {
        fail(node, "element " + nameOf(node) + " has no attribute " + name);
      }
      xmlChar* value = xmlNodeListGetString(node->doc, a->children, 1);
      found[name] = value != nullptr ? reinterpret_cast<const char*>(value) : "";
      xmlFree(value);
    }
    return found;
  }

  std::string required(const xmlNode* node, const Attributes& a, const char* name) const {
    const auto it = a.find(name);
    if (it == a.end()) fail(node, "element " + nameOf(node) + " needs attribute " + name);
    return it->second;
  }

  int64_t integer(const xmlNode* node, const std::string& text, const char* what) const {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.find_first_not_of(hex ? "0123456789abcdefABCDEF"
                                                       : "-0123456789") != std::string::npos) {
      fail(node, std::string(what) + " \"" + text + "\" is not a whole number");
    }
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(digits.c_str(), &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || value > kLargestCoordinate || value < -kLargestCoordinate) {
      fail(node, std::string(what) + " " + text + " is out of range");
    }
    return value;
  }

  int32_t coordinate(const xmlNode* node, const Attributes& a, const char* name,
                     bool needed) const {
    const auto it = a.find(name);
    if (it == a.end()) {
      if (needed) required(node, a, name);
      return 0;
    }
    return static_cast<int32_t>(integer(node, it->second, name));
  }

  int32_t identifier(const xmlNode* node, const Attributes& a, const char* name) const {
    const int64_t value = integer(node, required(node, a, name), name);
    if (value <= 0) fail(node, std::string(name) + " must be greater than 0");
    return static_cast<int32_t>(value);
  }

  std::string name(const xmlNode* node, const Attributes& a, const char* attribute, bool needed,
                   size_t longest) const {
    const auto it = a.find(attribute);
    if (it == a.end()) return needed ? required(node, a, attribute) : std::string();
    if (unicode::length(it->second) > longest) {
      fail(node,
           std::string(attribute) + " is longer than " + std::to_string(longest) + " characters");
    }
    if (needed && it->second.empty()) fail(node, std::string(attribute) + " is empty");
    return it->second;
  }

  Rect rect(const xmlNode* node, const Attributes& a, bool needed) const {
    Rect r{coordinate(node, a, "Left", needed), coordinate(node, a, "Top", needed),
           coordinate(node, a, "Right", needed), coordinate(node, a, "Bottom", needed)};
    if (r.right < r.left) fail(node, "Right is smaller than Left");
    if (r.bottom < r.top) fail(node, "Bottom is smaller than Top");
    return r;
  }

 private:
  std::string url_;
};

std::vector<const xmlNode*> elements(const xmlNode* parent) {
  std::vector<const xmlNode*> list;
  for (const xmlNode* n = parent->children; n != nullptr; n = n->next) {
    if (n->type == XML_ELEMENT_NODE) list.push_back(n);
  }
  return list;
}

bool flagValue(const std::string& text) {
  return text == "true" || text == "True" || text == "1";
}

SymbolModel readSymbol(const Reader& r, const xmlNode* node) {
  const Attributes a = r.attributes(
      node, {"DDID", "Name", "Type", "Flags", "Left", "Top", "Right", "Bottom", "Problem"});
  SymbolModel s;
  s.id = r.identifier(node, a, "DDID");
  s.name = r.name(node, a, "Name", true, kLongestName);
  s.type = static_cast<int32_t>(r.integer(node, r.required(node, a, "Type"), "Type"));
  if (const auto it = a.find("Flags"); it != a.end()) {
    const int64_t flags = r.integer(node, it->second, "Flags");
    if (flags < 0 || flags > 0xFFFF) r.fail(node, "Flags must lie between 0 and 0xFFFF");
    s.flags = static_cast<uint32_t>(flags);
  }
  s.rect = r.rect(node, a, true);
  s.problem = r.name(node, a, "Problem", false, kLongestProblem);
  for (const xmlNode* child : elements(node)) {
    if (Reader::nameOf(child) != "Related") r.fail(child, "a Symbol holds only Related elements");
    s.related.push_back(r.identifier(child, r.attributes(child, {"DDID"}), "DDID"));
  }
  return s;
}

DiagramModel readDiagram(const Reader& r, const xmlNode* node, std::set<int32_t>& symbolIds) {
  const Attributes a =
      r.attributes(node, {"DDID", "Name", "Type", "Left", "Top", "Right", "Bottom"});
  DiagramModel d;
  d.id = r.identifier(node, a, "DDID");
  d.name = r.name(node, a, "Name", true, kLongestName);
  d.type = static_cast<int32_t>(r.integer(node, r.required(node, a, "Type"), "Type"));
  d.page = r.rect(node, a, false);
  std::set<int32_t> own;
  std::vector<const xmlNode*> lineNodes;
  for (const xmlNode* child : elements(node)) {
    const std::string kind = Reader::nameOf(child);
    if (kind == "Symbol") {
      SymbolModel s = readSymbol(r, child);
      if (!symbolIds.insert(s.id).second) {
        r.fail(child, "symbol " + std::to_string(s.id) + " appears twice");
      }
      own.insert(s.id);
      d.symbols.push_back(std::move(s));
    } else if (kind == "Line") {
      lineNodes.push_back(child);
    } else {
      r.fail(child, "a Diagram holds only Symbol and Line elements");
    }
  }
  for (const xmlNode* line : lineNodes) {
    const Attributes la = r.attributes(line, {"From", "To", "Name"});
    LineModel l{r.identifier(line, la, "From"), r.identifier(line, la, "To"),
                r.name(line, la, "Name", false, kLongestName)};
    if (own.count(l.from) == 0 || own.count(l.to) == 0) {
      r.fail(line, "a Line joins symbols of its own diagram only");
    }
    d.lines.push_back(std::move(l));
  }
  computeNestingLevels(d);
  return d;
}

TypeDefinition readType(const Reader& r, const xmlNode* node, bool diagram) {
  const Attributes a = diagram ? r.attributes(node, {"Number", "Name", "SecondNotation"})
                               : r.attributes(node, {"Number", "Name"});
  TypeDefinition t;
  t.number = static_cast<int32_t>(r.integer(node, r.required(node, a, "Number"), "Number"));
  t.name = r.name(node, a, "Name", true, kLongestName);
  if (const auto it = a.find("SecondNotation"); it != a.end())
    t.secondNotation = flagValue(it->second);
  return t;
}

// The document parsed without any external entity or DTD.
class ParsedDocument {
 public:
  ParsedDocument(const std::string& text, const std::string& url) {
    xml::LoadOptions options;
    options.resolveExternals = false;
    options.validateOnParse = false;
    xml::ParseOutcome outcome = xml::parseText(text, url, options, xml::TextSource::FileBytes);
    doc_ = outcome.doc;
    if (doc_ == nullptr) {
      std::string reason = outcome.error.reason;
      while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
      throw ModelError(url + ":" + std::to_string(outcome.error.line) + ": " + reason);
    }
  }
  ParsedDocument(const ParsedDocument&) = delete;
  ParsedDocument& operator=(const ParsedDocument&) = delete;
  ~ParsedDocument() { xmlFreeDoc(doc_); }
  xmlDocPtr get() const { return doc_; }

 private:
  xmlDocPtr doc_ = nullptr;
};

}  // namespace

ModelFile parseModel(const std::string& text, const std::string& url) {
  const ParsedDocument doc(text, url);
  const Reader r(url);
  const xmlNode* root = xmlDocGetRootElement(doc.get());
  if (root == nullptr || Reader::nameOf(root) != "Model")
    r.fail(root, "the root element is not Model");
  r.attributes(root, {"Name"});
  ModelFile model;
  std::set<int32_t> symbolIds;
  std::set<int32_t> diagramIds;
  std::set<int32_t> diagramTypes;
  std::set<int32_t> symbolTypes;
  std::vector<const xmlNode*> diagramNodes;
  for (const xmlNode* child : elements(root)) {
    const std::string kind = Reader::nameOf(child);
    if (kind == "DiagramType" || kind == "SymbolType") {
      const bool diagram = kind == "DiagramType";
      TypeDefinition t = readType(r, child, diagram);
      if (!(diagram ? diagramTypes : symbolTypes).insert(t.number).second) {
        r.fail(child, kind + " " + std::to_string(t.number) + " appears twice");
      }
      (diagram ? model.diagramTypes : model.symbolTypes).push_back(std::move(t));
    } else if (kind == "Diagram") {
      DiagramModel d = readDiagram(r, child, symbolIds);
      if (!diagramIds.insert(d.id).second) {
        r.fail(child, "diagram " + std::to_string(d.id) + " appears twice");
      }
      diagramNodes.push_back(child);
      model.diagrams.push_back(std::move(d));
    } else {
      r.fail(child, "a Model holds only DiagramType, SymbolType and Diagram elements");
    }
  }
  for (size_t i = 0; i < model.diagrams.size(); ++i) {
    for (const SymbolModel& s : model.diagrams[i].symbols) {
      if (diagramIds.count(s.id) != 0) {
        r.fail(diagramNodes[i],
               "identifier " + std::to_string(s.id) + " is used by a diagram and a symbol");
      }
    }
  }
  return model;
}

ModelFile readModelFile(const std::string& path) {
  std::string text;
  const int error = platform::readRegularFile(path, text, kLargestModelFile);
  if (error != 0) throw ModelError(path + ": " + platform::readErrorText(error, kLargestModelFile));
  return parseModel(text, path);
}

namespace {

bool rowExists(ado::Connection& connection, const std::string& sql) {
  return !connection.Execute(sql)->Eof();
}

// Checks what the model refers to outside itself against the repository.
void checkReferences(ado::Connection& connection, const ModelFile& model) {
  std::set<int32_t> types;
  for (const TypeDefinition& t : model.diagramTypes) types.insert(t.number);
  std::set<int32_t> diagrams;
  for (const DiagramModel& d : model.diagrams) diagrams.insert(d.id);
  for (const DiagramModel& d : model.diagrams) {
    const std::string where = "diagram " + std::to_string(d.id) + ": ";
    if (types.count(d.type) == 0 &&
        !rowExists(connection, "SELECT TypeNumber FROM DiagramType WHERE TypeNumber = " +
                                   std::to_string(d.type))) {
      throw ModelError(where + "diagram type " + std::to_string(d.type) + " is not defined");
    }
    for (const SymbolModel& s : d.symbols) {
      const std::string id = std::to_string(s.id);
      std::string otherDiagram = "SELECT DDID FROM Symbol WHERE DDID = ";
      otherDiagram.append(id).append(" AND DiagramID <> ").append(std::to_string(d.id));
      if (rowExists(connection, otherDiagram) ||
          (diagrams.count(s.id) == 0 &&
           rowExists(connection, "SELECT DDID FROM Diagram WHERE DDID = " + id))) {
        std::string message = where;
        message.append("identifier ")
            .append(id)
            .append(" belongs to another item of the repository");
        throw ModelError(message);
      }
      for (int32_t related : s.related) {
        if (diagrams.count(related) == 0 &&
            !rowExists(connection,
                       "SELECT DDID FROM Diagram WHERE DDID = " + std::to_string(related))) {
          std::string message = where;
          message.append("symbol ").append(id).append(" refers to diagram ");
          message.append(std::to_string(related)).append(", which does not exist");
          throw ModelError(message);
        }
      }
    }
  }
}

void upsertType(ado::Connection& connection, const char* table, const TypeDefinition& t,
                bool diagram) {
  const std::string number = std::to_string(t.number);
  connection.Execute(std::string("DELETE FROM ") + table + " WHERE TypeNumber = " + number);
  connection.Execute(std::string("INSERT INTO ") + table + " (TypeNumber, Name" +
                     (diagram ? ", SecondNotation" : "") + ") VALUES (" + number + ", " +
                     sqlText(t.name) + (diagram ? (t.secondNotation ? ", 1" : ", 0") : "") + ")");
}

std::string rectValues(const Rect& r) {
  return std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) +
         ", " + std::to_string(r.bottom);
}

void removeDiagram(ado::Connection& connection, const std::string& id) {
  connection.Execute(
      "DELETE FROM SymbolRelatedDiagram WHERE SymbolID IN (SELECT DDID FROM Symbol WHERE "
      "DiagramID = " +
      id + ")");
  connection.Execute("DELETE FROM Symbol WHERE DiagramID = " + id);
  connection.Execute("DELETE FROM DiagramLine WHERE DiagramID = " + id);
  connection.Execute("DELETE FROM Diagram WHERE DDID = " + id);
}

void insertDiagram(ado::Connection& connection, const DiagramModel& d, ImportReport& report) {
  const std::string id = std::to_string(d.id);
  connection.Execute("INSERT INTO Diagram (DDID, Name, TypeNumber, X1, Y1, X2, Y2) VALUES (" + id +
                     ", " + sqlText(d.name) + ", " + std::to_string(d.type) + ", " +
                     rectValues(d.page) + ")");
  int32_t position = 0;
  for (const SymbolModel& s : d.symbols) {
    const std::string sid = std::to_string(s.id);
    std::string insert =
        "INSERT INTO Symbol (DDID, DiagramID, Position, Name, TypeNumber, Flags, X1, Y1, X2, Y2, "
        "Problem) VALUES (";
    insert.append(sid).append(", ").append(id).append(", ").append(std::to_string(position++));
    insert.append(", ").append(sqlText(s.name)).append(", ").append(std::to_string(s.type));
    insert.append(", ").append(std::to_string(s.flags)).append(", ").append(rectValues(s.rect));
    insert.append(", ").append(s.problem.empty() ? std::string("NULL") : sqlText(s.problem));
    connection.Execute(insert + ")");
    for (size_t i = 0; i < s.related.size(); ++i) {
      connection.Execute(
          "INSERT INTO SymbolRelatedDiagram (SymbolID, Position, DiagramID) VALUES (" + sid + ", " +
          std::to_string(i) + ", " + std::to_string(s.related[i]) + ")");
    }
    ++report.symbols;
  }
  for (const LineModel& l : d.lines) {
    connection.Execute("INSERT INTO DiagramLine (DiagramID, FromID, ToID, Name) VALUES (" + id +
                       ", " + std::to_string(l.from) + ", " + std::to_string(l.to) + ", " +
                       sqlText(l.name) + ")");
    ++report.lines;
  }
  ++report.diagrams;
}

}  // namespace

ImportReport importModel(ado::Connection& connection, const ModelFile& model) {
  ImportReport report;
  connection.BeginTrans();
  try {
    createModelTables(connection);
    for (const TypeDefinition& t : model.diagramTypes)
      upsertType(connection, "DiagramType", t, true);
    for (const TypeDefinition& t : model.symbolTypes)
      upsertType(connection, "SymbolType", t, false);
    for (const DiagramModel& d : model.diagrams) {
      const std::string id = std::to_string(d.id);
      if (rowExists(connection, "SELECT DDID FROM Diagram WHERE DDID = " + id)) {
        removeDiagram(connection, id);
        ++report.replaced;
      }
    }
    checkReferences(connection, model);
    for (const DiagramModel& d : model.diagrams) insertDiagram(connection, d, report);
    connection.CommitTrans();
  } catch (...) {
    try {
      connection.RollbackTrans();
    } catch (const AutomationError&) {
      // The original failure is the one worth reporting.
    }
    throw;
  }
  return report;
}

}  // namespace qxvb::qxhost
