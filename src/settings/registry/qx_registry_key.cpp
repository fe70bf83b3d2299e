#include "settings/registry/qx_registry_key.h"

namespace qxvb {

QX_RegistryKey::QX_RegistryKey(std::string name, int32_t hkey, std::string section)
    : name_(std::move(name)), hkey_(hkey), section_(std::move(section)) {}

const DispatchTable& QX_RegistryKey::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("QX_RegistryKey");
    Members<QX_RegistryKey>(t)
        .get("Name", {}, [](QX_RegistryKey& k, CallArgs&) { return Variant(k.Name()); })
        .get("HKey", {}, [](QX_RegistryKey& k, CallArgs&) { return Variant(k.HKey()); })
        .get("Section", {}, [](QX_RegistryKey& k, CallArgs&) { return Variant(k.Section()); });
    return t;
  }();
  return table;
}

Object makeQX_RegistryKey() {
  return std::make_shared<QX_RegistryKey>();
}

}  // namespace qxvb
