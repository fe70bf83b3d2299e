// Writes the type stubs of the qxvbutils package: the hand-written part
// (the package's own types), then one class per class of the catalogue
// with its members as the member tables list them, and create() overloads
// that tie each ProgID and class identifier to its class.
//
// usage: qxvb_pystubs HEADER.pyi OUTPUT.pyi
#include <stdlib.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "frame/catalogue.h"
#include "frame/dispatch.h"
#include "frame/module_state.h"

namespace {

namespace fs = std::filesystem;

const std::set<std::string> kKeywords = {
    "False", "None",     "True",  "and",    "as",   "assert", "async",  "await",    "break",
    "class", "continue", "def",   "del",    "elif", "else",   "except", "finally",  "for",
    "from",  "global",   "if",    "import", "in",   "is",     "lambda", "nonlocal", "not",
    "or",    "pass",     "raise", "return", "try",  "while",  "with",   "yield"};

// Names the package itself uses for its own types.
const std::set<std::string> kTaken = {
    "Object",     "Collection", "Record",      "Array",           "Bytes",          "Member",
    "ErrorValue", "EmptyType",  "NothingType", "AutomationError", "MemberNotFound", "Value"};

bool isIdentifier(const std::string& name) {
  if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0])) != 0) return false;
  for (const char c : name) {
    if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '_') return false;
  }
  return kKeywords.count(name) == 0;
}

// The Python type a parameter's name announces by its type prefix
// (v_strText, r_lngWidth, v_blnShow, oConnection, ...).
std::string typeOfParameter(std::string name) {
  if (name.rfind("v_", 0) == 0 || name.rfind("r_", 0) == 0) name = name.substr(2);
  size_t n = 0;
  while (n < name.size() && std::islower(static_cast<unsigned char>(name[n])) != 0) ++n;
  if (n == name.size()) return "Value";
  static const std::map<std::string, std::string> kPrefixes = {
      {"str", "str"},    {"s", "str"},          {"lng", "int"},      {"int", "int"},
      {"l", "int"},      {"i", "int"},          {"n", "int"},        {"bln", "bool"},
      {"b", "bool"},     {"dbl", "float"},      {"sng", "float"},    {"o", "Object"},
      {"obj", "Object"}, {"col", "Collection"}, {"dte", "datetime"}, {"dt", "datetime"}};
  const auto it = kPrefixes.find(name.substr(0, n));
  return it == kPrefixes.end() ? "Value" : it->second;
}

std::string parameterName(const std::string& name) {
  return isIdentifier(name) ? name : name + "_";
}

std::string signature(const qxvb::MemberInfo& member) {
  std::string out = "self";
  for (const auto& p : member.params) {
    out += ", " + parameterName(p.name) + ": " + typeOfParameter(p.name);
    if (p.optional) out += " = ...";
  }
  return out;
}

bool hasByRef(const qxvb::MemberInfo& member) {
  for (const auto& p : member.params) {
    if (p.byRef) return true;
  }
  return false;
}

std::string resultOf(const qxvb::MemberInfo& member) {
  return hasByRef(member) ? "tuple[Any, ...]" : "Any";
}

void writeClass(std::ostream& out, const std::string& name, const qxvb::DispatchTable& table,
                const std::vector<const qxvb::ClassInfo*>& infos) {
  out << "\nclass " << name << "(Object):\n    \"\"\"";
  for (size_t i = 0; i < infos.size(); ++i) {
    out << (i > 0 ? ", " : "") << infos[i]->progId;
  }
  out << "\"\"\"\n";
  std::set<std::string> done;
  for (const auto* m : table.members()) {
    if (!isIdentifier(m->name) || done.count(m->name) != 0) continue;
    const auto* method = table.find(m->name, qxvb::kMethod);
    const auto* get = table.find(m->name, qxvb::kPropertyGet);
    const auto* put = table.find(m->name, qxvb::kPropertyPut | qxvb::kPropertyPutRef);
    done.insert(m->name);
    const qxvb::MemberInfo* callable =
        method != nullptr ? method : (get != nullptr && !get->params.empty() ? get : nullptr);
    if (callable != nullptr) {
      out << "    def " << m->name << "(" << signature(*callable) << ") -> " << resultOf(*callable)
          << ": ...\n";
      continue;
    }
    out << "    @property\n    def " << m->name << "(self) -> Any: ...\n";
    if (put != nullptr && put->params.size() == 1) {
      out << "    @" << m->name << ".setter\n    def " << m->name
          << "(self, value: Value) -> None: ...\n";
    }
  }
  if (done.empty()) out << "    ...\n";
}

// Per-user state of object creation goes to a folder removed at the end.
struct ScratchState {
  fs::path folder;
  ScratchState() {
    std::string pattern = (fs::temp_directory_path() / "qxvb-stubs-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
    folder = pattern;
    for (const char* var :
         {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "HOME", "QXVB_MACHINE_DIR"}) {
      setenv(var, (folder / var).c_str(), 1);
    }
  }
  ScratchState(const ScratchState&) = delete;
  ScratchState& operator=(const ScratchState&) = delete;
  ~ScratchState() {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: qxvb_pystubs HEADER.pyi OUTPUT.pyi\n";
    return 2;
  }
  const ScratchState scratch;
  std::ifstream header(argv[1]);
  if (!header) {
    std::cerr << "qxvb_pystubs: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::ostringstream out;
  out << "# Type stubs of qxvbutils; the classes below are generated from the library's\n"
         "# member tables.\n"
      << header.rdbuf();

  // Objects are kept until the end, so each table is seen once by address.
  std::vector<qxvb::Object> instances;
  std::map<const qxvb::DispatchTable*, std::vector<const qxvb::ClassInfo*>> byTable;
  std::vector<const qxvb::DispatchTable*> order;
  qxvb::ensureThreadLoaded();
  for (const auto& info : qxvb::Catalogue::instance().classes()) {
    if (!info.factory) continue;
    try {
      instances.push_back(info.factory());
    } catch (const std::exception& e) {
      std::cerr << "qxvb_pystubs: " << info.progId << " not described: " << e.what() << "\n";
      continue;
    }
    const auto* table = &instances.back()->dispatchTable();
    if (byTable.count(table) == 0) order.push_back(table);
    byTable[table].push_back(&info);
  }

  std::map<const qxvb::DispatchTable*, std::string> names;
  std::set<std::string> used = kTaken;
  for (const auto* table : order) {
    std::string name = table->className();
    if (!isIdentifier(name)) name = "Class_" + std::to_string(names.size());
    while (used.count(name) != 0) name += "_";
    used.insert(name);
    names[table] = name;
    writeClass(out, name, *table, byTable[table]);
  }

  out << "\n";
  for (const auto* table : order) {
    std::string ids;
    for (const auto* info : byTable[table]) {
      if (info->instancing == qxvb::Instancing::PublicNotCreatable) continue;
      for (const std::string& id : {info->progId, info->clsid}) {
        if (!id.empty()) ids += (ids.empty() ? "\"" : ", \"") + id + "\"";
      }
    }
    if (ids.empty()) continue;
    out << "@overload\ndef create(progid: Literal[" << ids << "]) -> " << names[table] << ": ...\n";
  }
  out << "@overload\ndef create(progid: str) -> Object: ...\n";

  instances.clear();
  qxvb::unloadThread();
  const fs::path target = argv[2];
  const fs::path temporary = target.string() + ".tmp";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file << out.str();
    if (!file.flush()) {
      std::cerr << "qxvb_pystubs: cannot write " << target << "\n";
      return 1;
    }
  }
  fs::rename(temporary, target);
  return 0;
}
