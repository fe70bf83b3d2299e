// Repositories with diagrams for the tests and benchmarks of diagram
// export: made as qxrepo makes them, loaded from model text, and opened in
// the process's host.
#pragma once

#include <filesystem>
#include <string>

namespace qxvb::test {

// The model file shipped with the project.
std::filesystem::path sampleModelFile();

// A model of diagrams whose symbols stand in rows, each related to the
// next diagram and joined to its neighbour by a line; every tenth symbol
// has a problem. Diagram identifiers run from 1, symbols from 100001.
std::string generatedModel(int diagrams, int symbolsPerDiagram);

// A new repository file in folder holding the model.
std::filesystem::path makeDiagramRepository(const std::filesystem::path& folder,
                                            const std::string& modelText);

// The process's host has the repository open while this lives.
class OpenRepository {
 public:
  explicit OpenRepository(const std::filesystem::path& repository);
  OpenRepository(const OpenRepository&) = delete;
  OpenRepository& operator=(const OpenRepository&) = delete;
  ~OpenRepository();
};

}  // namespace qxvb::test
