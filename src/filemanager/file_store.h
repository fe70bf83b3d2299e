// The files kept in the repository's file table: listing, import,
// retrieval and deletion, with or without workspaces.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "filemanager/workspaces.h"
#include "frame/variant.h"

namespace qxvb::ado {
class Connection;
class Recordset;
}  // namespace qxvb::ado

namespace qxvb::filestore {

// A file from disk to import: its path, and the name to store it under
// (empty: derived from the path).
struct Import_File {
  std::string Name;
  std::string Rename;
};

// Where and how the files are kept.
struct StoreSetup {
  std::shared_ptr<ado::Connection> connection;
  bool oracle = false;
  bool workspaces = false;
  int32_t wid = 1;
  int32_t parameterBase = 1;  // 1 on SQL Server, 0 on Oracle
  std::string filesView;      // with workspaces: the view the workspace reads files through
};

// What a long operation tells its owner: error messages, status messages
// and progress.
struct StoreReport {
  std::function<void(const std::string&)> message;
  std::function<void(const std::string&)> status;
  std::function<void(int32_t, int32_t)> progressInit;
  std::function<void(int32_t)> progress;
  std::function<void()> progressReset;
};

// Raised, after the report's message, when a workspace procedure refuses
// an operation with a result code.
struct ProcedureRefused {
  int32_t code;
  std::string message;
};

class FileStore {
 public:
  explicit FileStore(StoreSetup setup) : setup_(std::move(setup)) {}

  const StoreSetup& setup() const { return setup_; }
  std::string dateColumn() const { return setup_.oracle ? "QXDATE" : "Date"; }
  std::string listQuery() const;

  // The listed files: a client-side keyset recordset with optimistic
  // locking, so rows can be found and deleted in it.
  std::shared_ptr<ado::Recordset> list() const;

  // Imports the files in order, each in its own transaction, so that a file
  // that fails leaves its row as it was. Returns the stored names imported;
  // raises for a file that cannot be read or a name that is not safe, and
  // throws ProcedureRefused when the workspace procedure refuses.
  std::vector<std::string> importFiles(const std::vector<Import_File>& files,
                                       const StoreReport& report = {});

  // Writes bytes as the contents of a stored file, creating its row when
  // needed; the row's version and activity change as for an import.
  void storeBytes(const std::string& name, ByteArray bytes);

  bool exists(const std::string& name) const;
  // The contents of a stored file; raises when there is none.
  ByteArray readBytes(const std::string& name, int32_t wid) const;
  ByteArray readBytes(const std::string& name) const { return readBytes(name, setup_.wid); }

  // Writes a stored file to a path, overwriting.
  void retrieve(const std::string& name, int32_t wid, const std::filesystem::path& target) const;
  // Writes a stored file below folder under its stored name; returns the
  // path written. Names that would land outside folder are refused.
  std::filesystem::path exportTo(const std::string& name,
                                 const std::filesystem::path& folder) const;

  // Deletes stored files; with workspaces through the workspace procedure.
  void remove(const std::vector<std::string>& names, const StoreReport& report = {});

 private:
  std::string rowQuery(const std::string& name) const;
  std::string dataQuery(const std::string& name, int32_t wid) const;
  void runProcedure(FileProcedure procedure, const std::vector<std::string>& names,
                    const StoreReport& report);
  void writeRow(const std::string& name, ByteArray bytes);
  StoreSetup setup_;
};

// Reads a file from disk as binary through a data stream.
ByteArray readDiskFile(const std::string& path);

// Writes bytes to a file through a data stream of binary type, overwriting.
void writeDiskFile(ByteArray bytes, const std::filesystem::path& path);

}  // namespace qxvb::filestore
