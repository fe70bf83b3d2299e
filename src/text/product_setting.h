// The one reader of the product's settings for the library's own use: a
// setting of the default profile through QXGetSetting.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qxvb {

// One setting of the default profile, cut to `length` characters; no value
// when the setting is not there or cannot be read.
std::optional<std::string> productSetting(const std::string& item, const std::string& section,
                                          int32_t length);

// A setting of section "ADO" (the connection choices and the server list),
// at most 255 characters; "" when it is missing.
std::string adoSetting(const std::string& key);

}  // namespace qxvb
