// A forward-only walk whose rows have been taken out of the engine into
// memory, so that the engine's statement is finished while the rows are
// still being read.
#pragma once

#include <memory>

#include "ado/engine.h"

namespace qxvb::ado {

// Reads the rest of cursor into memory: its current row (when onRow), with
// the places GetChunk has come to in its long values, then every row after
// it. The result stands on that current row, or after the last row when
// !onRow. The engine's cursor is left at its end.
std::unique_ptr<Cursor> holdRemainingRows(Cursor& cursor, bool onRow);

}  // namespace qxvb::ado
