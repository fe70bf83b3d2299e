#include "platform/registry/registry_store.h"

#include <new>

#include "platform/registry/connection.h"
#include "platform/registry/key_path.h"
#include "platform/registry/roots.h"
#include "platform/registry/unicode.h"

namespace qxvb::registry {

namespace {

constexpr std::int64_t kRootKeyId = 1;

struct Target {
  Database database = Database::User;
  Connection* connection = nullptr;
  std::vector<std::string> components;  // root prefix, then the caller's path
  std::size_t prefixSize = 0;
  Transaction* transaction = nullptr;  // the write's own, while it runs
  bool isRoot() const { return components.size() == prefixSize; }
};

Status resolveTarget(RootKey root, std::string_view path, Target& target) {
  RootMapping mapping;
  Status status = mapRoot(root, mapping);
  if (status != kSuccess) return status;
  std::vector<std::string> own;
  status = splitKeyPath(path, own);
  if (status != kSuccess) return status;
  splitKeyPath(mapping.prefix, target.components);
  target.database = mapping.database;
  target.prefixSize = target.components.size();
  target.components.insert(target.components.end(), own.begin(), own.end());
  return kSuccess;
}

std::optional<std::int64_t> findChild(Connection& connection, std::int64_t parent,
                                      std::string_view name) {
  Query query(connection, "SELECT id FROM reg_keys WHERE parent = ?1 AND fold = ?2");
  query.bind(1, parent).bind(2, unicode::foldName(name));
  if (!query.step()) return std::nullopt;
  return query.integer(0);
}

std::string joinedPath(const std::vector<std::string>& components, std::size_t count) {
  std::string path;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) path += '\\';
    path += components[i];
  }
  return path;
}

// Walks the key path, starting at the key itself or its parent when the
// connection's open transaction has met them before (the usual case of a
// branch written value by value). Missing keys are made when make is set.
std::optional<std::int64_t> walkKey(Connection& connection,
                                    const std::vector<std::string>& components, bool make,
                                    bool* created) {
  if (created != nullptr) *created = false;
  const bool caching = connection.depth > 0;
  std::int64_t id = kRootKeyId;
  std::size_t known = 0;
  if (caching && !components.empty()) {
    for (const std::size_t count : {components.size(), components.size() - 1}) {
      const auto found = connection.keyIds.find(joinedPath(components, count));
      if (found == connection.keyIds.end()) continue;
      id = found->second;
      known = count;
      break;
    }
  }
  for (std::size_t i = known; i < components.size(); ++i) {
    const std::optional<std::int64_t> child = findChild(connection, id, components[i]);
    if (child) {
      id = *child;
    } else if (make) {
      Query insert(connection, "INSERT INTO reg_keys(parent, name, fold) VALUES(?1, ?2, ?3)");
      insert.bind(1, id).bind(2, components[i]).bind(3, unicode::foldName(components[i]));
      insert.step();
      id = sqlite3_last_insert_rowid(connection.handle());
      if (created != nullptr) *created = true;
    } else {
      return std::nullopt;
    }
    if (caching) connection.keyIds[joinedPath(components, i + 1)] = id;
  }
  return id;
}

std::optional<std::int64_t> findKey(Connection& connection,
                                    const std::vector<std::string>& components) {
  return walkKey(connection, components, false, nullptr);
}

std::int64_t makeKey(Connection& connection, const std::vector<std::string>& components,
                     bool* created) {
  return *walkKey(connection, components, true, created);
}

bool hasSubKeys(Connection& connection, std::int64_t id) {
  Query query(connection, "SELECT 1 FROM reg_keys WHERE parent = ?1 LIMIT 1");
  query.bind(1, id);
  return query.step();
}

void recordSqlFailure(const Target& target, const SqlFailure& failure) {
  recordFailure(target.connection->file() + ": " + failure.what());
}

