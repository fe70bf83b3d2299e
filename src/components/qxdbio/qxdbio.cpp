#include "exports/qxdbio.h"

#include <map>
#include <mutex>
#include <string>

#include "ado/connection.h"
#include "components/qxhost/running_host.h"
#include "filemanager/file_store.h"
#include "platform/ansi.h"
#include "platform/atomic_file.h"

namespace {

// Control blocks of the process, one per repository location.
struct ControlBlocks {
  std::mutex lock;
  std::map<int32_t, std::string> locations;
  int32_t next = 1;
};

ControlBlocks& blocks() {
  static ControlBlocks table;
  return table;
}

std::string locationOf(int32_t handle) {
  ControlBlocks& table = blocks();
  const std::lock_guard<std::mutex> guard(table.lock);
  const auto found = table.locations.find(handle);
  return found != table.locations.end() ? found->second : std::string();
}

bool isPlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("/\\") == std::string::npos;
}

}  // namespace

extern "C" int32_t QXDBIO_GetControlBlock() {
  const std::string location = qxvb::qxhost::runningRepository();
  if (location.empty()) return 0;
  ControlBlocks& table = blocks();
  const std::lock_guard<std::mutex> guard(table.lock);
  for (const auto& [handle, known] : table.locations) {
    if (known == location) return handle;
  }
  const int32_t handle = table.next++;
  table.locations[handle] = location;
  return handle;
}

extern "C" int32_t QXDBIO_EncyFileExport(int32_t controlBlock, const char* storedName,
                                         const char* fileName, const char* folder) {
  if (storedName == nullptr || fileName == nullptr || folder == nullptr) return kQxdbioBadName;
  const std::string location = locationOf(controlBlock);
  if (location.empty()) return kQxdbioNoRepository;
  const std::string stored = qxvb::ansi::toUtf8(storedName);
  const std::string name = qxvb::ansi::toUtf8(fileName);
  std::string target = qxvb::ansi::toUtf8(folder);
  if (!isPlainName(name) || target.empty()) return kQxdbioBadName;
  if (target.back() != '/') target += '/';
  target += name;
  try {
    auto connection = std::make_shared<qxvb::ado::Connection>();
    connection->Open(qxvb::qxhost::repositoryConnectionString(location));
    qxvb::filestore::StoreSetup setup;
    setup.connection = connection;
    const qxvb::filestore::FileStore store(setup);
    if (!store.exists(stored)) return kQxdbioNoSuchFile;
    const qxvb::ByteArray bytes = store.readBytes(stored);
    connection->Close();
    const std::string_view data(reinterpret_cast<const char*>(bytes.data.data()),
                                bytes.data.size());
    return qxvb::platform::writeFileAtomically(target, data) == 0 ? kQxdbioSuccess
                                                                  : kQxdbioCannotWrite;
  } catch (const std::exception&) {
    return kQxdbioFailed;
  }
}
