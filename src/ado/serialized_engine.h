// An engine that runs one statement at a time, behind a wrapper that calls
// the connection back before each statement, so that the connection can
// first take the rows of its open forward-only walks into memory.
#pragma once

#include <functional>
#include <memory>

#include "ado/engine.h"

namespace qxvb::ado {

// engine with beforeStatement called ahead of everything that runs a
// statement on it: statements, catalog queries and transaction ends.
std::shared_ptr<EngineConnection> withStatementHook(std::shared_ptr<EngineConnection> engine,
                                                    std::function<void()> beforeStatement);

}  // namespace qxvb::ado