// A read: every database failure answers "not found". A root key that
// holds nothing yet answers emptyRootResult without running the body.
Status readCall(RootKey root, std::string_view path, Status emptyRootResult,
                const std::function<Status(Target&, std::int64_t)>& body) {
  Target target;
  Status status = resolveTarget(root, path, target);
  if (status != kSuccess) return status;
  target.connection = threadConnection(target.database, false, status);
  if (target.connection == nullptr) return target.isRoot() ? emptyRootResult : kFileNotFound;
  try {
    Transaction transaction(*target.connection, false);
    const std::optional<std::int64_t> id = findKey(*target.connection, target.components);
    Status result = kFileNotFound;
    if (id) {
      result = body(target, *id);
    } else if (target.isRoot()) {
      result = emptyRootResult;
    }
    transaction.commit();
    return result;
  } catch (const SqlFailure& failure) {
    recordSqlFailure(target, failure);
    return kFileNotFound;
  } catch (const std::bad_alloc&) {
    return kNotEnoughMemory;
  }
}

// A write: one transaction, rolled back unless the body succeeds. A body
// that starts without a savepoint (savepoint false) makes one change or
// asks for the savepoint first (Transaction::needSavepoint).
Status writeCall(RootKey root, std::string_view path, const std::function<Status(Target&)>& body,
                 bool savepoint = true) {
  Target target;
  Status status = resolveTarget(root, path, target);
  if (status != kSuccess) return status;
  target.connection = threadConnection(target.database, true, status);
  if (target.connection == nullptr) return status;
  try {
    Transaction transaction(*target.connection, true, savepoint);
    target.transaction = &transaction;
    const Status result = body(target);
    if (result == kSuccess) transaction.commit();
    return result;
  } catch (const SqlFailure& failure) {
    recordSqlFailure(target, failure);
    return statusOfSqlite(failure.code());
  } catch (const std::bad_alloc&) {
    return kNotEnoughMemory;
  }
}

bool tooLong(std::string_view name, std::size_t maxChars) {
  return maxChars != kUnlimited && unicode::countChars(name) > maxChars;
}

}  // namespace

Status createKey(RootKey root, std::string_view path, bool* created) {
  if (created != nullptr) *created = false;
  return writeCall(root, path, [&](Target& target) {
    makeKey(*target.connection, target.components, created);
    return kSuccess;
  });
}

Status openKey(RootKey root, std::string_view path) {
  return readCall(root, path, kSuccess, [](Target&, std::int64_t) { return kSuccess; });
}

Status storedPath(RootKey root, std::string_view path, std::string& stored) {
  stored.clear();
  return readCall(root, path, kSuccess, [&](Target& target, std::int64_t) {
    std::int64_t id = kRootKeyId;
    std::string result;
    for (std::size_t i = 0; i < target.components.size(); ++i) {
      Query query(*target.connection,
                  "SELECT id, name FROM reg_keys WHERE parent = ?1 AND fold = ?2");
      query.bind(1, id).bind(2, unicode::foldName(target.components[i]));
      if (!query.step()) return kFileNotFound;
      id = query.integer(0);
      if (i < target.prefixSize) continue;
      if (!result.empty()) result += '\\';
      result += query.text(1);
    }
    stored = result;
    return kSuccess;
  });
}

Status enumKey(RootKey root, std::string_view path, std::uint32_t index, std::string& name,
               std::size_t maxNameChars) {
  name.clear();
  return readCall(root, path, kNoMoreItems, [&](Target& target, std::int64_t id) {
    Connection& connection = *target.connection;
    EnumCursor& cursor = connection.keyCursor;
    const bool next = connection.continues(cursor, id, index);
    Query query(connection, next ? "SELECT name, fold FROM reg_keys WHERE parent = ?1 AND fold > ?2"
                                   " ORDER BY fold LIMIT 1"
                                 : "SELECT name, fold FROM reg_keys WHERE parent = ?1 ORDER BY fold"
                                   " LIMIT 1 OFFSET ?2");
    query.bind(1, id);
    if (next) {
      query.bind(2, cursor.fold);
    } else {
      query.bind(2, static_cast<std::int64_t>(index));
    }
    if (!query.step()) return kNoMoreItems;
    std::string found = query.text(0);
    cursor.fold = query.text(1);
    connection.remember(cursor, id, index);
    if (tooLong(found, maxNameChars)) return kMoreData;
    name = std::move(found);
    return kSuccess;
  });
}

