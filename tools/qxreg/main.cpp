// qxreg: the registry store from the shell. Exports and imports branches as
// regedit files and shows keys and values.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "platform/ansi.h"
#include "platform/registry/reg_file.h"
#include "platform/registry/registry_store.h"
#include "platform/registry/unicode.h"

namespace {

using namespace qxvb::registry;

constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr const char* kHelp =
    "Usage: qxreg export ROOT\\PATH FILE    write a branch to a .reg file "
    "(UTF-16LE)\n"
    "       qxreg import [--codepage CP] FILE  apply a .reg file; 8-bit text\n"
    "                                       that is not UTF-8 is read in code\n"
    "                                       page CP (1252, 1251, 936 or GBK, ...),\n"
    "                                       by default the ANSI code page of\n"
    "                                       the locale's language\n"
    "       qxreg query ROOT\\PATH [VALUE]   show a key's values and subkeys, "
    "or one value\n"
    "       qxreg --help\n"
    "\n"
    "ROOT is HKEY_CURRENT_USER (HKCU), HKEY_LOCAL_MACHINE (HKLM), "
    "HKEY_CLASSES_ROOT (HKCR)\n"
    "or HKEY_CURRENT_CONFIG (HKCC). Use \"(Default)\" or \"\" as VALUE for the "
    "default value.\n"
    "\n"
    "HKEY_CURRENT_USER is kept in "
    "$XDG_CONFIG_HOME/qxvbutils/registry-hkcu.sqlite,\n"
    "HKEY_LOCAL_MACHINE in $QXVB_MACHINE_DIR/registry-hklm.sqlite.\n";

int usage(const std::string& message) {
  std::cerr << "qxreg: " << message << "\n\n" << kHelp;
  return kUsage;
}

int fail(const std::string& message) {
  std::cerr << "qxreg: " << message << "\n";
  return kFailed;
}

std::string typeName(std::uint32_t type) {
  switch (type) {
    case kRegNone:
      return "REG_NONE";
    case kRegSz:
      return "REG_SZ";
    case kRegExpandSz:
      return "REG_EXPAND_SZ";
    case kRegBinary:
      return "REG_BINARY";
    case kRegDword:
      return "REG_DWORD";
    case kRegMultiSz:
      return "REG_MULTI_SZ";
    case kRegQword:
      return "REG_QWORD";
    default: {
      char name[24];
      std::snprintf(name, sizeof name, "0x%x", type);
      return name;
    }
  }
}

std::string hexText(const Bytes& data) {
  std::string text;
  char pair[4];
  for (const std::uint8_t byte : data) {
    std::snprintf(pair, sizeof pair, "%02X", byte);
    text += pair;
  }
  return text;
}

std::string dataText(const Value& value) {
  switch (value.type) {
    case kRegSz:
    case kRegExpandSz:
      return readString(value.data);
    case kRegMultiSz: {
      std::string text;
      for (const std::string& part : readMultiString(value.data)) {
        text += (text.empty() ? "" : "\\0") + part;
      }
      return text;
    }
    case kRegDword:
      if (const auto number = readDword(value.data)) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%x", *number);
        return text;
      }
      return hexText(value.data);
    case kRegQword:
      if (value.data.size() == 8) {
        unsigned long long number = 0;
        for (int i = 7; i >= 0; --i) number = (number << 8) | value.data[i];
        char text[24];
        std::snprintf(text, sizeof text, "0x%llx", number);
        return text;
      }
      return hexText(value.data);
    default:
      return hexText(value.data);
  }
}

void printValue(const Value& value) {
  std::cout << "    " << (value.name.empty() ? "(Default)" : value.name) << "    "
            << typeName(value.type) << "    " << dataText(value) << "\n";
}

bool parseKey(const std::string& argument, RootKey& root, std::string& path) {
  const auto split = splitRootPath(argument);
  if (!split) return false;
  root = split->first;
  path = split->second;
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return true;
}

// The value's name in the case it was first written with.
std::string storedValueName(RootKey root, const std::string& path, const std::string& name) {
  std::vector<Value> values;
  listValues(root, path, values);
  const std::string folded = unicode::foldName(name);
  for (const Value& value : values) {
    if (unicode::foldName(value.name) == folded) return value.name;
  }
  return name;
}

