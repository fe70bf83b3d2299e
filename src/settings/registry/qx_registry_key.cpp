#include "settings/registry/qx_registry_key.h"

namespace qxvb {

QX_RegistryKey::QX_RegistryKey(std::string name, int32_t hkey, std::string section)
    : name_(std::move(name)), hkey_(hkey), section_(std::move(section)) {}

const DispatchTable& QX_RegistryKey::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("QX_RegistryKey");
    Members<QX_RegistryKey>(t)
        .get<&QX_RegistryKey::Name>("Name", {})
        .get<&QX_RegistryKey::HKey>("HKey", {})
        .get<&QX_RegistryKey::Section>("Section", {});
    return t;
  }();
  return table;
}

Object makeQX_RegistryKey() {
  return std::make_shared<QX_RegistryKey>();
}

}  // namespace qxvb
