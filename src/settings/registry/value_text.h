// How registry data becomes the text the registry members answer.
#pragma once

#include <cstdint>
#include <string>

#include "platform/registry/registry_store.h"

namespace qxvb::registry_access {

// A value read by name: numbers as decimal text of at least three digits,
// binary data as upper-case hexadecimal, anything else as its data less the
// final character (the string terminator).
std::string valueTextByName(std::uint32_t type, const registry::Bytes& data);

// A value met in an enumeration: the same, except that binary data is
// passed through as characters less the final one.
std::string valueTextEnumerated(std::uint32_t type, const registry::Bytes& data);

// Whether data fits the read buffer of the registry members.
bool fitsBuffer(std::uint32_t type, const registry::Bytes& data);

}  // namespace qxvb::registry_access
