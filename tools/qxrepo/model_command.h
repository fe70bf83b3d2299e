// qxrepo's model command: the host application's diagrams loaded from a
// model file (docs/DIAGRAMS.md), and the model tables of a new repository.
#pragma once

#include <string>
#include <vector>

namespace qxrepo {

// Makes the model tables in a repository file; answers their names.
std::vector<std::string> createModelTables(const std::string& repository);

// Checks the whole model file, then loads it in one transaction; prints
// what was loaded. Raises when the file or the repository refuses.
int loadModel(const std::string& repository, const std::string& model);

}  // namespace qxrepo
