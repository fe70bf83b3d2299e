// The late-bound interface of QX_Registry.
#include "settings/registry/qx_registry.h"

#include <string>
#include <utility>
#include <vector>

namespace qxvb {

namespace {

using Self = QX_Registry;

// Most members name a key by a root and, optionally, the application and
// section below it; some take one more text between the two (a value name,
// a branch as XML).
std::vector<ParamSpec> keyParams(std::vector<ParamSpec> leading) {
  leading.push_back(opt("v_strAppName", Variant("")));
  leading.push_back(opt("v_strSectionName", Variant("")));
  return leading;
}

std::vector<ParamSpec> keyParams() {
  return keyParams({in("v_lngHKey")});
}

std::vector<ParamSpec> itemParams(std::string item) {
  return keyParams({in("v_lngHKey"), in(std::move(item))});
}

void addValueMembers(Members<Self>& m) {
  m.method<&Self::QX_Reg_WriteSetting>(
       "QX_Reg_WriteSetting",
       keyParams({in("v_lngHKey"), in("v_strKeyName"), in("v_lngRegType"), in("v_varValue")}))
      .method<&Self::QX_Reg_ReadSetting>("QX_Reg_ReadSetting", itemParams("v_strKeyName"))
      .method<&Self::QX_Reg_DeleteSetting>("QX_Reg_DeleteSetting", itemParams("v_strKeyName"))
      .method("QX_Reg_ReadRegistry", {ref("HKey"), ref("Section"), ref("Key")},
              [](Self& s, CallArgs& a) {
                // Plain names are passed by reference: the caller's
                // variables come back holding the converted arguments,
                // even when the call fails.
                const int32_t hkey = a.lng(0);
                const std::string section = a.str(1);
                const std::string key = a.str(2);
                a.set(0, Variant(hkey));
                a.set(1, Variant(section));
                a.set(2, Variant(key));
                return Variant(s.QX_Reg_ReadRegistry(hkey, section, key));
              });
}

void addKeyMembers(Members<Self>& m) {
  m.method<&Self::QX_Reg_ReadAllSettings>("QX_Reg_ReadAllSettings", keyParams())
      .method<&Self::QX_Reg_ReadAllSubKeys>("QX_Reg_ReadAllSubKeys", keyParams())
      .method<&Self::QXReg_ReadAllSubKeys>("QXReg_ReadAllSubKeys",
                                           {in("v_lngHKey"), in("v_strSection")})
      .method<&Self::QX_Reg_DeleteKey>("QX_Reg_DeleteKey", keyParams());
}

void addBranchMembers(Members<Self>& m) {
  m.method<&Self::QX_Reg_ReadBranchAsXML>("QX_Reg_ReadBranchAsXML", keyParams())
      .method<&Self::QX_Reg_WriteBranchFromXML>("QX_Reg_WriteBranchFromXML",
                                                itemParams("v_strXML"));
}

}  // namespace

const DispatchTable& QX_Registry::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("QX_Registry");
    Members<Self> m(t);
    addValueMembers(m);
    addKeyMembers(m);
    addBranchMembers(m);
    return t;
  }();
  return table;
}

}  // namespace qxvb
