#include "settings/registry/qx_registry.h"

#include "settings/registry/qx_registry_key.h"
#include "settings/registry/qx_registry_value.h"
#include "settings/registry/registry_access.h"
#include "settings/registry/registry_branch_xml.h"

namespace qxvb {

namespace {

using namespace registry_access;

// Collection keys: the root in signed decimal, then the path parts, each
// after a backslash.
std::string collectionKey(const QX_RegistryKey& key) {
  return std::to_string(key.HKey()) + "\\" + key.Section() + "\\" + key.Name();
}

std::shared_ptr<Collection> subKeysOfPath(int32_t hkey, const std::string& path) {
  auto keys = std::make_shared<Collection>();
  for (std::string& name : listedSubKeys(hkey, path)) {
    auto key = std::make_shared<QX_RegistryKey>(std::move(name), hkey, path);
    std::string itemKey = collectionKey(*key);
    keys->Add(Variant(Object(key)), std::move(itemKey));
  }
  return keys;
}

}  // namespace

void QX_Registry::QX_Reg_WriteSetting(int32_t v_lngHKey, const std::string& v_strKeyName,
                                      int32_t v_lngRegType, const Variant& v_varValue,
                                      const std::string& v_strAppName,
                                      const std::string& v_strSectionName) {
  writeValue(v_lngHKey, productKeyPath(v_strAppName, v_strSectionName), v_strKeyName, v_lngRegType,
             v_varValue);
}

std::string QX_Registry::QX_Reg_ReadSetting(int32_t v_lngHKey, const std::string& v_strKeyName,
                                            const std::string& v_strAppName,
                                            const std::string& v_strSectionName) {
  return readValue(v_lngHKey, productKeyPath(v_strAppName, v_strSectionName), v_strKeyName);
}

std::shared_ptr<Collection> QX_Registry::QX_Reg_ReadAllSettings(
    int32_t v_lngHKey, const std::string& v_strAppName, const std::string& v_strSectionName) {
  return valuesOfPath(v_lngHKey, productKeyPath(v_strAppName, v_strSectionName));
}

std::shared_ptr<Collection> QX_Registry::QX_Reg_ReadAllSubKeys(
    int32_t v_lngHKey, const std::string& v_strAppName, const std::string& v_strSectionName) {
  return subKeysOfPath(v_lngHKey, productKeyPath(v_strAppName, v_strSectionName));
}

std::shared_ptr<Collection> QX_Registry::QXReg_ReadAllSubKeys(int32_t v_lngHKey,
                                                              const std::string& v_strSection) {
  return subKeysOfPath(v_lngHKey, v_strSection);
}

void QX_Registry::QX_Reg_DeleteKey(int32_t v_lngHKey, const std::string& v_strAppName,
                                   const std::string& v_strSectionName) {
  deleteKey(v_lngHKey, productKeyPath(v_strAppName, v_strSectionName));
}

void QX_Registry::QX_Reg_DeleteSetting(int32_t v_lngHKey, const std::string& v_strKeyName,
                                       const std::string& v_strAppName,
                                       const std::string& v_strSectionName) {
  deleteValue(v_lngHKey, productKeyPath(v_strAppName, v_strSectionName), v_strKeyName);
}

std::string QX_Registry::QX_Reg_ReadRegistry(int32_t HKey, const std::string& Section,
                                             const std::string& Key) {
  return readValue(HKey, Section, Key);
}

std::string QX_Registry::QX_Reg_ReadBranchAsXML(int32_t v_lngHKey, const std::string& v_strAppName,
                                                const std::string& v_strSectionName) {
  return readBranchAsXml(v_lngHKey, productKeyPath(v_strAppName, v_strSectionName));
}

void QX_Registry::QX_Reg_WriteBranchFromXML(int32_t v_lngHKey, const std::string& v_strXML,
                                            const std::string& v_strAppName,
                                            const std::string& v_strSectionName) {
  writeBranchFromXml(v_lngHKey, v_strXML, productKeyPath(v_strAppName, v_strSectionName));
}

std::shared_ptr<Collection> QX_Registry::valuesOfPath(int32_t hkey, const std::string& path) {
  auto values = std::make_shared<Collection>();
  std::string section;
  std::string name;
  splitKeyPath(path, section, name);
  // Every value of one key shares the key object, as each carries the
  // same root, section and name.
  const auto key = std::make_shared<QX_RegistryKey>(name, hkey, section);
  const std::string keyPrefix = collectionKey(*key) + "\\";
  for (ListedValue& listed : listedValues(hkey, path)) {
    if (!isListedType(listed.type)) continue;
    auto value = std::make_shared<QX_RegistryValue>();
    value->Init(key, listed.name, static_cast<int32_t>(listed.type), listed.text);
    values->Add(Variant(Object(value)), keyPrefix + listed.name);
  }
  return values;
}

Object makeQX_Registry() {
  return std::make_shared<QX_Registry>();
}

}  // namespace qxvb