Status queryInfo(RootKey root, std::string_view path, KeyInfo& info) {
  info = KeyInfo();
  return readCall(root, path, kSuccess, [&](Target& target, std::int64_t id) {
    Query keys(*target.connection,
               "SELECT count(*), coalesce(max(length(name)), 0) FROM reg_keys "
               "WHERE parent = ?1");
    keys.bind(1, id);
    if (keys.step()) {
      info.subKeys = static_cast<std::uint32_t>(keys.integer(0));
      info.maxSubKeyNameChars = static_cast<std::uint32_t>(keys.integer(1));
    }
    Query values(*target.connection,
                 "SELECT count(*), coalesce(max(length(name)), 0), "
                 "coalesce(max(length(data)), 0)"
                 " FROM reg_values WHERE key = ?1");
    values.bind(1, id);
    if (values.step()) {
      info.values = static_cast<std::uint32_t>(values.integer(0));
      info.maxValueNameChars = static_cast<std::uint32_t>(values.integer(1));
      info.maxValueDataBytes = static_cast<std::uint32_t>(values.integer(2));
    }
    return kSuccess;
  });
}

Status deleteKey(RootKey root, std::string_view path) {
  return writeCall(root, path, [&](Target& target) {
    if (target.isRoot()) return kAccessDenied;
    Connection& connection = *target.connection;
    const std::optional<std::int64_t> id = findKey(connection, target.components);
    if (!id) return kFileNotFound;
    if (hasSubKeys(connection, *id)) return kAccessDenied;
    connection.keyIds.clear();
    Query values(connection, "DELETE FROM reg_values WHERE key = ?1");
    values.bind(1, *id).step();
    Query key(connection, "DELETE FROM reg_keys WHERE id = ?1");
    key.bind(1, *id).step();
    return kSuccess;
  });
}

Status deleteTree(RootKey root, std::string_view path) {
  return writeCall(root, path, [&](Target& target) {
    if (target.isRoot()) return kAccessDenied;
    Connection& connection = *target.connection;
    const std::optional<std::int64_t> id = findKey(connection, target.components);
    if (!id) return kFileNotFound;
    connection.keyIds.clear();
    Query values(connection,
                 "WITH RECURSIVE branch(id) AS (SELECT ?1 UNION ALL"
                 " SELECT k.id FROM reg_keys k JOIN branch b ON k.parent = b.id)"
                 " DELETE FROM reg_values WHERE key IN branch");
    values.bind(1, *id).step();
    Query keys(connection,
               "WITH RECURSIVE branch(id) AS (SELECT ?1 UNION ALL"
               " SELECT k.id FROM reg_keys k JOIN branch b ON k.parent = b.id)"
               " DELETE FROM reg_keys WHERE id IN branch");
    keys.bind(1, *id).step();
    return kSuccess;
  });
}

Status setValue(RootKey root, std::string_view path, std::string_view name, std::uint32_t type,
                const Bytes& data) {
  if (checkValueName(name) != kSuccess) return kInvalidParameter;
  return writeCall(
      root, path,
      [&](Target& target) {
        Connection& connection = *target.connection;
        // Into a key that is there the value is one statement; keys to
        // make first are more, undone together on failure.
        std::optional<std::int64_t> key = findKey(connection, target.components);
        if (!key) {
          target.transaction->needSavepoint();
          key = makeKey(connection, target.components, nullptr);
        }
        const std::int64_t id = *key;
        // An overwritten value keeps its row, so its place in the enumeration.
        Query upsert(connection,
                     "INSERT INTO reg_values(key, name, fold, type, data) "
                     "VALUES(?1, ?2, ?3, ?4, ?5)"
                     " ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type,"
                     " data = excluded.data");
        upsert.bind(1, id).bind(2, name).bind(3, unicode::foldName(name));
        upsert.bind(4, static_cast<std::int64_t>(type)).bindBlob(5, data).step();
        return kSuccess;
      },
      false);
}

Status queryValue(RootKey root, std::string_view path, std::string_view name, std::uint32_t& type,
                  Bytes& data, std::size_t maxDataBytes) {
  type = kRegNone;
  data.clear();
  if (checkValueName(name) != kSuccess) return kInvalidParameter;
  return readCall(root, path, kFileNotFound, [&](Target& target, std::int64_t id) {
    Query query(*target.connection,
                "SELECT type, data FROM reg_values WHERE key = ?1 AND fold = ?2");
    query.bind(1, id).bind(2, unicode::foldName(name));
    if (!query.step()) return kFileNotFound;
    type = static_cast<std::uint32_t>(query.integer(0));
    Bytes found = query.blob(1);
    if (found.size() > maxDataBytes) return kMoreData;
    data = std::move(found);
    return kSuccess;
  });
}

