// Where each root key lives: the database file and, for the aliased roots,
// the path prefix inside it.
#pragma once

#include <filesystem>
#include <string_view>

#include "platform/registry/registry_store.h"

namespace qxvb::registry {

enum class Database { User, Machine };

struct RootMapping {
  Database database = Database::User;
  std::string_view prefix;  // "\"-separated path of the root inside the database
};

// ERROR_ACCESS_DENIED for HKEY_USERS, ERROR_INVALID_HANDLE for unknown numbers.
Status mapRoot(RootKey root, RootMapping& mapping);

std::filesystem::path databaseFile(Database database);

}  // namespace qxvb::registry
