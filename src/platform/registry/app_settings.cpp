#include "platform/registry/app_settings.h"

#include "platform/registry/registry_store.h"

namespace qxvb::registry {

namespace {

constexpr std::string_view kRoot = "Software\\VB and VBA Program Settings";

}  // namespace

std::string appSettingsPath(std::string_view application, std::string_view section) {
  std::string path(kRoot);
  path.append("\\").append(application).append("\\").append(section);
  return path;
}

std::string getAppSetting(std::string_view application, std::string_view section,
                          std::string_view key, std::string_view fallback) {
  if (application.empty() || section.empty() || key.empty()) return std::string(fallback);
  std::uint32_t type = kRegNone;
  Bytes data;
  const Status status =
      queryValue(RootKey::CurrentUser, appSettingsPath(application, section), key, type, data);
  if (status != kSuccess || (type != kRegSz && type != kRegExpandSz)) return std::string(fallback);
  return readString(data);
}

bool saveAppSetting(std::string_view application, std::string_view section, std::string_view key,
                    std::string_view value) {
  if (application.empty() || section.empty() || key.empty()) return false;
  return setValue(RootKey::CurrentUser, appSettingsPath(application, section), key, kRegSz,
                  makeString(value)) == kSuccess;
}

void deleteAppSetting(std::string_view application, std::string_view section,
                      std::string_view key) {
  if (application.empty() || section.empty() || key.empty()) return;
  deleteValue(RootKey::CurrentUser, appSettingsPath(application, section), key);
}

}  // namespace qxvb::registry
