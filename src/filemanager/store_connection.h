// Binding the file store to a repository: the connection, its kind, the
// parameter base of its procedures and the workspace in use.
#pragma once

#include <cstdint>
#include <string>

#include "filemanager/file_store.h"
#include "filemanager/workspaces.h"
#include "frame/variant.h"

namespace qxvb::filestore {

struct OpenedStore {
  StoreSetup setup;
  WorkspaceInfo workspace;
  std::string settingsAppName;  // "Tembra" or "TembraO"
  bool ownsConnection = false;  // the connection was opened here
};

// connection: an open data-access connection, or Nothing to open one from
// connectionString. wsid 0 means workspace 1.
OpenedStore openStore(const Object& connection, const std::string& connectionString, int32_t wsid);

}  // namespace qxvb::filestore
