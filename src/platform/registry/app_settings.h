// The application settings of VB's SaveSetting and GetSetting: per-user
// values kept in the registry store under HKEY_CURRENT_USER
// "Software\VB and VBA Program Settings\<application>\<section>", as
// string values named by their keys.
#pragma once

#include <string>
#include <string_view>

namespace qxvb::registry {

// The key path of an application's section.
std::string appSettingsPath(std::string_view application, std::string_view section);

// The value, or fallback when it is missing, not text or unreadable.
std::string getAppSetting(std::string_view application, std::string_view section,
                          std::string_view key, std::string_view fallback = {});

// Stores the value; false when the store refused it (an empty name or a
// store that cannot be written).
bool saveAppSetting(std::string_view application, std::string_view section, std::string_view key,
                    std::string_view value);

// Removes one value; nothing happens when it is missing.
void deleteAppSetting(std::string_view application, std::string_view section, std::string_view key);

}  // namespace qxvb::registry
