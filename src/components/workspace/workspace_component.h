// The product's workspace component: given a repository's connection
// string, it hands back the connection to use and says whether the
// repository is divided into workspaces.
#pragma once

#include <string>

#include "frame/dispatch.h"

namespace qxvb::workspace {

inline constexpr const char* kWorkspaceProgId = "QXWorkspace.Workspaces";

class WorkspaceComponent : public Dispatch {
 public:
  const DispatchTable& dispatchTable() const override;

  // connection: kept when it is an open connection, else replaced by one
  // opened from connectionString. singleSpace: True when the repository has
  // no workspace objects. forced: the ForceWorkspaces property.
  void OpenRepository(const std::string& connectionString, Object& connection, bool& singleSpace,
                      bool& forced);

  // Makes callers use workspaces even where the repository has a single
  // space (False by default).
  bool forceWorkspaces = false;
};

Object makeWorkspaceComponent();

// True when the connection answers the workspace tree query.
bool hasWorkspaceObjects(const Object& connection);

}  // namespace qxvb::workspace
