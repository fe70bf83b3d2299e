// Model files: the XML form in which diagrams are loaded into a repository
// (docs/DIAGRAMS.md describes the format). A file is read whole, checked
// completely, and only then imported, in one transaction.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "components/qxhost/diagram_model.h"

namespace qxvb::ado {
class Connection;
}

namespace qxvb::qxhost {

// A model file that cannot be read or breaks a rule; the message names
// the file and line ("model.xml:12: ...").
class ModelError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TypeDefinition {
  int32_t number = 0;
  std::string name;
  bool secondNotation = false;  // diagram types only
};

struct ModelFile {
  std::vector<TypeDefinition> diagramTypes;
  std::vector<TypeDefinition> symbolTypes;
  std::vector<DiagramModel> diagrams;
};

// The largest model file read.
inline constexpr size_t kLargestModelFile = 64u << 20;

// Parses and checks the model text; url names it in messages.
ModelFile parseModel(const std::string& text, const std::string& url);
ModelFile readModelFile(const std::string& path);

struct ImportReport {
  int32_t diagrams = 0;
  int32_t symbols = 0;
  int32_t lines = 0;
  int32_t replaced = 0;  // diagrams that were already in the repository
};

// Imports the model in one transaction, creating missing model tables. A
// diagram already in the repository under the same identifier is replaced
// with its symbols and lines. Raises ModelError when the model refers to
// types or diagrams that neither it nor the repository has, or when one of
// its symbol identifiers belongs to another diagram of the repository.
ImportReport importModel(ado::Connection& connection, const ModelFile& model);

}  // namespace qxvb::qxhost
