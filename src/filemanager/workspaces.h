// The repository's workspace objects as the file store calls them: the
// workspace tree, the view each workspace reads files through, and the
// procedures that add and remove files, with their result codes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qxvb::ado {
class Connection;
}

namespace qxvb::filestore {

// The procedures that add files to and remove files from a workspace.
enum class FileProcedure { Insert, Delete };

std::string workspaceTreeQuery(bool oracle);
std::string viewNameQuery(bool oracle, int32_t wid);
std::string procedureName(FileProcedure procedure, bool oracle);

// "<Root>" with one "<File Name='...'/>" per name, then "</Root>".
std::string fileListXml(const std::vector<std::string>& names);

// Runs a file procedure with, from parameterBase on, the file list, the
// workspace and the reserved-files XML; returns the result code the next
// parameter brings back (0: done).
int32_t runFileProcedure(ado::Connection& connection, FileProcedure procedure, bool oracle,
                         int32_t parameterBase, const std::string& xml, int32_t wid,
                         const std::string& reservedXml);

// The product string that explains a result code of -1 to -4; 0 for any
// other code.
int32_t resultCodeStringId(FileProcedure procedure, int32_t code);

// The name of the view the files of a workspace are read through.
std::string filesViewName(ado::Connection& connection, bool oracle, int32_t wid);

// What the workspace tree says about one workspace.
struct WorkspaceInfo {
  int32_t count = 0;  // number of Workspace elements in the tree
  std::string name;
  bool baseline = false;
};

// Reads the workspace tree and the entry of workspace wid.
WorkspaceInfo readWorkspaceTree(ado::Connection& connection, bool oracle, int32_t wid);

// The same from the tree's XML text.
WorkspaceInfo workspaceFromTree(const std::string& treeXml, int32_t wid);

}  // namespace qxvb::filestore
