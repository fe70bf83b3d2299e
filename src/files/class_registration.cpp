#include "files/class_registration.h"

#include <cstdint>
#include <string_view>

#include "frame/catalogue.h"
#include "frame/module_state.h"
#include "platform/registry/registry_store.h"
#include "platform/unicode.h"

namespace qxvb::files {

namespace {

using registry::RootKey;

constexpr std::string_view kNotFound = "Not Found";

// The default value of a key under HKEY_LOCAL_MACHINE, or "Not Found" as
// the registry reader answers for a missing key or value.
std::string defaultValue(const std::string& path) {
  std::uint32_t type = 0;
  registry::Bytes data;
  const auto status = registry::queryValue(RootKey::LocalMachine, path, "", type, data);
  if (status != registry::kSuccess) return std::string(kNotFound);
  if (type != registry::kRegSz && type != registry::kRegExpandSz) return std::string(kNotFound);
  return registry::readString(data);
}

bool notFound(const std::string& value) {
  return unicode::equalsIgnoreCase(value, kNotFound);
}

long writeClass(const ClassInfo& info, const std::string& server) {
  const std::string classKey = "CLSID\\" + info.clsid;
  long status = registry::setValue(RootKey::ClassesRoot, info.progId, "", registry::kRegSz,
                                   registry::makeString(info.name));
  if (status == registry::kSuccess) {
    status = registry::setValue(RootKey::ClassesRoot, info.progId + "\\CLSID", "", registry::kRegSz,
                                registry::makeString(info.clsid));
  }
  if (status == registry::kSuccess) {
    status = registry::setValue(RootKey::ClassesRoot, classKey + "\\ProgID", "", registry::kRegSz,
                                registry::makeString(info.progId));
  }
  if (status == registry::kSuccess) {
    status = registry::setValue(RootKey::ClassesRoot, classKey + "\\InprocServer32", "",
                                registry::kRegSz, registry::makeString(server));
  }
  return status;
}

long removeClass(const ClassInfo& info) {
  for (const std::string& key : {info.progId, "CLSID\\" + info.clsid}) {
    const long status = registry::deleteTree(RootKey::ClassesRoot, key);
    if (status != registry::kSuccess && status != registry::kFileNotFound) return status;
  }
  return registry::kSuccess;
}

}  // namespace

std::string registeredServer(const std::string& progId) {
  const std::string clsid = defaultValue("SOFTWARE\\Classes\\" + progId + "\\Clsid");
  if (notFound(clsid) || clsid.empty()) return {};
  const std::string classKey = "SOFTWARE\\Classes\\CLSID\\" + clsid;
  std::string server = defaultValue(classKey + "\\LocalServer32");
  if (notFound(server)) server = defaultValue(classKey + "\\InprocServer32");
  return notFound(server) ? std::string() : server;
}

std::string registeredServerFolder(const std::string& progId) {
  const std::string server = registeredServer(progId);
  const auto slash = server.rfind('/');
  return slash == std::string::npos ? std::string() : server.substr(0, slash + 1);
}

std::string libraryFile() {
  return libraryPath();
}

long registerLibraryInStore() {
  const std::string server = libraryFile();
  return registry::runInTransaction(RootKey::LocalMachine, [&server] {
    for (const ClassInfo& info : Catalogue::instance().classes()) {
      if (!info.partOfLibrary) continue;
      const long status = writeClass(info, server);
      if (status != registry::kSuccess) return status;
    }
    return registry::kSuccess;
  });
}

long unregisterLibraryFromStore() {
  return registry::runInTransaction(RootKey::LocalMachine, [] {
    for (const ClassInfo& info : Catalogue::instance().classes()) {
      if (!info.partOfLibrary) continue;
      const long status = removeClass(info);
      if (status != registry::kSuccess) return status;
    }
    return registry::kSuccess;
  });
}

}  // namespace qxvb::files
