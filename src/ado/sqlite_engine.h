// The embedded engine: a SQLite database file.
#pragma once

#include <memory>

#include "ado/engine.h"

namespace qxvb::ado {

inline constexpr const char* kSqliteProviderName = "QXVB.SQLite";

std::unique_ptr<EngineConnection> openSqlite(const OpenRequest& request);

}  // namespace qxvb::ado