Status enumValue(RootKey root, std::string_view path, std::uint32_t index, Value& value,
                 std::size_t maxNameChars, std::size_t maxDataBytes) {
  value = Value();
  return readCall(root, path, kNoMoreItems, [&](Target& target, std::int64_t id) {
    Connection& connection = *target.connection;
    EnumCursor& cursor = connection.valueCursor;
    const bool next = connection.continues(cursor, id, index);
    Query query(connection,
                next ? "SELECT name, type, data, id FROM reg_values WHERE key = ?1 AND id > ?2"
                       " ORDER BY id LIMIT 1"
                     : "SELECT name, type, data, id FROM reg_values WHERE key = ?1 ORDER BY id"
                       " LIMIT 1 OFFSET ?2");
    query.bind(1, id).bind(2, next ? cursor.lastId : static_cast<std::int64_t>(index));
    if (!query.step()) return kNoMoreItems;
    Value found{query.text(0), static_cast<std::uint32_t>(query.integer(1)), query.blob(2)};
    cursor.lastId = query.integer(3);
    connection.remember(cursor, id, index);
    if (tooLong(found.name, maxNameChars) || found.data.size() > maxDataBytes) return kMoreData;
    value = std::move(found);
    return kSuccess;
  });
}

Status deleteValue(RootKey root, std::string_view path, std::string_view name) {
  if (checkValueName(name) != kSuccess) return kInvalidParameter;
  return writeCall(root, path, [&](Target& target) {
    Connection& connection = *target.connection;
    const std::optional<std::int64_t> id = findKey(connection, target.components);
    if (!id) return kFileNotFound;
    Query erase(connection, "DELETE FROM reg_values WHERE key = ?1 AND fold = ?2");
    erase.bind(1, *id).bind(2, unicode::foldName(name)).step();
    return sqlite3_changes(connection.handle()) > 0 ? kSuccess : kFileNotFound;
  });
}

Status listSubKeys(RootKey root, std::string_view path, std::vector<std::string>& names) {
  names.clear();
  return readCall(root, path, kSuccess, [&](Target& target, std::int64_t id) {
    Query query(*target.connection, "SELECT name FROM reg_keys WHERE parent = ?1 ORDER BY fold");
    query.bind(1, id);
    while (query.step()) names.push_back(query.text(0));
    return kSuccess;
  });
}

Status listValues(RootKey root, std::string_view path, std::vector<Value>& values) {
  values.clear();
  return readCall(root, path, kSuccess, [&](Target& target, std::int64_t id) {
    Query query(*target.connection,
                "SELECT name, type, data FROM reg_values WHERE key = ?1 ORDER BY id");
    query.bind(1, id);
    while (query.step()) {
      values.push_back(
          {query.text(0), static_cast<std::uint32_t>(query.integer(1)), query.blob(2)});
    }
    return kSuccess;
  });
}

Status runInTransaction(RootKey root, const std::function<Status()>& body) {
  return writeCall(root, "", [&](Target&) { return body(); });
}

Status runInReadTransaction(RootKey root, const std::function<Status()>& body) {
  Target target;
  Status status = resolveTarget(root, "", target);
  if (status == kSuccess) target.connection = threadConnection(target.database, false, status);
  if (target.connection == nullptr) return body();
  std::optional<Transaction> transaction;
  try {
    transaction.emplace(*target.connection, false);
  } catch (const SqlFailure& failure) {
    recordSqlFailure(target, failure);
    return body();
  }
  const Status result = body();
  try {
    transaction->commit();
  } catch (const SqlFailure& failure) {
    // Nothing was written, so nothing is lost.
    recordSqlFailure(target, failure);
  }
  return result;
}

std::string statusText(Status status) {
  switch (status) {
    case kFileNotFound:
      return "not found";
    case kAccessDenied:
      return "access denied";
    case kInvalidParameter:
      return "invalid key or value name";
    case kInvalidHandle:
      return "unknown root key";
    case kBadDatabase:
      return "the registry database is damaged";
    case kDiskFull:
      return "the disk is full";
    case kIoFailed:
      return "the registry database could not be read or written (I/O error)";
    case kBusy:
      return "the registry database is busy";
    case kNotEnoughMemory:
      return "not enough memory";
    default:
      return "registry error " + std::to_string(status);
  }
}

}  // namespace qxvb::registry
