#include "components/qxdutils/ency_files.h"

#include "ado/connection.h"
#include "components/qxdutils/qxdutils_component.h"
#include "frame/automation_error.h"

#include <filesystem>

#include "filemanager/file_store.h"
#include "filemanager/stored_names.h"

namespace qxvb::qxdutils {

namespace {

// Ency files live in the repository's single space of files.
filestore::FileStore storeOn(const std::shared_ptr<ado::Connection>& connection) {
  filestore::StoreSetup setup;
  setup.connection = connection;
  return filestore::FileStore(setup);
}

ByteArray bytesOf(const std::string& text) {
  ByteArray bytes;
  bytes.data.assign(text.begin(), text.end());
  return bytes;
}

}  // namespace

EncyFiles::EncyFiles(std::shared_ptr<ado::Connection> connection)
    : connection_(std::move(connection)) {}

bool EncyFiles::exists(const std::string& name) const {
  filestore::requireSafeStoredName(name);
  return storeOn(connection_).exists(name);
}

bool EncyFiles::exportFile(const std::string& name, const std::string& externalFile) const {
  if (!exists(name)) return false;
  const auto store = storeOn(connection_);
  filestore::writeDiskFile(store.readBytes(name), externalFile);
  return true;
}

bool EncyFiles::importFile(const std::string& externalFile, const std::string& name,
                           bool overwrite) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(externalFile, ec)) return false;
  if (!overwrite && exists(name)) return false;
  auto store = storeOn(connection_);
  store.storeBytes(name, filestore::readDiskFile(externalFile));
  return true;
}

std::string EncyFiles::read(const std::string& name) const {
  if (!exists(name)) return {};
  const ByteArray bytes = storeOn(connection_).readBytes(name);
  return std::string(bytes.data.begin(), bytes.data.end());
}

bool EncyFiles::write(const std::string& name, const std::string& data) {
  auto store = storeOn(connection_);
  store.storeBytes(name, bytesOf(data));
  return true;
}

void QXDUtilsComponent::SetEncyConnection(const Object& connection) {
  if (!connection) {
    encyConnection_.reset();
    return;
  }
  auto ado = std::dynamic_pointer_cast<ado::Connection>(connection);
  if (!ado) raiseVbError(vberr::TypeMismatch, "QXDUTILS.Utils");
  encyConnection_ = std::move(ado);
}

std::shared_ptr<ado::Connection> QXDUtilsComponent::encyRepository() const {
  if (!encyOpen_ || !encyConnection_ || encyConnection_->State() == 0) return nullptr;
  return encyConnection_;
}

}  // namespace qxvb::qxdutils
