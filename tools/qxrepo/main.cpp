// qxrepo: creates and describes embedded repository files, and moves files
// in and out of their file store.
#include <charconv>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "database/repository/embedded_repository.h"
#include "file_commands.h"
#include "frame/automation_error.h"
#include "frame/module_state.h"
#include "line_files.h"
#include "model_command.h"

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr const char* kHelp =
    "usage: qxrepo create FILE   create an embedded repository in FILE (never overwritten)\n"
    "       qxrepo info FILE     show the repository's version code and tables\n"
    "       qxrepo import [OPTIONS] REPO FILE|FOLDER...\n"
    "                            store files (a folder: every file below it, named by\n"
    "                            its path inside the folder)\n"
    "       qxrepo model REPO MODEL\n"
    "                            load the diagrams of the model file MODEL\n"
    "       qxrepo list REPO     show the names of the stored files\n"
    "       qxrepo export [OPTIONS] REPO NAME...|--all FOLDER\n"
    "                            write stored files below FOLDER under their names\n"
    "       qxrepo delete [OPTIONS] REPO NAME...\n"
    "                            delete stored files\n"
    "       qxrepo --help\n"
    "\n"
    "Options of import, export and delete:\n"
    "  --from FILE     read further files or names from FILE, one per line (- reads\n"
    "                  standard input)\n"
    "  --wait SECONDS  how long each file waits for a repository another program\n"
    "                  has locked (default 5)\n"
    "\n"
    "A file the store refuses is reported and the others are still done. Exit\n"
    "status: 0 success, 1 when anything failed, 2 for a usage error.\n";

struct UsageError : std::invalid_argument {
  using std::invalid_argument::invalid_argument;
};

// The operands of a file-store command, with its options taken out.
struct StoreCommand {
  qxrepo::StoreOptions options;
  bool all = false;
  std::vector<std::string> operands;
};

StoreCommand parseStoreCommand(const std::vector<std::string>& words, bool allowAll) {
  StoreCommand c;
  std::vector<std::string> fromFiles;
  bool optionsOver = false;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (!optionsOver && w == "--") {
      optionsOver = true;
    } else if (!optionsOver && (w == "--from" || w == "--wait")) {
      if (i + 1 >= words.size()) throw UsageError(w + " needs a value");
      const std::string& value = words[++i];
      if (w == "--from") {
        fromFiles.push_back(value);
        continue;
      }
      int seconds = -1;
      const auto r = std::from_chars(value.data(), value.data() + value.size(), seconds);
      if (r.ec != std::errc() || r.ptr != value.data() + value.size() || seconds < 0) {
        throw UsageError("--wait takes a whole number of seconds");
      }
      c.options.waitSeconds = seconds;
    } else if (!optionsOver && allowAll && w == "--all") {
      c.all = true;
    } else if (!optionsOver && w.size() > 1 && w[0] == '-' && w != "-") {
      throw UsageError("unknown option " + w);
    } else if (c.options.repository.empty()) {
      c.options.repository = w;
    } else {
      c.operands.push_back(w);
    }
  }
  if (c.options.repository.empty()) throw UsageError("missing REPO");
  // Lines read from files come after the operands of the command line, but
  // export's last operand stays the folder.
  std::vector<std::string> lines;
  for (const std::string& file : fromFiles) {
    for (auto& line : qxtools::readLines(file)) lines.push_back(std::move(line));
  }
  const auto at = allowAll && !c.operands.empty() ? c.operands.end() - 1 : c.operands.end();
  c.operands.insert(at, lines.begin(), lines.end());
  return c;
}

int run(const std::string& command, const std::vector<std::string>& words) {
  if (command == "create" || command == "info") {
    if (words.size() != 1) throw UsageError(command + " takes one FILE");
    if (command == "create") {
      const qxvb::EmbeddedRepositoryReport report = qxvb::createEmbeddedRepository(words[0]);
      std::printf("created %s\n", words[0].c_str());
      for (const std::string& table : report.tables) std::printf("  table %s\n", table.c_str());
      for (const std::string& table : qxrepo::createModelTables(words[0])) {
        std::printf("  table %s\n", table.c_str());
      }
      for (const std::string& skipped : report.skipped) {
        std::fprintf(stderr, "qxrepo: table not created: %s\n", skipped.c_str());
      }
      return 0;
    }
    const qxvb::EmbeddedRepositoryInfo info = qxvb::describeEmbeddedRepository(words[0]);
    std::printf("file %s\nversion %d\n", words[0].c_str(), info.version);
    for (const auto& table : info.tables) {
      std::printf("  table %s: %lld rows\n", table.name.c_str(),
                  static_cast<long long>(table.rows));
    }
    return 0;
  }
  if (command == "model") {
    if (words.size() != 2) throw UsageError("model takes REPO and MODEL");
    return qxrepo::loadModel(words[0], words[1]);
  }
  if (command == "list") {
    if (words.size() != 1) throw UsageError("list takes one REPO");
    return qxrepo::listFiles({words[0]});
  }
  if (command == "import") {
    const StoreCommand c = parseStoreCommand(words, false);
    if (c.operands.empty()) throw UsageError("import needs FILE or FOLDER");
    return qxrepo::importFiles(c.options, c.operands);
  }
  if (command == "export") {
    StoreCommand c = parseStoreCommand(words, true);
    if (c.operands.empty()) throw UsageError("export needs FOLDER");
    const std::string folder = c.operands.back();
    c.operands.pop_back();
    if (c.all == !c.operands.empty()) throw UsageError("export takes NAME... or --all");
    return qxrepo::exportFiles(c.options, c.operands, folder);
  }
  if (command == "delete") {
    const StoreCommand c = parseStoreCommand(words, false);
    if (c.operands.empty()) throw UsageError("delete needs NAME");
    return qxrepo::deleteFiles(c.options, c.operands);
  }
  throw UsageError(command.empty() ? "missing command" : "unknown command " + command);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "--help" || command == "-h") {
    std::fputs(kHelp, stdout);
    return 0;
  }
  int rc = kFailed;
  try {
    rc = run(command, std::vector<std::string>(argv + std::min(argc, 2), argv + argc));
  } catch (const std::invalid_argument& e) {
    std::fprintf(stderr, "qxrepo: %s\n\n%s", e.what(), kHelp);
    rc = kUsage;
  } catch (const qxvb::AutomationError& e) {
    std::fprintf(stderr, "qxrepo: %s (%d)\n", e.description().c_str(), e.number());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qxrepo: %s\n", e.what());
  }
  qxvb::unloadThread();
  return rc;
}
