// QX_RegistryValue: one registry value as the registry members hand it
// out: the key holding it, its name, its data as text and its type number.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "frame/dispatch.h"
#include "settings/registry/qx_registry_key.h"

namespace qxvb {

class QX_RegistryValue : public Dispatch {
 public:
  const DispatchTable& dispatchTable() const override;

  const std::shared_ptr<QX_RegistryKey>& Key() const { return key_; }
  const std::string& Name() const { return name_; }
  const std::string& Value() const { return value_; }
  int32_t KeyType() const { return keyType_; }

  void Init(const std::shared_ptr<QX_RegistryKey>& r_objKey, const std::string& v_strName,
            int32_t v_lngType, const std::string& v_strValue);

 private:
  std::shared_ptr<QX_RegistryKey> key_;
  std::string name_;
  std::string value_;
  int32_t keyType_ = 0;
};

Object makeQX_RegistryValue();

}  // namespace qxvb
