#include "settings/registry/registry_access.h"

#include "frame/automation_error.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"
#include "platform/registry/unicode.h"
#include "settings/registry/value_text.h"

namespace qxvb::registry_access {

namespace {

constexpr int32_t kProductRootId = 55803;
constexpr int32_t kProductNameId = 55804;

// A value that does not convert is written as the type's empty value, the
// way the product's registry writer carries on past a failed conversion.
std::uint32_t numberOrZero(const Variant& value) {
  try {
    return static_cast<std::uint32_t>(CLng(value));
  } catch (const AutomationError&) {
    return 0;
  }
}

std::string textOrEmpty(const Variant& value) {
  try {
    return CStr(value);
  } catch (const AutomationError&) {
    return std::string();
  }
}

// The name buffer holds the name and its terminator.
bool nameFitsBuffer(std::string_view name) {
  return name.size() < kBufferChars || registry::unicode::countChars(name) < kBufferChars;
}

}  // namespace

registry::RootKey rootKeyOf(int32_t hkey) {
  return static_cast<registry::RootKey>(static_cast<std::uint32_t>(hkey));
}

std::string productKeyPath(const std::string& appName, const std::string& sectionName) {
  std::string path = localString(kProductRootId) + "\\" + localString(kProductNameId);
  if (!appName.empty()) path += "\\" + appName;
  if (!sectionName.empty()) path += "\\" + sectionName;
  return path;
}

std::string readValue(int32_t hkey, std::string_view path, std::string_view name) {
  std::uint32_t type = 0;
  registry::Bytes data;
  if (registry::queryValue(rootKeyOf(hkey), path, name, type, data) != registry::kSuccess ||
      !fitsBuffer(type, data)) {
    return std::string(kNotFound);
  }
  return valueTextByName(type, data);
}

void writeValue(int32_t hkey, std::string_view path, std::string_view name, int32_t type,
                const Variant& value) {
  const registry::RootKey root = rootKeyOf(hkey);
  registry::Status status;
  if (type == kTypeDWord) {
    status = registry::setValue(root, path, name, registry::kRegDword,
                                registry::makeDword(numberOrZero(value)));
  } else {
    const std::string text = textOrEmpty(value);
    const registry::Bytes data = type == kTypeString ? registry::makeString(text)
                                                     : registry::Bytes(text.begin(), text.end());
    status = registry::setValue(root, path, name, registry::kRegSz, data);
  }
  // The key is created even when its value cannot be stored.
  if (status != registry::kSuccess) registry::createKey(root, path);
}

void deleteKey(int32_t hkey, std::string_view path) {
  registry::deleteKey(rootKeyOf(hkey), path);
}

void deleteValue(int32_t hkey, std::string_view path, std::string_view name) {
  registry::deleteValue(rootKeyOf(hkey), path, name);
}

std::vector<ListedValue> listedValues(int32_t hkey, std::string_view path) {
  std::vector<registry::Value> values;
  std::vector<ListedValue> listed;
  if (registry::listValues(rootKeyOf(hkey), path, values) != registry::kSuccess) return listed;
  listed.reserve(values.size());
  for (registry::Value& value : values) {
    if (!nameFitsBuffer(value.name) || !fitsBuffer(value.type, value.data)) break;
    std::string text = valueTextEnumerated(value.type, value.data);
    if (text == kNotFound) break;
    listed.push_back({std::move(value.name), value.type, std::move(text)});
  }
  return listed;
}

std::vector<std::string> listedSubKeys(int32_t hkey, std::string_view path) {
  std::vector<std::string> names;
  if (registry::listSubKeys(rootKeyOf(hkey), path, names) != registry::kSuccess) names.clear();
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] == kNotFound) {
      names.resize(i);
      break;
    }
  }
  return names;
}

bool isListedType(std::uint32_t type) {
  return type == registry::kRegSz || type == registry::kRegDword;
}

void splitKeyPath(std::string_view path, std::string& section, std::string& name) {
  const std::size_t cut = path.rfind('\\');
  if (cut == std::string_view::npos) {
    section.clear();
    name = path;
    return;
  }
  section = cut > 1 ? std::string(path.substr(0, cut)) : std::string();
  name = path.substr(cut + 1);
}

}  // namespace qxvb::registry_access
