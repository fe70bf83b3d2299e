// Texts and settings the network class reads: texts from an instance of the
// string table component of its own (asked by id through the component's
// first member, as the domain and directory members always have), settings
// of the default profile through productSetting (text/product_setting.h).
#pragma once

#include <cstdint>
#include <string>

#include "text/product_setting.h"

namespace qxvb {

// The text of the string table for `id`, from a newly created instance of
// the component.
std::string componentText(int32_t id);

// Whether a one-letter switch setting is on: "y" in either case.
bool switchSettingOn(const std::string& item, const std::string& section);

}  // namespace qxvb
