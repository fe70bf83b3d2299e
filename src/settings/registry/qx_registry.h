// QX_Registry: reading, writing, listing and deleting registry values and
// keys for the product and its callers, mostly below the product's own key
// (optionally extended by an application and a section name), and whole
// branches as XML text. Registry failures never raise: reads answer
// "Not Found", listings stop, writes and deletes do nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "frame/collection.h"
#include "frame/dispatch.h"

namespace qxvb {

class QX_Registry : public Dispatch {
 public:
  const DispatchTable& dispatchTable() const override;

  void QX_Reg_WriteSetting(int32_t v_lngHKey, const std::string& v_strKeyName, int32_t v_lngRegType,
                           const Variant& v_varValue, const std::string& v_strAppName = "",
                           const std::string& v_strSectionName = "");
  std::string QX_Reg_ReadSetting(int32_t v_lngHKey, const std::string& v_strKeyName,
                                 const std::string& v_strAppName = "",
                                 const std::string& v_strSectionName = "");
  // QX_RegistryValue items of the string and number values.
  std::shared_ptr<Collection> QX_Reg_ReadAllSettings(int32_t v_lngHKey,
                                                     const std::string& v_strAppName = "",
                                                     const std::string& v_strSectionName = "");
  // QX_RegistryKey items of the subkeys.
  std::shared_ptr<Collection> QX_Reg_ReadAllSubKeys(int32_t v_lngHKey,
                                                    const std::string& v_strAppName = "",
                                                    const std::string& v_strSectionName = "");
  std::shared_ptr<Collection> QXReg_ReadAllSubKeys(int32_t v_lngHKey,
                                                   const std::string& v_strSection);
  // A key that still has subkeys stays.
  void QX_Reg_DeleteKey(int32_t v_lngHKey, const std::string& v_strAppName = "",
                        const std::string& v_strSectionName = "");
  void QX_Reg_DeleteSetting(int32_t v_lngHKey, const std::string& v_strKeyName,
                            const std::string& v_strAppName = "",
                            const std::string& v_strSectionName = "");
  // Section is a key path of its own, not below the product's key.
  std::string QX_Reg_ReadRegistry(int32_t HKey, const std::string& Section, const std::string& Key);

  // "" when nothing could be built.
  std::string QX_Reg_ReadBranchAsXML(int32_t v_lngHKey, const std::string& v_strAppName = "",
                                     const std::string& v_strSectionName = "");
  // Text that does not parse, or has no start element, is ignored.
  void QX_Reg_WriteBranchFromXML(int32_t v_lngHKey, const std::string& v_strXML,
                                 const std::string& v_strAppName = "",
                                 const std::string& v_strSectionName = "");

  // The string and number values of a key given by its whole path.
  static std::shared_ptr<Collection> valuesOfPath(int32_t hkey, const std::string& path);
};

Object makeQX_Registry();

}  // namespace qxvb
