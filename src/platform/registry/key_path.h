// Key paths and names of the registry store: "\"-separated, checked against
// the Windows limits before any database is touched.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/registry_store.h"

namespace qxvb::registry {

// Splits a key path into its components. Leading and trailing "\" are
// dropped; an empty component, a component over 255 characters, invalid
// UTF-8, a NUL or more than 512 levels give ERROR_INVALID_PARAMETER.
Status splitKeyPath(std::string_view path, std::vector<std::string>& components);

// ERROR_INVALID_PARAMETER for a value name over 16383 characters, invalid
// UTF-8 or holding a NUL.
Status checkValueName(std::string_view name);

}  // namespace qxvb::registry
