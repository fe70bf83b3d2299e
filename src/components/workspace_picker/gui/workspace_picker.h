// The product's workspace picker (our small implementation): shows the
// repository's workspace tree, the current workspace selected, and answers
// the chosen workspace with a flag: 0 chosen, 1 cancelled, 2 error (a tree
// that cannot be read or holds no workspace).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frame/dispatch.h"

class QTreeWidget;

namespace qxvb::workspace_picker {

inline constexpr const char* kPickerProgId = "QXWorkspace.WorkspacePicker";
inline constexpr int32_t kPicked = 0, kCancelled = 1, kFailed = 2;

struct WorkspaceNode {
  int32_t id = 0;
  std::string name;
  bool baseline = false;
  std::vector<WorkspaceNode> children;
};

// The Workspace elements of the tree text (ID, Name, Baseline), nested as
// in the document; false when the text is not a readable document.
bool parseWorkspaceTree(const std::string& xml, std::vector<WorkspaceNode>& roots);

// Fills a tree view with the workspaces, each item's data the ID.
void fillTree(QTreeWidget& tree, const std::vector<WorkspaceNode>& roots, int32_t current);

class WorkspacePicker : public Dispatch {
 public:
  const DispatchTable& dispatchTable() const override;
  // tree: a DOM document or its XML text. wsid: in the current workspace,
  // out the chosen one; flags as above.
  void PickWorkspace(const Variant& tree, int32_t owner, int32_t& wsid, int32_t& flags);
};

Object makeWorkspacePicker();

}  // namespace qxvb::workspace_picker
