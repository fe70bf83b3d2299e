// Renders Variants as the JSON qxcall prints.
#pragma once

#include <string>

#include "frame/variant.h"

namespace qxcall {

std::string toJson(const qxvb::Variant& value);
std::string jsonString(const std::string& text);

}  // namespace qxcall
