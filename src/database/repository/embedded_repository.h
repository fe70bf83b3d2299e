// The embedded repository: a repository of the file-based kind held in one
// SQLite file, with the tables the library reads (the model tables the
// version checks probe, the properties that name the edition, the log
// table and the file store's Files table).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qxvb {

// The connection string of the embedded repository in a file.
std::string embeddedConnectionString(const std::string& path);

struct EmbeddedRepositoryReport {
  std::vector<std::string> tables;   // as created, in order
  std::vector<std::string> skipped;  // tables that could not be created, with the reason
};

// Creates the repository file with its tables. An existing file is never
// touched: raises std::runtime_error when path exists or cannot be made.
EmbeddedRepositoryReport createEmbeddedRepository(const std::string& path);

struct EmbeddedRepositoryInfo {
  int32_t version = 0;  // the code the version check answers
  struct Table {
    std::string name;
    int64_t rows = 0;
  };
  std::vector<Table> tables;
};

// Describes an existing repository file; raises std::runtime_error when it
// is missing or is not a database.
EmbeddedRepositoryInfo describeEmbeddedRepository(const std::string& path);

// The name of the log table both log kinds are written to.
std::string embeddedLogTable();

}  // namespace qxvb
