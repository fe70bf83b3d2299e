// QX_RegistryKey: one registry key as the registry members hand it out:
// its own name, its root key and the path of its parent.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "frame/dispatch.h"

namespace qxvb {

class QX_RegistryKey : public Dispatch {
 public:
  QX_RegistryKey() = default;
  QX_RegistryKey(std::string name, int32_t hkey, std::string section);
  const DispatchTable& dispatchTable() const override;

  const std::string& Name() const { return name_; }
  int32_t HKey() const { return hkey_; }
  const std::string& Section() const { return section_; }

 private:
  std::string name_;
  int32_t hkey_ = 0;
  std::string section_;
};

Object makeQX_RegistryKey();

}  // namespace qxvb
