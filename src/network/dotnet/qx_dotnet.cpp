#include "network/dotnet/qx_dotnet.h"

#include <filesystem>
#include <system_error>

#include "frame/automation_error.h"
#include "frame/vb_conversions.h"
#include "settings/registry/qx_registry.h"
#include "settings/registry/qx_registry_key.h"
#include "settings/registry/qx_registry_value.h"
#include "settings/registry/registry_access.h"
#include "text/versions.h"

namespace qxvb {

namespace {

constexpr std::string_view kPolicyPath = "SOFTWARE\\Microsoft\\.NETFramework\\policy";
constexpr std::string_view kFrameworkPath = "SOFTWARE\\Microsoft\\.NetFramework";
constexpr std::string_view kInstallRoot = "InstallRoot";
constexpr int32_t kMachine = registry_access::kLocalMachine;

bool isNumeric(const std::string& text) {
  double ignored = 0;
  return parseNumber(text, ignored);
}

// A policy key named "v" and a version number, such as v2.0.
bool isVersionKey(const std::string& name) {
  return !name.empty() && (name[0] == 'v' || name[0] == 'V') && isNumeric(name.substr(1));
}

// The build number of a policy key: the name of its first string value
// whose name is a number.
std::string buildNumber(const std::string& keyName) {
  const auto values =
      QX_Registry::valuesOfPath(kMachine, std::string(kPolicyPath) + "\\" + keyName);
  for (int32_t i = 1; i <= values->Count(); ++i) {
    const auto value = std::static_pointer_cast<QX_RegistryValue>(CObj(values->Item(Variant(i))));
    if (value->KeyType() == registry_access::kTypeString && isNumeric(value->Name())) {
      return value->Name();
    }
  }
  return std::string();
}

bool folderExists(const std::string& folder) {
  std::error_code error;
  return !folder.empty() && std::filesystem::is_directory(folder, error);
}

}  // namespace

std::shared_ptr<Collection> QX_DotNet::QX_DN_GetDotNetVersionsAll() {
  auto versions = std::make_shared<Collection>();
  QX_Registry registry;
  const auto keys = registry.QXReg_ReadAllSubKeys(kMachine, std::string(kPolicyPath));
  for (int32_t i = 1; i <= keys->Count(); ++i) {
    const auto key = std::static_pointer_cast<QX_RegistryKey>(CObj(keys->Item(Variant(i))));
    if (!isVersionKey(key->Name())) continue;
    const std::string build = buildNumber(key->Name());
    if (!build.empty()) versions->Add(Variant(key->Name().substr(1) + "." + build));
  }
  return versions;
}

bool QX_DotNet::QX_DN_IsDotNetInstalled() {
  return QX_DN_GetDotNetVersionsAll()->Count() > 0;
}

std::string QX_DotNet::QX_DN_GetDotNetVersionLatest() {
  std::string latest;
  try {
    const auto versions = QX_DN_GetDotNetVersionsAll();
    for (int32_t i = 1; i <= versions->Count(); ++i) {
      const std::string version = CStr(versions->Item(Variant(i)));
      if (compareVersionStrings(latest, version, ".") == QX_VC_Version_B_Higher) latest = version;
    }
  } catch (const AutomationError&) {
    // The latest version found before the failure stands.
  }
  return latest;
}

std::string QX_DotNet::QX_DN_GetDotNetFrameworkPath(const std::string& v_strVersion) {
  QX_Registry registry;
  std::string root = registry.QX_Reg_ReadRegistry(kMachine, std::string(kFrameworkPath),
                                                  std::string(kInstallRoot));
  const std::string version =
      v_strVersion == kLatestDotNetVersion ? QX_DN_GetDotNetVersionLatest() : v_strVersion;
  if (root.empty() || root.back() != '/') root += '/';
  const std::string candidate = root + "v" + version;
  return folderExists(candidate) ? candidate : std::string();
}

const DispatchTable& QX_DotNet::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("QX_DotNet");
    Members<QX_DotNet>(t)
        .method<&QX_DotNet::QX_DN_IsDotNetInstalled>("QX_DN_IsDotNetInstalled", {})
        .method<&QX_DotNet::QX_DN_GetDotNetVersionsAll>("QX_DN_GetDotNetVersionsAll", {})
        .method<&QX_DotNet::QX_DN_GetDotNetVersionLatest>("QX_DN_GetDotNetVersionLatest", {})
        .method<&QX_DotNet::QX_DN_GetDotNetFrameworkPath>(
            "QX_DN_GetDotNetFrameworkPath", {opt("v_strVersion", Variant(kLatestDotNetVersion))});
    return t;
  }();
  return table;
}

Object makeQX_DotNet() {
  return std::make_shared<QX_DotNet>();
}

}  // namespace qxvb
