#include "file_commands.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "ado/connection.h"
#include "ado/recordset.h"
#include "database/repository/embedded_repository.h"
#include "filemanager/file_store.h"
#include "filemanager/store_connection.h"
#include "filemanager/stored_names.h"
#include "frame/automation_error.h"
#include "frame/vb_conversions.h"
#include "progress.h"

namespace qxrepo {

namespace {

namespace fs = std::filesystem;
using qxvb::filestore::FileStore;
using qxvb::filestore::Import_File;

constexpr int kFailed = 1;

std::string describe(const qxvb::AutomationError& e) {
  return e.description() + " (" + std::to_string(e.number()) + ")";
}

// Runs one file's operation; a failure is reported and counted, and the run
// goes on with the next file.
template <class Fn>
bool eachFile(Progress& progress, const std::string& what, Fn&& operation) {
  try {
    operation();
    return true;
  } catch (const qxvb::AutomationError& e) {
    progress.message("qxrepo: " + what + ": " + describe(e));
  } catch (const qxvb::filestore::ProcedureRefused& refused) {
    progress.message("qxrepo: " + what + ": " + refused.message);
  } catch (const std::exception& e) {
    progress.message("qxrepo: " + what + ": " + e.what());
  }
  return false;
}

// The store of a repository file, checked to hold a file table.
FileStore openRepositoryStore(const StoreOptions& options) {
  struct stat info {};
  if (stat(options.repository.c_str(), &info) != 0) {
    throw std::runtime_error(options.repository + ": no such repository file");
  }
  if (!S_ISREG(info.st_mode)) {
    throw std::runtime_error(options.repository + ": not a repository file");
  }
  const qxvb::filestore::OpenedStore opened = qxvb::filestore::openStore(
      qxvb::Object(), qxvb::embeddedConnectionString(options.repository), 0);
  opened.setup.connection->setCommandTimeout(options.waitSeconds);
  FileStore store(opened.setup);
  try {
    store.exists("");
  } catch (const qxvb::AutomationError& e) {
    throw std::runtime_error(options.repository +
                             ": not a repository with a file store: " + e.description());
  }
  return store;
}

struct ImportItem {
  std::string path;
  std::string rename;  // empty: the name the file manager gives the path
};

// The regular files below a folder, in name order, stored under their
// path relative to it; links and special files are reported and left out.
void collectFolder(const fs::path& folder, const std::string& prefix,
                   std::vector<ImportItem>& items, std::vector<std::string>& problems) {
  std::error_code ec;
  std::vector<fs::directory_entry> entries;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    entries.push_back(*it);
  }
  if (ec) {
    problems.push_back(folder.string() + ": " + ec.message());
    return;
  }
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
  for (const auto& entry : entries) {
    const std::string name = prefix + entry.path().filename().string();
    const auto type = entry.symlink_status(ec).type();
    if (type == fs::file_type::directory) {
      collectFolder(entry.path(), name + "\\", items, problems);
    } else if (type == fs::file_type::regular) {
      items.push_back({entry.path().string(), name});
    } else if (type == fs::file_type::symlink) {
      problems.push_back(entry.path().string() + ": a symbolic link, not imported");
    } else {
      problems.push_back(entry.path().string() + ": not a regular file, not imported");
    }
  }
}

std::vector<std::string> storedNames(const FileStore& store) {
  std::vector<std::string> names;
  auto rows = store.list();
  while (!rows->Eof()) {
    names.push_back(qxvb::CStr(rows->Collect(qxvb::Variant("Name"))));
    rows->MoveNext();
  }
  rows->Close();
  return names;
}

int outcome(size_t done, size_t failed, const char* verb) {
  std::printf("%s %zu file%s\n", verb, done, done == 1 ? "" : "s");
  return failed == 0 ? 0 : kFailed;
}

}  // namespace

int importFiles(const StoreOptions& options, const std::vector<std::string>& paths) {
  FileStore store = openRepositoryStore(options);
  std::vector<ImportItem> items;
  std::vector<std::string> problems;
  for (const std::string& path : paths) {
    std::error_code ec;
    // A link named on the command line is followed, as the user chose it.
    const auto type = fs::status(path, ec).type();
    if (type == fs::file_type::directory) {
      collectFolder(path, "", items, problems);
    } else if (type == fs::file_type::regular) {
      items.push_back({path, ""});
    } else if (type == fs::file_type::not_found) {
      problems.push_back(path + ": no such file or folder");
    } else {
      problems.push_back(path + ": not a regular file, not imported");
    }
  }
  Progress progress(items.size());
  for (const std::string& problem : problems) progress.message("qxrepo: " + problem);
  size_t done = 0;
  for (const ImportItem& item : items) {
    const std::string name =
        item.rename.empty() ? qxvb::filestore::storedNameFor(item.path) : item.rename;
    if (eachFile(progress, item.path, [&] { store.importFiles({Import_File{item.path, name}}); })) {
      ++done;
    }
    progress.step(name);
  }
  return outcome(done, problems.size() + items.size() - done, "imported");
}

int listFiles(const StoreOptions& options) {
  const FileStore store = openRepositoryStore(options);
  for (const std::string& name : storedNames(store)) std::printf("%s\n", name.c_str());
  return 0;
}

int exportFiles(const StoreOptions& options, const std::vector<std::string>& names,
                const std::string& folder) {
  const FileStore store = openRepositoryStore(options);
  const std::vector<std::string> wanted = names.empty() ? storedNames(store) : names;
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (!fs::is_directory(folder)) throw std::runtime_error(folder + ": cannot make the folder");
  Progress progress(wanted.size());
  size_t done = 0;
  for (const std::string& name : wanted) {
    if (eachFile(progress, name, [&] { store.exportTo(name, folder); })) ++done;
    progress.step(name);
  }
  return outcome(done, wanted.size() - done, "exported");
}

int deleteFiles(const StoreOptions& options, const std::vector<std::string>& names) {
  FileStore store = openRepositoryStore(options);
  Progress progress(names.size());
  size_t done = 0;
  for (const std::string& name : names) {
    const bool deleted = eachFile(progress, name, [&] {
      if (!store.exists(name)) throw std::runtime_error("not stored in the repository");
      store.remove({name});
    });
    if (deleted) ++done;
    progress.step(name);
  }
  return outcome(done, names.size() - done, "deleted");
}

}  // namespace qxrepo
