// The repository's file table: the layout the file store reads and writes.
#pragma once

#include "frame/variant.h"

namespace qxvb::filestore {

// Creates the table `Files` through the connection's late-bound Execute.
// Stored names keep the backslash as folder separator; a name is unique
// within a workspace (WID, 1 when workspaces are not in use).
void createFilesTable(const Object& connection);

}  // namespace qxvb::filestore