std::string fullName(RootKey root, const std::string& path) {
  return std::string(rootName(root)) + (path.empty() ? "" : "\\" + path);
}

int query(const std::vector<std::string>& args) {
  if (args.size() < 2 || args.size() > 3) return usage("query takes a key and optionally a value");
  RootKey root;
  std::string path;
  if (!parseKey(args[1], root, path)) return usage("unknown root key in \"" + args[1] + "\"");
  std::string stored;
  Status status = storedPath(root, path, stored);
  if (status != kSuccess) return fail(fullName(root, path) + ": " + statusText(status));
  const std::string name = fullName(root, stored);

  if (args.size() == 3) {
    const std::string wanted = args[2] == "(Default)" ? "" : args[2];
    Value value;
    status = queryValue(root, stored, wanted, value.type, value.data);
    if (status != kSuccess) {
      return fail(name + ": value \"" + args[2] + "\": " + statusText(status));
    }
    value.name = storedValueName(root, stored, wanted);
    std::cout << name << "\n";
    printValue(value);
    return 0;
  }

  std::vector<Value> values;
  std::vector<std::string> subKeys;
  status = listValues(root, stored, values);
  if (status == kSuccess) status = listSubKeys(root, stored, subKeys);
  if (status != kSuccess) return fail(name + ": " + statusText(status));
  std::cout << name << "\n";
  for (const Value& value : values) printValue(value);
  if (!subKeys.empty()) std::cout << "\n";
  for (const std::string& subKey : subKeys) std::cout << name << "\\" << subKey << "\n";
  return 0;
}

int exportBranch(const std::vector<std::string>& args) {
  if (args.size() != 3) return usage("export takes a key and a file name");
  RootKey root;
  std::string path;
  if (!parseKey(args[1], root, path)) return usage("unknown root key in \"" + args[1] + "\"");
  std::string error;
  if (exportBranchToFile(root, path, args[2], error) != kSuccess) {
    return fail(fullName(root, path) + ": " + error);
  }
  return 0;
}

int import(const std::vector<std::string>& args) {
  std::string codePage;
  std::vector<std::string> rest(args.begin() + 1, args.end());
  if (!rest.empty() && (rest[0] == "--codepage" || rest[0].rfind("--codepage=", 0) == 0)) {
    if (rest[0] == "--codepage") {
      if (rest.size() < 2) return usage("--codepage needs a code page");
      codePage = rest[1];
      rest.erase(rest.begin(), rest.begin() + 2);
    } else {
      codePage = rest[0].substr(11);
      rest.erase(rest.begin());
    }
    if (!qxvb::ansi::codePageToUtf8("", codePage)) {
      return usage("unknown code page \"" + codePage + "\"");
    }
  }
  if (rest.size() != 1) return usage("import takes a file name");
  const std::string& file = rest[0];
  const ImportResult result = importRegFile(file, codePage);
  for (const std::string& error : result.errors)
    std::cerr << "qxreg: " << file << ": " << error << "\n";
  if (result.keys + result.values > 0 || result.ok()) {
    std::cout << "qxreg: " << result.keys << " key(s) and " << result.values
              << " value(s) imported from " << file << "\n";
  }
  return result.ok() ? 0 : kFailed;
}

int run(const std::vector<std::string>& args) {
  if (args.empty()) return usage("no command given");
  const std::string& command = args[0];
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kHelp;
    return 0;
  }
  if (command == "query") return query(args);
  if (command == "export") return exportBranch(args);
  if (command == "import") return import(args);
  return usage("unknown command \"" + command + "\"");
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  int rc = kFailed;
  try {
    rc = run(args);
  } catch (const std::exception& error) {
    rc = fail(error.what());
  }
  // A database that could not be used is reported once, whatever failed.
  const std::string failure = firstFailure();
  if (!failure.empty()) {
    std::cerr << "qxreg: " << failure << "\n";
    if (rc == 0) rc = kFailed;
  }
  return rc;
}
