#include "filemanager/file_store.h"

#include <ctime>

#include "ado/ado_constants.h"
#include "ado/connection.h"
#include "ado/field.h"
#include "ado/recordset.h"
#include "ado/stream.h"
#include "filemanager/stored_names.h"
#include "filemanager/workspaces.h"
#include "files/file_dates.h"
#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/dispatch.h"
#include "frame/error_codes.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"

namespace qxvb::filestore {

namespace {

constexpr std::string_view kSource = "QXFileManager";

std::shared_ptr<ado::Recordset> openRows(const std::shared_ptr<ado::Connection>& connection,
                                         const std::string& sql, int32_t cursorLocation) {
  auto rs = std::make_shared<ado::Recordset>();
  rs->setCursorLocation(cursorLocation);
  rs->Open(Variant(sql), Variant(Object(connection)), ado::adOpenKeyset, ado::adLockOptimistic,
           ado::adCmdText);
  return rs;
}

std::string reservedFilesXml() {
  return CStr(globalInstance("QX_File_Utils")->call("QX_File_ReservedFilesAsXML"));
}

void tell(const std::function<void(const std::string&)>& to, const std::string& text) {
  if (to) to(text);
}

// Runs one change to the store in a transaction: committed when it
// completes, rolled back when anything in it fails.
template <class Fn>
void inTransaction(ado::Connection& connection, Fn&& change) {
  connection.BeginTrans();
  try {
    change();
  } catch (...) {
    try {
      connection.RollbackTrans();
    } catch (...) {
    }
    throw;
  }
  connection.CommitTrans();
}

void requireStoredFile(bool found, const std::string& name) {
  if (found) return;
  raiseError(enuUnableToFindRecord, kSource,
             "The file '" + name + "' is not stored in the repository.");
}

}  // namespace

ByteArray readDiskFile(const std::string& path) {
  auto stream = std::make_shared<ado::Stream>();
  stream->setType(ado::adTypeBinary);
  stream->Open();
  stream->LoadFromFile(path);
  Variant data = stream->Read();
  stream->Close();
  if (auto* bytes = data.get<ByteArray>()) return std::move(*bytes);
  return {};
}

void writeDiskFile(ByteArray bytes, const std::filesystem::path& path) {
  auto stream = std::make_shared<ado::Stream>();
  stream->setType(ado::adTypeBinary);
  stream->Open();
  if (!bytes.data.empty()) stream->Write(Variant(std::move(bytes)));
  stream->SaveToFile(path.string(), ado::adSaveCreateOverWrite);
  stream->Close();
}

std::string FileStore::listQuery() const {
  if (setup_.workspaces) {
    return "SELECT Name, " + dateColumn() + ", Type, WID FROM " + setup_.filesView +
           " ORDER BY Name";
  }
  return "SELECT Name, " + dateColumn() + ", Type FROM Files ORDER BY Name";
}

std::shared_ptr<ado::Recordset> FileStore::list() const {
  return openRows(setup_.connection, listQuery(), ado::adUseClient);
}

std::string FileStore::rowQuery(const std::string& name) const {
  std::string sql = "SELECT * FROM Files WHERE Name = " + sqlText(name);
  if (setup_.workspaces) sql += " AND WID=" + std::to_string(setup_.wid);
  return sql;
}

std::string FileStore::dataQuery(const std::string& name, int32_t wid) const {
  std::string sql = "SELECT Data FROM Files WHERE Name = " + sqlText(name);
  if (setup_.workspaces) sql += " AND WID = " + std::to_string(wid);
  return sql;
}

void FileStore::runProcedure(FileProcedure which, const std::vector<std::string>& names,
                             const StoreReport& report) {
  const int32_t code =
      runFileProcedure(*setup_.connection, which, setup_.oracle, setup_.parameterBase,
                       fileListXml(names), setup_.wid, reservedFilesXml());
  const int32_t stringId = resultCodeStringId(which, code);
  if (stringId == 0) return;
  const std::string message = localString(stringId);
  tell(report.message, message);
  throw ProcedureRefused{code, message};
}

void FileStore::writeRow(const std::string& name, ByteArray bytes) {
  auto rs = openRows(setup_.connection, rowQuery(name), ado::adUseServer);
  if (rs->Eof()) {
    // With workspaces the insert procedure has created the row.
    requireStoredFile(!setup_.workspaces, name);
    rs->AddNew();
    rs->setCollect(Variant("Name"), Variant(name));
    rs->setCollect(Variant("Version"), Variant(int32_t{0}));
    rs->setCollect(Variant("Activity"), Variant("A"));
  }
  if (!setup_.workspaces) {
    rs->setCollect(Variant(dateColumn()), Variant(files::localDate(std::time(nullptr))));
  }
  const Variant old = rs->Collect(Variant("Version"));
  const int32_t version = (old.isNull() ? 0 : CLng(old)) + 1;
  rs->setCollect(Variant("Version"), Variant(version));
  if (version > 1) rs->setCollect(Variant("Activity"), Variant("C"));
  rs->FieldsObject()->Item(Variant("Data"))->AppendChunk(Variant(std::move(bytes)));
  rs->Update();
  rs->Close();
}

void FileStore::storeBytes(const std::string& name, ByteArray bytes) {
  requireSafeStoredName(name);
  inTransaction(*setup_.connection, [&] { writeRow(name, std::move(bytes)); });
}

std::vector<std::string> FileStore::importFiles(const std::vector<Import_File>& files,
                                                const StoreReport& report) {
  std::vector<std::string> names;
  if (files.empty()) return names;
  for (const Import_File& file : files) {
    names.push_back(storedNameFor(file.Name, file.Rename));
    requireSafeStoredName(names.back());
  }
  if (setup_.workspaces) runProcedure(FileProcedure::Insert, names, report);
  if (report.progressInit) report.progressInit(0, static_cast<int32_t>(files.size()));
  try {
    for (size_t i = 0; i < files.size(); ++i) {
      // The file is read before the row is touched, so a file that cannot
      // be read changes nothing.
      storeBytes(names[i], readDiskFile(files[i].Name));
      if (report.progress) report.progress(static_cast<int32_t>(i + 1));
    }
  } catch (...) {
    if (report.progressReset) report.progressReset();
    throw;
  }
  if (report.progressReset) report.progressReset();
  return names;
}

bool FileStore::exists(const std::string& name) const {
  auto rs = setup_.connection->Execute(rowQuery(name));
  return rs && rs->State() != 0 && !rs->Eof();
}

ByteArray FileStore::readBytes(const std::string& name, int32_t wid) const {
  auto rs = setup_.connection->Execute(dataQuery(name, wid));
  requireStoredFile(rs && rs->State() != 0 && !rs->Eof(), name);
  Variant data = rs->Collect(Variant("data"));
  if (auto* bytes = data.get<ByteArray>()) return std::move(*bytes);
  if (data.isNull()) return {};
  const std::string text = CStr(data);
  ByteArray bytes;
  bytes.data.assign(text.begin(), text.end());
  return bytes;
}

void FileStore::retrieve(const std::string& name, int32_t wid,
                         const std::filesystem::path& target) const {
  writeDiskFile(readBytes(name, wid), target);
}

std::filesystem::path FileStore::exportTo(const std::string& name,
                                          const std::filesystem::path& folder) const {
  std::filesystem::path target = targetPathFor(folder, name);
  ByteArray bytes = readBytes(name, setup_.wid);
  std::filesystem::create_directories(target.parent_path());
  writeDiskFile(std::move(bytes), target);
  return target;
}

void FileStore::remove(const std::vector<std::string>& names, const StoreReport& report) {
  if (names.empty()) return;
  if (setup_.workspaces) {
    runProcedure(FileProcedure::Delete, names, report);
  } else {
    if (report.progressInit) report.progressInit(0, static_cast<int32_t>(names.size()));
    for (size_t i = 0; i < names.size(); ++i) {
      inTransaction(*setup_.connection, [&] {
        auto rs = openRows(setup_.connection, rowQuery(names[i]), ado::adUseServer);
        if (!rs->Eof()) {
          rs->Delete();
          rs->Update();
        }
        rs->Close();
      });
      if (report.progress) report.progress(static_cast<int32_t>(i + 1));
    }
    if (report.progressReset) report.progressReset();
  }
  tell(report.status, localString(34944));
}

}  // namespace qxvb::filestore
