// Databases reached through an ODBC driver (unixODBC): SQL Server, Oracle,
// PostgreSQL and any other driver or data source.
#pragma once

#include <memory>

#include "ado/engine.h"

namespace qxvb::ado {

std::unique_ptr<EngineConnection> openOdbc(const OpenRequest& request);

}  // namespace qxvb::ado
