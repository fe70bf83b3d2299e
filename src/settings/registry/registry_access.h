// The registry operations the QX_Registry members are made of, over the
// registry store. None of them fails: a read that cannot be done answers
// "Not Found", a listing stops where the next item cannot be read, and a
// write or delete that cannot be done leaves the registry as it was.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "frame/variant.h"
#include "platform/registry/registry_store.h"

namespace qxvb::registry_access {

// The text of a value or key that does not exist or cannot be read, and of
// the end of an enumeration.
inline constexpr std::string_view kNotFound = "Not Found";

// Names and data longer than this many characters are not read.
inline constexpr std::size_t kBufferChars = 2048;

// The two root keys callers pass (enuQX_Registry_HKeys).
inline constexpr int32_t kCurrentUser = static_cast<int32_t>(0x80000001u);
inline constexpr int32_t kLocalMachine = static_cast<int32_t>(0x80000002u);

// Value types callers pass (enuQX_Registry_Types).
inline constexpr int32_t kTypeString = 1;
inline constexpr int32_t kTypeDWord = 4;

registry::RootKey rootKeyOf(int32_t hkey);

// The product's root key path (string-table texts 55803 and 55804), then
// the application and section names when they are not empty.
std::string productKeyPath(const std::string& appName, const std::string& sectionName);

std::string readValue(int32_t hkey, std::string_view path, std::string_view name);

// Creates the key and stores the value: type 4 as a 32-bit number, any
// other type as a string (with a terminator only when the type is 1).
void writeValue(int32_t hkey, std::string_view path, std::string_view name, int32_t type,
                const Variant& value);

void deleteKey(int32_t hkey, std::string_view path);
void deleteValue(int32_t hkey, std::string_view path, std::string_view name);

struct ListedValue {
  std::string name;
  std::uint32_t type = 0;
  std::string text;  // by the enumeration's value-text rule
};

// The values of a key in enumeration order, up to the first one that cannot
// be read or whose text is "Not Found".
std::vector<ListedValue> listedValues(int32_t hkey, std::string_view path);
// The subkey names of a key in enumeration order, up to the first one named
// "Not Found".
std::vector<std::string> listedSubKeys(int32_t hkey, std::string_view path);

// Only string and number values are offered to callers by the listings.
bool isListedType(std::uint32_t type);

// The key holding the values of path: its own name is the part after the
// last backslash and its parent's path the part before it (left empty when
// that backslash is one of the first two characters).
void splitKeyPath(std::string_view path, std::string& section, std::string& name);

}  // namespace qxvb::registry_access
