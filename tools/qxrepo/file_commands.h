// The repository's file store from the shell: import, list, export and
// delete, over the store the file manager uses. Each file is its own
// operation: one the store refuses is reported and the others go on.
#pragma once

#include <string>
#include <vector>

namespace qxrepo {

struct StoreOptions {
  std::string repository;  // the repository file
  int waitSeconds = 5;     // how long a file waits for a locked repository
};

// Files are stored under the name the file manager gives them; the files
// below a folder under their path relative to it ("sub\name.txt").
int importFiles(const StoreOptions& options, const std::vector<std::string>& paths);
int listFiles(const StoreOptions& options);
// names empty: every stored file.
int exportFiles(const StoreOptions& options, const std::vector<std::string>& names,
                const std::string& folder);
int deleteFiles(const StoreOptions& options, const std::vector<std::string>& names);

}  // namespace qxrepo
