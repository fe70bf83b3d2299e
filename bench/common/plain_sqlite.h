// What the registry benchmarks measure against: the rows of the branch in
// registry_branch.h kept by SQLite alone, in one table of key, value name,
// type and data, written and read with one prepared statement each; and a
// plain scan of the registry store's own tables building a branch's XML
// text.
#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <string>

#include "common/registry_branch.h"

namespace qxvb::bench {

class PlainRows {
 public:
  // A new database file in folder, in write-ahead-log mode with
  // synchronous NORMAL, as the per-user registry store is.
  explicit PlainRows(const std::filesystem::path& folder);
  ~PlainRows();
  PlainRows(const PlainRows&) = delete;
  PlainRows& operator=(const PlainRows&) = delete;

  // Inserts the rows of keys keys below parent in one transaction.
  void write(const std::string& parent, int keys = kKeys);
  // Reads every row once by key and value name.
  void read(const std::string& parent, int keys = kKeys);

 private:
  sqlite3* db_ = nullptr;
};

// The XML text QX_Reg_ReadBranchAsXML answers for the branch at path of
// the store in file (string values only), read with two prepared
// statements per key and built by appending to one string.
std::string plainBranchXml(const std::filesystem::path& file, const std::string& path,
                           const std::string& hkeyText);

}  // namespace qxvb::bench
